// The toolkit's side of a static control.
#pragma once

#include "platform/base/WinTypes.h"

class IStaticPeer {
public:
    virtual ~IStaticPeer() = default;
    // Shows `icon` in place of the text; returns the icon shown before.
    virtual HICON SetIcon(HICON icon) = 0;
};
