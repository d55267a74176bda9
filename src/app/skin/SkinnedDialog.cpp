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
        shaping_ = platformShaping();
        if (shaping_ == Shaping::Translucent) setAttribute(Qt::WA_TranslucentBackground);
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

SkinnedDialog::Shaping SkinnedDialog::shapingFor(const QString& platformName) {
    // X11 cuts both drawing and input to a mask, with or without a compositor.
    if (platformName == QLatin1String("xcb")) return Shaping::Mask;
    // Wayland always composites, and takes a mask for input only.
    if (platformName.startsWith(QLatin1String("wayland"))) return Shaping::Translucent;
    // Off-screen and frame-buffer platforms show windows as rectangles.
    return Shaping::None;
}

SkinnedDialog::Shaping SkinnedDialog::platformShaping() {
    return shapingFor(QGuiApplication::platformName());
}

bool SkinnedDialog::platformCanShapeWindows() {
    return platformShaping() != Shaping::None;
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
    if (kind_ != Kind::TopLevel || shaping_ == Shaping::None) return;
    if (background_.isNull()) {
        translucentFrame_ = {};
        clearMask();
        return;
    }
    const QImage frame = renderBackground();
    setMask(colorKeyShape(frame));
    if (shaping_ == Shaping::Translucent)
        translucentFrame_ = QPixmap::fromImage(colorKeyToTransparent(frame));
}

void SkinnedDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!translucentFrame_.isNull()) {
        // Replace what is there, alpha included, so the key pixels stay clear.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, 0, translucentFrame_);
        return;
    }
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
