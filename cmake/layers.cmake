# The platform layer knows nothing above it: no file under platform/ includes one from the
# system's own rooms. The program's resources reach it through the slot that res/ fills
# (platform/base/ResourceTables.h). Checked at configure time, which every CI run does afresh.
file(GLOB_RECURSE QUILLET_PLATFORM_FILES ${CMAKE_SOURCE_DIR}/platform/*.cpp ${CMAKE_SOURCE_DIR}/platform/*.h)
foreach(file ${QUILLET_PLATFORM_FILES})
  file(STRINGS ${file} upward REGEX "^[ \t]*#[ \t]*include[ \t]*\"(app|targets|CommsRes|image|ports|coff|res|tests|bench)/")
  if(upward)
    message(FATAL_ERROR "${file} reaches above the platform layer: ${upward}")
  endif()
endforeach()
