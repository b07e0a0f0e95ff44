// What the PIC boards' main-window tests share: the file dialogs' filters and flags, and the
// entries a combo box or list box of a running dialog shows.
#pragma once

#include <string>
#include <vector>

#include "platform/base/WinMessages.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListBox.h"

namespace pictest {

inline const char kLoadFilter[] = "Intel Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
inline const char kSaveFilter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";
inline const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

inline std::vector<std::string> Entries(CDialog& dialog, int id)
{
    std::vector<std::string> entries;
    CString text;
    if (CComboBox* combo = dynamic_cast<CComboBox*>(dialog.GetDlgItem(id))) {
        for (int i = 0; i < combo->GetCount(); ++i) {
            combo->GetLBText(i, text);
            entries.push_back(text.str());
        }
    } else if (CListBox* list = dynamic_cast<CListBox*>(dialog.GetDlgItem(id))) {
        for (int i = 0; i < list->GetCount(); ++i) {
            list->GetText(i, text);
            entries.push_back(text.str());
        }
    }
    return entries;
}

}  // namespace pictest
