#include "view/functionality/FunctionalityView.h"

#include "CanvasFixture.h"
#include "view/Popover.h"
#include "view/canvas/BoxInfoField.h"
#include "view/functionality/bar/FunctionalityBar.h"
#include "view/functionality/bar/FunctionalityBarIcon.h"
#include "view/functionality/details/BoxDetailsView.h"
#include "view/functionality/details/CardTitle.h"
#include "view/functionality/details/ClassBarChart.h"
#include "view/functionality/details/ClassStatisticsView.h"
#include "view/functionality/details/DetailsCard.h"
#include "view/functionality/details/ImageDetailsView.h"
#include "view/functionality/details/InfoRow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegend>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace
{
// The details column of a window as wide as the narrowest it may be, over the fixture's objects.
struct Panel : CanvasFixture {
    FunctionalityBarNavigator navigator;
    FunctionalityView view { shared, navigator };

    Panel()
    {
        view.resize(FunctionalityView::minimumColumnWidth, 760);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    ~Panel()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<BoxInfoField*>(window))
                window->close();
        settle();
    }

    FunctionalityBarIcon* icon(FunctionalityTabMode tab) const { return view.bar()->icon(tab); }
    void showTab(FunctionalityTabMode tab) { click(icon(tab), icon(tab)->symbolRect().center().toPoint()); }
    ImageDetailsView* images() const { return qobject_cast<ImageDetailsView*>(view.panel()); }
    BoxDetailsView* boxes() const { return qobject_cast<BoxDetailsView*>(view.panel()); }
    QString value(BoxDetailsView::Row row) const { return boxes()->row(row)->value(); }
    // The box card's four values, or "none" while it shows no box.
    QString boxCard() const
    {
        if (!boxes()->showsBox())
            return "none";
        return QStringList { value(BoxDetailsView::ClassLabelRow), value(BoxDetailsView::StartLocationRow),
            value(BoxDetailsView::EndLocationRow), value(BoxDetailsView::TemplateRow) }
            .join(' ');
    }
    static void click(QWidget* widget, QPoint at)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        settle();
    }
    static void click(QAbstractButton* button) { click(button, button->rect().center()); }
    static void clickSymbol(CardTitle* title) { click(title, title->symbolRect().center().toPoint()); }
    static void clickCaption(CardTitle* title) { click(title, title->captionRect().center().toPoint()); }
    // Whether a card's rows show, once its fold is over.
    static bool rowsShown(DetailsCard* card, InfoRow* row)
    {
        if (card->isFolding())
            return card->isCollapsed(); // not yet what the fold makes of them
        settle();
        return row->isVisibleTo(row->window()) && row->height() > 0;
    }
    BoxPtr selectedBox(std::int64_t image, Point start, Point end, const QString& label = {}, bool isTemplate = false)
    {
        BoxPtr box = addBox(image, start, end, label, isTemplate);
        boundingBoxManager.select(box);
        settle();
        return box;
    }
};
} // namespace

TEST(FunctionalityView, TheTabChangesOnlyByAClickOnItsSymbolAndAPanelShownAgainStartsAfresh)
{
    Panel p;
    for (auto [tab, help] : { std::pair { FunctionalityTabMode::ImageDetails, "Image Details" },
             { FunctionalityTabMode::BoxDetails, "Selected Bounding Box Property" } }) {
        EXPECT_EQ(p.icon(tab)->toolTip(), help);
        EXPECT_EQ(p.icon(tab)->accessibleName(), help);
    }
    ASSERT_TRUE(p.images());
    EXPECT_TRUE(p.icon(FunctionalityTabMode::ImageDetails)->highlighted());

    // The highlight around the symbol takes no click; drawing and selecting boxes leave the tab alone.
    FunctionalityBarIcon* boxIcon = p.icon(FunctionalityTabMode::BoxDetails);
    p.click(boxIcon, QPoint(2, int(boxIcon->highlightRect().center().y())));
    p.open("a.png");
    p.boundingBoxManager.addDrawnBox(
        std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 9, 9 }, ""), 0, nullptr);
    p.settle();
    ASSERT_TRUE(p.images());

    // Under the pointer the symbol grows to 1.4 times its size; the highlight does not.
    const QRectF highlight = boxIcon->highlightRect();
    QTest::mouseMove(boxIcon, boxIcon->symbolRect().center().toPoint());
    QTRY_COMPARE(boxIcon->currentScale(), 1.4);
    EXPECT_EQ(boxIcon->highlightRect(), highlight);
    QTest::mouseMove(boxIcon, QPoint(1, 1));
    QTRY_COMPARE(boxIcon->currentScale(), 1.0);

    p.showTab(FunctionalityTabMode::BoxDetails);
    BoxDetailsView* boxes = p.boxes();
    ASSERT_TRUE(boxes);
    EXPECT_TRUE(boxIcon->highlighted());
    EXPECT_FALSE(p.icon(FunctionalityTabMode::ImageDetails)->highlighted());
    // The shown tab's icon again: the same panel stays.
    p.showTab(FunctionalityTabMode::BoxDetails);
    EXPECT_EQ(p.boxes(), boxes);

    // A collapsed card and an open popover do not outlive their panel.
    p.clickCaption(boxes->cardTitle());
    p.click(boxes->row(BoxDetailsView::TemplateRow)->titleButton());
    EXPECT_TRUE(boxes->row(BoxDetailsView::TemplateRow)->popover()->isVisible());
    p.showTab(FunctionalityTabMode::ImageDetails);
    p.showTab(FunctionalityTabMode::BoxDetails);
    ASSERT_TRUE(p.boxes());
    EXPECT_FALSE(p.boxes()->card()->isCollapsed());
    EXPECT_FALSE(p.boxes()->row(BoxDetailsView::TemplateRow)->popover()->isVisible());
    EXPECT_TRUE(p.rowsShown(p.boxes()->card(), p.boxes()->row(BoxDetailsView::ClassLabelRow)));
}

TEST(FunctionalityView, BoxDetailsShowTheSelectedBoxWhileTheCurrentImageShowsABox)
{
    Panel p;
    p.showTab(FunctionalityTabMode::BoxDetails);
    EXPECT_EQ(p.boxCard(), "none"); // no box lists at all
    EXPECT_EQ(p.boxes()->placeholder()->text(), "No Box Selected");
    p.open("a.png");
    p.addBox(0, { 1, 1 }, { 5, 5 });
    p.settle();
    EXPECT_EQ(p.boxCard(), "none"); // nothing selected

    // The values as the card writes them.
    p.selectedBox(0, { 12, 7.25 }, { 30, 40 }, "cat", true);
    EXPECT_EQ(p.boxCard(), "cat (12.0,7.3) (30.0,40.0) True");
    p.selectedBox(0, { 7.24, -0.04 }, { 0.05, 1234.56 }, "", false);
    EXPECT_EQ(p.boxCard(), " (7.2,-0.0) (0.1,1234.6) False");
    p.selectedBox(0, { 0, 0 }, { 1e100, 1 }, "far", false); // a corner from an edited or loaded file
    EXPECT_TRUE(QRegularExpression(R"(^far \(0\.0,0\.0\) \(1\d{100}\.0,1\.0\) False$)").match(p.boxCard()).hasMatch())
        << p.boxCard().toStdString();

    // The card follows the box through the editor's Save, a drag and a zoom step, with no click on it.
    BoxPtr box = p.boundingBoxManager.currentSelectedBox;
    p.boundingBoxManager.applyEdit(box, 0, { "dog", Point { 20, 10 }, Point { 40, 30 }, true }, 1.0);
    p.boundingBoxManager.moveBox(box, 0, { 5, 5 }, { 100, 80 });
    p.settle();
    EXPECT_EQ(p.boxCard(), "dog (25.0,15.0) (45.0,35.0) True");
    p.imageManager.zoomStep(ImageManager::zoomInFactor);
    p.settle();
    EXPECT_EQ(p.boxCard(), "dog (25.0,15.0) (45.0,35.0) True");

    // Every box of the current image deleted: nothing to show, whatever stays selected.
    box = p.boundingBoxManager.currentSelectedBox;
    for (const BoxPtr& other : BoundingBoxManager::BoxList(*p.boundingBoxManager.boxesOf(0))) {
        p.boundingBoxManager.select(other);
        p.boundingBoxManager.deleteSelection(0);
    }
    p.boundingBoxManager.select(box);
    p.settle();
    EXPECT_EQ(p.boxCard(), "none");
}

TEST(FunctionalityView, ThePadNudgesTheSelectedBoxOnePointUnlessItsEdgeWouldReachTheBorder)
{
    Panel p;
    p.open("wide.png", 200, 100);
    p.showTab(FunctionalityTabMode::BoxDetails);
    // A nudge puts a moved copy of the box in its place and selects it; it stops short of the border.
    const struct {
        NudgeDirection direction;
        const char* help;
        Point start, end, movedStart; // not moved: the start
    } cases[] = {
        { NudgeDirection::Up, "Move the selected box upwards", { 10, 1.5 }, { 20, 9 }, { 10, 0.5 } },
        { NudgeDirection::Up, "Move the selected box upwards", { 10, 1.0 }, { 20, 9 }, { 10, 1.0 } },
        { NudgeDirection::Left, "Move the selected box leftwards", { 1.5, 10 }, { 9, 20 }, { 0.5, 10 } },
        { NudgeDirection::Left, "Move the selected box leftwards", { 1.0, 10 }, { 9, 20 }, { 1.0, 10 } },
        { NudgeDirection::Right, "Move the selected box rightwards", { 150, 5 }, { 198.5, 9 }, { 151, 5 } },
        { NudgeDirection::Right, "Move the selected box rightwards", { 150, 5 }, { 199.0, 9 }, { 150, 5 } },
        { NudgeDirection::Down, "Move the selected box downwards", { 5, 50 }, { 9, 98.5 }, { 5, 51 } },
        { NudgeDirection::Down, "Move the selected box downwards", { 5, 50 }, { 9, 99.0 }, { 5, 50 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.help << " from " << c.start.x << "," << c.start.y);
        const BoxPtr box = p.selectedBox(0, c.start, c.end, "cat", true);
        const std::int64_t k = p.boundingBoxManager.getIndex(box, 0);
        QAbstractButton* arrow = p.boxes()->arrow(c.direction);
        EXPECT_EQ(arrow->accessibleName(), c.help);
        EXPECT_EQ(arrow->toolTip(), c.help);
        p.click(arrow);
        const BoxPtr now = p.boundingBoxManager.boxAt(k, 0);
        EXPECT_EQ(p.boundingBoxManager.boxesOf(0)->size(), size_t(k + 1));
        EXPECT_EQ(p.boundingBoxManager.currentSelectedBox.get(), now);
        EXPECT_EQ(now == box, c.movedStart.x == c.start.x && c.movedStart.y == c.start.y);
        EXPECT_EQ(p.corners(now)[0], c.movedStart.x);
        EXPECT_EQ(p.corners(now)[1], c.movedStart.y);
        EXPECT_TRUE(now->classLabel() == "cat" && now->markTemplate());
        EXPECT_EQ(p.value(BoxDetailsView::StartLocationRow), BoxDetailsView::locationText(c.movedStart));
    }

    // A selected box of another image: the arrows move nothing.
    p.open("other.png");
    const BoxPtr elsewhere = p.selectedBox(1, { 20, 20 }, { 30, 30 });
    p.click(p.boxes()->arrow(NudgeDirection::Right));
    EXPECT_EQ(p.boundingBoxManager.currentSelectedBox.get(), elsewhere);
    EXPECT_EQ(elsewhere->startLocation().x, 20);

    // At another zoom the moved box keeps it: its image pixels move by 1 / zoom.
    p.imageManager.zoomStep(ImageManager::zoomInFactor);
    p.selectedBox(0, { 22, 22 }, { 33, 33 });
    p.click(p.boxes()->arrow(NudgeDirection::Right));
    EXPECT_EQ(p.value(BoxDetailsView::StartLocationRow), BoxDetailsView::locationText({ 23 / 1.1, 22 / 1.1 }));
}

TEST(FunctionalityView, CardsFitTheNarrowestColumnCollapseByTheirTitleAndRowsOpenTheirPopovers)
{
    Panel p;
    p.open("a rather long file name for so narrow a column.png", 12345, 10);
    p.selectedBox(0, { 1234.56, 7890.12 }, { 11111.1, 9999.9 }, "a label longer than the column is wide");
    const auto fits = [&](QWidget* panel) {
        return panel->minimumSizeHint().width() + p.view.scrollArea()->verticalScrollBar()->sizeHint().width()
            <= FunctionalityView::minimumColumnWidth;
    };
    EXPECT_TRUE(fits(p.images()));

    // Image details: only the chevron folds the card; a row's question mark opens its popover until "Close".
    ImageDetailsView* images = p.images();
    p.clickCaption(images->cardTitle());
    EXPECT_FALSE(images->card()->isCollapsed());
    p.clickSymbol(images->cardTitle());
    QTRY_VERIFY(!p.rowsShown(images->card(), images->row(ImageDetailsView::NameRow)));
    QTRY_COMPARE(images->cardTitle()->turnDegrees(), -90.0);
    p.clickSymbol(images->cardTitle());
    QTRY_VERIFY(p.rowsShown(images->card(), images->row(ImageDetailsView::NameRow)));
    InfoRow* dimension = images->row(ImageDetailsView::DimensionRow);
    p.click(dimension->titleButton());
    EXPECT_TRUE(dimension->popover()->isVisible());
    p.click(dimension->titleButton());
    EXPECT_TRUE(dimension->popover()->isVisible());
    EXPECT_EQ(dimension->popoverButton()->text(), "Close");
    p.click(dimension->popoverButton());
    EXPECT_FALSE(dimension->popover()->isVisible());

    // Box details: the caption folds the card, and the pad's symbol turns with it.
    p.showTab(FunctionalityTabMode::BoxDetails);
    BoxDetailsView* boxes = p.boxes();
    EXPECT_TRUE(fits(boxes));
    EXPECT_EQ(p.value(BoxDetailsView::ClassLabelRow), "a label longer than the column is wide");
    p.clickCaption(boxes->cardTitle());
    QTRY_VERIFY(!p.rowsShown(boxes->card(), boxes->row(BoxDetailsView::TemplateRow)));
    QTRY_COMPARE(boxes->padTitle()->turnDegrees(), -90.0);
    p.clickCaption(boxes->padTitle());
    p.clickSymbol(boxes->cardTitle());
    QTRY_VERIFY(p.rowsShown(boxes->card(), boxes->row(BoxDetailsView::TemplateRow)));
    QTRY_COMPARE(boxes->padTitle()->turnDegrees(), 0.0);

    // A second press on a row's question mark closes its popover; "Edit" closes it and opens one more
    // editor of the selected box each time.
    InfoRow* label = boxes->row(BoxDetailsView::ClassLabelRow);
    p.click(label->titleButton());
    ASSERT_TRUE(label->popover()->isVisible());
    p.click(label->titleButton());
    EXPECT_FALSE(label->popover()->isVisible());
    for (int opened : { 1, 2 }) {
        p.click(label->titleButton());
        p.click(label->popoverButton());
        EXPECT_FALSE(label->popover()->isVisible());
        int editors = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<BoxInfoField*>(window); editor && editor->isVisible()) {
                ++editors;
                EXPECT_EQ(editor->windowTitle(), "Bounding Box");
                EXPECT_EQ(editor->boundingBox(), p.boundingBoxManager.currentSelectedBox.get());
            }
        EXPECT_EQ(editors, opened);
    }
}

TEST(FunctionalityView, ImageDetailsFollowTheCurrentImageAndItsShownBoxes)
{
    Panel p;
    EXPECT_FALSE(p.images()->showsImage());
    EXPECT_EQ(p.images()->placeholder()->text(), "No Image");
    EXPECT_TRUE(p.images()->placeholder()->font().italic());

    p.open("street.jpeg", 1920, 1080);
    p.open("b.png", 30, 20);
    p.settle();
    ASSERT_TRUE(p.images()->showsImage());
    const auto values = [&] {
        std::vector<QString> result;
        for (auto row : { ImageDetailsView::NameRow, ImageDetailsView::DimensionRow, ImageDetailsView::BoxCountRow })
            result.push_back(p.images()->row(row)->value());
        return result;
    };
    EXPECT_EQ(values(), (std::vector<QString> { "street.jpeg", "1920 x 1080", "0" }));
    p.selectedBox(0, { 1, 1 }, { 4, 4 });
    p.addBox(0, { 5, 5 }, { 9, 9 });
    p.addBox(1, { 5, 5 }, { 9, 9 });
    p.settle();
    EXPECT_EQ(values()[2], "2");
    p.boundingBoxManager.deleteSelection(0);
    p.settle();
    EXPECT_EQ(values()[2], "1");
    p.imageManager.showImage(1);
    p.settle();
    EXPECT_EQ(values(), (std::vector<QString> { "b.png", "30 x 20", "1" }));
    p.imageManager.removeCurrentImage();
    p.imageManager.removeCurrentImage();
    p.settle();
    EXPECT_FALSE(p.images()->showsImage());
}

namespace
{
// What the open chart shows: the plot area, each set's bar as drawn, the plain texts under the plot
// and over it and the legend's texts as rendered, all left to right in scene coordinates.
struct DrawnChart {
    QRectF plot;
    std::vector<QRectF> bars;
    std::vector<QGraphicsSimpleTextItem*> names, counts;
    QStringList legend;

    explicit DrawnChart(ClassBarChart* widget)
    {
        QChart* chart = widget->chart();
        plot = chart->mapRectToScene(chart->plotArea());
        const QList<QGraphicsItem*> items = chart->scene()->items();
        for (QBarSet* set : widget->series()->barSets())
            for (QGraphicsItem* item : items)
                if (auto* bar = dynamic_cast<QGraphicsRectItem*>(item); bar && bar->brush().color() == set->color()
                    && bar->rect().height() > 0 && plot.contains(bar->mapRectToScene(bar->rect())))
                    bars.push_back(bar->mapRectToScene(bar->rect()));
        const auto byX = [](QGraphicsItem* a, QGraphicsItem* b) { return a->scenePos().x() < b->scenePos().x(); };
        for (QGraphicsItem* item : items)
            if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item); text && text->isVisible())
                (text->scenePos().y() >= plot.bottom() ? names : counts).push_back(text);
        std::sort(names.begin(), names.end(), byX);
        std::sort(counts.begin(), counts.end(), byX);
        std::vector<QGraphicsTextItem*> entries;
        for (QGraphicsItem* item : items)
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && chart->legend()->isAncestorOf(text))
                entries.push_back(text);
        std::sort(entries.begin(), entries.end(), byX);
        for (QGraphicsTextItem* entry : entries)
            legend << entry->toPlainText();
    }
};

// The chart shows these rows bar by bar: the name under the bar and within it, whole where it fits and
// else cut with an ellipsis, and the count above it.
void expectChartShows(ClassBarChart* chart, const std::vector<std::pair<QString, QString>>& rows)
{
    const DrawnChart drawn(chart);
    const size_t n = rows.size();
    // Bars, names and counts: one each per row.
    ASSERT_EQ((std::array { drawn.bars.size(), drawn.names.size(), drawn.counts.size() }), (std::array { n, n, n }));
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(rows[i].first.toStdString());
        const QRectF bar = drawn.bars[i];
        const QString name = drawn.names[i]->text();
        if (QFontMetricsF(drawn.names[i]->font()).horizontalAdvance(rows[i].first) <= bar.width())
            EXPECT_EQ(name, rows[i].first);
        else
            EXPECT_TRUE(name.endsWith(QChar(0x2026)) && name.size() > 1 && rows[i].first.startsWith(name.chopped(1)))
                << name.toStdString();
        const QRectF nameRect = drawn.names[i]->sceneBoundingRect();
        EXPECT_GE(nameRect.left(), bar.left());
        EXPECT_LE(nameRect.right(), bar.right());
        EXPECT_GE(nameRect.top(), drawn.plot.bottom());
        const QRectF countRect = drawn.counts[i]->sceneBoundingRect();
        EXPECT_EQ(drawn.counts[i]->text(), rows[i].second);
        EXPECT_LE(countRect.bottom(), bar.top());
        EXPECT_NEAR(countRect.center().x(), bar.center().x(), 1);
    }
}
} // namespace

TEST(FunctionalityView, ClassStatisticsCountTheShownBoxesOfEveryImageInDescendingOrder)
{
    Panel p;
    p.open("a.png");
    p.open("b.png");
    for (const char* label : { "cat", "dog", "Cat", "", "dog" })
        p.addBox(0, { 1, 1 }, { 4, 4 }, QString::fromUtf8(label));
    p.addBox(1, { 1, 1 }, { 4, 4 }, "cat");
    p.boundingBoxManager.hideCurrentBox(4, 0); // the second dog
    p.settle();
    ClassStatisticsView* statistics = p.images()->statistics();
    using Rows = std::vector<std::pair<QString, QString>>;
    const Rows expected { { "dog", "1" }, { "cat", "2" }, { "Cat", "1" }, { "", "1" } };
    EXPECT_EQ(statistics->shownRows(), expected);

    // The chart: one bar per class in the table's order, its name under it, its count above it, each
    // in its own colour.
    p.click(statistics->chartButton());
    ASSERT_TRUE(statistics->chartPopover()->isVisible());
    const QList<QBarSet*> sets = statistics->chart()->series()->barSets();
    Rows bars;
    QSet<QRgb> colours;
    for (int i = 0; i < sets.size(); ++i) {
        bars.emplace_back(sets[i]->label(), QString::number(sets[i]->at(0)));
        colours.insert(sets[i]->color().rgb());
    }
    EXPECT_EQ(bars, expected);
    EXPECT_EQ(colours.size(), 4);
    expectChartShows(statistics->chart(), expected);
    EXPECT_EQ(statistics->chart()->width(), 200);

    // An open chart follows the counts. Names are plain text, under the bar and in the legend; long
    // ones are shortened to their bar's width, each under its own bar even where they end alike.
    const auto showClasses = [&](const std::vector<QString>& labels) {
        for (std::int64_t image : { 0, 1 })
            for (std::int64_t k = 0; k < std::int64_t(p.boundingBoxManager.boxesOf(image)->size()); ++k)
                if (p.boundingBoxManager.boxAt(k, image)->toShow())
                    p.boundingBoxManager.hideCurrentBox(k, image);
        for (const QString& label : labels)
            p.addBox(1, { 1, 1 }, { 4, 4 }, label);
        p.settle();
    };
    const QString longName = "a class name far too long for its bar";
    const std::vector<QString> names[] = {
        { "<b>x</b>" },
        { "a&amp;b" },
        { longName, longName + " too", "w" + longName, "x" + longName, "y" + longName, "z" + longName },
    };
    for (const std::vector<QString>& labels : names) {
        showClasses(labels);
        SCOPED_TRACE(labels.front().toStdString());
        expectChartShows(statistics->chart(), statistics->shownRows());
        // A lone class has room in the legend; it cuts what it has no room for with "...".
        const QString entry = DrawnChart(statistics->chart()).legend.value(0);
        if (labels.size() == 1) {
            EXPECT_TRUE(entry == labels.front()
                || (entry.endsWith("...") && entry.size() > 3 && labels.front().startsWith(entry.chopped(3))))
                << entry.toStdString();
        }
    }

    // The widths for none, two, three and ten classes.
    const struct {
        int classes, width;
    } widths[] = { { 0, 100 }, { 2, 100 }, { 3, 150 }, { 10, 500 } };
    for (const auto& w : widths) {
        std::vector<QString> labels;
        for (int i = 0; i < w.classes; ++i)
            labels.push_back(QString::number(i));
        showClasses(labels);
        EXPECT_EQ(int(statistics->shownRows().size()), w.classes);
        EXPECT_EQ(statistics->chart()->series()->count(), w.classes);
        EXPECT_EQ(statistics->chart()->width(), w.width);
        expectChartShows(statistics->chart(), statistics->shownRows());
    }
    p.click(statistics->chartButton());
    EXPECT_FALSE(statistics->chartPopover()->isVisible());
}
