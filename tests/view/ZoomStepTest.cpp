#include "view/ZoomStep.h"

#include "viewmodel/BoundingBoxManager.h"
#include "viewmodel/ImageManager.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Two images of 100 x 50 displayed pixels with boxes on the first; the first is current.
struct Scene {
    ImageManager images;
    BoundingBoxManager boxes;
    BoxPtr shown, hidden;

    Scene()
    {
        for (int i = 0; i < 2; ++i) {
            images.appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
            images.allImages.get().back()->scaledWidth = 100;
            images.allImages.get().back()->scaledHeight = 50;
        }
        boxes.allBoundingBoxes.set(std::vector<BoundingBoxManager::BoxList>(2));
        shown = std::make_shared<BoundingBoxProperty>(Point { 10, 20 }, Point { 30, 40 }, "cat");
        hidden = std::make_shared<BoundingBoxProperty>(Point { 1, 2 }, Point { 3, 4 }, "dog", 1.0, 1.0, true, true);
        boxes.appendBox(shown, 0, false);
        boxes.appendBox(hidden, 0, false);
        boxes.hideCurrentBox(1, 0);
        boxes.currentSelectedBox.set(shown);
    }
    double zoom() const { return images.allCurrentScaleFactors.get()[0]; }
    const BoundingBoxManager::BoxList& list() const { return boxes.allBoundingBoxes.get()[0]; }
};
} // namespace

TEST(ZoomStep, SevenStepsInAndElevenOutThenTheLimitRefuses)
{
    Scene in;
    double expected = 1.0;
    for (int k = 0; k < 7; ++k) {
        EXPECT_TRUE(zoomStep(in.images, in.boxes, zoomInFactor)) << k;
        expected *= zoomInFactor;
    }
    EXPECT_EQ(in.zoom(), expected);
    EXPECT_NEAR(in.zoom(), std::pow(1.1, 7), 1e-12);
    const BoxPtr before = in.list()[0];
    const double width = in.images.allImages.get()[0]->scaledWidth;
    EXPECT_FALSE(zoomStep(in.images, in.boxes, zoomInFactor)); // about 2.1436 is not below 2.0
    EXPECT_EQ(in.zoom(), expected);
    EXPECT_EQ(in.images.allImages.get()[0]->scaledWidth, width);
    EXPECT_EQ(in.list()[0], before);
    EXPECT_EQ(in.list()[0]->startLocation().x, before->startLocation().x);

    Scene out;
    expected = 1.0;
    for (int k = 0; k < 11; ++k) {
        EXPECT_TRUE(zoomStep(out.images, out.boxes, zoomOutFactor)) << k;
        expected *= zoomOutFactor;
    }
    EXPECT_EQ(out.zoom(), expected);
    EXPECT_NEAR(out.zoom(), 0.3138105960900001, 1e-12);
    EXPECT_FALSE(zoomStep(out.images, out.boxes, zoomOutFactor)); // about 0.2824 is not above 0.3
    EXPECT_EQ(out.zoom(), expected);
    // The second image was never touched.
    EXPECT_EQ(out.images.allCurrentScaleFactors.get()[1], 1.0);
}

TEST(ZoomStep, InThenOutLeavesPointNineNineAndReplacesEveryBox)
{
    Scene s;
    ASSERT_TRUE(zoomStep(s.images, s.boxes, zoomInFactor));
    ASSERT_TRUE(zoomStep(s.images, s.boxes, zoomOutFactor));
    EXPECT_DOUBLE_EQ(s.zoom(), 0.99);
    EXPECT_NE(s.zoom(), 1.0);
    const ImagePtr image = s.images.allImages.get()[0];
    EXPECT_DOUBLE_EQ(image->scaledWidth, 99.0);
    EXPECT_DOUBLE_EQ(image->scaledHeight, 49.5);
    EXPECT_EQ(image->currentScale, s.zoom());
    EXPECT_EQ(s.images.allPreviousScaleFactors.get()[0], 1.0);

    ASSERT_EQ(s.list().size(), 2u);
    const BoxPtr a = s.list()[0], b = s.list()[1];
    EXPECT_FALSE(sameBox(a, s.shown));
    EXPECT_FALSE(sameBox(b, s.hidden));
    EXPECT_DOUBLE_EQ(a->startLocation().x, 9.9);
    EXPECT_DOUBLE_EQ(a->endLocation().y, 39.6);
    EXPECT_EQ(a->imageScale(), s.zoom());
    EXPECT_DOUBLE_EQ(a->originalStartLoc().x, 10.0); // pixels stay where they were
    EXPECT_DOUBLE_EQ(a->scaleFactor(), 0.99);
    EXPECT_EQ(a->classLabel(), "cat");
    EXPECT_FALSE(b->toShow());
    EXPECT_TRUE(b->markTemplate());
    // The selection follows its replacement.
    EXPECT_TRUE(sameBox(s.boxes.currentSelectedBox.get(), a));

    ImageManager none;
    BoundingBoxManager noBoxes;
    EXPECT_FALSE(zoomStep(none, noBoxes, zoomInFactor));
}

TEST(ZoomStep, TheSidebarTransitionEasesTheViewWhileTheModelIsExactAtOnce)
{
    Scene s;
    ZoomTransition& transition = ZoomTransition::instance();
    QSignalSpy spy(&transition, &ZoomTransition::displayFactorChanged);
    ASSERT_TRUE(transition.animatedZoomStep(s.images, s.boxes, zoomInFactor));
    EXPECT_EQ(s.zoom(), zoomInFactor);
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
        ASSERT_TRUE(zoomStep(s.images, s.boxes, zoomInFactor));
    spy.clear();
    EXPECT_FALSE(transition.animatedZoomStep(s.images, s.boxes, zoomInFactor));
    EXPECT_FALSE(transition.running());
    EXPECT_EQ(spy.count(), 0);
}
