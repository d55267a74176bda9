#include "app/skin/ColorKey.h"

#include <QBitmap>

namespace veilport::skin {

QRegion colorKeyShape(const QImage& image) {
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    // The bitmap marks the key pixels; its region is everything else.
    return QRegion(QBitmap::fromImage(opaque.createMaskFromColor(ColorKey, Qt::MaskInColor)));
}

}  // namespace veilport::skin
