// The about box, shown from the main dialog's window menu.
#pragma once

#include "app/HelpDlg.h"

class CAboutBox : public CHelpDlg {
public:
    CAboutBox();
};
