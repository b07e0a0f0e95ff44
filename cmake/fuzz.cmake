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
