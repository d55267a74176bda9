#include "app/skin/Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include "app/skin/ColorKey.h"

namespace veilport::skin {

namespace {

struct PictureSource {
    int id;
    const char* file;
    bool keyed;  // a window background with ColorKey margins
};

constexpr PictureSource kPictures[] = {
    {picture::kApplicationIcon, "app_icon.svg", false},
    {picture::kDialogBackground, "dialog_background.svg", true},
    {picture::kPageBackground, "page_background.svg", false},
    {picture::kPatternTile, "pattern_tile.svg", false},
    {picture::kOkNormal, "ok_normal.svg", false},
    {picture::kOkPressed, "ok_pressed.svg", false},
    {picture::kOkHover, "ok_hover.svg", false},
    {picture::kOkDisabled, "ok_disabled.svg", false},
    {picture::kOkFocus, "ok_focus.svg", false},
    {picture::kCheckNormal, "check_normal.svg", false},
    {picture::kCheckChecked, "check_checked.svg", false},
    {picture::kCheckHover, "check_hover.svg", false},
    {picture::kCheckDisabled, "check_disabled.svg", false},
    {picture::kRadioNormal, "radio_normal.svg", false},
    {picture::kRadioChecked, "radio_checked.svg", false},
    {picture::kRadioHover, "radio_hover.svg", false},
    {picture::kRadioDisabled, "radio_disabled.svg", false},
    {picture::kCloseNormal, "close_normal.svg", false},
    {picture::kClosePressed, "close_pressed.svg", false},
    {picture::kCloseHover, "close_hover.svg", false},
    {picture::kCloseMask, "close_mask.svg", false},
    {picture::kAnonymityEnableNormal, "anonymity_enable_normal.svg", false},
    {picture::kAnonymityEnablePressed, "anonymity_enable_pressed.svg", false},
    {picture::kAnonymityEnableHover, "anonymity_enable_hover.svg", false},
    {picture::kAnonymityDisableNormal, "anonymity_disable_normal.svg", false},
    {picture::kAnonymityDisablePressed, "anonymity_disable_pressed.svg", false},
    {picture::kAnonymityDisableHover, "anonymity_disable_hover.svg", false},
    {picture::kPrivacyEnableNormal, "privacy_enable_normal.svg", false},
    {picture::kPrivacyEnablePressed, "privacy_enable_pressed.svg", false},
    {picture::kPrivacyEnableHover, "privacy_enable_hover.svg", false},
    {picture::kPrivacyDisableNormal, "privacy_disable_normal.svg", false},
    {picture::kPrivacyDisablePressed, "privacy_disable_pressed.svg", false},
    {picture::kPrivacyDisableHover, "privacy_disable_hover.svg", false},
    {picture::kStatusHeaderTop, "status_header_top.svg", false},
    {picture::kStatusHeaderMiddle, "status_header_middle.svg", false},
    {picture::kStatusHeaderBottom, "status_header_bottom.svg", false},
    {picture::kStartNormal, "start_normal.svg", false},
    {picture::kStartPressed, "start_pressed.svg", false},
    {picture::kStartHover, "start_hover.svg", false},
    {picture::kDoneNormal, "done_normal.svg", false},
    {picture::kDonePressed, "done_pressed.svg", false},
    {picture::kDoneHover, "done_hover.svg", false},
    {picture::kCancelNormal, "cancel_normal.svg", false},
    {picture::kCancelPressed, "cancel_pressed.svg", false},
    {picture::kCancelHover, "cancel_hover.svg", false},
    {picture::kTesterBackground, "tester_background.svg", true},
    {picture::kUpdateBackground, "update_background.svg", true},
};

const PictureSource* findSource(int id) {
    for (const auto& source : kPictures)
        if (source.id == id) return &source;
    return nullptr;
}

QImage render(const QString& resource, QSize size = {}) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) return {};
    if (size.isEmpty()) size = renderer.defaultSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Turns what the drawing leaves empty into ColorKey and makes every other
// pixel opaque, so the picture is a window shape with hard edges: a shaped
// window has no half-transparent pixels.
QImage withColorKeyMargins(const QImage& drawn) {
    QImage keyed = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            line[x] = qAlpha(line[x]) < 128 ? ColorKey : (line[x] | 0xFF000000u);
    }
    return keyed.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QPixmap loadPicture(int id) {
    const PictureSource* source = findSource(id);
    if (source == nullptr) return {};
    const QImage drawn =
        render(QStringLiteral(":/skin/pictures/") + QString::fromLatin1(source->file));
    if (drawn.isNull()) return {};
    return QPixmap::fromImage(source->keyed ? withColorKeyMargins(drawn) : drawn);
}

QIcon applicationIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(render(":/skin/pictures/app_icon.svg", {side, side})));
    return icon;
}

}  // namespace veilport::skin
