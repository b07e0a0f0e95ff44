#include "targets/hyice/hyICEFlashOptions.h"

#include "app/QuilletApp.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/hyice/hyICEFlash.h"

BEGIN_MESSAGE_MAP(CHyICEFlashOptions, CHelpDlg)
END_MESSAGE_MAP()

CHyICEFlashOptions::CHyICEFlashOptions(CHyICEFlash* target, CWnd* parent)
    : CHelpDlg(IDD_HYICE_OPTIONS, parent), m_pTarget(target)
{
}

CHyICEFlashOptions::~CHyICEFlashOptions() {}

void CHyICEFlashOptions::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HYICE_VERIFY, m_ctlVerify);
    DDX_Control(pDX, IDC_HYICE_SERIAL, m_ctlSerial);
    DDX_Control(pDX, IDC_HYICE_DEFAULT, m_ctlDefault);
    DDX_Control(pDX, IDC_HYICE_SEGMENT, m_ctlSegment);
    DDX_Text(pDX, IDC_HYICE_SERIAL, m_strSerialText);
    // Loading the field also limits what can be typed into it.
    if (!pDX->m_bSaveAndValidate)
        m_ctlSerial.LimitText(CHyICEFlash::kSerialLength);
    DDX_Check(pDX, IDC_HYICE_SEGMENT, m_bSegment);
    DDX_Check(pDX, IDC_HYICE_DEFAULT, m_bDefault);
    DDX_Check(pDX, IDC_HYICE_VERIFY, m_bVerify);
}

BOOL CHyICEFlashOptions::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    m_bDefault = m_pTarget && (theApp.m_dwOptions & 0xFF) == m_pTarget->GetId();
    if (m_pTarget)
        m_pTarget->GetOptions(&m_wOptions, &m_strSerial);
    else
        m_wOptions = 0;
    UpdateControls();
    return TRUE;
}

void CHyICEFlashOptions::UpdateControls()
{
    m_ctlVerify.SetCheck((m_wOptions & CHyICEFlash::optionVerify) ? BST_CHECKED : BST_UNCHECKED);
    m_ctlSegment.SetCheck((m_wOptions & CHyICEFlash::optionSegmentPrompt) ? BST_CHECKED : BST_UNCHECKED);
    BOOL serial = (m_wOptions & CHyICEFlash::optionSerialNumber) != 0;
    m_ctlSerial.SetWindowText(serial ? (LPCSTR)m_strSerial : "");
    m_ctlSerial.EnableWindow(serial);
    m_ctlDefault.SetCheck(m_bDefault ? BST_CHECKED : BST_UNCHECKED);
}

void CHyICEFlashOptions::OnOK()
{
    UpdateData(TRUE);
    const WORD edited = CHyICEFlash::optionVerify | CHyICEFlash::optionSegmentPrompt;
    m_wOptions = (WORD)((m_wOptions & ~edited) | (m_bVerify ? CHyICEFlash::optionVerify : 0) |
                        (m_bSegment ? CHyICEFlash::optionSegmentPrompt : 0));
    if (m_wOptions & CHyICEFlash::optionSerialNumber) {
        if (m_strSerialText.GetLength() != CHyICEFlash::kSerialLength) {
            CString text;
            text.Format("Serial Number must be %d characters long", CHyICEFlash::kSerialLength);
            AfxMessageBox(text, MB_OK);
            return;
        }
        m_strSerial = m_strSerialText;
    }
    if (m_pTarget) {
        m_pTarget->SetOptions(m_wOptions, m_strSerial);
        int id = m_pTarget->GetId();
        theApp.SaveAppOptions(m_bDefault == 1 ? id : -id);
    }
    EndDialog(IDOK);
}
