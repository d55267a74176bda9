#pragma once

// What the picture programs that scripts/screenshots runs share: letting the
// event loop draw, a window put on a backdrop through its shape, and writing
// a PNG with its path on stdout.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <cstdio>

namespace veilport::testing {

inline void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// A window drawn on a backdrop, through its shape when it has one.
inline QImage onBackdrop(QWidget& window, int margin = 28) {
    const QPixmap drawn = window.grab();
    QImage image(drawn.size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient backdrop(0, 0, image.width(), image.height());
    backdrop.setColorAt(0, QColor(0x5B, 0x6E, 0x96));
    backdrop.setColorAt(1, QColor(0x9A, 0xAE, 0xC9));
    painter.fillRect(image.rect(), backdrop);
    painter.translate(margin, margin);
    painter.setClipRegion(window.mask().isEmpty() ? QRegion(window.rect()) : window.mask());
    painter.drawPixmap(0, 0, drawn);
    return image;
}

// Writes folder/name as PNG and prints its path; `program` names the writer
// in the error line.
inline bool savePicture(const QImage& image, const QDir& folder, const QString& name,
                        const char* program) {
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", program, qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace veilport::testing
