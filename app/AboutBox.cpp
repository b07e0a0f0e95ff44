#include "app/AboutBox.h"

#include "res/resource.h"

CAboutBox::CAboutBox() : CHelpDlg(IDD_ABOUTBOX) {}
