#include "app/skin/Pictures.h"

#include <QFile>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <iterator>
#include <optional>
#include <string>

#include "app/skin/CleaningPagePictures.h"
#include "app/skin/ColorKey.h"

namespace veilport::skin {

namespace {

struct PictureSource {
    int id;
    const char* file;
    bool keyed;              // a window background with ColorKey margins
    const char* label = "";  // replaces "{label}" in the drawing
};

// The labels of the section buttons and of the sub-buttons, in bar order.
constexpr const char* kSectionLabels[] = {"Status", "Anonymity", "Privacy", "Settings"};
constexpr const char* kSubLabels[] = {
    "Anonymity Wizard", "Current Proxy",     "New Proxies",      "Tested Proxies",
    "Add Proxy",        "Update Proxy List", "List Sources",     "Invasive Code",
    "Cleaning",         "Browsers",          "Start Up Options",
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
    {picture::kApplyNormal, "btn_apply_normal.svg", false},
    {picture::kApplyPressed, "btn_apply_pressed.svg", false},
    {picture::kApplyHover, "btn_apply_hover.svg", false},
    {picture::kApplyDisabled, "btn_apply_disabled.svg", false},
    {picture::kApplyFocus, "btn_apply_focus.svg", false},
    {picture::kUseSelectedNormal, "btn_use_selected_normal.svg", false},
    {picture::kUseSelectedPressed, "btn_use_selected_pressed.svg", false},
    {picture::kUseSelectedHover, "btn_use_selected_hover.svg", false},
    {picture::kUseSelectedDisabled, "btn_use_selected_disabled.svg", false},
    {picture::kUseSelectedFocus, "btn_use_selected_focus.svg", false},
    {picture::kStartNormal, "btn_start_normal.svg", false},
    {picture::kStartPressed, "btn_start_pressed.svg", false},
    {picture::kStartHover, "btn_start_hover.svg", false},
    {picture::kStartDisabled, "btn_start_disabled.svg", false},
    {picture::kStartFocus, "btn_start_focus.svg", false},
    {picture::kChangeProxyNormal, "btn_change_proxy_normal.svg", false},
    {picture::kChangeProxyPressed, "btn_change_proxy_pressed.svg", false},
    {picture::kChangeProxyHover, "btn_change_proxy_hover.svg", false},
    {picture::kChangeProxyDisabled, "btn_change_proxy_disabled.svg", false},
    {picture::kChangeProxyFocus, "btn_change_proxy_focus.svg", false},
    {picture::kTestNormal, "btn_test_normal.svg", false},
    {picture::kTestPressed, "btn_test_pressed.svg", false},
    {picture::kTestHover, "btn_test_hover.svg", false},
    {picture::kTestDisabled, "btn_test_disabled.svg", false},
    {picture::kTestFocus, "btn_test_focus.svg", false},
    {picture::kSaveNormal, "btn_save_normal.svg", false},
    {picture::kSavePressed, "btn_save_pressed.svg", false},
    {picture::kSaveHover, "btn_save_hover.svg", false},
    {picture::kSaveDisabled, "btn_save_disabled.svg", false},
    {picture::kSaveFocus, "btn_save_focus.svg", false},
    {picture::kCheckNowNormal, "btn_check_now_normal.svg", false},
    {picture::kCheckNowPressed, "btn_check_now_pressed.svg", false},
    {picture::kCheckNowHover, "btn_check_now_hover.svg", false},
    {picture::kCheckNowDisabled, "btn_check_now_disabled.svg", false},
    {picture::kCheckNowFocus, "btn_check_now_focus.svg", false},
    {picture::kProxyPlain, "proxy_plain.svg", false},
    {picture::kProxyPost, "proxy_post.svg", false},
    {picture::kPreviewNormal, "btn_preview_normal.svg", false},
    {picture::kPreviewPressed, "btn_preview_pressed.svg", false},
    {picture::kPreviewHover, "btn_preview_hover.svg", false},
    {picture::kPreviewDisabled, "btn_preview_disabled.svg", false},
    {picture::kPreviewFocus, "btn_preview_focus.svg", false},
    {picture::kAddNormal, "btn_add_normal.svg", false},
    {picture::kAddPressed, "btn_add_pressed.svg", false},
    {picture::kAddHover, "btn_add_hover.svg", false},
    {picture::kAddDisabled, "btn_add_disabled.svg", false},
    {picture::kAddFocus, "btn_add_focus.svg", false},
    {picture::kRemoveNormal, "btn_remove_normal.svg", false},
    {picture::kRemovePressed, "btn_remove_pressed.svg", false},
    {picture::kRemoveHover, "btn_remove_hover.svg", false},
    {picture::kRemoveDisabled, "btn_remove_disabled.svg", false},
    {picture::kRemoveFocus, "btn_remove_focus.svg", false},
    {picture::kMainBackground, "main_background.svg", true},
    {picture::kMainBarBackground, "main_bar.svg", false},
    {picture::kTipBackground, "tip_background.svg", false},
    {picture::kAnonymityBarBackground, "section_bar.svg", false, "Anonymity"},
    {picture::kPrivacyBarBackground, "section_bar.svg", false, "Privacy"},
    {picture::kSettingsBarBackground, "section_bar.svg", false, "Settings"},
    {picture::kHelpNormal, "help_normal.svg", false, "Help"},
    {picture::kHelpPressed, "help_pressed.svg", false, "Help"},
    {picture::kHelpHover, "help_hover.svg", false, "Help"},
    {picture::kWhatIsMyIpNormal, "top_button_normal.svg", false, "What is my IP?"},
    {picture::kWhatIsMyIpPressed, "top_button_pressed.svg", false, "What is my IP?"},
    {picture::kWhatIsMyIpHover, "top_button_hover.svg", false, "What is my IP?"},
    {picture::kUpdateListNormal, "top_button_normal.svg", false, "Update List"},
    {picture::kUpdateListPressed, "top_button_pressed.svg", false, "Update List"},
    {picture::kUpdateListHover, "top_button_hover.svg", false, "Update List"},
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
    {picture::kDialogStartNormal, "start_normal.svg", false},
    {picture::kDialogStartPressed, "start_pressed.svg", false},
    {picture::kDialogStartHover, "start_hover.svg", false},
    {picture::kDoneNormal, "done_normal.svg", false},
    {picture::kDonePressed, "done_pressed.svg", false},
    {picture::kDoneHover, "done_hover.svg", false},
    {picture::kCancelNormal, "cancel_normal.svg", false},
    {picture::kCancelPressed, "cancel_pressed.svg", false},
    {picture::kCancelHover, "cancel_hover.svg", false},
    {picture::kTesterBackground, "tester_background.svg", true},
    {picture::kUpdateBackground, "update_background.svg", true},
    {picture::kCleaningPreviewBackground, "cleaning_preview_background.svg", true},
};

// Two drawings under one id would show one of them in the other's place.
constexpr bool IdsAreUnique() {
    for (std::size_t i = 0; i < std::size(kPictures); ++i)
        for (std::size_t j = i + 1; j < std::size(kPictures); ++j)
            if (kPictures[i].id == kPictures[j].id) return false;
    return true;
}
static_assert(IdsAreUnique(), "two pictures share an id");

// The section and sub-button pictures come from one drawing per state with
// the button's label put in, so they are looked up by arithmetic.
std::optional<PictureSource> findSource(int id) {
    for (const auto& source : kPictures)
        if (source.id == id) return source;
    static const std::string sectionFiles[] = {
        "section_button_normal.svg", "section_button_pressed.svg", "section_button_hover.svg"};
    static const std::string subFiles[] = {"sub_button_normal.svg", "sub_button_pressed.svg",
                                           "sub_button_hover.svg"};
    const int section = id - picture::kSectionButtons;
    if (section >= 0 && section < 3 * static_cast<int>(std::size(kSectionLabels)))
        return PictureSource{id, sectionFiles[section % 3].c_str(), false,
                             kSectionLabels[section / 3]};
    const int sub = id - picture::kSubButtons;
    if (sub >= 0 && sub < 3 * static_cast<int>(std::size(kSubLabels)))
        return PictureSource{id, subFiles[sub % 3].c_str(), false, kSubLabels[sub / 3]};
    return std::nullopt;
}

QByteArray drawingOf(const PictureSource& source) {
    QFile file(QStringLiteral(":/skin/pictures/") + QString::fromLatin1(source.file));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray text = file.readAll();
    if (*source.label != '\0')
        text.replace("{label}", QString::fromUtf8(source.label).toHtmlEscaped().toUtf8());
    return text;
}

template <typename Source>
QImage render(const Source& drawing, QSize size = {}) {
    QSvgRenderer renderer(drawing);
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
    // Pages share their pictures; each is drawn once per process.
    const QString key = QStringLiteral("veilport-picture-%1").arg(id);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;
    const auto source = findSource(id);
    if (!source) return {};
    const QByteArray drawing = drawingOf(*source);
    if (drawing.isEmpty()) return {};
    const QImage drawn = render(drawing);
    if (drawn.isNull()) return {};
    QPixmap picture = QPixmap::fromImage(source->keyed ? withColorKeyMargins(drawn) : drawn);
    QPixmapCache::insert(key, picture);
    return picture;
}

QString pictureLabel(int id) {
    const auto source = findSource(id);
    return source ? QString::fromUtf8(source->label) : QString();
}

QIcon applicationIcon() {
    // Every window carries the icon; its sizes are drawn once and shared.
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QString key = QStringLiteral("veilport-app-icon-%1").arg(side);
        QPixmap size;
        if (!QPixmapCache::find(key, &size)) {
            size = QPixmap::fromImage(
                render(QStringLiteral(":/skin/pictures/app_icon.svg"), {side, side}));
            QPixmapCache::insert(key, size);
        }
        icon.addPixmap(size);
    }
    return icon;
}

}  // namespace veilport::skin
