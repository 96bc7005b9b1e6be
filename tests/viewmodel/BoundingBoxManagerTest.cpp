#include "viewmodel/BoundingBoxManager.h"

#include "BoxText.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace
{
BoxPtr box(Point s = { 0, 0 }, Point e = { 1, 1 }, const QString& label = "a", double scaleFactor = 1.0)
{
    return std::make_shared<BoundingBoxProperty>(s, e, label, scaleFactor);
}

struct Manager {
    BoundingBoxManager m;
    explicit Manager(int lists) { m.allBoundingBoxes.set(std::vector<BoundingBoxManager::BoxList>(size_t(lists))); }
    const BoundingBoxManager::BoxList& list(int i) const { return m.allBoundingBoxes.get()[size_t(i)]; }
};

std::map<QString, std::int64_t> tally(const std::vector<ChartData>& rows)
{
    std::map<QString, std::int64_t> result;
    for (const auto& row : rows)
        result[row.className] += row.classValueCounts;
    return result;
}
} // namespace

// Appending with the editor request, and hiding with its undo entry, are driven through the canvas
// and the box menu in the view tests; here the indices that name no list or box.
TEST(BoundingBoxManager, BadIndicesChangeNothingAndViewsHearOneChangePerBurst)
{
    Manager t(1);
    auto a = box(), b = box();
    QSignalSpy willChange(&t.m, &ObservableObject::objectWillChange), changed(&t.m, &ObservableObject::changed);
    t.m.appendBox(a, 0, false);
    t.m.appendBox(b, 0, true);
    t.m.hideCurrentBox(1, 0);
    // Append and flag twice, undo entry, selection, colour: heard once the burst is over.
    EXPECT_EQ(std::tuple(willChange.count(), changed.count()), std::tuple(7, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);
    t.m.hideCurrentBox(1, 0); // hiding again still records an entry
    EXPECT_EQ(std::tuple(t.m.undoStack.get().size(), t.m.getVisibleCount(0), t.m.getIndex(b, 0)), std::tuple(2u, 1, 1));

    // A -1 from a lookup that found nothing, or a list that is gone.
    t.m.currentSelectedBox.set(a);
    willChange.clear();
    t.m.appendBox(box(), 3);
    t.m.appendBox(box(), -1);
    for (const auto& [index, image] : { std::pair(-1, 0), std::pair(3, 0), std::pair(0, 1) })
        t.m.hideCurrentBox(index, image);
    EXPECT_EQ(std::tuple(willChange.count(), t.list(0).size(), t.m.undoStack.get().size(), a->toShow()),
        std::tuple(0, 2u, 2u, true));
    EXPECT_EQ(t.m.currentSelectedBox.get(), a);
}

// The pinch's in-place rescale is driven in PinchZoomTest; the scale factor stops at 0.3.
TEST(BoundingBoxManager, ZoomsRescaleInPlaceOrReplaceTheBoxesAndMoveTheSelection)
{
    Manager t(1);
    auto pinched = box({ 100, 100 }, { 200, 300 }, "a", 0.32);
    t.m.appendBox(pinched, 0, false);
    t.m.updateScalingFactor(0.9, 0, false, 0.9);
    EXPECT_EQ(boxText(pinched), "a 90,90 180,270 px 100,100 200,300 s0.3 i0.9");

    auto shown = box({ 100, 100 }, { 200, 300 }, "cat", 0.32);
    shown->setMarkTemplate(true);
    auto hidden = box({ 10, 10 }, { 20, 20 }, "dog");
    t.m.allBoundingBoxes.set({ {} });
    t.m.appendBox(shown, 0, false);
    t.m.appendBox(hidden, 0, false);
    t.m.hideCurrentBox(1, 0);
    t.m.currentSelectedBox.set(shown);
    t.m.currentCopySelectedBox.set(shown);
    t.m.updateScalingFactor(1.1, 0, true, 1.1);
    const auto& list = t.list(0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[0]->id(), shown->id());
    EXPECT_EQ(boxesText(list),
        "catT 110,110 220,330 px 100,100 200,300 s0.352 i1.1 | dog- 11,11 22,22 px 10,10 20,20 s1.1 i1.1");
    EXPECT_EQ(t.m.currentSelectedBox.get(), list[0]);
    // The replaced box keeps its corners but carries the new scale factor; the copy buffer keeps it.
    EXPECT_EQ(t.m.currentCopySelectedBox.get(), shown);
    EXPECT_EQ(boxText(shown), "catT 100,100 200,300 px 100,100 200,300 s0.352 i1");
    EXPECT_EQ(t.m.undoStack.get().back().box, hidden); // undo entries are positions, untouched
    t.m.updateScalingFactor(1.1, 7, true, 1.1); // no such list
    EXPECT_EQ(t.list(0).size(), 2u);
}

TEST(BoundingBoxManager, LookupMoveRemoveAndCounts)
{
    Manager t(3);
    auto a = box({ 0, 0 }, { 4, 4 }, "a", 2.0);
    for (int image : { 0, 1, 2, 2 })
        t.m.appendBox(image ? box() : a, image, false);
    const std::tuple<BoxPtr, int, std::int64_t> lookups[] { { box({ 0, 0 }, { 4, 4 }, "a", 2.0), 0, -1 }, { a, 0, 0 },
        { a, 1, -1 }, { a, 9, -1 }, { nullptr, 0, -1 } };
    for (const auto& [what, image, index] : lookups)
        EXPECT_EQ(t.m.getIndex(what, image), index) << image;

    t.m.updateLocation(0, 0, { 10, 20 });
    t.m.updateLocation(5, 0, { 10, 20 });
    EXPECT_EQ(cornersText(a), "5,10 9,14");

    EXPECT_EQ(t.m.getTotalVisibleCount(), 4);
    t.m.hideCurrentBox(0, 2);
    const auto undoBefore = t.m.undoStack.get().size();
    t.m.deleteBoxForImage(1);
    ASSERT_EQ(t.m.allBoundingBoxes.get().size(), 2u);
    EXPECT_EQ(t.list(0)[0], a);
    EXPECT_EQ(std::tuple(t.list(1).size(), t.m.undoStack.get().size(), t.m.getTotalVisibleCount(),
                  t.m.getVisibleCount(1), t.m.getVisibleCount(5)),
        std::tuple(2u, undoBefore, 2, 1, 0));
    t.m.deleteBoxForImage(5);
    t.m.deleteBoxForImage(-1);
    EXPECT_EQ(t.m.allBoundingBoxes.get().size(), 2u);
}

TEST(BoundingBoxManager, ClassStatisticsCountShownLabelsOfTheFirstImages)
{
    Manager t(3);
    const std::pair<int, const char*> labels[] { { 0, "A" }, { 0, "B" }, { 0, "A" }, { 0, "A" }, { 1, "B" }, { 1, "b" },
        { 1, "" }, { 1, "caf\u00e9" }, { 1, "cafe\u0301" }, { 2, "C" } };
    for (const auto& [image, label] : labels)
        t.m.appendBox(box({ 0, 0 }, { 1, 1 }, QString::fromUtf8(label)), image, false);
    t.m.hideCurrentBox(3, 0);

    EXPECT_TRUE(t.m.getDictClass(0).empty());
    EXPECT_TRUE(t.m.getDictClass(-3).empty());
    EXPECT_EQ(tally(t.m.getDictClass(1)), (std::map<QString, std::int64_t> { { "A", 2 }, { "B", 1 } }));
    const auto rows = t.m.getDictClass(2);
    EXPECT_EQ(rows.size(), 5u);
    // Both spellings of "café" are one class.
    EXPECT_EQ(tally(rows),
        (std::map<QString, std::int64_t> {
            { "A", 2 }, { "B", 2 }, { "b", 1 }, { "", 1 }, { QString::fromUtf8("caf\u00e9"), 2 } }));
    EXPECT_EQ(tally(t.m.getDictClass(99)).at("C"), 1);
    for (const auto& row : t.m.getDictClass(2))
        EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [&](const ChartData& r) { return r.id == row.id; }));
}

// Each gesture says what it changed: which image's boxes, the selection, the commands' state.
TEST(BoundingBoxManager, GesturesChangeTheModelAndSayWhatChanged)
{
    Manager t(2);
    auto a = box({ 10, 10 }, { 30, 20 }, "a"), b = box({ 50, 50 }, { 60, 60 }, "b");
    t.m.appendBox(a, 1, false);
    t.m.appendBox(b, 1, false);
    QSignalSpy boxes(&t.m, &BoundingBoxManager::boxesChanged), selection(&t.m, &BoundingBoxManager::selectionChanged),
        commands(&t.m, &BoundingBoxManager::commandsChanged);
    // Which image's boxes changed (-2: none), and how often the selection and the commands did.
    const auto heard = [&](std::int64_t image, int selections, int commandChanges) {
        const bool ok = (image == -2 ? boxes.isEmpty() : boxes.size() == 1 && boxes[0][0].toLongLong() == image)
            && selection.size() == selections && commands.size() == commandChanges;
        boxes.clear(), selection.clear(), commands.clear();
        return ok;
    };

    t.m.select(a);
    EXPECT_TRUE(heard(-2, 1, 0));
    EXPECT_EQ(t.m.currentSelectedBoxColor.get(), Palette::blue);
    t.m.select(a); // already so: nothing to say
    EXPECT_TRUE(heard(-2, 0, 0));
    t.m.dimSelection();
    EXPECT_TRUE(heard(-2, 1, 0));
    EXPECT_EQ(t.m.currentSelectedBox.get(), a);
    EXPECT_EQ(t.m.currentSelectedBoxColor.get(), Palette::green);

    // A move keeps the size and stays inside the displayed image; only the selected box moves. Past
    // each edge the box stops on it; a box wider than the image ends on the right edge.
    t.m.select(a);
    heard(-2, 1, 0);
    EXPECT_TRUE(t.m.moveBox(a, 1, { -15, 100 }, { 100, 50 }));
    EXPECT_TRUE(heard(1, 0, 0));
    const std::tuple<Size, Size, std::string> moves[] { { { 0, 0 }, { 100, 50 }, "0,40 20,50" },
        { { 200, 0 }, { 100, 50 }, "80,40 100,50" }, { { 0, -99 }, { 100, 50 }, "80,0 100,10" },
        { { -200, 70 }, { 100, 50 }, "0,40 20,50" }, { { 5, 0 }, { 15, 50 }, "-5,40 15,50" } };
    for (const auto& [by, displayed, corners] : moves) {
        t.m.moveBox(a, 1, by, displayed);
        EXPECT_EQ(cornersText(a), corners) << by.width << "," << by.height;
    }
    t.m.moveBox(a, 1, { 5, 0 }, { 100, 50 });
    boxes.clear();
    EXPECT_FALSE(t.m.moveBox(b, 1, { 1, 1 }, { 100, 50 }));
    EXPECT_FALSE(t.m.moveBox(a, 0, { 1, 1 }, { 100, 50 }));
    EXPECT_TRUE(heard(-2, 0, 0));

    EXPECT_TRUE(t.m.setCorner(b, 1, BoxCorner::End, { 70, 65 }));
    EXPECT_TRUE(heard(1, 0, 0));
    EXPECT_EQ(cornersText(b), "50,50 70,65");

    t.m.setEditorRequested(true);
    EXPECT_TRUE(t.m.applyEdit(b, 1, { "bird", Point { 4, 5 }, std::nullopt, true }, 2.0));
    EXPECT_TRUE(heard(1, 0, 0));
    EXPECT_EQ(boxText(b), "birdT 8,10 70,65 px 8,10 70,65 s1 i1");
    EXPECT_FALSE(t.m.toShowInfoUI.get());
    EXPECT_FALSE(t.m.applyEdit(b, 0, { "x", std::nullopt, std::nullopt, false }, 1.0));

    // A nudge puts a new box in the selected box's place and selects it; the copy buffer keeps the old.
    t.m.copySelection();
    EXPECT_TRUE(heard(-2, 0, 1));
    EXPECT_TRUE(t.m.nudgeSelected(1, NudgeDirection::Right, 2.0, { 100, 50 }));
    EXPECT_TRUE(heard(1, 1, 0));
    const BoxPtr nudged = t.list(1)[0];
    EXPECT_NE(nudged, a);
    EXPECT_EQ(t.m.currentSelectedBox.get(), nudged);
    EXPECT_EQ(boxText(nudged), "a 1,40 21,50 px 0.5,20 10.5,25 s1 i2");
    EXPECT_EQ(t.m.currentCopySelectedBox.get(), a);
    EXPECT_FALSE(t.m.nudgeSelected(0, NudgeDirection::Right, 1.0, { 100, 50 })); // not in that list

    EXPECT_TRUE(t.m.paste(0, 1.5));
    EXPECT_TRUE(heard(0, 1, 0));
    ASSERT_EQ(t.list(0).size(), 1u);
    EXPECT_EQ(t.list(0)[0]->imageScale(), 1.5);
    EXPECT_EQ(t.m.currentSelectedBox.get(), t.list(0)[0]);
    EXPECT_FALSE(t.m.paste(4, 1.0));

    // Delete takes the selection only from the list it names; undo shows the box at the saved place.
    EXPECT_FALSE(t.m.deleteSelection(1));
    EXPECT_TRUE(t.m.deleteSelection(0));
    EXPECT_TRUE(heard(0, 1, 1));
    EXPECT_FALSE(t.list(0)[0]->toShow());
    EXPECT_EQ(t.m.undoDelete(2), std::optional<std::int64_t>(0));
    EXPECT_TRUE(t.list(0)[0]->toShow());
    EXPECT_TRUE(heard(0, 0, 1));
    t.m.select(nudged);
    t.m.deleteSelection(1);
    heard(1, 1, 1);
    EXPECT_EQ(t.m.undoDelete(1), std::nullopt); // its image is gone: the entry is used up
    EXPECT_TRUE(heard(-2, 0, 1));
    EXPECT_TRUE(t.m.undoStack.get().empty());
    EXPECT_FALSE(nudged->toShow());
    EXPECT_EQ(t.m.undoDelete(2), std::nullopt);

    const auto drawn = box();
    int origin = 0;
    t.m.addDrawnBox(drawn, 0, &origin);
    EXPECT_TRUE(heard(0, 1, 0));
    EXPECT_EQ(std::tuple(t.m.currentSelectedBox.get(), t.m.toShowInfoUI.get(), t.m.editorOrigin()),
        std::tuple(drawn, true, &origin));
    t.m.forgetEditorOrigin(&origin);
    EXPECT_EQ(t.m.editorOrigin(), nullptr);
}
