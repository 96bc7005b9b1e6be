#include "app/MenuCommands.h"

#include "CanvasFixture.h"
#include "view/ZoomStep.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// One main window with the menus installed over fresh shared objects.
struct Shell : CanvasFixture {
    int newWindows = 0;
    QMainWindow window;
    QWidget* sidebar = new QWidget;
    MenuCommands* menu;

    explicit Shell(int imageCount)
    {
        for (int i = 0; i < imageCount; ++i)
            addImage();
        window.setCentralWidget(sidebar);
        menu = MenuCommands::install(
            window, shared, [this] { ++newWindows; }, sidebar);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void addImage() { openPath("/nowhere/a.png"); }
    BoxPtr add(int image, Point s, Point e, const QString& label = "cat") { return addBox(image, s, e, label); }
    void select(const BoxPtr& box)
    {
        boundingBoxManager.currentSelectedBox.set(box);
        QCoreApplication::processEvents();
    }
    // The menu states follow the model on the next event-loop pass, as between two key presses.
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier)
    {
        QCoreApplication::processEvents();
        QTest::keyClick(&window, k, m);
        QCoreApplication::processEvents();
    }
    const BoundingBoxManager::BoxList& list(int image) const
    {
        return boundingBoxManager.allBoundingBoxes.get()[size_t(image)];
    }
};

QStringList titles(const QMenu* menu)
{
    QStringList result;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            result << action->text();
    return result;
}
} // namespace

TEST(MenuCommands, TheEditMenuHoldsOnlyItsSixCommandsEnabledByTheModel)
{
    Shell shell(0);
    EXPECT_EQ(titles(shell.menu->editMenu()),
        QStringList({ "Undo Delete", "Delete", "Copy", "Paste", "Zoom In", "Zoom Out" }));
    const auto enabled = [&] {
        std::vector<bool> result;
        for (const QAction* action : shell.menu->editMenu()->actions())
            if (!action->isSeparator())
                result.push_back(action->isEnabled());
        return result;
    };
    for (const QAction* action : shell.window.menuBar()->actions())
        for (const QString& title : titles(action->menu()))
            EXPECT_FALSE(title == "Undo" || title == "Redo" || title.startsWith("Cut")) << title.toStdString();

    EXPECT_EQ(enabled(), std::vector<bool>({ true, false, false, false, false, false }));
    shell.key(Qt::Key_Equal); // disabled: nothing happens, nothing breaks
    shell.key(Qt::Key_Z); // an empty undo stack does nothing

    shell.addImage();
    const BoxPtr box = shell.add(0, { 1, 1 }, { 5, 5 });
    shell.select(box);
    EXPECT_EQ(enabled(), std::vector<bool>({ true, true, true, false, true, true }));
    shell.key(Qt::Key_C);
    EXPECT_TRUE(shell.menu->pasteAction()->isEnabled());
    EXPECT_EQ(shell.boundingBoxManager.currentCopySelectedBox.get(), box); // the object itself

    shell.key(Qt::Key_N);
    EXPECT_EQ(shell.newWindows, 1);
    EXPECT_EQ(shell.menu->sidebarAction()->text(), "Hide Sidebar");
    shell.menu->sidebarAction()->trigger();
    EXPECT_TRUE(shell.sidebar->isHidden());
    EXPECT_EQ(shell.menu->sidebarAction()->text(), "Show Sidebar");
    shell.menu->sidebarAction()->trigger();
    EXPECT_FALSE(shell.sidebar->isHidden());
}

TEST(MenuCommands, UndoDeleteRestoresTheLatestDeletionFirstAndShowsItsImage)
{
    Shell shell(3);
    const BoxPtr onTwo = shell.add(2, { 1, 1 }, { 9, 9 });
    const BoxPtr onZero = shell.add(0, { 2, 2 }, { 8, 8 });
    for (auto [image, box] : { std::pair { 2, onTwo }, { 0, onZero } }) {
        shell.imageManager.currentImageIndex.set(image);
        shell.select(box);
        shell.key(Qt::Key_Delete, Qt::NoModifier);
        EXPECT_FALSE(box->toShow());
    }
    EXPECT_EQ(shell.boundingBoxManager.currentSelectedBox.get(), nullptr);
    EXPECT_FALSE(shell.menu->deleteAction()->isEnabled());

    shell.imageManager.currentImageIndex.set(1);
    shell.key(Qt::Key_Z);
    EXPECT_TRUE(onZero->toShow());
    EXPECT_FALSE(onTwo->toShow());
    EXPECT_EQ(shell.imageManager.currentImageIndex.get(), 0);
    EXPECT_EQ(shell.boundingBoxManager.currentSelectedBox.get(), nullptr); // not selected
    EXPECT_FALSE(shell.menu->deleteAction()->isEnabled());
    shell.key(Qt::Key_Z);
    EXPECT_TRUE(onTwo->toShow());
    EXPECT_EQ(shell.imageManager.currentImageIndex.get(), 2);
    EXPECT_TRUE(shell.boundingBoxManager.undoStack.get().empty());

    // An entry whose image was closed is used up with no other effect.
    shell.select(onTwo);
    shell.key(Qt::Key_Delete, Qt::NoModifier);
    shell.boundingBoxManager.deleteBoxForImage(2);
    shell.imageManager.deleteImageIndex(2);
    shell.imageManager.currentImageIndex.set(1);
    shell.key(Qt::Key_Z);
    EXPECT_TRUE(shell.boundingBoxManager.undoStack.get().empty());
    EXPECT_EQ(shell.imageManager.currentImageIndex.get(), 1);
    EXPECT_TRUE(onZero->toShow());
}

TEST(MenuCommands, PasteMakesANewBoxWhereTheCopiedBoxIsNowOnTheCurrentImage)
{
    Shell shell(2);
    const BoxPtr original = shell.add(0, { 10, 10 }, { 20, 30 }, "dog");
    original->setMarkTemplate(true);
    shell.select(original);
    shell.key(Qt::Key_C);
    // The buffer holds the box itself: a later move of it is what gets pasted.
    shell.boundingBoxManager.updateLocation(0, 0, Size { 5, 7 });
    shell.key(Qt::Key_V);
    ASSERT_EQ(shell.list(0).size(), 2u);
    const BoxPtr pasted = shell.list(0)[1];
    EXPECT_FALSE(sameBox(pasted, original));
    EXPECT_EQ(pasted->startLocation().x, 15);
    EXPECT_EQ(pasted->endLocation().y, 37);
    EXPECT_EQ(pasted->classLabel(), "dog");
    EXPECT_TRUE(pasted->markTemplate());
    EXPECT_TRUE(pasted->toShow());
    EXPECT_EQ(shell.boundingBoxManager.currentSelectedBox.get(), pasted);
    EXPECT_FALSE(shell.boundingBoxManager.toShowInfoUI.get());

    // On another image, zoomed in: the same displayed place, pixels at that image's zoom.
    shell.imageManager.currentImageIndex.set(1);
    shell.key(Qt::Key_Equal);
    EXPECT_EQ(shell.imageManager.allCurrentScaleFactors.get()[1], 1.1);
    shell.key(Qt::Key_V);
    shell.key(Qt::Key_V);
    ASSERT_EQ(shell.list(1).size(), 2u);
    for (const BoxPtr& box : shell.list(1)) {
        EXPECT_EQ(box->startLocation().x, 15);
        EXPECT_EQ(box->startLocation().y, 17);
        EXPECT_EQ(box->imageScale(), 1.1);
        EXPECT_DOUBLE_EQ(box->originalStartLoc().x, 15 / 1.1);
    }
    EXPECT_FALSE(sameBox(shell.list(1)[0], shell.list(1)[1]));
    EXPECT_EQ(shell.list(0).size(), 2u);
}

TEST(MenuCommands, DeleteAndPasteWithoutAUsableIndexLeaveTheModelAlone)
{
    Shell shell(2);
    const BoxPtr onZero = shell.add(0, { 1, 1 }, { 4, 4 });
    shell.select(onZero);
    shell.key(Qt::Key_C);
    shell.imageManager.currentImageIndex.set(1); // the box of image 0 stays selected
    shell.key(Qt::Key_Delete, Qt::NoModifier);
    EXPECT_TRUE(onZero->toShow());
    EXPECT_TRUE(shell.boundingBoxManager.undoStack.get().empty());
    EXPECT_EQ(shell.boundingBoxManager.currentSelectedBox.get(), onZero);

    for (int i = 0; i < 2; ++i) {
        shell.boundingBoxManager.deleteBoxForImage(0);
        shell.imageManager.deleteImageIndex(0);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(shell.menu->pasteAction()->isEnabled()); // the buffer outlives the images
    shell.key(Qt::Key_V);
    EXPECT_TRUE(shell.boundingBoxManager.allBoundingBoxes.get().empty());
    EXPECT_EQ(shell.boundingBoxManager.currentSelectedBox.get(), onZero);
}

TEST(MenuCommands, SevenZoomInsAndElevenZoomOutsReachTheLimitsAndTheNextStepIsRefused)
{
    Shell shell(2);
    shell.add(0, { 10, 20 }, { 30, 40 });
    const auto zoom = [&](size_t image) { return shell.imageManager.allCurrentScaleFactors.get()[image]; };
    for (int k = 0; k < 7; ++k)
        shell.key(k % 2 ? Qt::Key_Plus : Qt::Key_Equal);
    const double most = zoom(0);
    EXPECT_NEAR(most, std::pow(1.1, 7), 1e-12);
    const BoxPtr before = shell.list(0)[0];
    shell.key(Qt::Key_Equal); // about 2.1436 is not below 2.0
    EXPECT_EQ(zoom(0), most);
    EXPECT_EQ(shell.list(0)[0], before);

    shell.imageManager.currentImageIndex.set(1);
    for (int k = 0; k < 11; ++k)
        shell.key(Qt::Key_Minus);
    const double least = zoom(1);
    EXPECT_NEAR(least, 0.3138105960900001, 1e-12);
    shell.key(Qt::Key_Minus); // about 0.2824 is not above 0.3
    EXPECT_EQ(zoom(1), least);
    EXPECT_EQ(zoom(0), most);
}
