#include "view/canvas/BoxView.h"

#include "view/ZoomStep.h"
#include "view/canvas/BoxInfoField.h"
#include "view/canvas/Drawing.h"
#include "view/modifiers/Symbols.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLineF>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSet>
#include <QToolTip>

#include <algorithm>

namespace
{
constexpr double lineWidth = 2.0;
constexpr double badgeHeight = BoxSprites::badgeHeight;
constexpr double labelLift = 15.0; // badge centre above the start corner
constexpr double templateDrop = 10.0; // badge centre below the end corner
const QString templateMark = QStringLiteral("T");

QString coordinates(Point p) { return QString::asprintf("(%lf,%lf)", p.x, p.y); }
} // namespace

BoxView::BoxView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
    , m_navigator(navigator)
{
    setAccessibleName(QStringLiteral("Boxes"));
    m_sprites.setFont(font());
    // Repaints follow each change at once; the editor requests are looked at once per pass.
    connect(&m_shared.boundingBoxManager, &BoundingBoxManager::boxesChanged, this, [this](std::int64_t image) {
        if (image < 0 || image == m_shared.imageManager.currentImageIndex)
            update();
    });
    connect(&m_shared.boundingBoxManager, &BoundingBoxManager::selectionChanged, this, qOverload<>(&QWidget::update));
    connect(&m_shared.boundingBoxManager, &ObservableObject::changed, this, &BoxView::modelChanged);
    connect(&m_shared.imageManager, &ObservableObject::changed, this, &BoxView::modelChanged);
    connect(&m_navigator, &ObservableObject::changed, this, qOverload<>(&QWidget::update));
    connect(&ZoomTransition::instance(), &ZoomTransition::displayFactorChanged, this, qOverload<>(&QWidget::update));
}

// The editor this overlay opened goes with it.
BoxView::~BoxView()
{
    m_shared.boundingBoxManager.forgetEditorOrigin(this);
    delete m_window.data();
}

void BoxView::setImageOrigin(QPointF origin)
{
    m_origin = origin;
    update();
}

QString BoxView::tooltipText(const BoundingBoxProperty& box)
{
    return QStringLiteral("Class: ") + box.classLabel() + QStringLiteral("\nStart Location: ")
        + coordinates(box.originalStartLoc()) + QStringLiteral(" \nEnd Location: ") + coordinates(box.originalEndLoc());
}

const BoundingBoxManager::BoxList* BoxView::currentList() const
{
    if (!m_shared.imageManager.hasCurrentImage())
        return nullptr;
    return m_shared.boundingBoxManager.boxesOf(m_shared.imageManager.currentImageIndex);
}

// Only the selected box follows a running move drag.
BoxView::Layout BoxView::layoutOf(const BoundingBoxProperty& box, double scale) const
{
    Point offset;
    const BoxPtr& selected = m_shared.boundingBoxManager.currentSelectedBox.get();
    if (selected && *selected == box)
        offset = { m_movingOffset.width, m_movingOffset.height };
    Layout layout { box.startLocation() * scale + offset, box.endLocation() * scale + offset, {}, scale };
    layout.outline = QRectF(QPointF(layout.start.x, layout.start.y), QPointF(layout.end.x, layout.end.y)).normalized();
    return layout;
}

QRectF BoxView::labelBadge(const Layout& layout, const QString& text) const
{
    const double width = m_sprites.badgeWidth(text);
    const double centreX = (layout.start.x + layout.end.x) / 2;
    return { centreX - width / 2, layout.start.y - labelLift - badgeHeight / 2, width, badgeHeight };
}

QRectF BoxView::templateBadge(const Layout& layout) const
{
    const double width = m_sprites.badgeWidth(templateMark);
    const double centreX = (layout.start.x + layout.end.x) / 2;
    return { centreX - width / 2, layout.end.y + templateDrop - badgeHeight / 2, width, badgeHeight };
}

bool BoxView::stillShown(const BoxPtr& box) const
{
    return box->toShow() && m_shared.boundingBoxManager.getIndex(box, m_shared.imageManager.currentImageIndex) >= 0
        && m_shared.imageManager.hasCurrentImage();
}

Point BoxView::toBox(QPointF p) const { return { p.x() - m_origin.x(), p.y() - m_origin.y() }; }

// Later boxes lie above earlier ones; within a box the handles lie above the outline.
std::optional<BoxView::Hit> BoxView::hitTest(QPointF widgetPosition) const
{
    const auto* list = currentList();
    if (!list)
        return std::nullopt;
    const Point p = toBox(widgetPosition);
    const QPointF q(p.x, p.y);
    const double stroke = lineWidth / 2;
    for (auto it = list->rbegin(); it != list->rend(); ++it) {
        const BoundingBoxProperty& box = **it;
        if (!box.toShow())
            continue;
        const Layout layout = layoutOf(box);
        if (const auto handle = PointView::handleAt(layout.start, layout.end, p))
            return Hit { *it, handle };
        if (layout.outline.adjusted(-stroke, -stroke, stroke, stroke).contains(q))
            return Hit { *it, std::nullopt };
        const double labelTop = layout.start.y - labelLift - badgeHeight / 2;
        if (p.y >= labelTop && p.y <= labelTop + badgeHeight && labelBadge(layout, box.classLabel()).contains(q))
            return Hit { *it, std::nullopt };
        if (box.markTemplate() && templateBadge(layout).contains(q))
            return Hit { *it, std::nullopt };
    }
    return std::nullopt;
}

void BoxView::paintEvent(QPaintEvent* event)
{
    const auto* list = currentList();
    if (!list)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(m_origin);
    m_sprites.begin(painter);
    const QRectF area = QRectF(event->rect()).translated(-m_origin);
    const BoxPtr& selected = m_shared.boundingBoxManager.currentSelectedBox.get();
    const QColor& selectedColor = m_shared.boundingBoxManager.currentSelectedBoxColor.get();
    const double reach = PointView::handleSize / 2 + lineWidth;
    // While the sidebar's zoom step eases in, the corners are drawn on their way from the old zoom;
    // handles and badges keep their size.
    const double scale = ZoomTransition::instance().displayFactor();
    for (const BoxPtr& box : *list) {
        if (!box->toShow())
            continue;
        const Layout layout = layoutOf(*box, scale);
        // Cheap rejection first: the vertical extent of outline, handles and badges.
        const double top = std::min(layout.outline.top() - reach, layout.start.y - labelLift - badgeHeight / 2);
        const double bottom = std::max(layout.outline.bottom() + reach,
            box->markTemplate() ? layout.end.y + templateDrop + badgeHeight / 2 : layout.outline.bottom());
        if (bottom < area.top() || top > area.bottom())
            continue;
        paintBox(painter, *box, layout, selected && *selected == *box ? selectedColor : Palette::green, area);
    }
}

void BoxView::paintBox(QPainter& painter, const BoundingBoxProperty& box, const Layout& layout, const QColor& color,
    const QRectF& area) const
{
    const double reach = PointView::handleSize / 2 + lineWidth;
    const QRectF frame = layout.outline.adjusted(-reach, -reach, reach, reach);
    const QRectF label = labelBadge(layout, box.classLabel());
    const QRectF mark = box.markTemplate() ? templateBadge(layout) : QRectF();
    if (!frame.intersects(area) && !label.intersects(area) && !mark.intersects(area))
        return;

    // Outlines sit on whole device pixels, like the handles and badges: crisp, and far cheaper to
    // fill than antialiased edges (at most half a pixel from the exact place).
    const QPointF start = m_sprites.snapped(QPointF(layout.start.x, layout.start.y));
    const QPointF end = m_sprites.snapped(QPointF(layout.end.x, layout.end.y));
    drawRectangle(painter, { start.x(), start.y() }, { end.x(), end.y() }, color,
        Palette::withOpacity(Palette::red, 0.1), lineWidth);
    // While one of its handles is dragged, the handles show the drag's corners.
    const bool held = m_handleDrag && m_handleDrag->boundingBox().get() == &box;
    const Point startHandle = held ? m_handleDrag->startLocRect() * layout.scale : layout.start;
    const Point endHandle = held ? m_handleDrag->endLocRect() * layout.scale : layout.end;
    m_sprites.drawHandle(painter, QPointF(startHandle.x, startHandle.y));
    m_sprites.drawHandle(painter, QPointF(endHandle.x, endHandle.y));
    m_sprites.drawBadge(painter, label.topLeft(), box.classLabel(), Palette::white);
    if (box.markTemplate())
        m_sprites.drawBadge(painter, mark.topLeft(), templateMark, Palette::yellow);
}

// Any press on a box belongs to the box; only the left button selects and drags.
void BoxView::mousePressEvent(QMouseEvent* event)
{
    // A release that never came (the overlay was hidden meanwhile) holds nothing any more.
    m_heldButtons &= event->buttons() & ~event->button();
    if (!(m_heldButtons & Qt::LeftButton))
        endPress();
    if (m_press) {
        m_heldButtons |= event->button();
        event->accept();
        return;
    }
    const auto hit = hitTest(event->position());
    if (!hit) {
        event->ignore();
        return;
    }
    event->accept();
    m_heldButtons |= event->button();
    if (event->button() == Qt::LeftButton)
        m_press = Press { event->position(), *hit };
}

// Qt sends the moves and the release of a press to the widget under the pointer when it went down,
// whoever took the press. Those of a press the overlay let through go on to the canvas below.
void BoxView::mouseMoveEvent(QMouseEvent* event)
{
    m_heldButtons &= event->buttons();
    if (!m_heldButtons) {
        event->ignore();
        return;
    }
    event->accept();
    if (!m_press)
        return;
    if (!stillShown(m_press->hit.box)) {
        // The box went away under the pointer (deleted, another image): the drag ends with it.
        endPress();
        return;
    }
    if (!m_press->dragging) {
        if (QLineF(m_press->position, event->position()).length() < dragMinimumDistance)
            return;
        m_press->dragging = true;
        if (m_press->hit.handle)
            m_handleDrag.emplace(m_shared, m_press->hit.box, *m_press->hit.handle);
    }
    if (m_handleDrag)
        m_handleDrag->dragChanged(toBox(event->position()));
    else
        moveDragChanged(event->position());
    update();
}

void BoxView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!(m_heldButtons & event->button())) {
        event->ignore();
        return;
    }
    m_heldButtons &= ~event->button();
    event->accept();
    if (!m_press || event->button() != Qt::LeftButton)
        return;
    const Press press = *m_press;
    m_press.reset();
    if (m_handleDrag) {
        m_handleDrag->dragEnded();
        m_handleDrag.reset();
    } else if (press.dragging) {
        moveDragEnded(press.hit.box);
    } else if (!press.fromDoubleClick) {
        select(press.hit.box);
    }
    update();
}

void BoxView::endPress()
{
    if (!m_press)
        return;
    m_press.reset();
    m_handleDrag.reset();
    m_movingOffset = {};
    update();
}

void BoxView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const auto hit = event->button() == Qt::LeftButton ? hitTest(event->position()) : std::nullopt;
    if (!hit) {
        event->ignore();
        return;
    }
    event->accept();
    m_heldButtons |= event->button();
    m_press = Press { event->position(), *hit, false, true };
    m_shared.boundingBoxManager.select(hit->box);
    openEditor(hit->box);
}

void BoxView::contextMenuEvent(QContextMenuEvent* event)
{
    const auto hit = hitTest(event->pos());
    if (!hit) {
        event->ignore();
        return;
    }
    event->accept();
    const std::int64_t index = m_shared.boundingBoxManager.getIndex(hit->box, m_shared.imageManager.currentImageIndex);
    QMenu menu(this);
    QAction* remove = menu.addAction(symbolIcon(QStringLiteral("xmark.bin")), QStringLiteral("Delete Rectangle"));
    connect(remove, &QAction::triggered, this,
        [this, index] { m_shared.boundingBoxManager.hideCurrentBox(index, m_shared.imageManager.currentImageIndex); });
    menu.exec(event->globalPos());
}

bool BoxView::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const auto hit = hitTest(help->pos());
    if (!hit) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    const QRectF outline = layoutOf(*hit->box).outline.translated(m_origin);
    QToolTip::showText(help->globalPos(), tooltipText(*hit->box), this, outline.toAlignedRect());
    return true;
}

void BoxView::select(const BoxPtr& box) { m_shared.boundingBoxManager.select(box); }

// While a box is dragged it is the selected, blue box, drawn displaced by the drag.
void BoxView::moveDragChanged(QPointF widgetPosition)
{
    m_shared.boundingBoxManager.select(m_press->hit.box);
    const QPointF translation = widgetPosition - m_press->position;
    m_movingOffset = { translation.x(), translation.y() };
}

// The box moves by the last translation, as far as the displayed image allows, keeping its size.
// A box that lost the selection during the drag, or left the list, stays where it was.
void BoxView::moveDragEnded(const BoxPtr& element)
{
    const Size d = m_movingOffset;
    m_movingOffset = {};
    ImageManager& images = m_shared.imageManager;
    m_shared.boundingBoxManager.moveBox(element, images.currentImageIndex, d, images.currentDisplayedSize());
}

void BoxView::openEditor(const BoxPtr& box)
{
    if (m_window)
        m_window->dismiss();
    const std::int64_t index = m_shared.boundingBoxManager.getIndex(box, m_shared.imageManager.currentImageIndex);
    auto* editor = new BoxInfoField(m_shared, index);
    openInWindow(editor, QStringLiteral("Bounding Box"));
    m_window = editor;
}

void BoxView::syncShownBoxes()
{
    if (!isVisible())
        return;
    std::vector<QString> ids;
    std::vector<BoxPtr> shown;
    if (const auto* list = currentList()) {
        for (const BoxPtr& box : *list) {
            if (box->toShow()) {
                ids.push_back(box->id());
                shown.push_back(box);
            }
        }
    }
    if (ids == m_shownIds)
        return;
    const QSet<QString> before(m_shownIds.begin(), m_shownIds.end());
    m_shownIds = std::move(ids);
    const auto& manager = m_shared.boundingBoxManager;
    // Only the layer that asked for the editor opens it (any, when none asked).
    if (!manager.toShowInfoUI || (manager.editorOrigin() && manager.editorOrigin() != this))
        return;
    // Each opening replaces the previous editor: the last box to come on screen keeps its editor.
    for (const BoxPtr& box : shown)
        if (!before.contains(box->id()))
            openEditor(box);
}

void BoxView::modelChanged()
{
    syncShownBoxes();
    update();
}

void BoxView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    syncShownBoxes();
}

void BoxView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_sprites.setFont(font());
    QWidget::changeEvent(event);
}
