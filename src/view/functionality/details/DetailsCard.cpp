#include "view/functionality/details/DetailsCard.h"

#include <QFrame>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace
{
constexpr double cornerRadius = 10;
} // namespace

DetailsCard::DetailsCard(const QColor& washFrom, const QColor& washTo, QWidget* parent)
    : QWidget(parent)
    , m_washFrom(washFrom)
    , m_washTo(washTo)
    , m_column(new QVBoxLayout(this))
{
    m_column->setSpacing(rowSpacing);
    m_column->setContentsMargins(0, 0, 0, rowSpacing);
}

QVBoxLayout* DetailsCard::addTitleAndCollapsible(QWidget* title)
{
    m_column->addWidget(title);
    m_column->addWidget(divider());
    m_collapsible = new QWidget(this);
    auto* rows = new QVBoxLayout(m_collapsible);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(rowSpacing);
    m_column->addWidget(m_collapsible);
    return rows;
}

// The rows fold up to nothing, or unfold to their own height, and only then hide or stay.
void DetailsCard::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed || !m_collapsible)
        return;
    m_collapsed = collapsed;
    if (m_fold)
        m_fold->stop();
    auto* fold = new QPropertyAnimation(m_collapsible, "maximumHeight", m_collapsible);
    m_fold = fold;
    fold->setDuration(collapseDurationMs);
    fold->setEasingCurve(QEasingCurve::InOutQuad);
    const int full = m_collapsible->sizeHint().height();
    fold->setStartValue(m_collapsible->isVisible() ? m_collapsible->height() : 0);
    fold->setEndValue(collapsed ? 0 : full);
    m_collapsible->setVisible(true);
    connect(fold, &QPropertyAnimation::finished, m_collapsible, [this] {
        m_collapsible->setVisible(!m_collapsed);
        m_collapsible->setMaximumHeight(QWIDGETSIZE_MAX);
    });
    fold->start(QAbstractAnimation::DeleteWhenStopped);
}

bool DetailsCard::isFolding() const { return m_fold && m_fold->state() == QAbstractAnimation::Running; }

QWidget* DetailsCard::divider()
{
    auto* inset = new QWidget;
    auto* layout = new QVBoxLayout(inset);
    layout->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    auto* line = new QFrame(inset);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::WindowText);
    layout->addWidget(line);
    return inset;
}

QFont DetailsCard::headlineFont(const QFont& base)
{
    QFont font = base;
    font.setBold(true);
    return font;
}

QFont DetailsCard::subheadlineFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(std::max(6.0, base.pointSizeF() - 1));
    return font;
}

void DetailsCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wash(rect().topLeft(), rect().bottomRight());
    wash.setColorAt(0, m_washFrom);
    wash.setColorAt(1, m_washTo);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(card, wash);
}
