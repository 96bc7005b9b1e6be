#include "viewmodel/BoundingBoxManager.h"

#include <QHash>

#include <algorithm>

namespace
{
bool validIndex(std::int64_t index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }
} // namespace

const BoundingBoxManager::BoxList* BoundingBoxManager::boxesOf(std::int64_t imageIndex) const
{
    const auto& lists = allBoundingBoxes.get();
    return validIndex(imageIndex, lists.size()) ? &lists[static_cast<size_t>(imageIndex)] : nullptr;
}

BoxPtr BoundingBoxManager::boxAt(std::int64_t boxIndex, std::int64_t imageIndex) const
{
    const BoxList* list = boxesOf(imageIndex);
    if (!list || !validIndex(boxIndex, list->size()))
        return nullptr;
    return (*list)[static_cast<size_t>(boxIndex)];
}

BoxPtr BoundingBoxManager::listed(const BoxPtr& box, std::int64_t imageIndex) const
{
    return boxAt(getIndex(box, imageIndex), imageIndex);
}

bool BoundingBoxManager::replaceBox(std::int64_t boxIndex, std::int64_t imageIndex, const BoxPtr& box)
{
    if (!boxAt(boxIndex, imageIndex) || !box)
        return false;
    allBoundingBoxes.modify([&](auto& lists) { lists[size_t(imageIndex)][size_t(boxIndex)] = box; });
    return true;
}

void BoundingBoxManager::boxesWritten(std::int64_t imageIndex)
{
    scheduleChanged();
    emit boxesChanged(imageIndex);
}

void BoundingBoxManager::appendBox(const BoxPtr& box, std::int64_t imageIndex, bool showInfo)
{
    if (!box || !boxesOf(imageIndex))
        return;
    allBoundingBoxes.modify([&](auto& lists) { lists[size_t(imageIndex)].push_back(box); });
    toShowInfoUI.set(showInfo);
    emit boxesChanged(imageIndex);
}

void BoundingBoxManager::hideCurrentBox(std::int64_t index, std::int64_t imageIndex)
{
    const BoxPtr box = boxAt(index, imageIndex);
    if (!box)
        return;
    undoStack.modify([&](auto& stack) { stack.push_back({ index, imageIndex, box }); });
    box->setToShow(false);
    currentSelectedBox.set(nullptr);
    currentSelectedBoxColor.set(Palette::green);
    emit boxesChanged(imageIndex);
    emit selectionChanged();
    emit commandsChanged();
}

void BoundingBoxManager::updateScalingFactor(double factor, std::int64_t imageIndex, bool fromButton, double imageScale)
{
    const BoxList* list = boxesOf(imageIndex);
    if (!list)
        return;
    const size_t n = list->size();
    bool selectionReplaced = false;
    for (size_t k = 0; k < n; ++k) {
        const BoxPtr box = (*boxesOf(imageIndex))[k];
        box->setScaleFactor(std::max(0.3, box->scaleFactor() * factor));
        if (!fromButton) {
            box->setImageScale(imageScale);
            box->setStartLocation(box->startLocation() * factor);
            box->setEndLocation(box->endLocation() * factor);
            continue;
        }
        auto replacement = std::make_shared<BoundingBoxProperty>(box->startLocation() * factor,
            box->endLocation() * factor, box->classLabel(), box->scaleFactor(), imageScale, true, box->markTemplate());
        replaceBox(static_cast<std::int64_t>(k), imageIndex, replacement);
        replacement->setToShow(box->toShow());
        if (currentSelectedBox.get() && currentSelectedBox.get()->getID() == box->id()) {
            currentSelectedBox.set(replacement);
            selectionReplaced = true;
        }
        emit boxReplaced(box, replacement);
    }
    boxesWritten(imageIndex);
    if (selectionReplaced)
        emit selectionChanged();
}

void BoundingBoxManager::updateLocation(std::int64_t boxIndex, std::int64_t imageIndex, Size translation)
{
    const BoxPtr box = boxAt(boxIndex, imageIndex);
    if (!box)
        return;
    const double s = box->scaleFactor();
    const Point shift { translation.width / s, translation.height / s };
    box->setStartLocation(box->startLocation() + shift);
    box->setEndLocation(box->endLocation() + shift);
    boxesWritten(imageIndex);
}

std::int64_t BoundingBoxManager::getIndex(const BoxPtr& box, std::int64_t imageIndex) const
{
    const BoxList* list = boxesOf(imageIndex);
    if (!list || !box)
        return -1;
    const QString& id = box->getID();
    for (size_t k = 0; k < list->size(); ++k)
        if ((*list)[k]->getID() == id)
            return static_cast<std::int64_t>(k);
    return -1;
}

void BoundingBoxManager::deleteBoxForImage(std::int64_t imageIndex)
{
    if (!boxesOf(imageIndex))
        return;
    allBoundingBoxes.modify([&](auto& lists) { lists.erase(lists.begin() + imageIndex); });
    emit boxesChanged(-1);
}

std::int64_t BoundingBoxManager::getVisibleCount(std::int64_t imageIndex) const
{
    const BoxList* list = boxesOf(imageIndex);
    if (!list)
        return 0;
    return std::count_if(list->begin(), list->end(), [](const BoxPtr& b) { return b->toShow(); });
}

std::int64_t BoundingBoxManager::getTotalVisibleCount() const
{
    std::int64_t total = 0;
    const auto n = static_cast<std::int64_t>(allBoundingBoxes.get().size());
    for (std::int64_t i = 0; i < n; ++i)
        total += getVisibleCount(i);
    return total;
}

std::vector<ChartData> BoundingBoxManager::getDictClass(std::int64_t imageCount) const
{
    struct Tally {
        QString label; // the first spelling seen
        std::int64_t count;
    };
    // Canonically equivalent spellings of a label are one class.
    QHash<QString, Tally> counts;
    const auto& lists = allBoundingBoxes.get();
    const auto n = std::min<std::int64_t>(imageCount, static_cast<std::int64_t>(lists.size()));
    for (std::int64_t i = 0; i < n; ++i) {
        for (const BoxPtr& box : lists[size_t(i)]) {
            if (!box->toShow())
                continue;
            const QString& label = box->classLabel();
            // Latin-1 text is already in composed form; only other text needs normalising.
            const QString key = QtPrivate::isLatin1(label) ? label : label.normalized(QString::NormalizationForm_C);
            auto it = counts.find(key);
            if (it == counts.end())
                counts.insert(key, Tally { label, 1 });
            else
                ++it->count;
        }
    }
    std::vector<ChartData> result;
    result.reserve(size_t(counts.size()));
    for (const Tally& tally : counts)
        result.emplace_back(tally.label, tally.count);
    return result;
}
