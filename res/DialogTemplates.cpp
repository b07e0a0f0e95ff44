#include "res/DialogTemplates.h"

const DialogTemplate* FindDialogTemplateResource(UINT id)
{
    switch (id) {
    case 100: return &Dialog100Template();
    case 102: return &Dialog102Template();
    case 129: return &Dialog129Template();
    case 130: return &Dialog130Template();
    case 131: return &Dialog131Template();
    case 132: return &Dialog132Template();
    case 133: return &Dialog133Template();
    case 134: return &Dialog134Template();
    case 136: return &Dialog136Template();
    case 135: return &Dialog135Template();
    case 138: return &Dialog138Template();
    case 142: return &Dialog142Template();
    case 141: return &Dialog141Template();
    default: return NULL;
    }
}
