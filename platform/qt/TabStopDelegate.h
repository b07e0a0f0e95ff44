// Paints list box lines with "\t" expanded to the list's tab stops: with one stop every
// `interval` pixels, text after a tab starts at the next multiple of the interval beyond the
// text before it.
#pragma once

#include <QStyledItemDelegate>
#include <vector>

class CTabStopDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CTabStopDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // 0 turns tab expansion off (a tab then shows as a space).
    void SetTabInterval(int pixels) { m_interval = pixels; }
    int TabInterval() const { return m_interval; }

    struct Segment {
        int x;  // pixels from the start of the text area
        QString text;
    };
    // Where each piece of `line` goes with tab stops every `interval` pixels.
    static std::vector<Segment> Layout(const QString& line, const QFontMetrics& metrics, int interval);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_interval = 0;
};
