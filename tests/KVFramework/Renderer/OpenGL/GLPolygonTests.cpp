// Polygons through the tessellator, without a display: the triangles must cover exactly
// the even-odd interior, crossing edges included.

#include "Renderer/OpenGL/GLPolygon.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

using namespace KV;

namespace {

PolylineT<float> Polygon(const std::vector<PointT<float>>& points)
{
    PolylineT<float> polygon;
    for (const PointT<float>& point : points)
        polygon.AddItem(point);
    return polygon;
}

// A star of five points drawn in one stroke: its edges cross, its centre is outside by
// the even-odd rule.
PolylineT<float> Pentagram(float cx, float cy, float radius)
{
    std::vector<PointT<float>> points;
    for (int i = 0; i < 5; ++i)
    {
        const double angle = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        points.push_back({cx + radius * static_cast<float>(std::cos(angle)),
                          cy + radius * static_cast<float>(std::sin(angle))});
    }
    return Polygon(points);
}

bool InsideEvenOdd(const PolylineT<float>& polygon, double x, double y)
{
    bool inside = false;
    const uint32_t count = polygon.GetCount();
    for (uint32_t i = 0, j = count - 1; i < count; j = i++)
    {
        const PointT<float>& a = *polygon.GetAtConst(i);
        const PointT<float>& b = *polygon.GetAtConst(j);
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

bool InsideTriangle(const std::array<PointT<double>, 3>& t, double x, double y)
{
    const auto side = [&](const PointT<double>& a, const PointT<double>& b) {
        return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    };
    const double d1 = side(t[0], t[1]);
    const double d2 = side(t[1], t[2]);
    const double d3 = side(t[2], t[0]);
    return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
}

} // namespace

TEST(GLPolygon, TrianglesCoverExactlyTheEvenOddInterior)
{
    struct Case
    {
        const char* name;
        PolylineT<float> polygon;
    };
    const Case cases[] = {
        {"square", Polygon({{10, 10}, {90, 10}, {90, 90}, {10, 90}})},
        {"concave", Polygon({{10, 10}, {90, 10}, {50, 50}, {90, 90}, {10, 90}})},
        {"bow tie", Polygon({{10, 10}, {90, 90}, {90, 10}, {10, 90}})},
        {"pentagram", Pentagram(50, 50, 45)},
    };
    for (const Case& c : cases)
    {
        std::vector<std::array<PointT<double>, 3>> triangles;
        CGLPolygon().Tessellate(
            c.polygon, [&](const PointT<double>& a, const PointT<double>& b, const PointT<double>& d) {
                triangles.push_back({a, b, d});
            });
        ASSERT_FALSE(triangles.empty()) << c.name;
        int32_t wrong = 0;
        // Sample points off the edges: each is in exactly as many triangles as the
        // polygon's even-odd rule says (0 or 1).
        for (double y = 0.37; y < 100; y += 1.0)
            for (double x = 0.61; x < 100; x += 1.0)
            {
                int32_t covering = 0;
                for (const auto& triangle : triangles)
                    covering += InsideTriangle(triangle, x, y) ? 1 : 0;
                wrong += covering != (InsideEvenOdd(c.polygon, x, y) ? 1 : 0) ? 1 : 0;
            }
        EXPECT_EQ(0, wrong) << c.name;
    }
}

TEST(GLPolygon, DegenerateInputDrawsNothing)
{
    const float nan = std::nanf("");
    const PolylineT<float> cases[] = {
        Polygon({}),
        Polygon({{1, 1}, {5, 5}}),
        Polygon({{1, 1}, {nan, 5}, {9, 1}}),
        Polygon({{1, 1}, {5, 1}, {9, 1}}),
    };
    for (const PolylineT<float>& polygon : cases)
    {
        int32_t triangles = 0;
        CGLPolygon().Tessellate(polygon, [&](const PointT<double>&, const PointT<double>&,
                                             const PointT<double>&) { ++triangles; });
        EXPECT_EQ(0, triangles);
    }
}
