#include "CommsRes/HidComms/CommsRes.h"

CCommsRes::CCommsRes() = default;

CCommsRes::~CCommsRes() = default;
