#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>

namespace veilport::skin {

// The transparent colour of every skinned top-level window: pixels of this
// colour in a window's background picture are neither drawn nor take mouse
// input, which gives the window its shape.
inline constexpr QRgb ColorKey = 0xFFE51BFF;  // RGB(229, 27, 255)

// The part of an image that is not ColorKey: the shape of a window whose
// client area looks like the image.
QRegion colorKeyShape(const QImage& image);

// The image with its ColorKey pixels made fully transparent and every other
// pixel kept as it is: what a translucent window draws to take its shape.
QImage colorKeyToTransparent(const QImage& image);

}  // namespace veilport::skin
