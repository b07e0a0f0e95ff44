#include "platform/qt/DialogWindowPeer.h"

#include <QApplication>
#include <cmath>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QWhatsThis>

#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/Edit.h"
#include "platform/wnd/ListBox.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/Static.h"
#include "platform/qt/ListBoxView.h"
#include "platform/qt/ProgressBarWidget.h"
#include "platform/qt/QtWaitCursorLift.h"
#include "platform/qt/WidgetHandle.h"

namespace {

const char kIdProperty[] = "quilletId";
const char kStyleProperty[] = "quilletStyle";
const char kKindProperty[] = "quilletKind";

bool IsRadio(ControlKind kind)
{
    return kind == ControlKind::RadioButton || kind == ControlKind::AutoRadioButton;
}

// The Windows dialog fonts mapped to what a Linux desktop has: the system sans for the
// proportional faces, the system fixed-pitch face for the Courier family.
QFont DialogFont(const char* name, int pointSize)
{
    QString face = QString::fromUtf8(name ? name : "");
    bool fixed = face.contains(QLatin1String("Courier"), Qt::CaseInsensitive) ||
                 face.contains(QLatin1String("Fixed"), Qt::CaseInsensitive) ||
                 face.contains(QLatin1String("Terminal"), Qt::CaseInsensitive);
    QFont font = QFontDatabase::systemFont(fixed ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
    if (fixed) {
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
    }
    font.setPointSize(pointSize > 0 ? pointSize : 8);
    return font;
}

int MulDiv(int value, int numerator, int denominator)
{
    long long product = (long long)value * numerator;
    long long half = denominator / 2;
    return (int)(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

CDialogWindowPeer::CDialogWindowPeer(CDialog* owner, const DialogTemplate& tpl, QWidget* parent)
    : QDialog(parent), m_pOwner(owner), m_template(tpl)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl.style & DLG_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl.style & DLG_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (tpl.style & DLG_CONTEXTHELP)
        flags |= Qt::WindowContextHelpButtonHint;
    setWindowFlags(flags);
    setWindowTitle(QString::fromUtf8(tpl.caption ? tpl.caption : ""));
    setModal(true);
    m_font = DialogFont(tpl.fontName, tpl.pointSize);
    setFont(m_font);
    ComputeBaseUnits();
    Build();
    LayOut();
    ResetSystemMenu();
    qApp->installEventFilter(this);
}

CDialogWindowPeer::~CDialogWindowPeer()
{
    qApp->removeEventFilter(this);
    SetContextHelpMode(false);
    DetachAll();
}

void CDialogWindowPeer::ComputeBaseUnits()
{
    // The Win32 definition: average width of the 52 letters, rounded; height of the font.
    QFontMetrics metrics(m_font);
    int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    int average = (width / 26 + 1) / 2;
    if (average > 0)
        m_baseX = average;
    if (metrics.height() > 0)
        m_baseY = metrics.height();
}

QRect CDialogWindowPeer::DialogUnitsToPixels(int x, int y, int cx, int cy) const
{
    auto across = [this](int units) { return (int)std::lround(units * m_baseX * m_scaleX / 4.0); };
    int left = across(x);
    int top = MulDiv(y, m_baseY, 8);
    int right = across(x + cx);
    int bottom = MulDiv(y + cy, m_baseY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QWidget* CDialogWindowPeer::CreateWidget(const ControlTemplate& tpl)
{
    QString text = QString::fromUtf8(tpl.text ? tpl.text : "");
    switch (tpl.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(true);
        button->setDefault(tpl.kind == ControlKind::DefPushButton);
        return button;
    }
    case ControlKind::CheckBox:
    case ControlKind::AutoCheckBox: return new QCheckBox(text, this);
    case ControlKind::RadioButton:
    case ControlKind::AutoRadioButton: {
        auto* radio = new QRadioButton(text, this);
        radio->setAutoExclusive(false);  // groups follow the template, not the parent
        return radio;
    }
    case ControlKind::GroupBox: return new QGroupBox(text, this);
    case ControlKind::Static:
    case ControlKind::StaticCenter:
    case ControlKind::StaticRight: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        Qt::Alignment horizontal = tpl.kind == ControlKind::StaticCenter  ? Qt::AlignHCenter
                                   : tpl.kind == ControlKind::StaticRight ? Qt::AlignRight
                                                                          : Qt::AlignLeft;
        label->setAlignment(horizontal | Qt::AlignTop);
        if (tpl.style & CTL_BORDER)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, this);
        edit->setReadOnly((tpl.style & CTL_READONLY) != 0);
        edit->setFrame((tpl.style & CTL_BORDER) != 0);
        if (tpl.style & CTL_PASSWORD)
            edit->setEchoMode(QLineEdit::Password);
        return edit;
    }
    case ControlKind::ComboDropDownList: {
        auto* combo = new QComboBox(this);
        combo->setEditable(false);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case ControlKind::ListBox: return new CListBoxView(tpl.style, m_baseX, this);
    case ControlKind::ProgressBar: return new CProgressBarWidget(this);
    }
    return new QWidget(this);
}

void CDialogWindowPeer::Build()
{
    for (const ControlTemplate& tpl : m_template.controls) {
        auto control = std::make_unique<Control>();
        control->tpl = &tpl;
        QWidget* widget = CreateWidget(tpl);
        widget->setProperty(kIdProperty, tpl.id);
        widget->setProperty(kStyleProperty, (uint)tpl.style);
        widget->setProperty(kKindProperty, (int)tpl.kind);
        if (tpl.kind == ControlKind::ComboDropDownList) {
            // The template height is that of the opened list; the closed box is one line.
            auto* combo = static_cast<QComboBox*>(widget);
            int closed = combo->sizeHint().height();
            int rows = (DialogUnitsToPixels(0, 0, 0, tpl.cy).height() - closed) / std::max(1, m_baseY);
            combo->setMaxVisibleItems(std::max(1, rows));
            QAbstractItemModel* items = combo->model();
            auto fit = [this, combo, &tpl] { FitComboToItems(combo, tpl); };
            connect(items, &QAbstractItemModel::rowsInserted, combo, fit);
            connect(items, &QAbstractItemModel::dataChanged, combo, fit);
        }
        if (tpl.style & CTL_DISABLED)
            widget->setEnabled(false);
        if (tpl.style & CTL_HIDDEN)
            widget->setVisible(false);
        bool focusable = (tpl.style & CTL_TABSTOP) != 0;
        if (!focusable && tpl.kind != ControlKind::Static && tpl.kind != ControlKind::StaticCenter &&
            tpl.kind != ControlKind::StaticRight && tpl.kind != ControlKind::GroupBox &&
            tpl.kind != ControlKind::ProgressBar)
            widget->setFocusPolicy(Qt::ClickFocus);
        control->widget = widget;
        m_controls.push_back(std::move(control));
    }
    QWidget* previous = nullptr;
    for (auto& control : m_controls) {
        if (control->widget->focusPolicy() != Qt::NoFocus) {
            if (previous)
                setTabOrder(previous, control->widget);
            previous = control->widget;
        }
        Connect(*control);
    }
    SetMnemonicBuddies();
}

QRect CDialogWindowPeer::TemplateRect(const Control& control) const
{
    const ControlTemplate& tpl = *control.tpl;
    QRect rect = DialogUnitsToPixels(tpl.x, tpl.y, tpl.cx, tpl.cy);
    if (tpl.kind == ControlKind::ComboDropDownList)
        rect.setHeight(control.widget->sizeHint().height());
    return rect;
}

int CDialogWindowPeer::TextWidthNeeded(QWidget* widget)
{
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        // A push button's size hint has a minimum width of the style's; only the label counts.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
        return button->width() - room + button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
    }
    if (qobject_cast<QGroupBox*>(widget))
        return widget->minimumSizeHint().width();
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLabel*>(widget))
        return widget->sizeHint().width();
    return 0;
}

void CDialogWindowPeer::LayOut()
{
    // A second pass at most: the first one's scale makes every text fit its template width.
    for (int pass = 0; pass < 2; ++pass) {
        QRect client = DialogUnitsToPixels(0, 0, m_template.cx, m_template.cy);
        setFixedSize(client.width(), client.height());
        for (auto& control : m_controls)
            control->widget->setGeometry(TemplateRect(*control));
        double scale = FitTexts();
        if (scale <= 1.0)
            break;
        m_scaleX *= scale;
    }
}

// The templates were laid out for a font whose texts run narrower than a Linux desktop's. A
// control whose text does not fit grows to the right, into the free room before its right-hand
// neighbour, the edge of its group box or the dialog's edge, keeping a small gap. Returns 1,
// or, when some text cannot get its room so, the factor by which the dialog's horizontal unit
// must grow for it to fit.
double CDialogWindowPeer::FitTexts()
{
    std::vector<QRect> placed;
    for (const auto& control : m_controls)
        placed.push_back(control->widget->geometry());
    int gap = DialogUnitsToPixels(0, 0, 2, 0).width();
    double scale = 1.0;
    for (size_t i = 0; i < m_controls.size(); ++i) {
        QWidget* widget = m_controls[i]->widget;
        const QRect& rect = placed[i];
        int needed = TextWidthNeeded(widget);
        if (needed <= rect.width())
            continue;
        int limit = width() - gap;
        for (size_t j = 0; j < placed.size(); ++j) {
            const QRect& other = placed[j];
            if (j == i)
                continue;
            if (m_controls[j]->tpl->kind == ControlKind::GroupBox && other.contains(rect))
                limit = std::min(limit, other.x() + other.width() - gap);
            else if (other.top() <= rect.bottom() && other.bottom() >= rect.top() &&
                     other.x() >= rect.x() + rect.width())
                limit = std::min(limit, other.x() - gap);
        }
        int grown = std::min(needed, limit - rect.x());
        if (grown > rect.width())
            widget->resize(grown, rect.height());
        if (grown < needed)
            scale = std::max(scale, (needed + 2.0) / std::max(1, rect.width()));
    }
    return scale;
}

// The templates were laid out for a narrower font than a Linux desktop has. A drop-down list
// grows to show its longest entry whole, and the dialog grows with it where the list would
// pass its right edge, keeping the template's margin there. Neither ever shrinks.
void CDialogWindowPeer::FitComboToItems(QComboBox* combo, const ControlTemplate& tpl)
{
    QFontMetrics metrics(combo->font());
    int widest = 0;
    for (int index = 0; index < combo->count(); ++index)
        widest = std::max(widest, metrics.horizontalAdvance(combo->itemText(index)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    QSize text(widest, metrics.height());
    int needed = combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, combo).width();
    if (needed <= combo->width())
        return;
    combo->resize(needed, combo->height());
    int margin = std::max(0, DialogUnitsToPixels(0, 0, m_template.cx - tpl.x - tpl.cx, 0).width());
    int right = combo->x() + needed + margin;
    if (right > width())
        setFixedSize(right, height());
}

void CDialogWindowPeer::SetMnemonicBuddies()
{
    // A label's mnemonic moves the focus to the next control that can take it.
    for (size_t i = 0; i < m_controls.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(m_controls[i]->widget);
        if (!label || !label->text().contains(QLatin1Char('&')))
            continue;
        for (size_t j = i + 1; j < m_controls.size(); ++j)
            if (m_controls[j]->widget->focusPolicy() != Qt::NoFocus) {
                label->setBuddy(m_controls[j]->widget);
                break;
            }
    }
}

void CDialogWindowPeer::Connect(Control& control)
{
    Control* target = &control;
    QPointer<CDialogWindowPeer> self(this);
    if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) {
        connect(button, &QAbstractButton::clicked, this, [self, target] {
            if (self)
                self->OnButtonClicked(*target);
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(control.widget)) {
        connect(combo, &QComboBox::activated, this, [self, target] {
            if (self)
                self->Notify(*target, CBN_SELCHANGE);
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control.widget)) {
        connect(edit, &QLineEdit::textChanged, this, [self, target] {
            if (self)
                self->Notify(*target, EN_CHANGE);
        });
    } else if (auto* list = qobject_cast<CListBoxView*>(control.widget)) {
        if (control.tpl->style & CTL_NOTIFY) {
            connect(list, &CListBoxView::UserSelectionChanged, this, [self, target] {
                if (self)
                    self->Notify(*target, LBN_SELCHANGE);
            });
            connect(list, &QAbstractItemView::doubleClicked, this, [self, target] {
                if (self)
                    self->Notify(*target, LBN_DBLCLK);
            });
        }
    }
}

void CDialogWindowPeer::OnButtonClicked(Control& control)
{
    auto* button = qobject_cast<QAbstractButton*>(control.widget);
    ControlKind kind = control.tpl->kind;
    if (button && (kind == ControlKind::CheckBox || kind == ControlKind::RadioButton)) {
        // Plain check boxes and radio buttons change only when the code says so.
        QSignalBlocker block(button);
        button->setChecked(!button->isChecked());
    } else if (button && kind == ControlKind::AutoRadioButton) {
        for (Control* other : RadioControls(control))
            if (other != &control)
                if (auto* radio = qobject_cast<QAbstractButton*>(other->widget))
                    radio->setChecked(false);
        button->setChecked(true);
    }
    Notify(control, BN_CLICKED);
}

void CDialogWindowPeer::Notify(const Control& control, int code)
{
    if (!m_pOwner)
        return;
    m_pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(control.tpl->id, code), (LPARAM)HandleOf(control.widget));
}

CDialogWindowPeer::Control* CDialogWindowPeer::FindControl(int id) const
{
    for (const auto& control : m_controls)
        if (control->tpl->id == id)
            return control.get();
    return nullptr;
}

CDialogWindowPeer::Control* CDialogWindowPeer::ControlOfWidget(QWidget* widget) const
{
    for (QWidget* w = widget; w && w != this; w = w->parentWidget())
        for (const auto& control : m_controls)
            if (control->widget == w)
                return control.get();
    return nullptr;
}

std::vector<CDialogWindowPeer::Control*> CDialogWindowPeer::RadioControls(const Control& control) const
{
    // A group runs from a control with the group style to the next one; only its radio
    // buttons take part.
    size_t at = 0;
    while (at < m_controls.size() && m_controls[at].get() != &control)
        ++at;
    if (at == m_controls.size())
        return {};
    size_t first = at;
    while (first > 0 && !(m_controls[first]->tpl->style & CTL_GROUP))
        --first;
    std::vector<Control*> group;
    for (size_t i = first; i < m_controls.size(); ++i) {
        if (i > first && (m_controls[i]->tpl->style & CTL_GROUP))
            break;
        if (IsRadio(m_controls[i]->tpl->kind))
            group.push_back(m_controls[i].get());
    }
    return group;
}

CWnd* CDialogWindowPeer::ObjectForControl(Control& control)
{
    if (CWnd* bound = CWnd::FromHandlePermanent(HandleOf(control.widget)))
        return bound;
    if (!control.temporary) {
        switch (control.tpl->kind) {
        case ControlKind::Static:
        case ControlKind::StaticCenter:
        case ControlKind::StaticRight: control.temporary = std::make_unique<CStatic>(); break;
        case ControlKind::Edit: control.temporary = std::make_unique<CEdit>(); break;
        case ControlKind::ComboDropDownList: control.temporary = std::make_unique<CComboBox>(); break;
        case ControlKind::ListBox: control.temporary = std::make_unique<CListBox>(); break;
        case ControlKind::ProgressBar: control.temporary = std::make_unique<CProgressCtrl>(); break;
        default: control.temporary = std::make_unique<CButton>(); break;
        }
        control.temporary->AttachTemporary(HandleOf(control.widget));
    }
    return control.temporary.get();
}

HWND CDialogWindowPeer::Handle()
{
    return HandleOf(this);
}

HWND CDialogWindowPeer::ControlHandle(int id) const
{
    Control* control = FindControl(id);
    return control ? HandleOf(control->widget) : NULL;
}

const ControlTemplate* CDialogWindowPeer::ControlTemplateOf(int id) const
{
    Control* control = FindControl(id);
    return control ? control->tpl : nullptr;
}

CWnd* CDialogWindowPeer::DlgItem(int id)
{
    Control* control = FindControl(id);
    return control ? ObjectForControl(*control) : NULL;
}

std::vector<HWND> CDialogWindowPeer::RadioGroup(int id) const
{
    std::vector<HWND> handles;
    if (Control* control = FindControl(id))
        for (Control* radio : RadioControls(*control))
            handles.push_back(HandleOf(radio->widget));
    return handles;
}

bool CDialogWindowPeer::ContextHelpClick(int id)
{
    Control* control = FindControl(id);
    if (!control || !m_contextHelp)
        return false;
    ContextHelpClick(control, control->widget->mapToGlobal(QPoint(1, 1)));
    return true;
}

void CDialogWindowPeer::FocusFirstControl()
{
    for (const auto& control : m_controls) {
        QWidget* widget = control->widget;
        if (widget->focusPolicy() & Qt::TabFocus && widget->isEnabled() && !widget->isHidden()) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

int CDialogWindowPeer::FocusedControlId() const
{
    Control* control = ControlOfWidget(focusWidget());
    return control ? control->tpl->id : 0;
}

void CDialogWindowPeer::DetachAll()
{
    for (auto& control : m_controls) {
        HWND handle = HandleOf(control->widget);
        if (CWnd* bound = CWnd::FromHandlePermanent(handle))
            bound->Detach();
        if (control->temporary) {
            control->temporary->AttachTemporary(NULL);
            control->temporary.reset();
        }
    }
}

void CDialogWindowPeer::ResetSystemMenu()
{
    m_systemMenu.RemoveAll();
    if (m_template.style & DLG_CONTEXTHELP)
        m_systemMenu.AppendMenu(MF_STRING, SC_CONTEXTHELP, "What's &This?\tShift+F1");
    m_systemMenu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
}

CMenu* CDialogWindowPeer::SystemMenu(bool revert)
{
    if (!(m_template.style & DLG_SYSMENU))
        return nullptr;
    if (revert) {
        ResetSystemMenu();
        return nullptr;
    }
    return &m_systemMenu;
}

QMenu* CDialogWindowPeer::PopupSystemMenu(const QPoint& globalPos)
{
    if (!(m_template.style & DLG_SYSMENU))
        return nullptr;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<CDialogWindowPeer> self(this);
    for (const CMenu::Item& item : m_systemMenu.Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(item.text.GetString()));
        action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        UINT_PTR id = item.id;
        // Queued, so the menu has closed before the command runs (it may open a dialog).
        connect(action, &QAction::triggered, this, [self, id] {
            QMetaObject::invokeMethod(
                qApp,
                [self, id] {
                    if (self && self->m_pOwner)
                        self->m_pOwner->SendMessage(WM_SYSCOMMAND, (WPARAM)id, 0);
                },
                Qt::QueuedConnection);
        });
    }
    menu->popup(globalPos);
    return menu;
}

void CDialogWindowPeer::SetContextHelpMode(bool on)
{
    if (on == m_contextHelp)
        return;
    m_contextHelp = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CDialogWindowPeer::ContextHelpClick(Control* control, const QPoint& globalPos)
{
    SetContextHelpMode(false);
    if (!control || !m_pOwner)
        return;
    HELPINFO info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = control->tpl->id;
    info.hItemHandle = (HANDLE)HandleOf(control->widget);
    info.dwContextId = control->tpl->helpId;
    info.MousePos = {globalPos.x(), globalPos.y()};
    m_pOwner->SendMessage(WM_HELP, 0, (LPARAM)&info);
}

void CDialogWindowPeer::HandleHelpKey(bool shift)
{
    if (!m_pOwner)
        return;
    MSG msg;
    msg.hwnd = HandleOf(this);
    msg.message = WM_KEYF1;
    if (m_pOwner->PreTranslateMessage(&msg))
        return;
    if (shift)
        m_pOwner->SendMessage(WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
    else
        m_pOwner->OnCommandHelp(0, 0);
}

bool CDialogWindowPeer::ActivateDefault()
{
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
        if (focused->isEnabled() && !focused->isHidden()) {
            focused->click();
            return true;
        }
    }
    for (auto& control : m_controls)
        if (control->tpl->kind == ControlKind::DefPushButton) {
            auto* button = qobject_cast<QPushButton*>(control->widget);
            if (button && button->isEnabled() && !button->isHidden()) {
                button->click();
                return true;
            }
            return false;
        }
    return false;
}

void CDialogWindowPeer::RequestClose()
{
    if (m_pOwner)
        m_pOwner->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CDialogWindowPeer::RequestCancel()
{
    if (m_pOwner)
        m_pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CDialogWindowPeer::reject()
{
    RequestCancel();
}

void CDialogWindowPeer::closeEvent(QCloseEvent* event)
{
    // Only EndDialog closes the window; the close box asks the dialog like Esc does.
    event->ignore();
    if (m_loopRunning)
        RequestClose();
}

int CDialogWindowPeer::RunLoop()
{
    m_loopRunning = true;
    CQtWaitCursorLift lift;
    int result = exec();
    // Context-help mode put its cursor above the lifted one, so it is taken back first.
    SetContextHelpMode(false);
    m_loopRunning = false;
    return result;
}

void CDialogWindowPeer::EndLoop(int result)
{
    if (m_loopRunning)
        done(result);
}

void CDialogWindowPeer::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ActivateDefault();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (m_contextHelp)
            SetContextHelpMode(false);
        else
            RequestCancel();
        event->accept();
        return;
    default: QDialog::keyPressEvent(event);
    }
}

void CDialogWindowPeer::contextMenuEvent(QContextMenuEvent* event)
{
    if (PopupSystemMenu(event->globalPos()))
        event->accept();
    else
        event->ignore();
}

bool CDialogWindowPeer::event(QEvent* event)
{
    // The title bar's "?" button starts Qt's What's This mode in every window; the running
    // dialog turns it into its own context-help mode, which asks for the control's popup.
    if (event->type() == QEvent::EnterWhatsThisMode && (m_template.style & DLG_CONTEXTHELP) && m_pOwner &&
        CDialog::GetActiveModal() == m_pOwner) {
        QPointer<CDialogWindowPeer> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                QWhatsThis::leaveWhatsThisMode();
                if (self && self->m_pOwner)
                    self->m_pOwner->SendMessage(WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
            },
            Qt::QueuedConnection);
        return true;
    }
    return QDialog::event(event);
}

bool CDialogWindowPeer::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        Qt::KeyboardModifiers mods = key->modifiers();
        if (key->key() == Qt::Key_F1) {
            HandleHelpKey((mods & Qt::ShiftModifier) != 0);
            return true;
        }
        bool menuKey = key->key() == Qt::Key_Menu && !qobject_cast<QLineEdit*>(widget);
        bool shiftF10 = key->key() == Qt::Key_F10 && (mods & Qt::ShiftModifier);
        bool altSpace = key->key() == Qt::Key_Space && (mods & Qt::AltModifier);
        if (menuKey || shiftF10 || altSpace) {
            QWidget* anchor = widget == this ? this : widget;
            if (PopupSystemMenu(anchor->mapToGlobal(QPoint(0, 0))))
                return true;
        }
        if (m_contextHelp && key->key() == Qt::Key_Escape) {
            SetContextHelpMode(false);
            return true;
        }
        return false;
    }
    if (m_contextHelp && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        ContextHelpClick(ControlOfWidget(widget), mouse->globalPosition().toPoint());
        return true;
    }
    if (m_contextHelp && event->type() == QEvent::MouseButtonRelease)
        return true;
    return false;
}
