// The widget of a list box: a list view over the control's own storage (CListBoxModel) with
// uniform row heights, so a million lines lay out and scroll cheaply.
#pragma once

#include <QListView>

#include "platform/base/WinTypes.h"

class CListBoxModel;
class CTabStopDelegate;

class CListBoxView : public QListView {
    Q_OBJECT

public:
    // `style`: CTL_* bits of the template; `baseUnitX`: the dialog's horizontal base unit in
    // pixels, for tab stops given in dialog units.
    CListBoxView(DWORD style, int baseUnitX, QWidget* parent);

    CListBoxModel* Model() const { return m_model; }
    DWORD Style() const { return m_style; }
    bool IsMultiSelect() const;

    // One tab stop every `dialogUnits`; the default is 32.
    void SetTabStopDialogUnits(int dialogUnits);
    int TabStopPixels() const;

    // Selection changes made by code do not notify the dialog.
    void BeginCodeChange() { ++m_codeChange; }
    void EndCodeChange() { --m_codeChange; }

signals:
    // The user changed the selection.
    void UserSelectionChanged();

private:
    void OnSelectionChanged();

    CListBoxModel* m_model;
    CTabStopDelegate* m_delegate;
    DWORD m_style;
    int m_baseUnitX;
    int m_codeChange = 0;
};
