#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPoint>

namespace veilport::skin {

// The base of every page and skinned dialog: a background picture drawn by a
// placement mode and, for a top-level window, no frame, a shape cut by
// ColorKey where the platform can shape windows (a plain rectangle showing
// the ColorKey pixels where it cannot), and a press anywhere on the body that
// moves the window as a grab of its caption would.
//
// X11 cuts a window to a mask, composited or not. Wayland compositors take a
// mask for input only, so there the window is translucent and its ColorKey
// pixels are drawn fully transparent, with the mask keeping input to the shape.
class SkinnedDialog : public QDialog {
    Q_OBJECT

public:
    enum class Kind {
        TopLevel,  // a skinned window of its own
        Child,     // a page inside another window
    };

    // Placement modes of the background picture.
    static constexpr int kTopLeft = 0;  // unscaled at 0, 0 (4 means the same)
    static constexpr int kTiled = 1;
    static constexpr int kCentred = 2;
    static constexpr int kStretched = 3;

    explicit SkinnedDialog(QWidget* parent = nullptr, Kind kind = Kind::TopLevel);

    // Replaces the background picture by the one with this resource identifier
    // (0 for none) and redraws. False when the picture could not be loaded;
    // the dialog then has none.
    bool setBackgroundPicture(int id);
    void setBackgroundPicture(const QPixmap& picture);
    const QPixmap& backgroundPicture() const { return background_; }

    void setPlacementMode(int mode);
    int placementMode() const { return placement_; }

    Kind kind() const { return kind_; }

    // How a top-level window takes the shape of its picture.
    enum class Shaping {
        None,         // rectangular, showing the ColorKey pixels
        Mask,         // cut to the shape (drawing and input)
        Translucent,  // ColorKey pixels transparent, input cut to the shape
    };
    static Shaping shapingFor(const QString& platformName);
    static Shaping platformShaping();

    // Whether this platform lets a window take the shape of its picture.
    static bool platformCanShapeWindows();

    // The client area as the background paints it: erased with the window
    // colour, then the picture by its placement mode.
    QImage renderBackground() const;

    // Cuts a top-level window to the shape of its background (no effect for a
    // page, without a picture, or where windows cannot be shaped). Done on
    // every show and size change; callable to redo it at once.
    void applyColorKey();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintBackground(QPainter& painter) const;

    Kind kind_;
    Shaping shaping_ = Shaping::None;
    QPixmap background_;
    // The background with its ColorKey pixels transparent (translucent windows).
    QPixmap translucentFrame_;
    int placement_ = kTopLeft;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace veilport::skin
