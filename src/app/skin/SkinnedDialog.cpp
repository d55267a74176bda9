#include "app/skin/SkinnedDialog.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "app/skin/ColorKey.h"
#include "app/skin/Pictures.h"

namespace veilport::skin {

SkinnedDialog::SkinnedDialog(QWidget* parent, Kind kind) : QDialog(parent), kind_(kind) {
    if (kind_ == Kind::Child) {
        setWindowFlags(Qt::Widget);
    } else {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    }
}

bool SkinnedDialog::setBackgroundPicture(int id) {
    const QPixmap picture = loadPicture(id);
    setBackgroundPicture(picture);
    return !picture.isNull();
}

void SkinnedDialog::setBackgroundPicture(const QPixmap& picture) {
    background_ = picture;
    applyColorKey();
    update();
}

void SkinnedDialog::setPlacementMode(int mode) {
    placement_ = mode == 4 ? kTopLeft : mode;
    applyColorKey();
    update();
}

bool SkinnedDialog::platformCanShapeWindows() {
    // X11 cuts both drawing and input to the mask. Wayland takes a mask for
    // input only and would still show the ColorKey pixels, so there (and on
    // off-screen platforms) skinned windows stay rectangular.
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

void SkinnedDialog::paintBackground(QPainter& painter) const {
    painter.fillRect(rect(), palette().window());
    if (background_.isNull()) return;
    const QSize picture = background_.size();
    switch (placement_) {
        case kTiled:
            for (int y = 0; y < height(); y += picture.height())
                for (int x = 0; x < width(); x += picture.width())
                    painter.drawPixmap(x, y, background_);
            break;
        case kCentred:
            // Integer halves, negative when the picture is the larger.
            painter.drawPixmap((width() - picture.width()) / 2, (height() - picture.height()) / 2,
                               background_);
            break;
        case kStretched:
            painter.drawPixmap(rect(), background_);
            break;
        default:
            painter.drawPixmap(0, 0, background_);
            break;
    }
}

QImage SkinnedDialog::renderBackground() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintBackground(painter);
    return image;
}

void SkinnedDialog::applyColorKey() {
    if (kind_ != Kind::TopLevel || !platformCanShapeWindows()) return;
    if (background_.isNull()) {
        clearMask();
        return;
    }
    setMask(colorKeyShape(renderBackground()));
}

void SkinnedDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintBackground(painter);
}

void SkinnedDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!background_.isNull()) {
        applyColorKey();
        update();
    }
}

void SkinnedDialog::showEvent(QShowEvent* event) {
    applyColorKey();
    QDialog::showEvent(event);
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event) {
    if (kind_ != Kind::TopLevel || event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    // The window manager moves the window where it can, as for a caption
    // grab; without one the window follows the mouse itself.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void SkinnedDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace veilport::skin
