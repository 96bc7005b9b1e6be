#include "view/canvas/ImageTabStrip.h"

#include "view/canvas/Alert.h"
#include "view/canvas/Drawing.h"
#include "view/modifiers/Symbols.h"

#include <QAbstractButton>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace
{
constexpr int defaultPadding = 8;

void fillBackground(QWidget* widget, const QColor& color)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

} // namespace

// The close symbol of the current tab.
class CloseSymbol : public QAbstractButton
{
public:
    explicit CloseSymbol(QWidget* parent)
        : QAbstractButton(parent)
    {
        setFixedSize(ImageTabStrip::barHeight, ImageTabStrip::barHeight);
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(QStringLiteral("Remove image"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // Made once: every tab shows the same symbol.
        static const QPixmap symbol
            = symbolPixmap(QStringLiteral("multiply.circle.fill"), 14, Palette::white, devicePixelRatioF());
        QPainter painter(this);
        const QSizeF size = symbol.deviceIndependentSize();
        painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), symbol);
    }
};

// One tab: the file name in white, and at its end the close symbol, which only the current tab
// shows (the others keep its room, so every tab is laid out alike).
class ImageTab : public QWidget
{
public:
    ImageTab(ImageTabStrip& strip, ImagePtr image)
        : QWidget(strip.m_row)
        , m_strip(strip)
        , m_image(std::move(image))
        , m_name(m_image->getImageName())
        , m_close(new CloseSymbol(this))
    {
        setFixedHeight(ImageTabStrip::barHeight);
        setAccessibleName(m_name);
        setCurrent(false);
        QObject::connect(m_close, &QAbstractButton::clicked, this, [this] { m_strip.closePressed(m_image); });
    }

    const ImagePtr& image() const { return m_image; }
    bool isCurrent() const { return m_current; }

    void setCurrent(bool current)
    {
        m_current = current;
        m_close->setVisible(current);
        m_close->setEnabled(current);
        update();
    }

    QSize sizeHint() const override
    {
        const int content
            = defaultPadding + fontMetrics().horizontalAdvance(m_name) + defaultPadding + m_close->width();
        return { std::max(ImageTabStrip::minimumTabWidth, content), ImageTabStrip::barHeight };
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_current ? Palette::gray : Palette::black);
        painter.setPen(Palette::white);
        const QRect text = rect().adjusted(defaultPadding, 0, -(defaultPadding + m_close->width()), 0);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_name);
    }
    void resizeEvent(QResizeEvent*) override { m_close->move(width() - m_close->width(), 0); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return QWidget::mousePressEvent(event);
        event->accept();
        m_strip.tabPressed(m_image, event->timestamp());
    }

private:
    ImageTabStrip& m_strip;
    ImagePtr m_image;
    QString m_name;
    CloseSymbol* m_close;
    bool m_current = false;
};

// "All Images": one button per open image, in tab order. A click outside closes it.
class AllImagesPopover : public QFrame
{
public:
    explicit AllImagesPopover(ImageTabStrip& strip)
        : QFrame(&strip, Qt::Popup)
        , m_strip(strip)
    {
        setAttribute(Qt::WA_DeleteOnClose, true);
        setAccessibleName(QStringLiteral("All Images"));
        setFrameShape(QFrame::StyledPanel);
        auto* outer = new QVBoxLayout(this);
        outer->setContentsMargins(0, 0, 0, 0);
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* content = new QWidget(scroll);
        fillBackground(content, Palette::withOpacity(Palette::blue, 0.1));
        auto* column = new QVBoxLayout(content);
        column->setContentsMargins(defaultPadding, defaultPadding, defaultPadding, defaultPadding);
        auto* title = new QLabel(QStringLiteral("All Images"), content);
        title->setContentsMargins(defaultPadding, 0, defaultPadding, 0);
        column->addWidget(title);
        auto* buttons = new QHBoxLayout;
        buttons->setContentsMargins(defaultPadding, defaultPadding, defaultPadding, defaultPadding);
        const auto& images = strip.m_shared.imageManager.allImages.get();
        for (size_t i = 0; i < images.size(); ++i) {
            auto* button = new QPushButton(images[i]->getImageName(), content);
            QFont light = button->font();
            light.setWeight(QFont::Light);
            button->setFont(light);
            button->setAccessibleName(images[i]->getImageName());
            button->setFocusPolicy(Qt::NoFocus);
            const auto index = static_cast<std::int64_t>(i);
            QObject::connect(button, &QPushButton::clicked, this, [this, index] { m_strip.choose(index); });
            buttons->addWidget(button, 0, Qt::AlignTop);
        }
        buttons->addStretch(1);
        column->addLayout(buttons);
        scroll->setWidget(content);
        outer->addWidget(scroll);

        const int screenWidth = strip.screen() ? strip.screen()->availableGeometry().width() : 800;
        const QSize wanted = content->sizeHint();
        resize(std::min(wanted.width() + 2, std::max(strip.width(), screenWidth / 2)),
            wanted.height() + scroll->horizontalScrollBar()->sizeHint().height() + 2);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (!rect().contains(event->position().toPoint()))
            m_strip.m_popoverClosingPress = event->timestamp();
        QFrame::mousePressEvent(event);
    }

private:
    ImageTabStrip& m_strip;
};

ImageTabStrip::ImageTabStrip(SharedObjects shared, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
    , m_lastIndex(shared.imageManager.currentImageIndex)
{
    setFixedHeight(barHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Image tabs"));

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    // The blue bar shows through the row.
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->viewport()->installEventFilter(this);
    m_row = new QWidget;
    m_rowLayout = new QHBoxLayout(m_row);
    m_rowLayout->setContentsMargins(0, 0, 0, 0);
    m_rowLayout->setSpacing(2);
    m_rowLayout->setSizeConstraint(QLayout::SetFixedSize);
    m_scroll->setWidget(m_row);
    auto* fill = new QHBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_scroll);

    connect(&shared.imageManager, &ObservableObject::changed, this, &ImageTabStrip::refresh);
    refresh();
}

bool ImageTabStrip::isPopoverShown() const { return m_popover && m_popover->isVisible(); }

QFrame* ImageTabStrip::popover() const { return isPopoverShown() ? m_popover.data() : nullptr; }

void ImageTabStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillPath(Rectangle().path(QRectF(rect())), Palette::blue);
}

bool ImageTabStrip::eventFilter(QObject* watched, QEvent* event)
{
    // A mouse wheel turns vertically; the row only scrolls sideways.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint angle = wheel->angleDelta();
        const int delta = angle.x() != 0 ? angle.x() : angle.y();
        QScrollBar* bar = m_scroll->horizontalScrollBar();
        bar->setValue(bar->value() - delta * minimumTabWidth / 120);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ImageTabStrip::refresh()
{
    const ImageManager& images = m_shared.imageManager;
    // Most changes (a pan, a zoom step) leave the tabs as they are.
    const auto& all = images.allImages.get();
    const bool sameImages = qsizetype(all.size()) == m_tabIds.size()
        && std::equal(all.begin(), all.end(), m_tabIds.begin(),
            [](const ImagePtr& image, const QString& id) { return image->id() == id; });
    const ImagePtr current = images.currentImage();
    const QString currentId = current ? current->id() : QString();
    if (!sameImages)
        rebuildTabs();
    if (!sameImages || currentId != m_currentId) {
        m_currentId = currentId;
        for (ImageTab* tab : m_tabs) {
            const bool current = tab->image()->id() == currentId;
            if (current != tab->isCurrent())
                tab->setCurrent(current);
        }
        m_scroll->setVisible(!m_tabs.empty());
    }
    if (images.currentImageIndex != m_lastIndex) {
        m_lastIndex = images.currentImageIndex;
        scrollToCurrent();
    }
}

void ImageTabStrip::rebuildTabs()
{
    // A tab may be the one whose press is being handled further up the stack.
    for (ImageTab* tab : m_tabs) {
        m_rowLayout->removeWidget(tab);
        tab->hide();
        tab->deleteLater();
    }
    m_tabs.clear();
    m_tabIds.clear();
    for (const ImagePtr& image : m_shared.imageManager.allImages.get()) {
        auto* tab = new ImageTab(*this, image);
        m_rowLayout->addWidget(tab);
        tab->show(); // now, so that the row is laid out before it scrolls
        m_tabs.push_back(tab);
        m_tabIds << image->id();
    }
    m_rowLayout->activate();
}

void ImageTabStrip::scrollToCurrent()
{
    const std::int64_t cur = m_shared.imageManager.currentImageIndex;
    if (cur < 0 || cur >= static_cast<std::int64_t>(m_tabs.size()))
        return;
    m_rowLayout->activate();
    const QWidget* tab = m_tabs[size_t(cur)];
    const int centre = tab->x() + tab->width() / 2;
    m_scroll->horizontalScrollBar()->setValue(centre - m_scroll->viewport()->width() / 2);
}

void ImageTabStrip::tabPressed(const ImagePtr& image, qulonglong timestamp)
{
    ImageManager& images = m_shared.imageManager;
    const std::int64_t index = images.getIndex(image);
    if (index < 0)
        return;
    if (index == images.currentImageIndex) {
        // This press already closed the list on its way here.
        if (m_popoverClosingPress == timestamp && !isPopoverShown()) {
            m_popoverClosingPress.reset();
            return;
        }
        togglePopover();
        return;
    }
    images.showImage(index);
}

void ImageTabStrip::togglePopover()
{
    if (isPopoverShown()) {
        m_popover->close();
        return;
    }
    m_popover = new AllImagesPopover(*this);
    const QPoint below = m_scroll->mapToGlobal(QPoint(m_scroll->width() / 2, m_scroll->height()));
    QPoint topLeft(below.x() - m_popover->width() / 2, below.y());
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - m_popover->width())));
    }
    m_popover->move(topLeft);
    m_popover->show();
}

void ImageTabStrip::choose(std::int64_t index)
{
    if (index < 0 || index >= m_shared.imageManager.imageCount())
        return;
    m_shared.boundingBoxManager.clearSelection();
    m_shared.imageManager.showImage(index);
    if (m_popover)
        m_popover->close();
}

void ImageTabStrip::closePressed(const ImagePtr& image)
{
    m_shared.imageManager.askToRemove(image);
    const ImagePtr toRemove = m_shared.imageManager.toDeleteImage;
    const QMessageBox::ButtonRole answer = runAlert(this, QStringLiteral("Do you want to remove this image?"), {},
        { { QStringLiteral("Cancel"), QMessageBox::RejectRole },
            { QStringLiteral("Remove"), QMessageBox::DestructiveRole } });
    if (answer == QMessageBox::DestructiveRole)
        remove(toRemove);
}

void ImageTabStrip::remove(const ImagePtr& image) { m_shared.imageManager.removeImage(image); }
