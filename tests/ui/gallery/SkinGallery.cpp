// Renders the skinned controls for people to look at: a gallery page with
// every control in each state, the message box and Quenchor's poll dialog,
// written as PNG files into the folder given as the only argument. Windows are
// drawn into pictures, never read back from the screen, so the presence of a
// window manager or compositor does not matter; a shaped window is drawn on a
// desktop-like backdrop through its own shape, as the X server shows it.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <algorithm>
#include <cstdio>

#include "GalleryPictures.h"
#include "app/dialogs/CleaningPreviewDialog.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/ConfirmDialog.h"
#include "app/skin/HyperLink.h"
#include "app/skin/MessageDialog.h"
#include "app/skin/Pictures.h"
#include "app/skin/SkinnedDialog.h"
#include "closer/PollDialog.h"

using namespace veilport::skin;

namespace {

using veilport::testing::onBackdrop;
using veilport::testing::settle;

bool save(const QImage& image, const QDir& folder, const QString& name) {
    return veilport::testing::savePicture(image, folder, name, "skin_gallery");
}

const QColor kNavy(0x1E, 0x2B, 0x45);
const QColor kGrey(80, 80, 80);

class NoShell : public veilport::shell::ShellOpen {
public:
    bool openUrl(std::string_view, veilport::shell::WindowShow) override { return false; }
    bool openFile(const std::filesystem::path&, veilport::shell::WindowShow) override {
        return false;
    }
};

ColorLabel* label(QWidget* parent, const QString& text, QRect place, int status = 0) {
    auto* l = new ColorLabel(text, parent);
    l->setGeometry(place);
    l->setStatusColor(status);
    l->setOwnColor(kGrey);
    l->setSmoothing(true);
    return l;
}

ColorLabel* heading(QWidget* parent, const QString& text, QPoint at) {
    auto* l = label(parent, text, QRect(at, QSize(480, 18)));
    l->setOwnColor(kNavy);
    l->setBold(true);
    l->setFontHeight(9);
    return l;
}

void send(QWidget* widget, QEvent::Type type, Qt::MouseButtons held) {
    const QPoint centre = widget->rect().center();
    QMouseEvent event(type, centre, widget->mapToGlobal(centre), Qt::NoButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void hover(BitmapButton* b) {
    send(b, QEvent::MouseMove, Qt::NoButton);
}
// Shown as held down; a real press would take the focus from the focus sample.
void press(BitmapButton* b) {
    b->setDown(true);
}

BitmapButton* okButton(QWidget* parent, QPoint at) {
    auto* b = new BitmapButton(ButtonStyle::PushButton, parent);
    b->setPictures(picture::kOkNormal, picture::kOkPressed, picture::kOkHover, picture::kOkDisabled,
                   picture::kOkFocus);
    b->setGeometry(QRect(at, QSize(75, 23)));
    return b;
}

BitmapButton* boxButton(QWidget* parent, ButtonStyle style, QPoint at, int group = 0) {
    auto* b = new BitmapButton(style, parent);
    if (style == ButtonStyle::AutoCheckBox) {
        b->setPictures(picture::kCheckNormal, picture::kCheckChecked, picture::kCheckHover,
                       picture::kCheckDisabled);
    } else {
        b->setPictures(picture::kRadioNormal, picture::kRadioChecked, picture::kRadioHover,
                       picture::kRadioDisabled);
    }
    b->setGroup(group);
    b->setGeometry(QRect(at, QSize(18, 18)));
    return b;
}

void buildGallery(SkinnedDialog& page) {
    page.setBackgroundPicture(picture::kPatternTile);
    page.setPlacementMode(SkinnedDialog::kTiled);
    page.setFixedSize(760, 560);
    auto* card = new SkinnedDialog(&page, SkinnedDialog::Kind::Child);
    card->setBackgroundPicture(picture::kPageBackground);
    card->setPlacementMode(SkinnedDialog::kStretched);
    card->setGeometry(16, 16, 728, 528);

    heading(card, "Picture buttons", {24, 34});
    const char* states[] = {"normal", "hover", "pressed", "disabled", "focus"};
    for (int i = 0; i < 5; ++i) {
        okButton(card, {24 + i * 92, 60});
        label(card, states[i], QRect(24 + i * 92, 88, 75, 14))
            ->setAlignment(ColorLabel::Alignment::Centred);
    }
    heading(card, "Masked button", {500, 34});
    const char* closeStates[] = {"normal", "hover", "pressed"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new BitmapButton(ButtonStyle::PushButton, card);
        b->setPictures(picture::kCloseNormal, picture::kClosePressed, picture::kCloseHover, 0, 0,
                       picture::kCloseMask);
        b->move(516 + i * 60, 60);
        label(card, closeStates[i], QRect(496 + i * 60, 88, 62, 14))
            ->setAlignment(ColorLabel::Alignment::Centred);
    }

    heading(card, "Check boxes", {24, 122});
    const char* boxStates[] = {"Clear cookies", "Clear history (hover)", "Clear typed URLs",
                               "Clear passwords (disabled)"};
    for (int i = 0; i < 4; ++i) {
        boxButton(card, ButtonStyle::AutoCheckBox, {24, 148 + i * 26});
        label(card, boxStates[i], QRect(50, 150 + i * 26, 190, 16));
    }
    heading(card, "Radio group", {270, 122});
    const char* radios[] = {"Every 10 minutes", "Every 30 minutes", "Every hour (disabled)"};
    for (int i = 0; i < 3; ++i) {
        boxButton(card, ButtonStyle::AutoRadioButton, {270, 148 + i * 26}, 1);
        label(card, radios[i], QRect(296, 150 + i * 26, 190, 16));
    }

    heading(card, "Coloured labels", {500, 122});
    label(card, "Online Anonymity:", QRect(500, 150, 120, 16));
    label(card, "Enabled", QRect(620, 150, 80, 16), 1)->setBold(true);
    label(card, "Privacy:", QRect(500, 172, 120, 16));
    label(card, "Disabled", QRect(620, 172, 80, 16), 2)->setBold(true);
    auto* styled = label(card, "Italic, underlined & struck", QRect(500, 196, 200, 16));
    styled->setItalic(true);
    styled->setUnderline(true);
    label(card, "Centred text", QRect(500, 218, 200, 16))
        ->setAlignment(ColorLabel::Alignment::Centred);
    label(card, "Right-aligned text", QRect(500, 238, 200, 16))
        ->setAlignment(ColorLabel::Alignment::Right);
    label(card,
          "A longer text wraps at word boundaries inside its label, and an ampersand & shows.",
          QRect(500, 260, 200, 48));

    heading(card, "Link", {24, 262});
    label(card, "To learn more about Anonymity and Privacy", QRect(24, 288, 250, 16));
    auto* link = new HyperLink(QStringLiteral("click here"), card);
    link->move(268, 288);
    link->resize(link->sizeHint());

    heading(card, "Background placement: top-left, tiled, centred, stretched", {24, 330});
    for (int mode = 0; mode < 4; ++mode) {
        auto* sample = new SkinnedDialog(card, SkinnedDialog::Kind::Child);
        QPalette palette = sample->palette();
        palette.setColor(QPalette::Window, QColor(0xE4, 0xE9, 0xF1));
        sample->setPalette(palette);
        sample->setBackgroundPicture(mode == 1 ? picture::kPatternTile : picture::kApplicationIcon);
        sample->setPlacementMode(mode);
        sample->setGeometry(24 + mode * 130, 356, 116, 96);
    }
    heading(card, "Application icon", {560, 330});
    for (int i = 0; i < 3; ++i) {
        auto* icon = new QWidget(card);
        const int side = 16 << i;
        icon->setFixedSize(side, side);
        icon->move(560 + i * 36 + (i == 2 ? 8 : 0), 356 + 64 - side);
        auto* holder = new QLabel(icon);
        holder->setPixmap(applicationIcon().pixmap(side, side));
        holder->resize(side, side);
    }
}

// Puts the gallery's controls into their states once it is shown.
void setStates(SkinnedDialog& page) {
    auto buttons = page.findChildren<BitmapButton*>();
    QList<BitmapButton*> ok, close, checks, radios;
    for (BitmapButton* b : buttons) {
        if (b->kind() == BitmapButton::Kind::CheckBox) {
            checks << b;
        } else if (b->kind() == BitmapButton::Kind::RadioButton) {
            radios << b;
        } else if (b->pictures().mask.isNull()) {
            ok << b;
        } else {
            close << b;
        }
    }
    auto byPosition = [](BitmapButton* a, BitmapButton* b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    };
    std::sort(ok.begin(), ok.end(), byPosition);
    std::sort(close.begin(), close.end(), byPosition);
    std::sort(checks.begin(), checks.end(), byPosition);
    std::sort(radios.begin(), radios.end(), byPosition);
    hover(ok[1]);
    press(ok[2]);
    ok[3]->setEnabled(false);
    ok[4]->setFocus();
    if (!ok[4]->hasFocus()) std::fprintf(stderr, "skin_gallery: the focus sample has no focus\n");
    hover(close[1]);
    press(close[2]);
    checks[0]->setChecked(true);
    hover(checks[1]);
    checks[2]->setChecked(true);
    checks[3]->setEnabled(false);
    radios[1]->click();
    radios[2]->setEnabled(false);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_gallery OUTPUT-FOLDER\n");
        return 2;
    }
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) return 1;
    bool ok = true;

    SkinnedDialog gallery;
    buildGallery(gallery);
    gallery.move(0, 0);
    gallery.show();
    gallery.activateWindow();
    QApplication::setActiveWindow(&gallery);
    settle();
    setStates(gallery);
    settle();
    ok = save(gallery.grab().toImage(), folder, "gallery.png") && ok;

    MessageDialog message;
    message.setText(
        QStringLiteral("Please select a proxy from the list before enabling online anonymity."));
    message.move(40, 40);
    message.show();
    settle();
    ok = save(onBackdrop(message), folder, "message_dialog.png") && ok;

    ConfirmDialog confirm;
    confirm.setText(QStringLiteral("This deletes the passwords your browsers saved"));
    confirm.move(40, 40);
    confirm.show();
    settle();
    ok = save(onBackdrop(confirm), folder, "confirm_dialog.png") && ok;

    veilport::cleaner::ui::CleaningPreviewDialog preview({
        QStringLiteral("Internet history: would remove 12 items"),
        QStringLiteral("cookies: nothing to remove"),
        QStringLiteral("Firefox (/home/me/.mozilla/firefox/abc.default): 40 history visits, "
                       "12 pages, 9 cookies, 310 files (14.2 MB)"),
        QStringLiteral("Chromium (/home/me/.config/chromium/Default): nothing"),
        QStringLiteral("  left alone: Chromium is running: its profile was left alone"),
    });
    preview.move(40, 40);
    preview.show();
    settle();
    ok = save(onBackdrop(preview), folder, "cleaning_preview_dialog.png") && ok;

    NoShell shell;
    veilport::closer::PollDialog poll(shell, {});
    poll.move(40, 40);
    poll.show();
    settle();
    ok = save(onBackdrop(poll), folder, "poll_dialog.png") && ok;

    return ok ? 0 : 1;
}
