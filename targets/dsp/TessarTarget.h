// The common base of the Tessar DSP targets. It holds the DSP's three memory areas, PRAM,
// XRAM and DRAM, as the hexadecimal text of tessasm listing files (one file per area), names
// them, routes a file to its area by its name and offers the fast serial ports. The downloads
// belong to the subclasses; this base programs nothing.
//
// No Tessar target is registered: whoever constructs one supplies its type id, names and model.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "targets/TargetBase.h"

class CTessarTarget : public CTargetBase {
public:
    enum {
        areaPram = 0,
        areaXram = 1,
        areaDram = 2,
        areaCount = 3,
    };
    // A listing larger than this is refused before it is read.
    static const DWORD kListingBufferSize = 300000;

    // `model` 1 or 2 chooses the area table. Any other model leaves every area empty (no
    // words, no addresses): such a target loads nothing and programs nothing.
    CTessarTarget(BYTE id, CString name, CString description, WORD model);

    // Reads nothing; 1, so the main dialog enables the resource list and Load File.
    int LoadOptions() override;
    // Empties `name`; for an area, "PRAM: 0x%04X - 0x%04X" and the like with its first and
    // last word address, and TRUE. There is no whole-buffer entry: -1 gives FALSE.
    BOOL GetModuleName(CString& name, int area) override;
    int GetModuleCount() override;
    // By the first of ".x", ".p", ".d" found anywhere in the path (case-sensitive, in that
    // order): XRAM, PRAM, DRAM; -1 for none.
    int SelectModuleForFile(const CString& path) override;
    BOOL IsModuleLoaded(int area) override;
    // Reads one listing file into the area. An unreadable file shows "Unable to open
    // download file" with the path and the system's reason under it; any file that fails,
    // also one that is too large or does not parse, leaves the area as it was.
    BOOL LoadModule(int area, const CString& path) override;
    BOOL CanProgram() override;
    // -1 clears every area; a number that names no area clears nothing. The texts stay and
    // are ignored until the next load.
    void ClearModule(int area) override;
    // COM1: to COM4: at 115200 baud.
    BOOL GetResourceName(int index, CString& name) override;
    BOOL GetFileFilter(CString& filter) override;

    // Checks `length` bytes of listing text against the area's word count and, only on
    // success, replaces the area's text with the words' digits (four per word, as written).
    // Never reads outside text[0 .. length).
    BOOL ParseAsmFile(const char* text, int length, int area);

    WORD GetModel() const { return m_nModel; }

protected:
    static BOOL IsArea(int area) { return area >= 0 && area < areaCount; }
    BOOL IsKnownModel() const { return m_nModel == 1 || m_nModel == 2; }
    // Sum of words / `wordsPerStep` over the loaded areas: the progress range of a download.
    WORD CountLoadedSteps(DWORD wordsPerStep) const;
    // Sends every loaded area in order through DownloadArea, with the progress bar (when
    // there is a main dialog) ranged over CountLoadedSteps (wordsPerStep). FALSE at the first
    // area that fails.
    BOOL DownloadLoadedAreas(DWORD wordsPerStep);
    // One area over the open port; the download's own protocol. The base sends nothing.
    virtual BOOL DownloadArea(int area, CProgressCtrl* progress);

    BYTE m_nTargetId;
    CString m_strAreaData[areaCount];
    DWORD m_nAreaWords[areaCount];
    DWORD m_nAreaFirst[areaCount];
    DWORD m_nAreaLast[areaCount];
    BOOL m_bAreaLoaded[areaCount];
    WORD m_nModel;
    CString m_strModelName;
    CString m_strDescription;
};
