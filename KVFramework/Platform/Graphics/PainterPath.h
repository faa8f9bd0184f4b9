#pragma once
// PainterPath: the outline of a polyline or polygon, built once by a Painter and drawn
// many times, moved and scaled at drawing time.

#include "Graphics/Geometry.h"

#include <memory>
#include <span>

typedef struct cairo_path cairo_path_t;

namespace KV::Platform {

enum class PathShape
{
    Segments, // the points in pairs, each pair one separate line (an odd last point is left out)
    Polyline, // one open line through all points
    Polygon,  // one closed figure
};

class PainterPath
{
public:
    // The path of the points in that shape; null when the memory cannot be had.
    static std::unique_ptr<PainterPath> Create(PathShape shape, std::span<const PointT<float>> points);

    PainterPath(const PainterPath&) = delete;
    PainterPath& operator=(const PainterPath&) = delete;
    ~PainterPath();

    const cairo_path_t* GetCairoPath() const noexcept { return mPath; }

private:
    explicit PainterPath(cairo_path_t* path) noexcept : mPath(path) {}

    cairo_path_t* mPath;
};

} // namespace KV::Platform
