#include "platform/qt/ListBoxView.h"

#include <QItemSelectionModel>

#include "platform/wnd/DialogTemplate.h"
#include "platform/qt/ListBoxModel.h"
#include "platform/qt/TabStopDelegate.h"

namespace {

const int kDefaultTabStop = 32;

}  // namespace

CListBoxView::CListBoxView(DWORD style, int baseUnitX, QWidget* parent)
    : QListView(parent), m_model(new CListBoxModel((style & CTL_SORT) != 0, this)),
      m_delegate(new CTabStopDelegate(this)), m_style(style), m_baseUnitX(baseUnitX > 0 ? baseUnitX : 1)
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    if (style & CTL_EXTENDEDSEL)
        setSelectionMode(QAbstractItemView::ExtendedSelection);
    else if (style & CTL_MULTIPLESEL)
        setSelectionMode(QAbstractItemView::MultiSelection);
    else
        setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy((style & CTL_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy((style & CTL_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (!(style & CTL_BORDER))
        setFrameShape(QFrame::NoFrame);
    SetTabStopDialogUnits((style & CTL_USETABSTOPS) ? kDefaultTabStop : 0);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CListBoxView::OnSelectionChanged);
}

bool CListBoxView::IsMultiSelect() const
{
    return selectionMode() != QAbstractItemView::SingleSelection;
}

void CListBoxView::SetTabStopDialogUnits(int dialogUnits)
{
    m_delegate->SetTabInterval(dialogUnits > 0 ? dialogUnits * m_baseUnitX / 4 : 0);
    viewport()->update();
}

int CListBoxView::TabStopPixels() const
{
    return m_delegate->TabInterval();
}

void CListBoxView::OnSelectionChanged()
{
    if (m_codeChange == 0 && !m_model->UpdatesSuspended())
        emit UserSelectionChanged();
}
