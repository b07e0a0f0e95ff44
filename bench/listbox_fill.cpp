// Fills the buffer viewer's sorted list box with a million 76-character dump lines, the way
// the viewer does (redraw off, in offset order), and reports the time and the memory added.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/qt/QtBackend.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListBox.h"
#include "platform/testing/ModalScript.h"
#include "res/resource.h"

namespace {

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void PutHex(char*& out, unsigned value, int digits)
{
    static const char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        *out++ = kDigits[(value >> shift) & 0xF];
}

// The dump's shape: offset, 16 hex bytes, "- ", 16 characters. Formatted by hand so that the
// figure measures the list box rather than printf.
void FormatLine(char* out, unsigned offset)
{
    *out++ = '0';
    *out++ = 'x';
    PutHex(out, offset, 6);
    *out++ = ':';
    *out++ = ' ';
    for (int i = 0; i < 16; ++i) {
        PutHex(out, (offset + i) & 0xFF, 2);
        *out++ = ' ';
    }
    *out++ = '-';
    *out++ = ' ';
    for (int i = 0; i < 16; ++i)
        *out++ = (char)('A' + (offset + i) % 26);
    *out = '\0';
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    CQtBackend backend;
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;

    CModalScript script;
    script.Expect(IDD_VIEW_BUFFER, [lines](CDialog& dialog) {
        CListBox list;
        list.Attach(dialog.GetDlgItem(IDC_VIEW_LIST)->m_hWnd);
        long before = ResidentKilobytes();
        auto start = std::chrono::steady_clock::now();
        char line[80];
        list.ResetContent();
        list.InitStorage(lines, 75u * (unsigned)lines);
        list.SetRedraw(FALSE);
        for (int i = 0; i < lines; ++i) {
            FormatLine(line, (unsigned)i * 16u);
            list.AddString(line);
        }
        list.SetRedraw(TRUE);
        QApplication::processEvents();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long after = ResidentKilobytes();
        CString last;
        list.GetText(list.GetCount() - 1, last);
        printf("lines %d, line length %d\n", list.GetCount(), last.GetLength());
        printf("fill time %.3f s\n", seconds);
        printf("memory added %.1f MB\n", (after - before) / 1024.0);
        list.Detach();
        dialog.EndDialog(IDOK);
    });
    CDialog dialog(IDD_VIEW_BUFFER);
    dialog.DoModal();
    return 0;
}
