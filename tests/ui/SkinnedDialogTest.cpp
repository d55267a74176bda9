#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include "UiTestSupport.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/ColorKey.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/DialogTemplate.h"
#include "app/skin/DialogUnits.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/HyperLink.h"
#include "app/skin/MessageDialog.h"
#include "app/skin/Pictures.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::skin {
namespace {

using namespace veilport::testing;

// A 10 x 10 red picture whose top-left pixel is blue, so its placement shows.
QPixmap markedPicture(QSize size = {10, 10}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setPixelColor(0, 0, Qt::blue);
    return QPixmap::fromImage(image);
}

class PlacementTest : public ::testing::Test {
protected:
    PlacementTest() {
        dialog_.resize(25, 25);
        QPalette grey = dialog_.palette();
        grey.setColor(QPalette::Window, Qt::gray);
        dialog_.setPalette(grey);
        dialog_.setBackgroundPicture(markedPicture());
    }
    QColor at(int x, int y) const { return dialog_.renderBackground().pixelColor(x, y); }

    SkinnedDialog dialog_{nullptr, SkinnedDialog::Kind::Child};
};

TEST_F(PlacementTest, TopLeftIsUnscaledAndModeFourMeansTheSame) {
    for (const int mode : {0, 4}) {
        dialog_.setPlacementMode(mode);
        EXPECT_EQ(at(0, 0), QColor(Qt::blue));
        EXPECT_EQ(at(9, 9), QColor(Qt::red));
        EXPECT_EQ(at(15, 15), QColor(Qt::gray)) << "the rest is erased";
    }
}

TEST_F(PlacementTest, TiledRepeatsInRowsAndColumns) {
    dialog_.setPlacementMode(SkinnedDialog::kTiled);
    EXPECT_EQ(at(10, 0), QColor(Qt::blue));
    EXPECT_EQ(at(20, 20), QColor(Qt::blue));
    EXPECT_EQ(at(24, 24), QColor(Qt::red));
}

TEST_F(PlacementTest, CentredUsesIntegerHalvesEvenWhenNegative) {
    dialog_.setPlacementMode(SkinnedDialog::kCentred);
    EXPECT_EQ(at(7, 7), QColor(Qt::blue));  // (25 - 10) / 2
    EXPECT_EQ(at(6, 6), QColor(Qt::gray));
    dialog_.setBackgroundPicture(markedPicture({40, 40}));
    EXPECT_EQ(at(0, 0), QColor(Qt::red)) << "the picture's corner lies outside at -7, -7";
    dialog_.resize(10, 10);
    dialog_.setBackgroundPicture(markedPicture({13, 13}));
    EXPECT_EQ(at(0, 0), QColor(Qt::red));
}

TEST_F(PlacementTest, StretchedFillsTheClientArea) {
    dialog_.setPlacementMode(SkinnedDialog::kStretched);
    EXPECT_EQ(at(24, 24), QColor(Qt::red));
    EXPECT_EQ(at(1, 1), QColor(Qt::blue));
}

TEST(ColorKeyTest, DialogBackgroundHasColorKeyMarginsAndTheShapeLeavesThemOut) {
    const QImage background = loadPicture(picture::kDialogBackground).toImage();
    ASSERT_FALSE(background.isNull());
    EXPECT_EQ(background.pixel(0, 0), ColorKey);
    EXPECT_EQ(background.pixel(background.width() - 1, background.height() - 1), ColorKey);
    EXPECT_NE(background.pixel(background.width() / 2, background.height() / 2), ColorKey);

    const QRegion shape = colorKeyShape(background);
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_TRUE(shape.contains(QPoint(background.width() / 2, 2)));
    EXPECT_TRUE(shape.contains(QPoint(background.width() / 2, background.height() / 2)));
    // Hard edges: every pixel is either the key or fully drawn.
    for (int x = 0; x < background.width(); ++x) EXPECT_EQ(qAlpha(background.pixel(x, 5)), 255);
}

TEST(ColorKeyTest, WithoutWindowShapingTheDialogStaysRectangular) {
    ASSERT_FALSE(SkinnedDialog::platformCanShapeWindows()) << "offscreen cannot shape";
    SkinnedDialog dialog;
    dialog.setBackgroundPicture(picture::kDialogBackground);
    dialog.resize(dialog.backgroundPicture().size());
    dialog.show();
    EXPECT_TRUE(dialog.mask().isEmpty());
    EXPECT_EQ(dialog.grab().toImage().pixel(0, 0), ColorKey) << "shows its key pixels";
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

TEST(ColorKeyTest, EachPlatformGetsTheShapingItCanShow) {
    EXPECT_EQ(SkinnedDialog::shapingFor("xcb"), SkinnedDialog::Shaping::Mask);
    EXPECT_EQ(SkinnedDialog::shapingFor("wayland"), SkinnedDialog::Shaping::Translucent);
    EXPECT_EQ(SkinnedDialog::shapingFor("wayland-egl"), SkinnedDialog::Shaping::Translucent);
    EXPECT_EQ(SkinnedDialog::shapingFor("offscreen"), SkinnedDialog::Shaping::None);
    EXPECT_EQ(SkinnedDialog::shapingFor("eglfs"), SkinnedDialog::Shaping::None);
}

TEST(ColorKeyTest, TranslucentFramesClearExactlyTheKeyPixels) {
    const QImage background = loadPicture(picture::kMainBackground).toImage();
    ASSERT_FALSE(background.isNull());
    const QImage frame = colorKeyToTransparent(background);
    ASSERT_EQ(frame.size(), background.size());
    for (const QPoint at : {QPoint(0, 0), QPoint(background.width() - 1, 0),
                            QPoint(background.width() / 2, 1), QPoint(300, 200)}) {
        if (background.pixel(at) == ColorKey) {
            EXPECT_EQ(qAlpha(frame.pixel(at)), 0) << at.x() << "," << at.y();
        } else {
            EXPECT_EQ(frame.pixel(at), background.pixel(at)) << at.x() << "," << at.y();
        }
    }
    EXPECT_EQ(background.pixel(0, 0), ColorKey) << "the main window has rounded corners";
    // A colour one step from the key is not the key.
    QImage near(1, 1, QImage::Format_RGB32);
    near.setPixel(0, 0, qRgb(229, 27, 254));
    EXPECT_EQ(qAlpha(colorKeyToTransparent(near).pixel(0, 0)), 255);
}

TEST(SkinnedDialogTest, PressOnTheBodyMovesTheWindowButNotOnAPage) {
    SkinnedDialog dialog;
    dialog.resize(200, 100);
    dialog.move(100, 100);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return dialog.isVisible(); }));
    const QPoint start = dialog.pos();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(start + QPoint(10, 10)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), QPointF(start + QPoint(40, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(40, 30),
                        QPointF(start + QPoint(40, 30)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&dialog, &release);
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));

    // A press on a static text is a press on the body.
    QLabel text("Veilport", &dialog);
    text.setAttribute(Qt::WA_TransparentForMouseEvents);
    EXPECT_EQ(dialog.childAt(text.geometry().center()), nullptr);
}

TEST(DialogTemplateTest, PlacesControlsWhereTheTableSaysAndBindsHandlersById) {
    QWidget page;
    int switched = 0;
    DialogTemplate controls(&page, {400, 245},
                            {
                                {1011, ControlKind::BitmapPushButton, 7, 108, 238, 33},
                                {1079, ControlKind::ColorLabel, 223, 200, 80, 8},
                                {1081, ControlKind::HyperLink, 271, 219, 62, 8, "click here"},
                                {1082, ControlKind::Static, 130, 199, 30, 8, "Status:"},
                                {1032, ControlKind::DropDownList, 27, 37, 147, 75},
                                {DialogTemplate::kStaticId, ControlKind::Static, 0, 0, 10, 8, "a"},
                                {DialogTemplate::kStaticId, ControlKind::Static, 0, 8, 10, 8, "b"},
                            });
    EXPECT_EQ(page.size(), QSize(600, 398));
    // Each edge converted on its own: 7 -> 10.5 -> 11, 245 -> 367.5 -> 368,
    // 108 -> 175.5 -> 176, 141 -> 229.125 -> 229.
    EXPECT_EQ(controls.control(1011)->geometry(), QRect(11, 176, 357, 53));
    EXPECT_EQ(controls.control(1079)->geometry(), QRect(335, 325, 120, 13));
    EXPECT_EQ(controls.control(1081)->geometry(), QRect(407, 356, 93, 13));
    EXPECT_EQ(DialogUnits::toPixels(141, 57, 0, 0).topLeft(), QPoint(212, 93));

    ASSERT_NE(controls.control<BitmapButton>(1011), nullptr);
    EXPECT_EQ(controls.control<QLabel>(1011), nullptr) << "wrong type is no control";
    EXPECT_NE(controls.control<ColorLabel>(1079), nullptr);
    EXPECT_EQ(controls.control<HyperLink>(1081)->text(), "click here");
    EXPECT_EQ(controls.control<QLabel>(1082)->text(), "Status:");
    EXPECT_EQ(controls.control(4242), nullptr);

    EXPECT_TRUE(controls.onClicked(1011, [&] { ++switched; }));
    EXPECT_FALSE(controls.onClicked(1079, [] {}));
    controls.control<BitmapButton>(1011)->click();
    EXPECT_EQ(switched, 1);
}

TEST(MessageDialogTest, ReturnsWhenOkIsPressedAndF1AsksForHelp) {
    MessageDialog dialog;
    dialog.setText("Please select a proxy from the list before enabling online anonymity.");
    EXPECT_EQ(dialog.windowTitle(), "Veilport");
    EXPECT_EQ(dialog.size(), DialogUnits::toPixels(QSize(289, 151)));
    EXPECT_EQ(dialog.backgroundPicture().toImage().pixel(0, 0), ColorKey);

    int helped = 0;
    setHelpHandler([&] { ++helped; });
    auto* ok = dialog.findChild<BitmapButton*>("control1");
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(ok->pictures().normal.isNull());
    // A screen reader finds the picture button by the word it shows.
    EXPECT_EQ(ok->accessibleName(), "OK");
    QTimer::singleShot(0, &dialog, [&] {
        key(dialog, QEvent::KeyPress, Qt::Key_F1);
        EXPECT_TRUE(dialog.isVisible()) << "F1 leaves the message up";
        mouse(*ok, QEvent::MouseButtonPress, {10, 10});
        mouse(*ok, QEvent::MouseButtonRelease, {10, 10});
    });
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(42); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(helped, 1);
    setHelpHandler({});
}

}  // namespace
}  // namespace veilport::skin
