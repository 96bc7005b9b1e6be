#include "view/Popover.h"

#include "model/Palette.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

Popover::Popover(QWidget* anchor, Dismissal dismissal)
    : QFrame(anchor, dismissal == Dismissal::ClickOutside ? Qt::Popup : Qt::Tool | Qt::FramelessWindowHint)
    , m_anchor(anchor)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    // The click that closes a transient popover must not reopen it through its anchor.
    setAttribute(Qt::WA_NoMouseReplay);
}

void Popover::toggle()
{
    if (isVisible())
        hide();
    else
        showBesideAnchor();
}

void Popover::showBesideAnchor()
{
    adjustSize();
    QPoint at;
    if (m_anchor) {
        const QRect anchor(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
        at = QPoint(anchor.right() + 8, anchor.center().y() - height() / 2);
        // Kept on the anchor's screen.
        if (const QScreen* screen = m_anchor->screen()) {
            const QRect area = screen->availableGeometry();
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
            at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
        }
    }
    move(at);
    show();
    raise();
    activateWindow();
}

void Popover::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    QColor from = Palette::magenta, to = Palette::blue;
    from.setAlphaF(0.1f);
    to.setAlphaF(0.1f);
    QLinearGradient wash(rect().topLeft(), rect().bottomRight());
    wash.setColorAt(0, from);
    wash.setColorAt(1, to);
    painter.fillRect(rect(), wash);
    drawFrame(&painter);
}

void Popover::hideEvent(QHideEvent* event)
{
    QFrame::hideEvent(event);
    emit dismissed();
}
