#include "viewmodel/BoundingBoxManager.h"

#include <algorithm>

void BoundingBoxManager::select(const BoxPtr& box)
{
    if (!box || (sameBox(currentSelectedBox.get(), box) && currentSelectedBoxColor.get() == Palette::blue))
        return;
    currentSelectedBoxColor.set(Palette::blue);
    currentSelectedBox.set(box);
    emit selectionChanged();
}

void BoundingBoxManager::clearSelection()
{
    currentSelectedBox.set(nullptr);
    currentSelectedBoxColor.set(Palette::green);
    emit selectionChanged();
}

void BoundingBoxManager::dimSelection()
{
    currentSelectedBoxColor.set(Palette::green);
    emit selectionChanged();
}

// A box that lost the selection during the drag stays where it was.
bool BoundingBoxManager::moveBox(const BoxPtr& element, std::int64_t imageIndex, Size d, Size displayed)
{
    if (!sameBox(currentSelectedBox.get(), element))
        return false;
    const BoxPtr box = listed(element, imageIndex);
    if (!box)
        return false;
    const Point s = box->startLocation();
    const Point e = box->endLocation();
    const double w = displayed.width;
    const double h = displayed.height;
    box->setStartLocation({ std::min(w - e.x + s.x, std::max(0.0, s.x + d.width)),
        std::min(h - e.y + s.y, std::max(0.0, s.y + d.height)) });
    box->setEndLocation(
        { std::min(w, std::max(e.x - s.x, e.x + d.width)), std::min(h, std::max(e.y - s.y, e.y + d.height)) });
    boxesWritten(imageIndex);
    return true;
}

bool BoundingBoxManager::setCorner(const BoxPtr& element, std::int64_t imageIndex, BoxCorner corner, Point location)
{
    const BoxPtr box = listed(element, imageIndex);
    if (!box)
        return false;
    if (corner == BoxCorner::Start)
        box->setStartLocation(location);
    else
        box->setEndLocation(location);
    boxesWritten(imageIndex);
    return true;
}

bool BoundingBoxManager::applyEdit(const BoxPtr& element, std::int64_t imageIndex, const BoxEdit& edit, double zoom)
{
    const BoxPtr box = listed(element, imageIndex);
    if (!box)
        return false;
    box->setClassLabel(edit.classLabel);
    if (edit.originalStart)
        box->setStartLocation(BoundingBoxProperty::originalToScaledLoc(*edit.originalStart, zoom));
    if (edit.originalEnd)
        box->setEndLocation(BoundingBoxProperty::originalToScaledLoc(*edit.originalEnd, zoom));
    box->setMarkTemplate(edit.markTemplate);
    toShowInfoUI.set(false);
    boxesWritten(imageIndex);
    return true;
}

void BoundingBoxManager::setEditorRequested(bool requested) { toShowInfoUI.set(requested); }

// The tests are strict and fail on a value that is not a number: the tested edge never reaches the
// border. Only one fixed corner is tested, whatever the order of the corners.
bool BoundingBoxManager::nudgeSelected(std::int64_t imageIndex, NudgeDirection direction, double zoom, Size displayed)
{
    const std::int64_t k = getIndex(currentSelectedBox.get(), imageIndex);
    const BoxPtr old = boxAt(k, imageIndex);
    if (!old)
        return false;
    const Point s = old->startLocation();
    const Point e = old->endLocation();
    constexpr double step = 1.0;
    bool allowed = false;
    Point shift;
    switch (direction) {
    case NudgeDirection::Up:
        allowed = s.y - step > 0;
        shift.y = -step;
        break;
    case NudgeDirection::Left:
        allowed = s.x - step > 0;
        shift.x = -step;
        break;
    case NudgeDirection::Right:
        allowed = e.x + step < displayed.width;
        shift.x = step;
        break;
    case NudgeDirection::Down:
        allowed = e.y + step < displayed.height;
        shift.y = step;
        break;
    }
    if (!allowed)
        return false;
    auto moved = std::make_shared<BoundingBoxProperty>(
        s + shift, e + shift, old->classLabel(), old->scaleFactor(), zoom, true, old->markTemplate());
    replaceBox(k, imageIndex, moved);
    currentSelectedBox.set(moved);
    emit boxReplaced(old, moved);
    emit boxesChanged(imageIndex);
    emit selectionChanged();
    return true;
}

void BoundingBoxManager::addDrawnBox(const BoxPtr& box, std::int64_t imageIndex, const void* origin)
{
    if (!box || !boxesOf(imageIndex))
        return;
    m_editorOrigin = origin;
    appendBox(box, imageIndex);
    select(box);
}

void BoundingBoxManager::forgetEditorOrigin(const void* origin)
{
    if (m_editorOrigin == origin)
        m_editorOrigin = nullptr;
}

void BoundingBoxManager::copySelection()
{
    if (!currentSelectedBox.get())
        return;
    currentCopySelectedBox.set(currentSelectedBox.get());
    emit commandsChanged();
}

// With no image open the buffer stays filled and nothing is pasted.
bool BoundingBoxManager::paste(std::int64_t imageIndex, double zoom)
{
    const BoxPtr copied = currentCopySelectedBox.get();
    if (!copied || !boxesOf(imageIndex))
        return false;
    auto pasted = std::make_shared<BoundingBoxProperty>(copied->startLocation(), copied->endLocation(),
        copied->classLabel(), copied->scaleFactor(), zoom, true, copied->markTemplate());
    appendBox(pasted, imageIndex, false);
    currentSelectedBox.set(pasted);
    emit selectionChanged();
    return true;
}

// A box of another image can stay selected after the image changed; it is not deleted here.
bool BoundingBoxManager::deleteSelection(std::int64_t imageIndex)
{
    const std::int64_t index = getIndex(currentSelectedBox.get(), imageIndex);
    if (index < 0)
        return false;
    hideCurrentBox(index, imageIndex);
    return true;
}

// The box now at the saved position is restored, not the saved object.
std::optional<std::int64_t> BoundingBoxManager::undoDelete(std::int64_t imageCount)
{
    if (undoStack.get().empty())
        return std::nullopt;
    const UndoEntry entry = undoStack.get().back();
    undoStack.modify([](auto& stack) { stack.pop_back(); });
    emit commandsChanged();
    const BoxPtr box = boxAt(entry.boxIndex, entry.imageIndex);
    if (!box || entry.imageIndex >= imageCount)
        return std::nullopt;
    box->setToShow(true);
    boxesWritten(entry.imageIndex);
    return entry.imageIndex;
}

void BoundingBoxManager::addImageLists(std::int64_t count)
{
    if (count <= 0)
        return;
    allBoundingBoxes.modify([count](auto& lists) { lists.resize(lists.size() + static_cast<size_t>(count)); });
    emit boxesChanged(-1);
}
