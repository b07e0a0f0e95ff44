#include "platform/qt/TabStopDelegate.h"

#include <QApplication>
#include <QPainter>

namespace {

const int kTextMargin = 2;

}  // namespace

std::vector<CTabStopDelegate::Segment> CTabStopDelegate::Layout(const QString& line, const QFontMetrics& metrics,
                                                                int interval)
{
    std::vector<Segment> segments;
    const QStringList pieces = line.split(QLatin1Char('\t'));
    int x = 0;
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            if (interval > 0)
                x = (x / interval + 1) * interval;
            else
                x += metrics.horizontalAdvance(QLatin1Char(' '));
        }
        segments.push_back({x, pieces[i]});
        x += metrics.horizontalAdvance(pieces[i]);
    }
    return segments;
}

void CTabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString line = opt.text;
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    painter->save();
    painter->setFont(opt.font);
    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->setPen(
        opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    QRect area = opt.rect.adjusted(kTextMargin, 0, 0, 0);
    for (const Segment& segment : Layout(line, opt.fontMetrics, m_interval)) {
        QRect piece(area.left() + segment.x, area.top(), area.width() - segment.x, area.height());
        painter->drawText(piece, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, segment.text);
    }
    painter->restore();
}

QSize CTabStopDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString line = index.data(Qt::DisplayRole).toString();
    QFontMetrics metrics(option.font);
    int width = kTextMargin * 2;
    std::vector<Segment> segments = Layout(line, metrics, m_interval);
    if (!segments.empty())
        width += segments.back().x + metrics.horizontalAdvance(segments.back().text);
    return QSize(width, metrics.height());
}
