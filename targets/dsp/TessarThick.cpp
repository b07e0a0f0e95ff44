#include "targets/dsp/TessarThick.h"

#include <cstring>

#include "app/QuilletApp.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/ProgressCtrl.h"
#include "targets/dsp/TessarThickOptions.h"

namespace {

const int kPieceChars = 64;
const DWORD kWordsPerPiece = kPieceChars / 4;
const int kAddressChars = 4;
const BYTE kCommand = '#';
const BYTE kPrompt = '>';
const BYTE kPieceAccepted = '.';
const BYTE kJumped = '!';
const char kJumpCount[] = "0000";
const char kDefaultJumpAddress[] = "4200";

}  // namespace

CTessarThick::CTessarThick(BYTE id, CString name, CString description, WORD model)
    : CTessarTarget(id, name, description, model), m_strJumpAddress(kDefaultJumpAddress), m_dwOptions(1)
{
    for (int area = 0; area < areaCount; ++area)
        m_bAreaLoaded[area] = FALSE;
}

// --- Settings ---

int CTessarThick::LoadOptions()
{
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return 1;

    // Room for four characters and the zero; a longer value does not fit and is ignored, and
    // one stored without its zero still ends within the buffer.
    char address[kAddressChars + 1] = {};
    DWORD size = sizeof address;
    CString name = m_strModelName + " Jmp Addr";
    if (RegQueryValueEx(key, name, NULL, NULL, (LPBYTE)address, &size) == ERROR_SUCCESS) {
        size_t length = strnlen(address, size < sizeof address ? size : sizeof address);
        if (length <= (size_t)kAddressChars)
            m_strJumpAddress = CString(address, (int)length);
    }

    DWORD options = 0;
    size = sizeof options;
    name = m_strModelName + "_Options";
    if (RegQueryValueEx(key, name, NULL, NULL, (LPBYTE)&options, &size) == ERROR_SUCCESS && size == sizeof options)
        m_dwOptions = options;
    return 1;
}

void CTessarThick::SaveOptions()
{
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return;
    CString name = m_strModelName + " Jmp Addr";
    RegSetValueEx(key, name, 0, REG_SZ, (const BYTE*)m_strJumpAddress.GetString(),
                  (DWORD)m_strJumpAddress.GetLength() + 1);
    name = m_strModelName + "_Options";
    RegSetValueEx(key, name, 0, REG_DWORD, (const BYTE*)&m_dwOptions, sizeof m_dwOptions);
}

int CTessarThick::HasOptions()
{
    return 1;
}

int CTessarThick::ShowOptions()
{
    CTessarThickOptions dialog(this, NULL);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

// --- Programming ---

BOOL CTessarThick::Program(CString resource, CString* message)
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
    if (!m_Comms.Open(CCommsBase::typeSerialFast, resource) || !m_Comms.SetHandshake(FALSE)) {
        *message = "Unable to open specified communications resource";
    } else {
        ok = DownloadLoadedAreas(kWordsPerPiece);
        if (!ok) {
            *message = "Unable to program device";
        } else if (m_dwOptions != 0 && !Jump()) {
            *message = "Programming complete\nBut unable to jump to specified address";
            ok = FALSE;
        } else {
            *message = "Programming complete";
        }
    }
    m_Comms.Close();
    return ok;
}

BOOL CTessarThick::DownloadArea(int area, CProgressCtrl* progress)
{
    if (!IsArea(area) || !SendCommand())
        return FALSE;
    // Count and start address go unanswered; the stub answers each piece of the text.
    CString header;
    header.Format("%04X%04X", (unsigned)(m_nAreaWords[area] & 0xFFFF), (unsigned)(m_nAreaFirst[area] & 0xFFFF));
    if (!SendText(header))
        return FALSE;

    const CString& text = m_strAreaData[area];
    const int total = (int)(4 * m_nAreaWords[area]);
    // The loaded flag promises this, but nothing below may read past the text.
    if (text.GetLength() < total)
        return FALSE;
    for (int sent = 0; sent < total; sent += kPieceChars) {
        DWORD length = kPieceChars;
        if (!m_Comms.Write((const BYTE*)text.GetString() + sent, length) || !Expect(kPieceAccepted))
            return FALSE;
        if (progress)
            progress->StepIt();
    }
    return TRUE;
}

BOOL CTessarThick::Jump()
{
    if (!SendCommand() || !SendText(kJumpCount))
        return FALSE;
    CString address = m_strJumpAddress.Left(kAddressChars);
    while (address.GetLength() < kAddressChars)
        address.Insert(0, "0");
    // The stub echoes each character; its echo is the only check the address gets.
    for (int i = 0; i < kAddressChars; ++i) {
        if (!m_Comms.WriteByte((BYTE)address[i]) || !Expect((BYTE)address[i]))
            return FALSE;
    }
    return Expect(kJumped);
}

BOOL CTessarThick::SendCommand()
{
    return m_Comms.WriteByte(kCommand) && Expect(kPrompt);
}

BOOL CTessarThick::Expect(BYTE wanted)
{
    BYTE answer = 0;
    return m_Comms.ReadByte(&answer) && answer == wanted;
}

BOOL CTessarThick::SendText(const CString& text)
{
    DWORD length = (DWORD)text.GetLength();
    return m_Comms.Write((const BYTE*)text.GetString(), length);
}
