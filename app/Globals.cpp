// Every global object of the program, in the order they must be constructed: each target joins
// theTargetList at its head as it is built, so the list reads this order backwards. The
// parallel-port access object, which nothing here depends on, lives with the port code.
#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "res/ProgramResources.h"
#include "targets/hyusb/QB7740FLASH.h"
#include "targets/pic/QB66XXFLASH.h"
#include "targets/pic/QD5140FLASH.h"
#include "targets/pic/QD5170FLASH.h"
#include "targets/stub/QB2300FLASH.h"
#include "targets/stub/QP0700FLASH.h"

// The resource tables go in before any object below is built: the application object takes its
// title from the string table in its constructor. Objects of one file are built in the order of
// their definitions, while those of other files have no order relative to them, so the
// installation is the first definition here rather than an object of its own in res/ (which the
// static library would not even link in, as nothing names it).
[[maybe_unused]] const bool s_bResourcesInstalled = (InstallProgramResources(), true);

CQD5140Flash theQD5140Flash;
CQD5170Flash theQD5170Flash;
CQB2300Flash theQB2300Flash;
CQB66XXFlash theQB6620Flash;
CQB7740Flash theQB7740Flash;
CQuilletApp theApp;
CIntelHex theIntelHex;
CQP0700Flash theQP0700Flash;
