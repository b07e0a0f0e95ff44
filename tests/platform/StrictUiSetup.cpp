// Every test of this program runs with a strict user interface (see StrictUiListener.h).
#include "tests/support/StrictUiListener.h"

namespace {

const bool s_strict = (InstallStrictUiListener(), true);

} // namespace
