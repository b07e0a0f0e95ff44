# Fuzz targets of the Intel HEX reader and of the settings-file parser: clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, built only when QUILLET_FUZZ is on. Each compiles its reader and
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

  add_executable(fuzz_settings
    ${CMAKE_SOURCE_DIR}/tests/fuzz/SettingsFuzz.cpp
    ${CMAKE_SOURCE_DIR}/platform/settings/SettingsFileFormat.cpp
    ${CMAKE_SOURCE_DIR}/platform/settings/SettingsTree.cpp)
  target_include_directories(fuzz_settings PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(fuzz_settings PRIVATE ${QUILLET_FUZZ_FLAGS})
  target_link_options(fuzz_settings PRIVATE ${QUILLET_FUZZ_FLAGS})
endif()

# Fuzz targets of the .hye header reader and of the STABS loader with its queries, and the
# program that writes their seed corpus (tests/fuzz/hye/) with the test generator. The reader
# needs nothing of the platform layer but its plain types.
if(QUILLET_FUZZ)
  set(QUILLET_COFF_FUZZ_SOURCES
    ${CMAKE_SOURCE_DIR}/coff/CoffReader.cpp
    ${CMAKE_SOURCE_DIR}/coff/PoolAlloc.cpp
    ${CMAKE_SOURCE_DIR}/coff/StabsTable.cpp
    ${CMAKE_SOURCE_DIR}/coff/StabsIndex.cpp
    ${CMAKE_SOURCE_DIR}/coff/StabsQueries.cpp)
  foreach(target coffheaders stabs)
    if(target STREQUAL "coffheaders")
      set(main ${CMAKE_SOURCE_DIR}/tests/fuzz/CoffHeadersFuzz.cpp)
    else()
      set(main ${CMAKE_SOURCE_DIR}/tests/fuzz/StabsFuzz.cpp)
    endif()
    add_executable(fuzz_${target} ${main} ${QUILLET_COFF_FUZZ_SOURCES})
    target_include_directories(fuzz_${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
  add_executable(coff_fuzz_seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/CoffSeeds.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/HyeWriter.cpp)
  target_include_directories(coff_fuzz_seeds PRIVATE ${CMAKE_SOURCE_DIR})
endif()
