#include "Renderer/OpenGL/GLPolygon.h"

#include "Renderer/OpenGL/GLCalls.h"

#include <array>
#include <cmath>
#include <deque>
#include <vector>

namespace KV {

namespace {

using Vertex = std::array<GLdouble, 3>;

// What one tessellation collects: the polygon's own vertices, those made where edges
// cross (a deque keeps their addresses while it grows), and the triangle being built.
struct Tessellation
{
    std::vector<Vertex> vertices;
    std::deque<Vertex> crossings;
    const CGLPolygon::TriangleSink* sink = nullptr;
    std::array<PointT<double>, 3> corners{};
    int corner = 0;
};

Tessellation& Current()
{
    static Tessellation tessellation;
    return tessellation;
}

void GLAPIENTRY OnBegin(GLenum mode)
{
    Tessellation& t = Current();
    t.corner = 0;
    if (!t.sink)
        glBegin(mode);
}

void GLAPIENTRY OnVertex(void* data)
{
    Tessellation& t = Current();
    const auto* vertex = static_cast<const GLdouble*>(data);
    if (!t.sink)
    {
        glVertex3dv(vertex);
        return;
    }
    t.corners[static_cast<size_t>(t.corner)] = {vertex[0], vertex[1]};
    if (++t.corner == 3)
    {
        (*t.sink)(t.corners[0], t.corners[1], t.corners[2]);
        t.corner = 0;
    }
}

void GLAPIENTRY OnEnd()
{
    if (!Current().sink)
        glEnd();
}

// With an edge-flag callback the tessellator gives separate triangles only (no fans or
// strips), which the sink relies on; for filling the flags do not matter.
void GLAPIENTRY OnEdgeFlag(GLboolean) {}

void GLAPIENTRY OnCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out)
{
    Tessellation& t = Current();
    t.crossings.push_back({coords[0], coords[1], coords[2]});
    *out = t.crossings.back().data();
}

GLUtesselator* SharedTessellator()
{
    static GLUtesselator* const tessellator = []() -> GLUtesselator* {
        std::string error;
        if (!GL::LoadFunctions(error))
            return nullptr;
        GLUtesselator* made = gluNewTess();
        if (!made)
            return made;
        gluTessNormal(made, 0.0, 0.0, 1.0);
        gluTessProperty(made, GLU_TESS_TOLERANCE, 1.0);
        gluTessProperty(made, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
        gluTessProperty(made, GLU_TESS_BOUNDARY_ONLY, GL_FALSE);
        gluTessCallback(made, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(&OnBegin));
        gluTessCallback(made, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(&OnVertex));
        gluTessCallback(made, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(&OnEnd));
        gluTessCallback(made, GLU_TESS_EDGE_FLAG, reinterpret_cast<_GLUfuncptr>(&OnEdgeFlag));
        gluTessCallback(made, GLU_TESS_COMBINE, reinterpret_cast<_GLUfuncptr>(&OnCombine));
        return made;
    }();
    return tessellator;
}

void Run(const PolylineT<float>& polyline, const CGLPolygon::TriangleSink* sink)
{
    GLUtesselator* tessellator = SharedTessellator();
    const uint32_t count = polyline.GetCount();
    if (!tessellator || count < 3)
        return;
    Tessellation& t = Current();
    t.vertices.resize(count);
    for (uint32_t i = 0; i < count; ++i)
    {
        const PointT<float>& point = *polyline.GetAtConst(i);
        // The tessellator's sweep cannot order points that are not numbers.
        if (!std::isfinite(point.x) || !std::isfinite(point.y))
            return;
        t.vertices[i] = {point.x, point.y, 0.0};
    }
    t.sink = sink;
    t.crossings.clear();
    gluTessBeginPolygon(tessellator, nullptr);
    gluTessBeginContour(tessellator);
    for (Vertex& vertex : t.vertices)
        gluTessVertex(tessellator, vertex.data(), vertex.data());
    gluTessEndContour(tessellator);
    gluTessEndPolygon(tessellator);
    t.sink = nullptr;
    t.crossings.clear();
}

} // namespace

void CGLPolygon::Tessellate(const PolylineT<float>& polyline)
{
    Run(polyline, nullptr);
}

void CGLPolygon::Tessellate(const PolylineT<float>& polyline, const TriangleSink& sink)
{
    Run(polyline, &sink);
}

} // namespace KV
