// The bookkeeping shared by the target families that load Intel HEX files into theIntelHex:
// one module list and one loaded flag per module, the flat image built for viewing, clearing,
// the load that changes nothing unless it is accepted whole, and the buffer file. What the
// modules are, how a file is split over them and what refuses it stay with each family.
#pragma once

#include <algorithm>
#include <memory>

#include "image/IntelHex.h"
#include "platform/ui/UiServices.h"
#include "targets/TargetBase.h"

// N module lists; a family offers GetModuleCount() of them as modules, never more than N.
template <int N>
class CIntelHexTarget : public CTargetBase {
public:
    static constexpr int kListCount = N;

    // TRUE when `module` is one of the GetModuleCount() modules and holds data.
    BOOL IsModuleLoaded(int module) override { return IsModule(module) ? m_bLoaded[module] : FALSE; }
    // Deletes the records of one module, or with -1 every record of the store (other targets'
    // too: the store holds the current target's data only) and empties every list.
    void ClearModule(int module) override;
    // The whole store as Intel HEX after the overlap check, gaps and all-0xFF lines left out.
    BOOL SaveBuffer(const CString& path) override { return SaveStoreAsHex(path); }
    int HasOptions() override { return 1; }

protected:
    CIntelHexTarget(BYTE id, CString name, CString description) : CTargetBase(id, name, description) {}

    BOOL IsModule(int module) { return module >= 0 && module < N && module < GetModuleCount(); }

    // Reads `path` into list `list` at `base` and has the family split and judge it. A file
    // that the reader rejects, or that SplitFile refuses (its text shown with an OK button),
    // takes back every record it added and every flag it changed: the target is as it was. An
    // accepted file goes on to AcceptFile. TRUE when accepted.
    BOOL LoadHexFile(int list, DWORD base, const CString& path);
    // Moves the records just read into `list` to the modules they belong to, setting their
    // flags; the text that refuses the file, or NULL. Records of earlier loads never straddle a
    // window edge or lie outside their window's list, so only this file's records move.
    virtual LPCSTR SplitFile(int list) = 0;
    // What an accepted file changes beyond its records and the flags SplitFile set.
    virtual void AcceptFile(int list) = 0;

    // Rebuilds m_pImage as the flat image of the whole store, even offsets `evenFill` and odd
    // ones `oddFill`, and m_dwImageLength as its length. NULL when `module` is neither -1 nor
    // a loaded module, or when the image cannot be built.
    BYTE* BuildStoreImage(int module, BYTE oddFill, BYTE evenFill);
    void FreeImage()
    {
        m_pImage.reset();
        m_dwImageLength = 0;
    }

    HexRecord* m_pModules[N] = {};
    BOOL m_bLoaded[N] = {};
    // The last image built for viewing; what GetModuleImage hands out stays valid until the
    // next build, a refused view or the target's end.
    std::unique_ptr<BYTE[]> m_pImage;
    DWORD m_dwImageLength = 0;
};

template <int N>
void CIntelHexTarget<N>::ClearModule(int module)
{
    if (IsModule(module)) {
        theIntelHex.DeleteRecords(&m_pModules[module]);
        m_pModules[module] = NULL;
        m_bLoaded[module] = FALSE;
        return;
    }
    if (module != -1)
        return;
    theIntelHex.DeleteRecords(NULL);
    std::fill(m_pModules, m_pModules + N, nullptr);
    std::fill(m_bLoaded, m_bLoaded + N, FALSE);
}

template <int N>
BOOL CIntelHexTarget<N>::LoadHexFile(int list, DWORD base, const CString& path)
{
    HexRecord* const newestBefore = theIntelHex.m_pNewest;
    BOOL loadedBefore[N];
    std::copy(m_bLoaded, m_bLoaded + N, loadedBefore);
    // The reader takes back its own records when it rejects a file.
    if (!theIntelHex.ReadFile(path, &m_pModules[list], base))
        return FALSE;
    if (LPCSTR refusal = SplitFile(list)) {
        AfxMessageBox(refusal, MB_OK);
        theIntelHex.DeleteRecordsNewerThan(newestBefore);
        std::copy(loadedBefore, loadedBefore + N, m_bLoaded);
        return FALSE;
    }
    AcceptFile(list);
    return TRUE;
}

template <int N>
BYTE* CIntelHexTarget<N>::BuildStoreImage(int module, BYTE oddFill, BYTE evenFill)
{
    if (module != -1 && !IsModuleLoaded(module))
        return NULL;
    FreeImage();
    m_pImage = theIntelHex.BuildImage(oddFill, evenFill);
    if (!m_pImage)
        return NULL;
    m_dwImageLength = theIntelHex.GetEndAddress(NULL);
    return m_pImage.get();
}
