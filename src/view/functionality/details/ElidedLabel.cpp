#include "view/functionality/details/ElidedLabel.h"

#include <QPainter>
#include <QStyleOption>

QSize ElidedLabel::minimumSizeHint() const
{
    QSize hint = QLabel::minimumSizeHint();
    const QMargins margins = contentsMargins();
    const int shortest = margins.left() + margins.right() + fontMetrics().horizontalAdvance(QStringLiteral("M…"));
    hint.setWidth(std::min(hint.width(), shortest));
    return hint;
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    const QRect room = contentsRect();
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(room, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
}
