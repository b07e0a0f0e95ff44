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

  # fuzz_<name> from tests/fuzz/<Source>.cpp: the Intel HEX reader, the settings-file parser,
  # the .hye header readers (from a file and from memory), the STABS loader with its queries,
  # the HID report-descriptor parser, the tessasm listing reader, and the serial link's frame
  # reader and board requests.
  foreach(pair intelhex:IntelHexFuzz settings:SettingsFuzz coffheaders:CoffHeadersFuzz stabs:StabsFuzz
               hidreport:HidReportFuzz coffimage:CoffImageFuzz asmlisting:AsmListingFuzz
               linkframes:LinkFramesFuzz boardrequests:BoardRequestsFuzz)
    string(REPLACE ":" ";" parts ${pair})
    list(GET parts 0 name)
    list(GET parts 1 source)
    add_executable(fuzz_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${source}.cpp)
    target_link_libraries(fuzz_${name} PRIVATE quillet_base)
    set_target_properties(fuzz_${name} PROPERTIES AUTOMOC OFF)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer ${QUILLET_FUZZ_SANITIZERS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer ${QUILLET_FUZZ_SANITIZERS})
  endforeach()

  # Writes the .hye seed corpus (tests/fuzz/hye/) with the test generator.
  add_executable(coff_fuzz_seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/CoffSeeds.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/HyeWriter.cpp)
  target_link_libraries(coff_fuzz_seeds PRIVATE quillet_base)
  set_target_properties(coff_fuzz_seeds PROPERTIES AUTOMOC OFF)

  # Writes the listing seeds (tests/fuzz/listing/) and the board-stream seeds
  # (tests/fuzz/board/) with the Tessar tests' listing generator and the simulated board.
  add_executable(target_fuzz_seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/TargetSeeds.cpp)
  target_link_libraries(target_fuzz_seeds PRIVATE quillet_testsupport)
endif()
