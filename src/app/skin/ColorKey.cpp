#include "app/skin/ColorKey.h"

#include <QBitmap>

namespace veilport::skin {

QRegion colorKeyShape(const QImage& image) {
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    // The bitmap marks the key pixels; its region is everything else.
    return QRegion(QBitmap::fromImage(opaque.createMaskFromColor(ColorKey, Qt::MaskInColor)));
}

QImage colorKeyToTransparent(const QImage& image) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] | 0xFF000000u) == ColorKey) line[x] = 0;
    }
    return result;
}

}  // namespace veilport::skin
