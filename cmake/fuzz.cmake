# Fuzz targets of the readers: clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, built only when QUILLET_FUZZ is on. Each links quillet_base, which
# is then built with the same sanitizers and coverage, so the fuzzer sees into the readers and
# nothing of Qt is needed.
if(QUILLET_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUILLET_FUZZ needs clang (CXX=clang++)")
  endif()
  set(QUILLET_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(quillet_base PRIVATE -fsanitize=fuzzer-no-link ${QUILLET_FUZZ_SANITIZERS})
  # Whatever links the instrumented library needs the sanitizers' runtime.
  target_link_options(quillet_base INTERFACE -fsanitize=address,undefined)

  add_executable(fuzz_intelhex ${CMAKE_SOURCE_DIR}/tests/fuzz/IntelHexFuzz.cpp)
  target_link_libraries(fuzz_intelhex PRIVATE quillet_base)
  set_target_properties(fuzz_intelhex PROPERTIES AUTOMOC OFF)
  target_compile_options(fuzz_intelhex PRIVATE -fsanitize=fuzzer ${QUILLET_FUZZ_SANITIZERS})
  target_link_options(fuzz_intelhex PRIVATE -fsanitize=fuzzer ${QUILLET_FUZZ_SANITIZERS})
endif()
