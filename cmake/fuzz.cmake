# Fuzz target of the Intel HEX reader: clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, built only when QUILLET_FUZZ is on. It compiles the reader and
# the few platform files it needs, so it does not depend on Qt.
if(QUILLET_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUILLET_FUZZ needs clang (CXX=clang++)")
  endif()
  add_executable(fuzz_intelhex
    ${CMAKE_SOURCE_DIR}/tests/fuzz/IntelHexFuzz.cpp
    ${CMAKE_SOURCE_DIR}/image/IntelHex.cpp
    ${CMAKE_SOURCE_DIR}/platform/files/File.cpp
    ${CMAKE_SOURCE_DIR}/platform/files/FileFind.cpp
    ${CMAKE_SOURCE_DIR}/platform/base/DebugOutput.cpp
    ${CMAKE_SOURCE_DIR}/platform/base/CString.cpp)
  target_include_directories(fuzz_intelhex PRIVATE ${CMAKE_SOURCE_DIR})
  set(QUILLET_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  target_compile_options(fuzz_intelhex PRIVATE ${QUILLET_FUZZ_FLAGS})
  target_link_options(fuzz_intelhex PRIVATE ${QUILLET_FUZZ_FLAGS})
endif()
