#include "targets/dsp/Tessareeprom.h"

#include "platform/ui/UiServices.h"
#include "platform/wnd/ProgressCtrl.h"

namespace {

const DWORD kBlockBytes = 128;
const int kBlockChars = 2 * kBlockBytes;
const DWORD kWordsPerBlock = kBlockBytes / 2;
const BYTE kAreaCommand = '#';
const BYTE kBlockAccepted = '.';

}  // namespace

CTessarEeprom::CTessarEeprom(BYTE id, CString name, CString description, WORD model)
    : CTessarTarget(id, name, description, model)
{
    for (int area = 0; area < areaCount; ++area)
        m_bAreaLoaded[area] = FALSE;
}

BOOL CTessarEeprom::GetModuleName(CString& name, int area)
{
    name.Empty();
    if (area == areaPram) {
        name.Format("PRAM: 0x%X - 0x%X", (unsigned)m_nAreaFirst[area], (unsigned)m_nAreaLast[area]);
        return TRUE;
    }
    if (area == areaXram) {
        name.Format("XRAM: 0x%X - 0x%X", (unsigned)m_nAreaFirst[area], (unsigned)m_nAreaLast[area]);
        return TRUE;
    }
    return FALSE;
}

int CTessarEeprom::GetModuleCount()
{
    return 2;
}

BOOL CTessarEeprom::GetFileFilter(CString& filter)
{
    filter = "tessasm PRAM and XRAM Files (*.p; *.x)|*.p;*.x|tessasm PRAM Files (*.p)|*.p|"
             "tessasm XRAM Files (*.x)|*.x|";
    return TRUE;
}

BOOL CTessarEeprom::Program(CString resource, CString* message)
{
    CString ignored;
    if (!message)
        message = &ignored;
    CWaitCursor wait;
    if (!IsKnownModel()) {
        *message = "Unable to program device";
        return FALSE;
    }

    BOOL ok = FALSE;
    if (!m_Comms.Open(CCommsBase::typeSerialFast, resource) || !m_Comms.SetHandshake(TRUE)) {
        *message = "Unable to open specified communications resource";
    } else {
        ok = DownloadLoadedAreas(kWordsPerBlock);
        *message = ok ? "Programming complete" : "Unable to program device";
    }
    m_Comms.Close();
    return ok;
}

BOOL CTessarEeprom::DownloadArea(int area, CProgressCtrl* progress)
{
    if (!m_Comms.WriteByte(kAreaCommand))
        return FALSE;
    BYTE letter = area == areaPram ? 'P' : area == areaXram ? 'X' : 0;
    if (letter == 0 || !m_Comms.WriteByte(letter))
        return FALSE;

    // The loader answers with its EEPROM size for the area; the host checks it against the
    // area in words, as the board counts it, in two halvings that each drop the remainder.
    BYTE size[2] = {0, 0};
    DWORD count = sizeof size;
    if (!m_Comms.Read(size, count))
        return FALSE;
    DWORD words = ((DWORD)size[0] * 512 + size[1]) / 2 / 2;
    if (words != m_nAreaWords[area])
        return FALSE;

    const CString& text = m_strAreaData[area];
    const int total = (int)(4 * m_nAreaWords[area]);
    // The loaded flag promises this, but nothing below may read past the text.
    if (text.GetLength() < total)
        return FALSE;
    BYTE block[kBlockBytes];
    for (int sent = 0; sent < total; sent += kBlockChars) {
        for (DWORD i = 0; i < kBlockBytes; ++i) {
            DWORD value = 0;
            // Validated when it was loaded.
            ParseHex(text.Mid(sent + 2 * (int)i, 2), &value);
            block[i] = (BYTE)value;
        }
        DWORD length = kBlockBytes;
        BYTE answer = 0;
        if (!m_Comms.Write(block, length) || !m_Comms.ReadByte(&answer) || answer != kBlockAccepted)
            return FALSE;
        if (progress)
            progress->StepIt();
    }
    return TRUE;
}

BOOL CTessarEeprom::ParseHex(CString text, DWORD* value)
{
    if (!value)
        return FALSE;
    *value = 0;
    if (text.IsEmpty())
        return FALSE;
    text.MakeLower();
    for (int i = 0; i < text.GetLength(); ++i) {
        char ch = text[i];
        DWORD digit;
        if (ch >= '0' && ch <= '9')
            digit = (DWORD)(ch - '0');
        else if (ch >= 'a' && ch <= 'f')
            digit = (DWORD)(ch - 'a' + 10);
        else
            return FALSE;
        *value = *value * 16 + digit;
    }
    return TRUE;
}
