#include "view/functionality/bar/FunctionalityBarIcon.h"

#include "model/Palette.h"
#include "view/modifiers/Symbols.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace
{
constexpr int symbolSize = 18;
constexpr int horizontalPadding = 16;
constexpr int verticalPadding = 5;
constexpr int topPadding = 5;
constexpr double cornerRadius = 10;
} // namespace

FunctionalityBarIcon::FunctionalityBarIcon(FunctionalityBarNavigator& functionalityBarNavigator,
    FunctionalityTabMode assignedFunctionalityBar, const QString& barImageName, const QString& help, QWidget* parent)
    : QAbstractButton(parent)
    , m_functionalityBarNavigator(functionalityBarNavigator)
    , m_assignedFunctionalityBar(assignedFunctionalityBar)
    , m_barImageName(barImageName)
    , m_hover(hoverDurationMs, [this] { update(); })
    , m_highlight(highlightDurationMs, [this] { update(); })
{
    setToolTip(help);
    setAccessibleName(help);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_highlight.jumpTo(highlighted());
    connect(this, &QAbstractButton::clicked, this,
        [this] { m_functionalityBarNavigator.changeActiveFunctionalityBar(m_assignedFunctionalityBar); });
    connect(&m_functionalityBarNavigator, &ObservableObject::changed, this,
        [this] { m_highlight.setTarget(highlighted()); });
}

QSize FunctionalityBarIcon::sizeHint() const
{
    return { symbolSize + 2 * horizontalPadding, topPadding + symbolSize + 2 * verticalPadding };
}

QRectF FunctionalityBarIcon::highlightRect() const
{
    return { 0, double(topPadding), double(width()), double(symbolSize + 2 * verticalPadding) };
}

QRectF FunctionalityBarIcon::symbolRect() const
{
    const double side = symbolSize * currentScale();
    const QPointF centre = highlightRect().center();
    return { centre.x() - side / 2, centre.y() - side / 2, side, side };
}

void FunctionalityBarIcon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_highlight.value() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::withOpacity(Palette::blue, 0.5 * m_highlight.value()));
        painter.drawRoundedRect(highlightRect(), cornerRadius, cornerRadius);
    }
    const QRectF symbol = symbolRect();
    const int side = int(std::ceil(symbol.width()));
    painter.drawPixmap(symbol,
        symbolPixmap(m_barImageName, side, palette().color(QPalette::WindowText), devicePixelRatioF()),
        QRectF(0, 0, side * devicePixelRatioF(), side * devicePixelRatioF()));
}

void FunctionalityBarIcon::mouseMoveEvent(QMouseEvent* event)
{
    m_hover.setTarget(symbolRect().contains(event->position()));
    QAbstractButton::mouseMoveEvent(event);
}

void FunctionalityBarIcon::leaveEvent(QEvent* event)
{
    m_hover.setTarget(false);
    QAbstractButton::leaveEvent(event);
}

bool FunctionalityBarIcon::hitButton(const QPoint& pos) const { return symbolRect().contains(pos); }
