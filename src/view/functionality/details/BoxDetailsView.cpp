#include "view/functionality/details/BoxDetailsView.h"

#include "model/Rounding.h"
#include "view/Popover.h"
#include "view/canvas/BoxInfoField.h"
#include "view/canvas/Drawing.h"
#include "view/functionality/details/CardTitle.h"
#include "view/functionality/details/DetailsCard.h"
#include "view/functionality/details/InfoRow.h"
#include "view/modifiers/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include <charconv>

namespace
{
QColor srgb(double red, double green, double blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue), 0.2f);
}

// The shortest text that reads back as the same number, with at least one decimal.
QString numberText(double value)
{
    // Room for the widest finite double written out in full (309 digits and a sign).
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    QString text = QString::fromLatin1(buffer, end - buffer);
    if (std::isfinite(value) && !text.contains(QLatin1Char('.')))
        text += QStringLiteral(".0");
    return text;
}

// The outline that stands for the box between the left and right arrows.
class BoxOutline : public QWidget
{
public:
    explicit BoxOutline(QWidget* parent)
        : QWidget(parent)
    {
        setMinimumWidth(40);
        setMaximumWidth(100);
        setFixedHeight(30);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return { 100, 30 }; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
    }
};

struct ArrowButton {
    NudgeDirection direction;
    const char* symbol;
    const char* help;
};
constexpr ArrowButton arrowButtons[] = {
    { NudgeDirection::Up, "arrow.up.circle", "Move the selected box upwards" },
    { NudgeDirection::Left, "arrow.left.circle", "Move the selected box leftwards" },
    { NudgeDirection::Right, "arrow.right.circle", "Move the selected box rightwards" },
    { NudgeDirection::Down, "arrow.down.circle", "Move the selected box downwards" },
};
} // namespace

BoxDetailsView::BoxDetailsView(SharedObjects shared, QWidget* parent)
    : DetailsPanel(shared, parent)
    , m_pages(new QStackedLayout(this))
    , m_placeholder(new QLabel(QStringLiteral("No Box Selected"), this))
    , m_details(new QWidget(this))
{
    m_placeholder->setAlignment(Qt::AlignCenter);
    auto* column = new QVBoxLayout(m_details);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);
    column->addWidget(makeCard(), 1);
    column->addWidget(makePad(), 1);
    column->addStretch(1);
    m_pages->addWidget(m_placeholder);
    m_pages->addWidget(m_details);

    BoundingBoxManager& boxes = m_shared.boundingBoxManager;
    ImageManager& images = m_shared.imageManager;
    connect(&boxes, &BoundingBoxManager::boxesChanged, this, [this] { requestRefresh(BoxesChange); });
    connect(&boxes, &BoundingBoxManager::selectionChanged, this, [this] { requestRefresh(SelectionChange); });
    connect(&images, &ImageManager::imagesChanged, this, [this] { requestRefresh(ImageChange); });
    connect(&images, &ImageManager::currentImageChanged, this, [this] { requestRefresh(ImageChange); });
    refresh(AllChanges);
}

QString BoxDetailsView::locationText(Point location)
{
    return QLatin1Char('(') + numberText(roundDecimal(location.x, PrecisionRoundingRule::Ones)) + QLatin1Char(',')
        + numberText(roundDecimal(location.y, PrecisionRoundingRule::Ones)) + QLatin1Char(')');
}

QWidget* BoxDetailsView::makeCard()
{
    m_card = new DetailsCard(srgb(0.97, 0.2, 0.1), srgb(0.77, 0.44, 0.93));
    m_card->setAccessibleName(QStringLiteral("Bounding Box"));
    m_cardTitle = new CardTitle(
        QStringLiteral("Bounding Box"), QStringLiteral("chevron.down.circle.fill"), CardTitle::Tap::Row, m_card);
    connect(m_cardTitle, &QAbstractButton::clicked, this, &BoxDetailsView::toggleDetails);
    const std::array<std::pair<const char*, const char*>, 4> texts { {
        { "Class Label", "Class Label of the bounding box" },
        { "Start Location", "Start Location of the rectangle" },
        { "End Location", "End Location of the rectangle" },
        { "Template", "The box is marked as template" },
    } };
    const InfoRow::Setup setup { {}, {}, QStringLiteral("Edit"), true, 200, Palette::withOpacity(Palette::red, 0.1),
        Palette::withOpacity(Palette::blue, 0.1) };
    m_rows
        = InfoRow::addRows(m_card->addTitleAndCollapsible(m_cardTitle), texts, setup, false, [this] { openEditor(); });
    m_card->column()->addStretch(1);
    return m_card;
}

QWidget* BoxDetailsView::makePad()
{
    auto* pad = new DetailsCard(srgb(0.07, 0.76, 0.91), srgb(0.77, 0.44, 0.93));
    pad->setAccessibleName(QStringLiteral("Move Box Position"));
    m_padTitle = new CardTitle(
        QStringLiteral("Move Box Position"), QStringLiteral("location.north.circle.fill"), CardTitle::Tap::None, pad);
    pad->column()->addWidget(m_padTitle);
    for (const ArrowButton& button : arrowButtons) {
        auto* arrow = new QToolButton(pad);
        const QString help = QString::fromLatin1(button.help);
        arrow->setIcon(symbolIcon(QString::fromLatin1(button.symbol), palette().color(QPalette::WindowText)));
        arrow->setIconSize(QSize(28, 28));
        arrow->setAutoRaise(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setToolTip(help);
        arrow->setAccessibleName(help);
        connect(arrow, &QToolButton::clicked, this, [this, direction = button.direction] { nudge(direction); });
        m_arrows[size_t(button.direction)] = arrow;
    }
    auto* middle = new QHBoxLayout;
    middle->addWidget(arrow(NudgeDirection::Left));
    middle->addWidget(new BoxOutline(pad));
    middle->addWidget(arrow(NudgeDirection::Right));
    auto* arrows = new QVBoxLayout;
    arrows->addWidget(arrow(NudgeDirection::Up), 0, Qt::AlignHCenter);
    arrows->addLayout(middle);
    arrows->addWidget(arrow(NudgeDirection::Down), 0, Qt::AlignHCenter);
    arrows->addStretch(1);
    pad->column()->addLayout(arrows);
    return pad;
}

bool BoxDetailsView::showsBox() const { return m_pages->currentWidget() == m_details; }

void BoxDetailsView::refresh(int)
{
    const BoundingBoxManager& boxes = m_shared.boundingBoxManager;
    const BoxPtr box = boxes.currentSelectedBox;
    const bool show = box && boxes.getVisibleCount(m_shared.imageManager.currentImageIndex) > 0;
    if (show) {
        m_rows[ClassLabelRow]->setValue(box->classLabel());
        m_rows[StartLocationRow]->setValue(locationText(box->originalStartLoc()));
        m_rows[EndLocationRow]->setValue(locationText(box->originalEndLoc()));
        m_rows[TemplateRow]->setValue(box->markTemplate() ? QStringLiteral("True") : QStringLiteral("False"));
    } else {
        // Their rows are gone from view: so are their popovers.
        for (InfoRow* row : m_rows)
            row->popover()->hide();
    }
    m_pages->setCurrentWidget(show ? m_details : static_cast<QWidget*>(m_placeholder));
}

void BoxDetailsView::toggleDetails()
{
    m_showDetails = !m_showDetails;
    m_card->setCollapsed(!m_showDetails);
    m_cardTitle->setTurned(!m_showDetails);
    m_padTitle->setTurned(!m_showDetails);
}

void BoxDetailsView::nudge(NudgeDirection direction)
{
    const ImageManager& images = m_shared.imageManager;
    m_shared.boundingBoxManager.nudgeSelected(
        images.currentImageIndex, direction, images.currentZoom(), images.currentDisplayedSize());
}

void BoxDetailsView::openEditor()
{
    const BoundingBoxManager& boxes = m_shared.boundingBoxManager;
    const std::int64_t index = boxes.getIndex(boxes.currentSelectedBox, m_shared.imageManager.currentImageIndex);
    openInWindow(new BoxInfoField(m_shared, index), QStringLiteral("Bounding Box"));
}
