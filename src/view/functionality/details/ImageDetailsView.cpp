#include "view/functionality/details/ImageDetailsView.h"

#include "model/Palette.h"
#include "view/Popover.h"
#include "view/functionality/details/CardTitle.h"
#include "view/functionality/details/ClassStatisticsView.h"
#include "view/functionality/details/DetailsCard.h"
#include "view/functionality/details/InfoRow.h"

#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <cmath>

namespace
{
// A pixel size as a whole number, truncated; 0 for a size the file did not give.
QString pixels(double size) { return QString::number(std::isfinite(size) ? static_cast<qint64>(size) : 0); }
} // namespace

ImageDetailsView::ImageDetailsView(SharedObjects shared, QWidget* parent)
    : DetailsPanel(shared, parent)
    , m_pages(new QStackedLayout(this))
    , m_placeholder(new QLabel(QStringLiteral("No Image"), this))
    , m_details(new QWidget(this))
    , m_statistics(new ClassStatisticsView(m_details))
{
    QFont italic = m_placeholder->font();
    italic.setItalic(true);
    m_placeholder->setFont(italic);
    m_placeholder->setAlignment(Qt::AlignCenter);
    auto* column = new QVBoxLayout(m_details);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(makeCard(), 1);
    column->addWidget(m_statistics, 1);
    m_pages->addWidget(m_placeholder);
    m_pages->addWidget(m_details);

    const BoundingBoxManager& boxes = m_shared.boundingBoxManager;
    const ImageManager& images = m_shared.imageManager;
    connect(&boxes, &BoundingBoxManager::boxesChanged, this, [this] { requestRefresh(BoxesChange); });
    // Opening or closing images changes which boxes count; showing another image does not.
    connect(&images, &ImageManager::imagesChanged, this, [this] { requestRefresh(ImageChange | BoxesChange); });
    connect(&images, &ImageManager::currentImageChanged, this, [this] { requestRefresh(ImageChange); });
    refresh(AllChanges);
}

QWidget* ImageDetailsView::makeCard()
{
    m_card = new DetailsCard(Palette::withOpacity(Palette::white, 0.1), Palette::withOpacity(Palette::pink, 0.1));
    m_card->setAccessibleName(QStringLiteral("Image Information"));
    m_cardTitle = new CardTitle(QStringLiteral("Image Information"), QStringLiteral("chevron.down.circle.fill"),
        CardTitle::Tap::Symbol, m_card);
    connect(m_cardTitle, &QAbstractButton::clicked, this, [this] {
        m_showDetails = !m_showDetails;
        m_card->setCollapsed(!m_showDetails);
        m_cardTitle->setTurned(!m_showDetails);
    });
    const std::array<std::pair<const char*, const char*>, 3> texts { {
        { "Name", "Current Image Name." },
        { "Original Dimension", "Original Dimension of the image." },
        { "Total Number of Bounding Box", "Total number of bounding boxes drawn on the image." },
    } };
    const QColor wash = Palette::withOpacity(Palette::pink, 0.1);
    const InfoRow::Setup setup { {}, {}, QStringLiteral("Close"), false, 400, wash, wash };
    m_rows = InfoRow::addRows(m_card->addTitleAndCollapsible(m_cardTitle), texts, setup, true, {});
    m_card->column()->addStretch(1);
    return m_card;
}

bool ImageDetailsView::showsImage() const { return m_pages->currentWidget() == m_details; }

void ImageDetailsView::refresh(int changes)
{
    const ImageManager& images = m_shared.imageManager;
    const bool show = images.imageCount() > 0;
    if (show) {
        // An index that names no image shows empty values.
        const ImagePtr image = images.currentImage();
        m_rows[NameRow]->setValue(image ? image->getImageName() : QString());
        m_rows[DimensionRow]->setValue(
            image ? pixels(image->originalWidth) + QStringLiteral(" x ") + pixels(image->originalHeight) : QString());
        m_rows[BoxCountRow]->setValue(
            QString::number(m_shared.boundingBoxManager.getVisibleCount(images.currentImageIndex)));
        if (changes & BoxesChange)
            m_statistics->setRows(
                ClassStatisticsView::sorted(m_shared.boundingBoxManager.getDictClass(images.imageCount())));
    } else {
        for (InfoRow* row : m_rows)
            row->popover()->hide();
        m_statistics->chartPopover()->hide();
    }
    m_pages->setCurrentWidget(show ? m_details : static_cast<QWidget*>(m_placeholder));
}
