// Every global object of the program, in the order they must be constructed: each target joins
// theTargetList at its head as it is built, so the list reads this order backwards. The
// parallel-port access object, which nothing here depends on, lives with the port code.
#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "targets/hyusb/QB7740FLASH.h"
#include "targets/pic/QB66XXFLASH.h"
#include "targets/pic/QD5140FLASH.h"
#include "targets/pic/QD5170FLASH.h"
#include "targets/stub/QB2300FLASH.h"
#include "targets/stub/QP0700FLASH.h"

CQD5140Flash theQD5140Flash;
CQD5170Flash theQD5170Flash;
CQB2300Flash theQB2300Flash;
CQB66XXFlash theQB6620Flash;
CQB7740Flash theQB7740Flash;
CQuilletApp theApp;
CIntelHex theIntelHex;
CQP0700Flash theQP0700Flash;
