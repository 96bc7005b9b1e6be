#include "view/functionality/details/CardTitle.h"

#include "model/Palette.h"
#include "view/functionality/details/DetailsCard.h"
#include "view/modifiers/Symbols.h"

#include <QPainter>

#include <cmath>

namespace
{
constexpr int spacing = 8;
constexpr int verticalPadding = 8;
} // namespace

CardTitle::CardTitle(const QString& caption, const QString& symbol, Tap tap, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_tap(tap)
    , m_turn(turnDurationMs, [this] { update(); })
{
    setText(caption);
    setAccessibleName(caption);
    setFont(DetailsCard::headlineFont(font()));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CardTitle::setTurned(bool turned) { m_turn.setTarget(turned); }

QSize CardTitle::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int side = metrics.height();
    return { DetailsCard::horizontalPadding * 2 + metrics.horizontalAdvance(text()) + spacing + side,
        side + 2 * verticalPadding };
}

QRectF CardTitle::captionRect() const
{
    const QFontMetricsF metrics(font());
    return { double(DetailsCard::horizontalPadding), (height() - metrics.height()) / 2,
        metrics.horizontalAdvance(text()), metrics.height() };
}

QRectF CardTitle::symbolRect() const
{
    const QRectF caption = captionRect();
    return { caption.right() + spacing, caption.top(), caption.height(), caption.height() };
}

void CardTitle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(captionRect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    const QRectF symbol = symbolRect();
    painter.translate(symbol.center());
    painter.rotate(turnDegrees());
    painter.translate(-symbol.center());
    const int side = int(std::ceil(symbol.width()));
    painter.drawPixmap(symbol.topLeft(), symbolPixmap(m_symbol, side, Palette::green, devicePixelRatioF()));
}

bool CardTitle::hitButton(const QPoint& pos) const
{
    switch (m_tap) {
    case Tap::Row:
        return captionRect().united(symbolRect()).contains(pos);
    case Tap::Symbol:
        return symbolRect().contains(pos);
    case Tap::None:
        break;
    }
    return false;
}
