#include "Graphics/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace KV;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kInfF = std::numeric_limits<float>::infinity();
constexpr float kNaNF = std::numeric_limits<float>::quiet_NaN();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// Equal as numbers, NaN equal to NaN, and the sign of zero checked as well.
void ExpectSame(double expected, double actual, const char* what)
{
    if (std::isnan(expected))
    {
        EXPECT_TRUE(std::isnan(actual)) << what;
        return;
    }
    EXPECT_EQ(expected, actual) << what;
    EXPECT_EQ(std::signbit(expected), std::signbit(actual)) << what;
}

} // namespace

TEST(Rounding, HalfAwayFromZero)
{
    const struct
    {
        double in;
        double out;
    } cases[] = {
        {2.5, 3.0},
        {-2.5, -3.0},
        {2.4999, 2.0},
        {-2.4999, -2.0},
        {0.5, 1.0},
        {-0.5, -1.0},
        {-0.0, 0.0},
        {-0.25, -0.0}, // a negative value that rounds to zero keeps its sign
        {1e300, 1e300},
        {kInf, kInf},
        {-kInf, -kInf},
        {kNaN, kNaN},
        {0.49999999999999994, 1.0}, // the sum is formed in double precision and rounds up
    };
    for (const auto& c : cases)
        ExpectSame(c.out, RoundHalfAwayFromZero(c.in), std::to_string(c.in).c_str());
}

TEST(Rounding, DoubleToLongSaturates)
{
    const struct
    {
        double in;
        int32_t out;
    } cases[] = {
        {2.5, 3},
        {-2.5, -3},
        {1e12, kMax},
        {kNaN, kMin},
        {kInf, kMax},
        {-kInf, kMin},
        {2147483647.0, kMax},
        {2147483646.5, kMax},
        {2147483647.4, kMax}, // above the range: saturates
        {-2147483648.0, kMin},
        {-2147483647.5, kMin},
        {-2147483648.5, kMin},
        {-1e12, kMin},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, DoubleToLong(c.in)) << c.in;
}

TEST(Rounding, FloatToLongSaturatesFromTwoToThe31)
{
    const struct
    {
        float in;
        int32_t out;
    } cases[] = {
        {2147483648.0f, kMax},
        {2147483520.0f, 2147483520}, // the largest float below 2^31
        {-2147483648.0f, kMin},
        {-3.5f, -4},
        {0.5f, 1},
        {-0.5f, -1},
        {1e20f, kMax},
        {-1e20f, kMin},
        {kInfF, kMax},
        {-kInfF, kMin},
        {kNaNF, kMin},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, FloatToLong(c.in)) << c.in;
}

TEST(Rounding, FloorForgivesOneUnitInTheLastPlace)
{
    const struct
    {
        double in;
        double out;
    } doubles[] = {
        {2.9999999999999996, 3.0},
        {2.5, 2.0},
        {3.0, 3.0},
        {0.0, 0.0},
        {-0.5, -1.0},
        {-4.0, -4.0},
        {-3.5, -4.0},
        {-1e-300, -1.0},
        {1e300, 9223372036854775807.0},
        {kInf, 9223372036854775807.0},
        {-1e300, -9223372036854775808.0},
        {kNaN, -9223372036854775808.0},
    };
    for (const auto& c : doubles)
        ExpectSame(c.out, FloorWithTolerance(c.in), std::to_string(c.in).c_str());

    const struct
    {
        float in;
        float out;
    } floats[] = {
        {2.9999998f, 3.0f},      {2.5f, 2.0f},          {-0.5f, -1.0f},
        {-4.0f, -4.0f},          {3e9f, 2147483648.0f}, {-3e9f, -2147483648.0f},
        {kNaNF, -2147483648.0f},
    };
    for (const auto& c : floats)
        EXPECT_EQ(c.out, FloorWithTolerance(c.in)) << c.in;
}

TEST(Rounding, ClampsToTheExactFloatRange)
{
    EXPECT_EQ((PointT<float>{8388608.0f, -8388608.0f}), (PointT<double>{1e9, -1e9}.ToFloat()));
    EXPECT_EQ((PointT<float>{1.5f, -2.25f}), (PointT<double>{1.5, -2.25}.ToFloat()));
    EXPECT_EQ((PointT<float>{8388608.0f, -8388608.0f}), (PointT<double>{kInf, -kInf}.ToFloat()));
    EXPECT_TRUE(std::isnan(PointT<double>{kNaN, 0}.ToFloat().x));
    EXPECT_EQ((RectT<float>{8388608.0f, -8388608.0f, 8388607.0f, 3.0f}),
              (RectT<int32_t>{kMax, kMin, 8388607, 3}.ToFloat()));
    EXPECT_EQ((RectT<double>{2147483647.0, -2147483648.0, 0.0, -1.0}),
              (RectT<int32_t>{kMax, kMin, 0, -1}.ToDouble()));
    EXPECT_EQ((PointT<double>{-7.0, 9.0}), (PointT<int32_t>{-7, 9}.ToDouble()));
}

TEST(Geometry, ConversionsToLongConvertEachValueAlone)
{
    EXPECT_EQ((RectT<int32_t>{3, -3, kMax, kMin}), (RectT<double>{2.5, -2.5, 1e12, kNaN}.ToLong()));
    EXPECT_EQ((RectT<int32_t>{1, -1, kMax, kMin}), (RectT<float>{0.5f, -0.5f, 3e9f, kNaNF}.ToLong()));
    EXPECT_EQ((PointT<int32_t>{kMax, -4}), (PointT<float>{2147483648.0f, -3.5f}.ToLong()));
    EXPECT_EQ((PointT<int32_t>{3, kMin}), (PointT<double>{2.5, -kInf}.ToLong()));
    EXPECT_EQ((SizeT<int32_t>{3, -3}), (SizeT<double>{2.5, -2.5}.ToLong()));
    EXPECT_EQ((SizeT<int32_t>{kMax, 0}), (SizeT<float>{kInfF, 0.4f}.ToLong()));
}

TEST(Geometry, RoundAndFloorInPlace)
{
    PointT<double> p{10.4, 20.6};
    p.Round();
    EXPECT_EQ((PointT<double>{10.0, 21.0}), p);
    PointT<double> n{-0.5, -1.49};
    n.Round();
    EXPECT_EQ((PointT<double>{-1.0, -1.0}), n);

    PointT<float> f{2.9999998f, -0.25f};
    f.Floor();
    EXPECT_EQ((PointT<float>{3.0f, -1.0f}), f);
}

TEST(Geometry, RoundEdgesKeepsNeighboursTouching)
{
    const struct
    {
        RectT<double> in;
        RectT<double> out;
    } cases[] = {
        {{0.5, 1.4, 1.0, 1.2}, {1.0, 1.0, 1.0, 2.0}},
        {{-1.5, -0.5, 1.0, 1.0}, {-2.0, -1.0, 1.0, 2.0}},
        {{0.4, 0.0, 0.2, 0.0}, {0.0, 0.0, 1.0, 0.0}}, // right edge 0.6 rounds up
    };
    for (const auto& c : cases)
    {
        RectT<double> r = c.in;
        r.RoundEdges();
        EXPECT_EQ(c.out, r) << c.in.x << "," << c.in.y;
    }
    // Two rectangles that meet at 10.5 still meet after rounding.
    RectT<double> left{0.2, 0, 10.3, 1};
    RectT<double> right{10.5, 0, 4.7, 1};
    left.RoundEdges();
    right.RoundEdges();
    EXPECT_EQ(left.x + left.width, right.x);
}

TEST(Geometry, SnapToGridNormalisesThenFloorsEveryEdge)
{
    const struct
    {
        RectT<double> in;
        RectT<double> out;
    } cases[] = {
        {{10.0, 5.0, -4.0, 2.5}, {6.0, 5.0, 4.0, 2.0}},
        {{0.5, 0.5, 1.0, 1.0}, {0.0, 0.0, 1.0, 1.0}},
        {{1.0, 1.0, 1.9999999999999996, -0.5}, {1.0, 0.0, 2.0, 1.0}},
        {{-0.5, -1.5, 0.25, 3.0}, {-1.0, -2.0, 0.0, 3.0}},
    };
    for (const auto& c : cases)
    {
        RectT<double> r = c.in;
        r.SnapToGrid();
        EXPECT_EQ(c.out, r) << c.in.x << "," << c.in.y << "," << c.in.width << "," << c.in.height;
    }
    RectT<float> f{10.0f, 5.0f, -4.0f, 2.5f};
    f.SnapToGrid();
    EXPECT_EQ((RectT<float>{6.0f, 5.0f, 4.0f, 2.0f}), f);
}

TEST(Geometry, IntersectWritesTheResultEvenWhenEmpty)
{
    RectT<int32_t> out{};
    EXPECT_FALSE(RectT<int32_t>::Intersect(out, {0, 0, 10, 10}, {10, 0, 5, 5})); // touching
    EXPECT_EQ((RectT<int32_t>{10, 0, 0, 5}), out);
    EXPECT_TRUE(RectT<int32_t>::Intersect(out, {0, 0, 10, 10}, {9, 9, 5, 5}));
    EXPECT_EQ((RectT<int32_t>{9, 9, 1, 1}), out);
    EXPECT_FALSE(RectT<int32_t>::Intersect(out, {0, 0, 2, 2}, {5, 6, 1, 1}));
    EXPECT_EQ((RectT<int32_t>{5, 6, -3, -4}), out);
    // Edges beyond the int32_t range do not wrap.
    EXPECT_TRUE(RectT<int32_t>::Intersect(out, {kMax - 1, 0, 10, 10}, {0, 0, kMax, 10}));
    EXPECT_EQ((RectT<int32_t>{kMax - 1, 0, 1, 10}), out);
    EXPECT_TRUE(RectT<int32_t>::Intersect(out, {kMin, kMin, kMax, kMax}, {kMin, kMin, kMax, kMax}));
    EXPECT_EQ((RectT<int32_t>{kMin, kMin, kMax, kMax}), out);

    RectT<double> d{};
    EXPECT_FALSE(RectT<double>::Intersect(d, {0, 0, 1, 1}, {0.9999999999999999, 0, 1, 1}));
    EXPECT_TRUE(RectT<double>::Intersect(d, {0, 0, 1, 1}, {0.5, 0.25, 1, 1}));
    EXPECT_EQ((RectT<double>{0.5, 0.25, 0.5, 0.75}), d);

    RectT<float> f{};
    EXPECT_FALSE(RectT<float>::Intersect(f, {0, 0, 1, 1}, {0.99999994f, 0, 1, 1}));
    EXPECT_TRUE(RectT<float>::Intersect(f, {0, 0, 1, 1}, {0.5f, 0, 1, 1}));
}

TEST(Geometry, UnionIsTheBoundingRectangle)
{
    RectT<float> out{};
    EXPECT_TRUE(RectT<float>::Union(out, {0, 0, 1, 1}, {2, 3, 1, 1}));
    EXPECT_EQ((RectT<float>{0, 0, 3, 4}), out);
    EXPECT_TRUE(RectT<float>::Union(out, {-5, 2, 1, 1}, {0, 0, 0, 0}));
    EXPECT_EQ((RectT<float>{-5, 0, 5, 3}), out);
    EXPECT_FALSE(RectT<float>::Union(out, {1, 1, 0, 0}, {1, 1, 0, 5}));
    EXPECT_EQ((RectT<float>{1, 1, 0, 5}), out);
}

TEST(Geometry, GetAxisIsXOnlyForZero)
{
    PointT<double> p{1.0, 2.0};
    EXPECT_EQ(&p.x, &p.GetAxis(0));
    EXPECT_EQ(&p.y, &p.GetAxis(1));
    EXPECT_EQ(&p.y, &p.GetAxis(7));
    EXPECT_EQ(&p.y, &p.GetAxis(-1));
}
