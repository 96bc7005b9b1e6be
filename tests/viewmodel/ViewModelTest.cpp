#include "viewmodel/BoundingBoxManager.h"
#include "viewmodel/CursorManager.h"
#include "viewmodel/FunctionalityBarNavigator.h"
#include "viewmodel/ImageManager.h"
#include "viewmodel/MatchSetting.h"
#include "viewmodel/SidebarNavigator.h"

#include "BoxText.h"
#include "CapturedOutput.h"
#include "FakeFileDialogs.h"
#include "TestEnvironment.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <csignal>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
BoxPtr box(Point s = { 0, 0 }, Point e = { 1, 1 }, const QString& label = "a", double scaleFactor = 1.0,
    double imageScale = 1.0, bool markTemplate = false)
{
    return std::make_shared<BoundingBoxProperty>(s, e, label, scaleFactor, imageScale, true, markTemplate);
}

struct Manager {
    BoundingBoxManager m;
    QString dir = TestEnvironment::makeTempDir();
    FakeFileDialogs dialogs;
    ImageManager images { m };
    explicit Manager(int lists = 2)
    {
        m.allBoundingBoxes.set(std::vector<BoundingBoxManager::BoxList>(size_t(lists)));
        images.setFileDialogs(&dialogs);
    }
    const BoundingBoxManager::BoxList& list(int i) const { return m.allBoundingBoxes.get()[size_t(i)]; }
    void add(const BoxPtr& b, int i = 0) { m.appendBox(b, i, false); }
    QString path(const QString& name) const { return dir + QLatin1Char('/') + name; }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    QStringList ids() const
    {
        QStringList result;
        for (const auto& image : images.allImages.get())
            result << image->id();
        return result;
    }
    QByteArray read(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    // Writes the file and gives its URL as the script hands it over.
    QString file(const QString& name, const QByteArray& bytes) const
    {
        return QUrl::fromLocalFile(TestEnvironment::writeFile(path(name), bytes)).toString(QUrl::FullyEncoded);
    }
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

// The pinch's in-place rescale is driven in CanvasViewTest; the scale factor stops at 0.3.
TEST(BoundingBoxManager, ZoomsRescaleInPlaceOrReplaceTheBoxesAndMoveTheSelection)
{
    Manager t(1);
    auto pinched = box({ 100, 100 }, { 200, 300 }, "a", 0.32);
    t.m.appendBox(pinched, 0, false);
    t.m.updateScalingFactor(0.9, 0, false, 0.9);
    EXPECT_EQ(boxText(pinched), "a 90,90 180,270 px 100,100 200,300 s0.3 i0.9");

    auto shown = box({ 100, 100 }, { 200, 300 }, "cat", 0.32, 1, true);
    auto hidden = box({ 10, 10 }, { 20, 20 }, "dog");
    t.m.allBoundingBoxes.set({ {} });
    t.add(shown), t.add(hidden);
    t.m.hideCurrentBox(1, 0);
    t.m.currentSelectedBox.set(shown), t.m.currentCopySelectedBox.set(shown);
    t.m.updateScalingFactor(1.1, 0, true, 1.1);
    const auto& list = t.list(0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[0]->id(), shown->id());
    EXPECT_EQ(boxesText(list),
        "catT 110,110 220,330 px 100,100 200,300 s0.352 i1.1 | dog- 11,11 22,22 px 10,10 20,20 s1.1 i1.1");
    // The replaced box keeps its corners but carries the new scale factor; the copy buffer keeps it, and
    // undo entries are positions, untouched.
    EXPECT_EQ(
        std::tuple(t.m.currentSelectedBox.get(), t.m.currentCopySelectedBox.get(), t.m.undoStack.get().back().box),
        std::tuple(list[0], shown, hidden));
    EXPECT_EQ(boxText(shown), "catT 100,100 200,300 px 100,100 200,300 s0.352 i1");
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
    EXPECT_EQ(std::tuple(t.list(0)[0], t.list(1).size(), t.m.undoStack.get().size(), t.m.getTotalVisibleCount(),
                  t.m.getVisibleCount(1), t.m.getVisibleCount(5)),
        std::tuple(a, 2u, undoBefore, 2, 1, 0));
    t.m.deleteBoxForImage(5), t.m.deleteBoxForImage(-1);
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

    EXPECT_TRUE(t.m.getDictClass(0).empty() && t.m.getDictClass(-3).empty());
    EXPECT_EQ(tally(t.m.getDictClass(1)), (std::map<QString, std::int64_t> { { "A", 2 }, { "B", 1 } }));
    // Both spellings of "café" are one class.
    const auto rows = t.m.getDictClass(2);
    ASSERT_EQ(rows.size(), 5u);
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
    EXPECT_EQ(
        std::tuple(t.m.currentSelectedBox.get(), t.m.currentSelectedBoxColor.get()), std::tuple(a, Palette::green));

    // A move keeps the size and stays inside the displayed image; only the selected box moves. Past
    // each edge the box stops on it; a box wider than the image ends on the right edge.
    t.m.select(a);
    heard(-2, 1, 0);
    EXPECT_TRUE(t.m.moveBox(a, 1, { -15, 100 }, { 100, 50 }) && heard(1, 0, 0));
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

    EXPECT_TRUE(t.m.setCorner(b, 1, BoxCorner::End, { 70, 65 }) && heard(1, 0, 0));
    EXPECT_EQ(cornersText(b), "50,50 70,65");

    t.m.setEditorRequested(true);
    EXPECT_TRUE(t.m.applyEdit(b, 1, { "bird", Point { 4, 5 }, std::nullopt, true }, 2.0) && heard(1, 0, 0));
    EXPECT_EQ(boxText(b), "birdT 8,10 70,65 px 8,10 70,65 s1 i1");
    EXPECT_FALSE(t.m.toShowInfoUI.get());
    EXPECT_FALSE(t.m.applyEdit(b, 0, { "x", std::nullopt, std::nullopt, false }, 1.0));

    // A nudge puts a new box in the selected box's place and selects it; the copy buffer keeps the old.
    t.m.copySelection();
    EXPECT_TRUE(heard(-2, 0, 1));
    EXPECT_TRUE(t.m.nudgeSelected(1, NudgeDirection::Right, 2.0, { 100, 50 }) && heard(1, 1, 0));
    const BoxPtr nudged = t.list(1)[0];
    EXPECT_NE(nudged, a);
    EXPECT_EQ(std::tuple(t.m.currentSelectedBox.get(), t.m.currentCopySelectedBox.get()), std::tuple(nudged, a));
    EXPECT_EQ(boxText(nudged), "a 1,40 21,50 px 0.5,20 10.5,25 s1 i2");
    EXPECT_FALSE(t.m.nudgeSelected(0, NudgeDirection::Right, 1.0, { 100, 50 })); // not in that list

    EXPECT_TRUE(t.m.paste(0, 1.5) && heard(0, 1, 0));
    ASSERT_EQ(t.list(0).size(), 1u);
    EXPECT_EQ(std::tuple(t.list(0)[0]->imageScale(), t.m.currentSelectedBox.get()), std::tuple(1.5, t.list(0)[0]));
    EXPECT_FALSE(t.m.paste(4, 1.0));

    // Delete takes the selection only from the list it names; undo shows the box at the saved place.
    EXPECT_FALSE(t.m.deleteSelection(1));
    EXPECT_TRUE(t.m.deleteSelection(0) && heard(0, 1, 1));
    EXPECT_FALSE(t.list(0)[0]->toShow());
    EXPECT_EQ(t.m.undoDelete(2), std::optional<std::int64_t>(0));
    EXPECT_TRUE(t.list(0)[0]->toShow());
    EXPECT_TRUE(heard(0, 0, 1));
    t.m.select(nudged);
    t.m.deleteSelection(1);
    heard(1, 1, 1);
    EXPECT_EQ(t.m.undoDelete(1), std::nullopt); // its image is gone: the entry is used up
    EXPECT_TRUE(heard(-2, 0, 1));
    EXPECT_TRUE(t.m.undoStack.get().empty() && !nudged->toShow());
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

TEST(JsonBoxFile, WritesTheExactBytesOfTheShownBoxes)
{
    Manager t;
    t.add(box({ 10, 20 }, { 5.5, 0.1 + 0.2 }, "cat/dog", 1, 1, true));
    t.add(box({ 1, 1 }, { 2, 2 }, "hidden", 1, 1, true));
    t.m.hideCurrentBox(1, 0);
    // Zoomed and reversed: the pixel corners are written, in the box's own order.
    t.add(box({ 300, 45 }, { 3, 1.5 }, QString::fromUtf8("čšž \"猫\"\n"), 1, 1.5));
    t.add(box({ -0.0, 1e-7 }, { 123456789.125, 1e21 }, ""));

    const QByteArray cat = R"({"label":"cat\/dog","bboxCoord":[[10.0,20.0],[5.5,0.30000000000000004]]})";
    QString error;
    ASSERT_TRUE(t.m.saveAsJson(t.url("all.json"), QString::fromUtf8("a/b ü.png"), 0, &error) && error.isEmpty());
    EXPECT_EQ(t.read("all.json"),
        R"({"imageName":"a\/b ü.png","imageIndex":0,"shapes":[)" + cat
            + R"(,{"label":"čšž \"猫\"\n","bboxCoord":[[200.0,30.0],[2.0,1.0]]},)"
              R"({"label":"","bboxCoord":[[-0.0,1e-07],[123456789.125,1e+21]]}]})");
    // Only shown templates go to the matching file; an image without shown boxes still gets its file.
    ASSERT_TRUE(t.m.cacheJson(t.url("templates.json"), "x.png", 0));
    EXPECT_EQ(t.read("templates.json"), R"({"imageName":"x.png","imageIndex":0,"shapes":[)" + cat + "]}");
    ASSERT_TRUE(t.m.saveAsJson(t.url("empty.json"), "e.png", 1));
    EXPECT_EQ(t.read("empty.json"), QByteArray(R"({"imageName":"e.png","imageIndex":1,"shapes":[]})"));
}

TEST(JsonBoxFile, EveryFiniteDoubleReadsBackIdentically)
{
    using Limits = std::numeric_limits<double>;
    JSONData data { "r", -9223372036854775807 - 1,
        { { "edges", { { Limits::max(), Limits::denorm_min() }, { Limits::lowest(), Limits::min() } } } } };
    for (std::mt19937_64 random(42); data.shapes.size() < 2000;)
        if (const double v = std::bit_cast<double>(random()); std::isfinite(v))
            data.shapes.push_back({ "s", { { v, -v }, { v / 3, 1.0 / double(data.shapes.size()) } } });
    const auto bytes = encodeJSONData(data);
    ASSERT_TRUE(bytes && !bytes->contains('\n'));
    const auto back = decodeJSONData(*bytes);
    ASSERT_TRUE(back && back->shapes.size() == data.shapes.size());
    EXPECT_EQ(back->imageIndex, data.imageIndex);
    for (size_t s = 0; s < data.shapes.size(); ++s) // bit for bit
        for (size_t p = 0; p < 2; ++p)
            ASSERT_EQ(std::memcmp(back->shapes[s].bboxCoord[p].data(), data.shapes[s].bboxCoord[p].data(), 16), 0) << s;
}

TEST(JsonBoxFile, FailedSavesSayWhyAndKeepTheEarlierFile)
{
    Manager t;
    t.file("keep.json", "earlier");
    t.add(box({ 0, 0 }, { std::numeric_limits<double>::infinity(), 1 }, "bad"));
    QString error;
    const auto failedSave = [&](const QUrl& url, bool cache = false) {
        CapturedOutput out;
        error.clear();
        EXPECT_FALSE(cache ? t.m.cacheJson(url, "x.png", 0, &error) : t.m.saveAsJson(url, "x.png", 0, &error));
        return out.text();
    };
    EXPECT_EQ(failedSave(t.url("keep.json")), ""); // an encoding failure touches no file
    EXPECT_TRUE(error.contains("not a finite number")) << error.toStdString();
    EXPECT_EQ(t.read("keep.json"), QByteArray("earlier"));
    t.m.hideCurrentBox(0, 0);

    const std::string printed = failedSave(t.url("no/such/folder/x.json"));
    EXPECT_TRUE(error.contains(t.path("no/such/folder/x.json"))) << error.toStdString();
    EXPECT_EQ(printed, "Failed to write JSON data: " + error.toStdString() + "\n");
    EXPECT_TRUE(failedSave(QUrl("http://example.org/x.json"), true).starts_with("Failed to write JSON data: "));

    // A write that fails half-way (the file size limit) leaves the earlier file whole.
    for (int k = 0; k < 50; ++k)
        t.add(box({ 0, 0 }, { 1, 1 }, "a long label to make the file large"));
    rlimit previous {};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small { 64, previous.rlim_max };
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    CapturedOutput out;
    const bool saved = t.m.saveAsJson(t.url("keep.json"), "x.png", 0, &error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(!saved && out.text().starts_with("Failed to write JSON data: ")) << out.text();
    EXPECT_EQ(t.read("keep.json"), QByteArray("earlier"));
    EXPECT_EQ(QDir(t.dir).entryList(QDir::Files), QStringList { "keep.json" });
}

TEST(JsonBoxFile, ReadingIsStrict)
{
    Manager t;
    const auto shapes
        = [](const QByteArray& list) { return R"({"imageName":"a","imageIndex":0,"shapes":[)" + list + "]}"; };
    const std::pair<QByteArray, std::string> rejected[] {
        { R"({"imageIndex":0,"shapes":[]})", "missing key \"imageName\"" },
        { R"({"imageName":5,"imageIndex":0,"shapes":[]})", "\"imageName\" is number" },
        { R"({"imageName":"a","imageIndex":1.5,"shapes":[]})", "\"imageIndex\" is not a whole number" },
        { R"({"imageName":"a","imageIndex":"1","shapes":[]})", "\"imageIndex\" is string" },
        { R"({"imageName":"a","imageIndex":9223372036854775808,"shapes":[]})", "\"imageIndex\" is not a whole" },
        { R"({"imageName":"a","imageIndex":-9223372036854775809,"shapes":[]})", "\"imageIndex\" is not a whole" },
        { R"({"imageName":"a","imageIndex":0})", "missing key \"shapes\"" },
        { R"({"imageName":"a","imageIndex":0,"shapes":{}})", "\"shapes\" is object" },
        { shapes("3"), "\"shapes[0]\" is number" },
        { shapes(R"({"bboxCoord":[]})"), "missing key \"shapes[0].label\"" },
        { shapes(R"({"label":"x","bboxCoord":null})"), "is null" },
        { shapes(R"({"label":"x","bboxCoord":[1,2]})"), "bboxCoord[0]\" is" },
        { shapes(R"({"label":"x","bboxCoord":[[1,2],[{},3]]})"),
            "\"shapes[0].bboxCoord[1][0]\" is object, not a number" },
        { shapes(R"({"label":"x","bboxCoord":[[1,1e999]]})"), "number overflow" },
        { shapes("") + " x", "not valid JSON" },
        { R"([])", "is array, not an object" },
        { "", "not valid JSON" },
        // Of a repeated key the last counts; strings are well-formed UTF-8, escapes included.
        { shapes("").chopped(1) + R"(,"shapes":[{"label":5,"bboxCoord":[]}]})",
            "\"shapes[0].label\" is number, not a string" },
        { R"({"imageName":"\udc00","imageIndex":0,"shapes":[]})", "not valid JSON" },
        { "{\"imageName\":\"\xC0\x80\",\"imageIndex\":0,\"shapes\":[]}", "ill-formed UTF-8" },
    };
    for (const auto& [bytes, reason] : rejected) {
        CapturedOutput out;
        EXPECT_FALSE(t.m.loadJSON(t.file("bad.json", bytes))) << bytes.constData();
        EXPECT_TRUE(out.has(reason)) << bytes.constData() << " printed " << out.text();
    }
    CapturedOutput out;
    EXPECT_FALSE(t.m.loadJSON(t.url("missing.json").toString(QUrl::FullyEncoded)));
    EXPECT_FALSE(t.m.loadJSON("not a url at all"));
    EXPECT_TRUE(out.has("missing.json") && out.has("not a file URL")) << out.text();

    // Only a regular file of a sane size is read, at once: a pipe nobody writes to, an endless device,
    // a sparse file of 3 GB, and a name cut short at a NUL, which would read the file before it.
    ASSERT_EQ(mkfifo(QFile::encodeName(t.path("pipe.json")).constData(), 0600), 0);
    QFile sparse(t.path("sparse.json"));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(3) << 30));
    const QString good = t.file("good.json", R"({"imageName":"a","imageIndex":0,"shapes":[]})");
    const std::pair<QString, std::string> special[] { { t.url("pipe.json").toString(), "a named pipe" },
        { "file:///dev/zero", "a character device" },
        { t.url("sparse.json").toString(), "3.0 GB, more than the 512.0 MB" },
        { QUrl::fromLocalFile(t.path("good.json") + QChar(u'\0') + "x").toString(QUrl::FullyEncoded), "NUL" } };
    for (const auto& [url, reason] : special) {
        EXPECT_FALSE(t.m.loadJSON(url)) << url.toStdString();
        EXPECT_TRUE(out.has(reason)) << out.text();
    }
    EXPECT_TRUE(t.m.loadJSON(good));

    // A byte order mark, escaped keys, deep nesting where nothing is read, "-0" as the integer 0, an
    // underflow as 0, and a NUL byte after the object, which ends the text.
    QByteArray odd = "\xEF\xBB\xBF{\"imag\\u0065Name\":\"\\u00e9\\ud83d\\ude00\",\"imageIndex\":0,\"deep\":";
    odd += QByteArray(100000, '[') + QByteArray(100000, ']');
    odd += R"(,"shapes":[{"label":1}],"shapes":[{"label":"","bboxCoord":[[-0,1e-400,-0.0]]}]})";
    const auto oddData = t.m.loadJSON(t.file("odd.json", odd + QByteArray("\0 ignored", 9)));
    ASSERT_TRUE(oddData);
    EXPECT_EQ(encodeJSONData(*oddData),
        QByteArray(R"({"imageName":"é😀","imageIndex":0,"shapes":[{"label":"","bboxCoord":[[0.0,0.0,-0.0]]}]})"));
    for (const char* index : { "-9223372036854775808", "9223372036854775807", "-0" }) {
        const auto edge = t.m.loadJSON(
            t.file("edge.json", QByteArray(R"({"imageName":"","imageIndex":)") + index + R"(,"shapes":[]})"));
        ASSERT_TRUE(edge) << index;
        EXPECT_EQ(QByteArray::number(qlonglong(edge->imageIndex)), QByteArray(index).replace("-0", "0"));
    }
}

TEST(JsonBoxFile, MatchedBoxesReplaceTheNonTemplateBoxes)
{
    Manager t(3);
    const BoxPtr shownTemplate = box({ 0, 0 }, { 9, 9 }, "t", 1, 1, true), plain = box({ 2, 2 }, { 4, 4 }, "p"),
                 hiddenTemplate = box({ 1, 1 }, { 5, 5 }, "h", 1, 1, true);
    for (const BoxPtr& b : { shownTemplate, plain, hiddenTemplate })
        t.add(b, 1);
    t.m.hideCurrentBox(2, 1);
    t.m.currentSelectedBox.set(plain);
    t.m.toShowInfoUI.set(true);
    const auto undo = t.m.undoStack.get().size();
    QSignalSpy spy(&t.m, &ObservableObject::objectWillChange);
    CapturedOutput out;
    const auto match = [&](const QByteArray& index, const QByteArray& shapes, double scale = 1.0, double zoom = 1.0) {
        t.m.updateMatchedBox(
            t.file("m.json", R"({"imageName":"x","imageIndex":)" + index + R"(,"shapes":[)" + shapes + "]}"), scale,
            zoom);
    };

    // Files that cannot be read or name no list change nothing.
    for (const char* index : { "3", "-1", "9223372036854775807" })
        match(index, R"({"label":"a","bboxCoord":[[1,2],[3,4]]})");
    t.m.updateMatchedBox(t.file("broken.json", R"({"imageIndex":1,"shapes":[]})"));
    t.m.updateMatchedBox(t.url("missing.json").toString(QUrl::FullyEncoded));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(t.list(1), (BoundingBoxManager::BoxList { shownTemplate, plain, hiddenTemplate }));
    EXPECT_TRUE(out.has("the file names image index 9223372036854775807, and there are 3 images")) << out.text();
    EXPECT_TRUE(out.has("missing key \"imageName\""));

    match("1",
        R"({"label":"cat","bboxCoord":[[10,20],[30,40]]},{"label":"short","bboxCoord":[[1,2]]},)"
        R"({"label":"thin","bboxCoord":[[1,2],[3]]},{"label":"","bboxCoord":[[7,8,9],[1,2],[5,5]]})",
        0.7, 1.5);
    EXPECT_EQ(spy.count(), 3); // the list once, then each added box
    EXPECT_TRUE(out.has("Matched box 2 (\"short\") skipped") && out.has("Matched box 3 (\"thin\") skipped"))
        << out.text();
    const auto& list = t.list(1);
    EXPECT_EQ(boxesText(list),
        "tT 0,0 9,9 px 0,0 9,9 s1 i1 | hT- 1,1 5,5 px 1,1 5,5 s1 i1 | cat 15,30 45,60 px 10,20 30,40 s0.7 i1.5 | "
        " 10.5,12 1.5,3 px 7,8 1,2 s0.7 i1.5");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(std::tuple(list[0], list[1]), std::tuple(shownTemplate, hiddenTemplate));
    EXPECT_NE(list[3]->id(), list[2]->id());
    // Nothing else moved: the dropped box stays selected, the undo stack and editor request are as they were.
    EXPECT_EQ(
        std::tuple(t.m.currentSelectedBox.get(), t.m.undoStack.get().size(), t.m.toShowInfoUI.get(), t.list(0).empty()),
        std::tuple(plain, undo, true, true));

    // Matching again with no shapes removes the earlier matches; with the default scales the displayed
    // corners are the file's pixels.
    match("1", "");
    EXPECT_EQ(t.list(1), (BoundingBoxManager::BoxList { shownTemplate, hiddenTemplate }));
    match("1", R"({"label":"a","bboxCoord":[[1.25,2],[3,4]]})");
    ASSERT_EQ(t.list(1).size(), 3u);
    EXPECT_EQ(cornersText(t.list(1)[2]), "1.25,2 3,4");
}

TEST(ImageProperty, ReadsAFileOrGivesARecordWithTheReasonAndHugeHeadersAreNotDecoded)
{
    const QString dir = TestEnvironment::makeTempDir();
    const auto bytes = [&](const QString& name) {
        QFile file(TestImages::write(dir, name, 300, 200, Qt::red));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray png = bytes("whole.png"), jpg = bytes("whole.jpg");
    const std::pair<const char*, QByteArray> files[] { { "truncated.png", png.left(png.size() / 2) },
        { "truncated.jpg", jpg.left(jpg.size() / 2) }, { "png named.jpg", png }, { "zero.png", {} },
        { "text.png", "this is not an image at all" }, { "bomb.png", TestImages::pngHeader(100000, 100000) },
        { "just over.png", TestImages::pngHeader(20000, 12501) }, { "tall.png", TestImages::pngHeader(12501, 20000) } };
    for (const auto& [name, data] : files)
        TestEnvironment::writeFile(dir + "/" + name, data);
    QDir(dir).mkdir("folder.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(dir + "/pipe.png").constData(), 0600), 0);
    TestImages::write(dir, "a.b.png", 5, 3, QColor(90, 90, 90));

    // Name, size from the header, whether a picture is read (a truncated JPEG is filled in), a part of the error.
    const std::tuple<QString, int, int, bool, QString> cases[] { { "a.b.png", 5, 3, true, "" },
        { "missing.png", 0, 0, false, "No such file" }, { "zero.png", 0, 0, false, "" },
        { "text.png", 0, 0, false, "" }, { "folder.png", 0, 0, false, "a folder" },
        { "pipe.png", 0, 0, false, "a named pipe" }, { "truncated.png", 300, 200, false, "" },
        { "truncated.jpg", 300, 200, true, "" }, { "png named.jpg", 300, 200, true, "" },
        { "bomb.png", 100000, 100000, false, "its 100000 x 100000 pixels are more than the 250 megapixels" },
        { "just over.png", 20000, 12501, false, "its 20000 x 12501 pixels" },
        { "tall.png", 12501, 20000, false, "its 12501 x 20000 pixels" } };
    for (const auto& [name, width, height, picture, error] : cases) {
        SCOPED_TRACE(name.toStdString());
        CapturedOutput out;
        ImageProperty image(QUrl::fromLocalFile(dir + "/" + name));
        EXPECT_EQ(
            std::tuple(image.originalWidth, image.originalHeight, image.imageNS.size(), image.readError.isEmpty()),
            std::tuple(width, height, picture ? QSize(width, height) : QSize(0, 0), picture));
        EXPECT_TRUE(image.readError.contains(error)) << image.readError.toStdString();
        const std::string printed = "Cannot open " + (dir + "/" + name + ": " + image.readError).toStdString() + "\n";
        EXPECT_EQ(out.text(), picture ? "" : printed);
        EXPECT_EQ(image.getImageArray().empty(), !picture);
    }

    // A width whose rows are padded in memory still yields packed grey rows of exactly that width.
    ImageProperty image(QUrl::fromLocalFile(dir + "/a.b.png"));
    EXPECT_EQ(image.getImageArray(), std::vector(3, std::vector<std::uint8_t>(5, 90))); // a grey pixel keeps its value
    EXPECT_EQ(
        std::tuple(image.getImageName(), image.imageNS.format()), std::tuple("a.b.png", QImage::Format_Grayscale8));

    const ImageProperty a(QUrl::fromLocalFile(dir + "/missing.png")), b(QUrl::fromLocalFile(dir + "/missing.png"));
    EXPECT_TRUE(a == a && !(a == b)); // the same file twice is two images
}

TEST(ImageManager, DeletingLowersTheCurrentIndexByOneWhicheverImageGoes)
{
    // Shown, deleted, the index afterwards and which of the first images (0..2) is shown then.
    const std::tuple<int, int, int, int> cases[] { { 1, 2, 0, 0 }, { 1, 0, 0, 1 }, { 1, 1, 0, 0 }, { 0, 0, 0, 1 },
        { 2, 2, 1, 1 } };
    for (const auto& [current, deleted, expectedIndex, expectedShown] : cases) {
        SCOPED_TRACE(testing::Message() << "showing " << current << ", deleting " << deleted);
        Manager o(0);
        for (int i = 0; i < 3; ++i)
            o.images.appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile(o.dir + "/none.png")));
        const QStringList before = o.ids();
        o.images.currentImageIndex.set(current);
        o.images.allOffset.modify([](auto& v) { v[2] = Size { 7, 7 }; });
        if (deleted == current)
            o.images.deleteCurrentImage();
        else
            o.images.deleteImage(o.images.allImages.get()[size_t(deleted)]);
        EXPECT_EQ(std::tuple(o.images.imageCount(), o.images.allOffset.get().size(), o.images.currentImageIndex.get(),
                      o.images.currentImage()->id()),
            std::tuple(2, 2u, expectedIndex, before[expectedShown]));
        EXPECT_FALSE(o.ids().contains(before[deleted]));
        // The per-image state moves with its image.
        const auto third = o.ids().indexOf(before[2]);
        EXPECT_TRUE(third < 0 || o.images.allOffset.get()[size_t(third)].width == 7);
    }
}

// Images and their box lists open and close together; zooms and pans go through one writer each.
TEST(ImageManager, GesturesKeepImagesAndBoxListsInStepAndSayWhatChanged)
{
    Manager o(0);
    QSignalSpy images(&o.images, &ImageManager::imagesChanged), current(&o.images, &ImageManager::currentImageChanged),
        view(&o.images, &ImageManager::imageViewChanged);
    const QString aPath = TestImages::write(o.dir, "a.png", 100, 50);
    o.dialogs.imagesToOpen = { aPath, TestImages::write(o.dir, "b.jpg", 8, 4), aPath };
    EXPECT_EQ(o.images.openImages(), 3);
    EXPECT_EQ(std::tuple(o.m.allBoundingBoxes.get().size(), images.size(), current.size()), std::tuple(3u, 1, 1));
    const auto& all = o.images.allImages.get();
    const ImagePtr a = all[0];
    EXPECT_EQ(all[1]->getImageName(), "b.jpg");
    EXPECT_EQ(std::tuple(o.images.allCurrentScaleFactors.get(), o.images.allPreviousScaleFactors.get(),
                  o.images.allStartLocations.get().size(), o.images.allCenterLocations.get().size(),
                  o.images.allOffset.get().size(), o.images.currentDisplayedSize().width),
        std::tuple(std::vector<double> { 1, 1, 1 }, std::vector<double> { 1, 1, 1 }, 3u, 3u, 3u, 100));
    auto box = std::make_shared<BoundingBoxProperty>(Point { 10, 10 }, Point { 20, 20 }, "cat");
    o.m.appendBox(box, 0, false);

    // A pinch exactly to a limit is refused; the pinch's reference moves all the same.
    for (const double limit : { ImageManager::minimumZoom, ImageManager::maximumZoom }) {
        EXPECT_FALSE(o.images.pinchChanged(limit));
        EXPECT_EQ(o.images.allPreviousScaleFactors.get()[0], limit);
        o.images.pinchEnded();
    }
    EXPECT_EQ(o.images.currentZoom(), 1.0);
    view.clear();

    // Zoom steps: exact products, the displayed size follows, the boxes are replaced; refused past a limit.
    EXPECT_TRUE(o.images.zoomStep(ImageManager::zoomInFactor));
    EXPECT_TRUE(o.images.zoomStep(ImageManager::zoomOutFactor));
    EXPECT_EQ(std::tuple(o.images.currentZoom(), a->scaledWidth, a->currentScale, view.size()),
        std::tuple(1.1 * 0.9, 100 * (1.1 * 0.9), 1.1 * 0.9, 2));
    EXPECT_NE(o.m.allBoundingBoxes.get()[0][0], box);
    EXPECT_DOUBLE_EQ(o.m.allBoundingBoxes.get()[0][0]->originalStartLoc().x, 10);
    for (int k = 0; k < 7; ++k)
        o.images.zoomStep(ImageManager::zoomInFactor);
    const double top = o.images.currentZoom();
    EXPECT_FALSE(o.images.zoomStep(ImageManager::zoomInFactor));
    EXPECT_TRUE(o.images.currentZoom() == top && top < ImageManager::maximumZoom) << top;

    // A pinch measures each change from the last one, refused or not; its boxes keep their identity.
    const BoxPtr kept = o.m.allBoundingBoxes.get()[0][0];
    EXPECT_TRUE(o.images.pinchChanged(0.5));
    EXPECT_FALSE(o.images.pinchChanged(0.1));
    EXPECT_DOUBLE_EQ(o.images.currentZoom(), top * 0.5);
    EXPECT_EQ(
        std::tuple(o.images.allPreviousScaleFactors.get()[0], o.m.allBoundingBoxes.get()[0][0]), std::tuple(0.1, kept));
    o.images.pinchEnded();
    EXPECT_EQ(std::tuple(o.images.allPreviousScaleFactors.get()[0], a->scaledHeight),
        std::tuple(1.0, 50 * o.images.currentZoom()));

    o.images.panTo({ 30, 40 });
    o.images.endPan({ 30, 40 });
    o.images.endPan({ 1, 1 });
    EXPECT_EQ(std::tuple(o.images.allStartLocations.get()[0].y, o.images.allOffset.get()[0].width), std::tuple(40, 31));

    current.clear();
    for (const int index : { 1, 3, -1 })
        o.images.showImage(index);
    EXPECT_EQ(std::tuple(o.images.currentImageIndex.get(), current.size()), std::tuple(1, 1));
    // The older writers of the current image's record: its zoom, and its place back at the centre.
    const ImagePtr b = all[1];
    o.images.allCurrentScaleFactors.modify([](auto& v) { v[1] = 1.5; });
    o.images.updateScalingFactor();
    EXPECT_EQ(b->currentScale, 1.5);
    b->locationOnScreen = { 5, 5 };
    o.images.updateLocation();
    EXPECT_EQ(b->locationOnScreen.x, 0);

    // Removing takes the image's own box list with it, wherever it stands; its neighbours keep theirs.
    const auto firstLabels = [&] {
        QStringList labels;
        for (const auto& list : o.m.allBoundingBoxes.get())
            labels << (list.empty() ? QStringLiteral("-") : list[0]->classLabel());
        return labels;
    };
    for (const auto& [image, label] : { std::pair { 1, "bee" }, { 2, "cow" } })
        o.m.appendBox(std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 2, 2 }, label), image, false);
    o.images.removeImage(b);
    EXPECT_EQ(std::tuple(o.images.imageCount(), firstLabels()), std::tuple(2, QStringList { "cat", "cow" }));
    o.images.removeImage(a);
    EXPECT_EQ(std::tuple(o.images.imageCount(), firstLabels()), std::tuple(1, QStringList { "cow" }));
    o.images.removeCurrentImage();
    o.images.removeCurrentImage();
    EXPECT_EQ(std::tuple(o.images.imageCount(), o.m.allBoundingBoxes.get().size(),
                  o.images.allStartLocations.get().size(), o.images.currentImageIndex.get()),
        std::tuple(0, 0u, 0u, 0));

    // With nothing open, or a record that is gone, nothing changes.
    QSignalSpy any(&o.images, &ObservableObject::objectWillChange);
    o.images.deleteCurrentImage();
    o.images.updateScalingFactor();
    o.images.updateLocation();
    o.images.deleteImage(a);
    o.images.deleteImageIndex(-1);
    o.images.deleteImageIndex(5);
    EXPECT_FALSE(o.images.zoomStep(ImageManager::zoomInFactor));
    EXPECT_FALSE(o.images.pinchChanged(1.2));
    EXPECT_EQ(std::tuple(any.count(), o.images.getIndex(a), o.images.getIndex(nullptr), o.images.currentImage()),
        std::tuple(0, -1, -1, nullptr));
}

// The raw texts read back only whole and with their exact case and spacing.
TEST(RawValues, ReadBackOnlyTheExactText)
{
    for (auto mode : { CursorMode::dragToMoveImage, CursorMode::dragToMoveRectangle, CursorMode::dragToDrawRectangle })
        EXPECT_EQ(cursorModeFromRawValue(rawValue(mode)), mode);
    EXPECT_EQ(sidebarIconTypeFromRawValue("ZoomOut"), SidebarIconType::ZoomOut);
    EXPECT_EQ(functionalityTabModeFromRawValue("Box Details"), FunctionalityTabMode::BoxDetails);
    for (const char* text :
        { "DragToDrawRectangle", "dragToDrawRectangle ", "", "Zoom Out", "zoom in", "Box details", "BoxDetails" })
        EXPECT_FALSE(
            cursorModeFromRawValue(text) || sidebarIconTypeFromRawValue(text) || functionalityTabModeFromRawValue(text))
            << text;
}

TEST(MatchSetting, ReadsTheStoredTextsOnceAndNothingElse)
{
    QSettings settings(MatchSetting::organization, MatchSetting::application);
    settings.clear();
    settings.sync();
    MatchSetting empty;
    EXPECT_EQ(std::tuple(empty.threshold.get(), empty.pythonEnv.get(), empty.pythonLibrary.get(),
                  empty.settingsButtonClicked.get()),
        std::tuple(0.6, "", "", false));

    ASSERT_TRUE(MatchSetting::store(MatchSetting::pythonPathKey, "/usr/lib/libpython3.11.so.1.0"));
    ASSERT_TRUE(MatchSetting::store(MatchSetting::pythonLibraryKey, "/home/u/my scripts"));
    MatchSetting stored;
    EXPECT_EQ(std::tuple(stored.pythonEnv.get(), stored.pythonLibrary.get()),
        std::tuple("/usr/lib/libpython3.11.so.1.0", "/home/u/my scripts"));
    stored.pythonLibrary.set("typed, not stored");
    EXPECT_EQ(MatchSetting().pythonLibrary.get(), "/home/u/my scripts");

    settings.setValue("pythonLibrary", QStringList { "a", "b" });
    settings.setValue("pythonPath", QByteArray("\x01\x02", 2));
    settings.sync();
    MatchSetting wrongKinds;
    EXPECT_EQ(std::tuple(wrongKinds.pythonLibrary.get(), wrongKinds.pythonEnv.get()), std::tuple("", ""));
}
