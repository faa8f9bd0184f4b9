// Prepared outlines on Cairo paths.
//  [x] separate segments, open polylines, closed polygons   [x] drawn moved and scaled
//  [ ] curves (nothing draws them)

#include "Platform/Graphics/PainterPath.h"

#include <cairo.h>

namespace KV::Platform {

namespace {

// Cairo builds paths only through a drawing context; this one draws on nothing and
// serves every path (window thread only, like all drawing).
cairo_t* PathBuilder()
{
    static cairo_t* const builder = [] {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A1, 1, 1);
        cairo_t* context = cairo_create(surface);
        cairo_surface_destroy(surface);
        return context;
    }();
    return builder;
}

void AddShape(cairo_t* context, PathShape shape, std::span<const PointT<float>> points)
{
    switch (shape)
    {
    case PathShape::Segments:
        for (size_t i = 0; i + 1 < points.size(); i += 2)
        {
            cairo_move_to(context, points[i].x, points[i].y);
            cairo_line_to(context, points[i + 1].x, points[i + 1].y);
        }
        break;
    case PathShape::Polyline:
    case PathShape::Polygon:
        for (size_t i = 0; i < points.size(); ++i)
        {
            if (i == 0)
                cairo_move_to(context, points[i].x, points[i].y);
            else
                cairo_line_to(context, points[i].x, points[i].y);
        }
        if (shape == PathShape::Polygon && !points.empty())
            cairo_close_path(context);
        break;
    }
}

} // namespace

std::unique_ptr<PainterPath> PainterPath::Create(PathShape shape, std::span<const PointT<float>> points)
{
    cairo_t* builder = PathBuilder();
    cairo_new_path(builder);
    AddShape(builder, shape, points);
    cairo_path_t* path = cairo_copy_path(builder);
    cairo_new_path(builder);
    if (path->status != CAIRO_STATUS_SUCCESS)
    {
        cairo_path_destroy(path);
        return nullptr;
    }
    return std::unique_ptr<PainterPath>(new PainterPath(path));
}

PainterPath::~PainterPath()
{
    cairo_path_destroy(mPath);
}

} // namespace KV::Platform
