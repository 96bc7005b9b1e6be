#include "view/functionality/details/InfoRow.h"

#include "view/Popover.h"
#include "view/functionality/details/DetailsCard.h"
#include "view/functionality/details/ElidedLabel.h"
#include "view/modifiers/Symbols.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace
{
constexpr int symbolSpacing = 4;

// The title, wrapped within its fixed width, and the question mark after it.
class RowTitle : public QAbstractButton
{
public:
    explicit RowTitle(const QString& title, QWidget* parent)
        : QAbstractButton(parent)
    {
        setText(title);
        setAccessibleName(title);
        setFocusPolicy(Qt::NoFocus);
        setFixedWidth(InfoRow::titleWidth);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

    QSize sizeHint() const override
    {
        return { InfoRow::titleWidth, std::max(textRect().height(), fontMetrics().height()) };
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect text = textRect().translated(0, (height() - textRect().height()) / 2);
        // Wrapped in the same width it was measured in: the tight rectangle can wrap a line more.
        painter.drawText(
            QRect(text.left(), text.top(), room(), text.height()), Qt::AlignLeft | Qt::TextWordWrap, this->text());
        const int side = fontMetrics().height();
        painter.drawPixmap(text.right() + symbolSpacing, (height() - side) / 2,
            symbolPixmap(QStringLiteral("questionmark.circle.fill"), side, palette().color(QPalette::WindowText),
                devicePixelRatioF()));
    }

private:
    int room() const { return InfoRow::titleWidth - fontMetrics().height() - symbolSpacing; }
    QRect textRect() const
    {
        return fontMetrics().boundingRect(QRect(0, 0, room(), 1000), Qt::AlignLeft | Qt::TextWordWrap, text());
    }
};

} // namespace

InfoRow::InfoRow(const Setup& setup, std::function<void()> pressed, QWidget* parent)
    : QWidget(parent)
{
    setFont(DetailsCard::subheadlineFont(font()));
    m_title = new RowTitle(setup.title, this);
    m_value = new ElidedLabel(this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(DetailsCard::horizontalPadding, 0, DetailsCard::horizontalPadding, 0);
    row->addWidget(m_title);
    row->addStretch(1);
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_value, 0, Qt::AlignVCenter);

    m_popover = new Popover(m_title, Popover::Dismissal::ClickOutside, Popover::Placement::Above);
    m_popover->setKeptOpenByAnchor(!setup.tapToggles);
    m_popover->setWash(setup.washFrom, setup.washTo);
    m_popover->setAccessibleName(setup.title);
    m_popover->setFixedWidth(setup.popoverWidth);
    auto* content = new QVBoxLayout(m_popover);
    auto* text = new QLabel(setup.popoverText, m_popover);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    text->setMargin(8);
    m_button = new QPushButton(setup.buttonText, m_popover);
    content->addWidget(text);
    content->addWidget(m_button, 0, Qt::AlignHCenter);

    connect(m_title, &QAbstractButton::clicked, this, [this, toggles = setup.tapToggles] {
        if (toggles)
            m_popover->toggle();
        else if (!m_popover->isVisible())
            m_popover->showBesideAnchor();
    });
    connect(m_button, &QPushButton::clicked, this, [this, pressed = std::move(pressed)] {
        m_popover->hide();
        if (pressed)
            pressed();
    });
}

void InfoRow::setValue(const QString& value)
{
    if (value == m_value->text())
        return;
    m_value->setText(value);
    m_value->setToolTip(value);
}

QString InfoRow::value() const { return m_value->text(); }

InfoRow* InfoRow::addRow(
    QVBoxLayout* rows, const Setup& setup, bool dividerBefore, const std::function<void()>& pressed)
{
    if (dividerBefore)
        addDivider(rows);
    auto* row = new InfoRow(setup, pressed);
    rows->addWidget(row);
    return row;
}

void InfoRow::addDivider(QVBoxLayout* rows) { rows->addWidget(DetailsCard::divider()); }
