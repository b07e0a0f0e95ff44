// The entries a list box or combo box of a running dialog shows, top to bottom.
#pragma once

#include <string>
#include <vector>

#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListBox.h"

// Empty where `id` is neither.
inline std::vector<std::string> ListEntries(CDialog& dialog, int id)
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
