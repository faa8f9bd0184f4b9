#pragma once
// CGLPolygon: fills a polygon through the GLU tessellator by the even-odd rule. Edges that
// cross are split where they meet, so self-intersecting polygons (a star drawn in one
// stroke) fill as the GDI+ renderer fills them. The tessellator and its vertex store are
// shared by the process; the triangles go to OpenGL, or to a sink given by the caller.

#include "Graphics/Polyline.h"

#include <functional>

namespace KV {

class CGLPolygon
{
public:
    // Receives each triangle of a tessellation, its corners in drawing order.
    using TriangleSink =
        std::function<void(const PointT<double>&, const PointT<double>&, const PointT<double>&)>;

    // Draws the filled polygon as OpenGL triangles (with a current context).
    void Tessellate(const PolylineT<float>& polyline);
    // Hands the triangles to the sink instead; needs no OpenGL context.
    void Tessellate(const PolylineT<float>& polyline, const TriangleSink& sink);
};

} // namespace KV
