// Buffer viewer on the largest image a registered target can hold (about 15.7 MB): how long
// until the dump is ready, how much memory the viewer adds, how long showing and painting the
// window takes, and how long reading every line back takes (what scrolling through the whole
// dump costs at most).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include "app/ViewBuffer.h"
#include "platform/qt/QtBackend.h"
#include "platform/wnd/ListBox.h"
#include "platform/testing/ModalScript.h"
#include "res/resource.h"
#include "tests/support/RecordingTarget.h"

namespace {

const DWORD kImageBytes = 0xF00000 + 0x10000 - 7;  // ends a little above 0xF00000, odd tail

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmRSS:" && status >> value)
            return value;
        std::getline(status, key);
    }
    return -1;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    CQtBackend backend;

    CRecordingTarget target(0x7E, "Viewer Bench Target");
    std::vector<BYTE>& image = target.m_images[0];
    image.resize(kImageBytes);
    for (DWORD i = 0; i < kImageBytes; ++i)
        image[i] = (BYTE)(i * 7 + (i >> 8));

    long before = ResidentKilobytes();
    double readySeconds = 0, readAllSeconds = 0, paintSeconds = 0;
    long during = 0;
    int lines = 0;
    auto start = std::chrono::steady_clock::now();
    {
        CModalScript script;
        script.Expect(IDD_VIEW_BUFFER, [&](CDialog& dialog) {
            readySeconds = SecondsSince(start);
            during = ResidentKilobytes();
            auto paintStart = std::chrono::steady_clock::now();
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->windowTitle() == "View Buffer Contents") {
                    window->show();
                    QApplication::processEvents();
                    window->grab();
                }
            }
            paintSeconds = SecondsSince(paintStart);
            CListBox* list = (CListBox*)dialog.GetDlgItem(IDC_VIEW_LIST);
            lines = list->GetCount();
            auto readStart = std::chrono::steady_clock::now();
            CString text;
            size_t total = 0;
            for (int i = 0; i < lines; ++i)
                total += list->GetText(i, text);
            readAllSeconds = SecondsSince(readStart);
            if (total == 0)
                std::puts("no text");
            dialog.EndDialog(IDCANCEL);
        });
        CViewBuffer viewer(&target, 1);
        viewer.DoModal();
    }
    std::printf("image bytes          %lu\n", (unsigned long)kImageBytes);
    std::printf("lines                %d\n", lines);
    std::printf("dump ready           %.3f s (goal < 1 s)\n", readySeconds);
    std::printf("memory added         %.1f MB (goal < 200 MB)\n", (during - before) / 1024.0);
    std::printf("show and paint       %.3f s\n", paintSeconds);
    std::printf("read every line      %.3f s\n", readAllSeconds);
    return readySeconds < 1.0 && (during - before) < 200 * 1024 ? 0 : 1;
}
