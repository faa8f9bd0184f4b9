#pragma once
// The drawing form of a bitmap's pixels: a Cairo image surface.
//
// Cairo draws premultiplied pixels, the images keep straight ones. The surface is made
// from the image on first use, kept with the image, and dropped by the image as soon as
// its pixels change (BitmapImage::PixelsChanged), so the next use makes it again.

#include "Graphics/BitmapImage.h"

typedef struct _cairo_surface cairo_surface_t;

namespace KV::Platform {

// The image's premultiplied ARGB32 surface; null when Cairo cannot make one. The
// surface belongs to the image: valid until its pixels change or it is destroyed.
cairo_surface_t* GetCairoSurface(const BitmapImage& image);

} // namespace KV::Platform
