#include "model/Geometry.h"
#include "model/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Geometry, DivisionIsATrueDivision)
{
    // Not a product with the reciprocal: pixel corners read back exactly after a zoom and back.
    EXPECT_EQ((Point { 1, 0 } / 3.0).x, 1.0 / 3.0);
    const Point back = (Point { 123.456, -0.1 } * 1.7) / 1.7;
    EXPECT_DOUBLE_EQ(back.x, 123.456);
    EXPECT_DOUBLE_EQ(back.y, -0.1);
    const Size sum = Size { 3, 4 } + Size { 1, 2 };
    EXPECT_EQ(std::pair(sum.width, sum.height), std::pair(4.0, 6.0));
}

TEST(Rounding, HalvesAwayFromZeroAtEveryPrecision)
{
    using R = PrecisionRoundingRule;
    EXPECT_EQ(roundDecimal(2.5), 3.0);
    EXPECT_EQ(roundDecimal(-2.5), -3.0);
    EXPECT_EQ(roundDecimal(1.25, R::Ones), 1.3);
    EXPECT_EQ(roundDecimal(-1.25, R::Ones), -1.3);
    EXPECT_EQ(roundDecimal(12.34, R::Ones), 12.3);
    const double negativeZero = roundDecimal(-0.04, R::Ones);
    EXPECT_EQ(negativeZero, 0.0);
    EXPECT_TRUE(std::signbit(negativeZero));
    EXPECT_EQ(roundDecimal(123.4567895, R::Sixs), 123.45679);
    EXPECT_EQ(roundDecimal(2.675, R::Twos), 2.68);
    EXPECT_EQ(roundDecimal(1.005, R::Twos), 1.0);
}

TEST(Matrix, HelpersFollowTheShapesTheyAreGiven)
{
    EXPECT_EQ(multiply2DArray({ { 1, 2, 3 }, { 4 } }, { { 2, 2 }, { 3, 3 }, { 9 } }), (Matrix { { 2, 4 }, { 12 } }));
    EXPECT_EQ(sum2DArray({ { 1, 2 }, { 3 } }, 10), 16);
    EXPECT_EQ(sum2DArray({}), 0);
    EXPECT_EQ(norm({ { 3 }, { 4 } }), 5);
    EXPECT_EQ(norm({}), 0);
    EXPECT_EQ(scaleImageBy255({ { 255, 51 }, {} }), (Matrix { { 1, 0.2 }, {} }));
    EXPECT_EQ(getMean2dArray({ { 1, 2 }, { 3 } }), 2);
    EXPECT_TRUE(std::isnan(getMean2dArray({ {}, {} })));
    EXPECT_EQ(getMeanDiffMatrix({ { 1, 2 }, { 3 } }), (Matrix { { -1, 0 }, { 1 } }));
    EXPECT_EQ(getMaxArray({ { -3, -1 }, {} }), -1);
    EXPECT_EQ(getMaxArray({}), 0.0);
}
