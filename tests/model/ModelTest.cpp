#include "model/BoundingBoxProperty.h"
#include "model/Geometry.h"
#include "model/Rounding.h"

#include "BoxText.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BoundingBoxProperty, PixelCornersFollowDisplayedCornerWritesAndIdentityIsTheId)
{
    const auto box = std::make_shared<BoundingBoxProperty>(Point { 30, 40 }, Point { 90, 120 }, "cat", 1.0, 2.0);
    EXPECT_TRUE(box->id().size() == 36 && box->id() == box->id().toUpper()) << box->id().toStdString();
    EXPECT_EQ(boxText(box), "cat 30,40 90,120 px 15,20 45,60 s1 i2");
    box->setStartLocation({ 50, 60 });
    EXPECT_EQ(boxText(box), "cat 50,60 90,120 px 25,30 45,60 s1 i2");
    Point start = box->startLocation();
    start.x = 10; // one coordinate changed is a write of the whole corner
    box->setStartLocation(start);
    box->setImageScale(1.0); // the pixel corners stay
    EXPECT_EQ(boxText(box), "cat 10,60 90,120 px 5,30 45,60 s1 i1");
    box->setEndLocation({ 100, 100 });
    EXPECT_EQ(pointText(box->originalEndLoc()), "100,100");
    box->setOriginalEndLoc({ 7, 8 });
    EXPECT_EQ(boxText(box), "cat 10,60 100,100 px 5,30 7,8 s1 i1");
    EXPECT_EQ(pointText(BoundingBoxProperty::originalToScaledLoc({ 10, 20 }, 1.5)), "15,30");

    // Identity is the id alone: a copy with another label is the same box, a box made alike is not.
    const auto copy = std::make_shared<BoundingBoxProperty>(*box);
    copy->setClassLabel("changed");
    EXPECT_TRUE(sameBox(copy, box) && !sameBox(copy, nullptr) && !sameBox(nullptr, nullptr));
    EXPECT_FALSE(sameBox(copy, std::make_shared<BoundingBoxProperty>(Point { 30, 40 }, Point { 90, 120 }, "cat")));
}

TEST(BoundingBoxProperty, AnnouncesBeforeEachWriteWithTheRightCounts)
{
    BoundingBoxProperty box({ 0, 0 }, { 10, 10 }, "a");
    int announcements = 0;
    QString labelSeen;
    box.addWillChangeObserver([&] { ++announcements, labelSeen = box.classLabel(); });
    box.setClassLabel("b");
    EXPECT_EQ(labelSeen, "a"); // announced before the store
    const std::pair<std::function<void()>, int> writes[] { { [&] { box.setClassLabel("c"); }, 2 },
        { [&] { box.setMarkTemplate(true); }, 1 },
        { [&] {
             box.setStartLocation({ 1, 1 });
         },
            3 },
        { [&] { box.setToShow(false); }, 1 }, { [&] { box.setScaleFactor(2); }, 1 },
        { [&] { box.setImageScale(2); }, 1 } };
    for (int row = 0; const auto& [write, expected] : writes) {
        announcements = 0;
        write();
        EXPECT_EQ(announcements, expected) << "write " << row++;
    }
}

TEST(Geometry, DivisionIsATrueDivision)
{
    // Not a product with the reciprocal: pixel corners read back exactly after a zoom and back.
    EXPECT_EQ((Point { 1, 0 } / 3.0).x, 1.0 / 3.0);
    const Point back = (Point { 123.456, -0.1 } * 1.7) / 1.7;
    const Size sum = Size { 3, 4 } + Size { 1, 2 };
    EXPECT_EQ(std::tuple(back.x, back.y, sum.width, sum.height), std::tuple(123.456, -0.1, 4.0, 6.0));
}

TEST(Rounding, HalvesAwayFromZeroAtEveryPrecision)
{
    using R = PrecisionRoundingRule;
    const std::tuple<double, R, double> rows[] { { 2.5, R::Zeros, 3 }, { -2.5, R::Zeros, -3 }, { 1.25, R::Ones, 1.3 },
        { -1.25, R::Ones, -1.3 }, { 12.34, R::Ones, 12.3 }, { 123.4567895, R::Sixs, 123.45679 },
        { 2.675, R::Twos, 2.68 }, { 1.005, R::Twos, 1.0 } };
    for (const auto& [value, rule, rounded] : rows)
        EXPECT_EQ(roundDecimal(value, rule), rounded) << value;
    EXPECT_TRUE(roundDecimal(-0.04, R::Ones) == 0.0 && std::signbit(roundDecimal(-0.04, R::Ones)));
}

TEST(Matrix, HelpersFollowTheShapesTheyAreGiven)
{
    EXPECT_EQ(multiply2DArray({ { 1, 2, 3 }, { 4 } }, { { 2, 2 }, { 3, 3 }, { 9 } }), (Matrix { { 2, 4 }, { 12 } }));
    EXPECT_EQ(std::tuple(sum2DArray({ { 1, 2 }, { 3 } }, 10), sum2DArray({}), norm({ { 3 }, { 4 } }), norm({}),
                  getMean2dArray({ { 1, 2 }, { 3 } }), getMaxArray({ { -3, -1 }, {} }), getMaxArray({})),
        std::tuple(16, 0, 5, 0, 2, -1, 0));
    EXPECT_EQ(scaleImageBy255({ { 255, 51 }, {} }), (Matrix { { 1, 0.2 }, {} }));
    EXPECT_TRUE(std::isnan(getMean2dArray({ {}, {} })));
    EXPECT_EQ(getMeanDiffMatrix({ { 1, 2 }, { 3 } }), (Matrix { { -1, 0 }, { 1 } }));
}
