#include "app/ViewBuffer.h"

#include <algorithm>
#include <cstdio>

#include "platform/wnd/DataExchange.h"
#include "platform/ui/UiServices.h"
#include "res/resource.h"
#include "targets/TargetBase.h"

namespace {

// The dump list keeps its lines in text order. Six zero-padded hex digits make text order
// offset order for images below this size; past it the lines must go through the sorted
// insertion so that they stand where the sorted list would put them.
const DWORD kSortedOffsetLimit = 0x1000000;

bool ShowsAsItself(BYTE ch)
{
    return (ch >= 0x21 && ch <= 0x7E) || ch == 0xA3;
}

}  // namespace

CViewBuffer::CViewBuffer(CTargetBase* target, int row, CWnd* parent)
    : CHelpDlg(IDD_VIEW_BUFFER, parent), m_pTarget(target), m_nSelection(row)
{
}

BEGIN_MESSAGE_MAP(CViewBuffer, CHelpDlg)
    ON_CBN_SELCHANGE(IDC_VIEW_AREA, OnSelchangeArea)
END_MESSAGE_MAP()

void CViewBuffer::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VIEW_AREA, m_cbArea);
    DDX_Control(pDX, IDC_VIEW_LIST, m_lbDump);
}

CString CViewBuffer::FormatLine(DWORD offset, const BYTE* data, int count)
{
    static const char kHex[] = "0123456789ABCDEF";
    if (count < 0 || !data)
        count = 0;
    if (count > bytesPerLine)
        count = bytesPerLine;

    std::string line;
    line.reserve(80);
    char head[16];
    snprintf(head, sizeof head, "0x%06X: ", (unsigned)offset);
    line += head;
    for (int i = 0; i < bytesPerLine; ++i) {
        if (i < count) {
            line += kHex[data[i] >> 4];
            line += kHex[data[i] & 0x0F];
            line += ' ';
        } else {
            line += "   ";
        }
    }
    line += "- ";
    for (int i = 0; i < bytesPerLine; ++i) {
        if (i >= count)
            line += ' ';
        else if (data[i] == 0xA3)
            line += "\xC2\xA3";
        else
            line += ShowsAsItself(data[i]) ? (char)data[i] : '.';
    }
    return CString(std::move(line));
}

void CViewBuffer::AddArea(const CString& name, int block)
{
    int index = m_cbArea.AddString(name);
    m_cbArea.SetItemData(index, (DWORD_PTR)(intptr_t)block);
}

BOOL CViewBuffer::OnInitDialog()
{
    CHelpDlg::OnInitDialog();

    CString name;
    if (m_pTarget && m_pTarget->GetModuleName(name, -1) == TRUE)
        AddArea(name, -1);
    if (m_nSelection == -1)
        m_nSelection = 0;

    int count = m_pTarget ? m_pTarget->GetModuleCount() : 0;
    if (count != 0) {
        for (int block = 0; block < count; ++block) {
            m_pTarget->GetModuleName(name, block);
            AddArea(name, block);
            if (m_nSelection == block + 1)
                m_nSelection = m_cbArea.GetCount() - 1;
        }
    } else {
        m_cbArea.EnableWindow(FALSE);
        m_nSelection = 0;
    }
    m_cbArea.SetCurSel(m_nSelection);
    OnSelchangeArea();
    return TRUE;
}

void CViewBuffer::OnSelchangeArea()
{
    CWaitCursor wait;
    m_lbDump.ResetContent();
    m_nSelection = m_cbArea.GetCurSel();
    // With nothing selected the combo box answers CB_ERR for the item data, which names the
    // whole buffer.
    int block = (int)(intptr_t)m_cbArea.GetItemData(m_nSelection);

    DWORD length = 0;
    const BYTE* image = m_pTarget ? m_pTarget->GetModuleImage(block, &length) : NULL;
    if (!image) {
        m_lbDump.AddString("No data to view");
        m_lbDump.EnableWindow(FALSE);
        return;
    }
    m_lbDump.EnableWindow(TRUE);
    ShowImage(image, length);
    // Emptying the list does not move the view back up, and the new area would open at the
    // line the previous one was scrolled to.
    m_lbDump.SetTopIndex(0);
}

// The dump line at `offset` (below `length`) of an image of `length` bytes.
CString CViewBuffer::ImageLine(const BYTE* image, DWORD length, DWORD offset)
{
    DWORD left = length - offset;
    return FormatLine(offset, image + offset, left < bytesPerLine ? (int)left : bytesPerLine);
}

void CViewBuffer::ShowImage(const BYTE* image, DWORD length)
{
    DWORD lines = length / bytesPerLine + (length % bytesPerLine ? 1 : 0);
    if (length < kSortedOffsetLimit) {
        // Lines are formatted when shown: a million stored strings would cost far more
        // memory and time than the dump is worth. They come in offset order, which is text
        // order here, so the list reads exactly as if each line had been added.
        m_lbDump.SetLineSource((int)lines, [image, length](int index, CString& text) {
            text = ImageLine(image, length, (DWORD)index * bytesPerLine);
        });
        return;
    }
    uint64_t textBytes = std::min<uint64_t>((uint64_t)lines * 75, 0x7FFFFFFF);
    m_lbDump.InitStorage((int)(length / bytesPerLine), (UINT)textBytes);
    m_lbDump.SetRedraw(FALSE);
    // Counted in lines, not offsets: an offset stepping past the last line of an image near
    // 4 GiB would wrap to 0 and never end.
    for (DWORD line = 0; line < lines; ++line)
        m_lbDump.AddString(ImageLine(image, length, line * bytesPerLine));
    m_lbDump.SetRedraw(TRUE);
}
