// Linked into every benchmark, so that each has the program's resource tables as the program
// does. They go in while the objects of the benchmark's files are built, in no set order among
// those files; that is early enough, as no benchmark's own object reads a table before main(),
// and a benchmark that links the application object has them before that object is built
// (app/Globals.cpp).
#include "res/ProgramResources.h"

namespace {

[[maybe_unused]] const bool s_bResourcesInstalled = (InstallProgramResources(), true);

}  // namespace
