#include "view/ZoomStep.h"

#include "CanvasFixture.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
// Two pictures of 100 x 50 pixels with a box on the first; the first is current.
struct Scene : CanvasFixture {
    ImageManager& images = imageManager;

    Scene()
    {
        open("a.png", 100, 50);
        open("b.png", 100, 50);
        addBox(0, { 10, 20 }, { 30, 40 }, "cat");
    }
    double zoom() const { return imageManager.allCurrentScaleFactors.get()[0]; }
    const BoundingBoxManager::BoxList& list() const { return boundingBoxManager.allBoundingBoxes.get()[0]; }
};
} // namespace

TEST(ZoomStep, TheSidebarTransitionEasesTheViewWhileTheModelIsExactAtOnce)
{
    Scene s;
    ZoomTransition& transition = ZoomTransition::instance();
    QSignalSpy spy(&transition, &ZoomTransition::displayFactorChanged);
    ASSERT_TRUE(transition.animatedZoomStep(s.images, ImageManager::zoomInFactor));
    EXPECT_EQ(s.zoom(), ImageManager::zoomInFactor);
    EXPECT_DOUBLE_EQ(s.list()[0]->startLocation().x, 11.0);
    EXPECT_DOUBLE_EQ(transition.displayFactor(), 1.0 / 1.1);
    EXPECT_TRUE(transition.running());
    QTRY_VERIFY_WITH_TIMEOUT(!transition.running(), 2000);
    EXPECT_EQ(transition.displayFactor(), 1.0);
    EXPECT_GE(spy.count(), 3); // a start, some steps between and the end
    double previous = 0;
    for (const auto& args : spy) {
        const double factor = args.at(0).toDouble();
        EXPECT_GE(factor, previous); // zooming in only grows
        previous = factor;
    }

    // A refused step starts no transition.
    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(s.images.zoomStep(ImageManager::zoomInFactor));
    spy.clear();
    EXPECT_FALSE(transition.animatedZoomStep(s.images, ImageManager::zoomInFactor));
    EXPECT_FALSE(transition.running());
    EXPECT_EQ(spy.count(), 0);
}
