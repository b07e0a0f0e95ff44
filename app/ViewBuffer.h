// A read-only hexadecimal dump of the current target's data, one area at a time: the whole
// buffer (when the target offers it) or one module.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/ListBox.h"

class CTargetBase;

class CViewBuffer : public CHelpDlg {
public:
    // Width in bytes of one dump line.
    enum { bytesPerLine = 16 };

    // `row` is the main dialog's module-list row (r >= 1 is module r - 1; 0 or -1 for none),
    // which picks the area shown first.
    CViewBuffer(CTargetBase* target, int row, CWnd* parent = NULL);

    // One dump line: "0x%06X: ", sixteen "%02X " columns (three spaces past `count`), "- ",
    // then one character per byte (a space past `count`). Digits, letters, ASCII punctuation
    // and the pound sign show as themselves, every other byte as '.'. The line is UTF-8, so
    // the pound sign (byte 0xA3) is U+00A3 and takes two bytes: the line always has 76
    // characters but may be longer in bytes. `count` is clamped to 0..16 and `data` must hold
    // `count` bytes; `offset` counts from the start of the image.
    static CString FormatLine(DWORD offset, const BYTE* data, int count);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnSelchangeArea();

    DECLARE_MESSAGE_MAP()

private:
    void AddArea(const CString& name, int block);
    static CString ImageLine(const BYTE* image, DWORD length, DWORD offset);
    void ShowImage(const BYTE* image, DWORD length);

    CComboBox m_cbArea;  // item data: module index, -1 for the whole buffer
    CListBox m_lbDump;
    CTargetBase* m_pTarget;
    int m_nSelection;  // on entry the module-list row, afterwards the combo index shown
};
