#include "view/Popover.h"

#include "model/Palette.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

Popover::Popover(QWidget* anchor, Dismissal dismissal, Placement placement)
    : QFrame(anchor, Qt::Tool | Qt::FramelessWindowHint)
    , m_anchor(anchor)
    , m_dismissal(dismissal)
    , m_placement(placement)
    , m_washFrom(Palette::withOpacity(Palette::magenta, 0.1))
    , m_washTo(Palette::withOpacity(Palette::blue, 0.1))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
}

void Popover::setWash(const QColor& from, const QColor& to)
{
    m_washFrom = from;
    m_washTo = to;
    update();
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
        constexpr int gap = 8;
        if (m_placement == Placement::Above)
            at = QPoint(anchor.center().x() - width() / 2, anchor.top() - gap - height());
        else
            at = QPoint(anchor.right() + gap, anchor.center().y() - height() / 2);
        // Kept on the anchor's screen, on the anchor's other side where there is no room.
        if (const QScreen* screen = m_anchor->screen()) {
            const QRect area = screen->availableGeometry();
            if (m_placement == Placement::Trailing && at.x() + width() > area.right())
                at.setX(anchor.left() - gap - width());
            if (m_placement == Placement::Above && at.y() < area.top())
                at.setY(anchor.bottom() + gap);
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
    QLinearGradient wash(rect().topLeft(), rect().bottomRight());
    wash.setColorAt(0, m_washFrom);
    wash.setColorAt(1, m_washTo);
    painter.fillRect(rect(), wash);
    drawFrame(&painter);
}

void Popover::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_dismissal == Dismissal::ClickOutside)
        qApp->installEventFilter(this);
}

void Popover::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QFrame::hideEvent(event);
}

void Popover::keyPressEvent(QKeyEvent* event)
{
    if (m_dismissal == Dismissal::ClickOutside && event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool Popover::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() == this)
        return false;
    const bool onAnchor = m_anchor && (widget == m_anchor || m_anchor->isAncestorOf(widget));
    if (onAnchor && m_keptOpenByAnchor)
        return false;
    hide();
    // The press that closes the popover through its own control must not open it again.
    return onAnchor;
}
