#include <gtest/gtest.h>

#include <QSignalSpy>

#include "UiTestSupport.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/Pictures.h"

namespace veilport::skin {
namespace {

using namespace veilport::testing;

const QColor kNormal = Qt::red, kPressed = Qt::darkGreen, kHover = Qt::yellow, kDisabled = Qt::blue,
             kFocus = Qt::cyan;

BitmapButton::Pictures colouredPictures() {
    BitmapButton::Pictures set;
    set.normal = solid(kNormal);
    set.pressed = solid(kPressed);
    set.hover = solid(kHover);
    set.disabled = solid(kDisabled);
    set.sizeMode = BitmapButton::kStretched;
    return set;
}

class BitmapButtonTest : public ::testing::Test {
protected:
    BitmapButton* add(ButtonStyle style, int group = 0) {
        auto* button = new BitmapButton(style, &owner_);
        button->setPictures(colouredPictures());
        button->setGeometry(0, 0, 40, 20);
        button->setGroup(group);
        return button;
    }
    QColor shown(BitmapButton* button) { return pixelAt(*button, {20, 10}); }

    QWidget owner_;
    const QPoint inside_{20, 10};
    const QPoint outside_{120, 10};
};

TEST_F(BitmapButtonTest, KindComesFromTheStyleItIsCreatedWith) {
    EXPECT_EQ(BitmapButton::kindForStyle(ButtonStyle::AutoCheckBox), BitmapButton::Kind::CheckBox);
    EXPECT_EQ(BitmapButton::kindForStyle(ButtonStyle::AutoRadioButton),
              BitmapButton::Kind::RadioButton);
    EXPECT_EQ(BitmapButton::kindForStyle(ButtonStyle::CheckBox), BitmapButton::Kind::PushButton);
    EXPECT_EQ(BitmapButton::kindForStyle(ButtonStyle::DefaultPushButton),
              BitmapButton::Kind::PushButton);
    EXPECT_FALSE(add(ButtonStyle::PushButton)->isCheckable());
}

TEST_F(BitmapButtonTest, PressDraggedOffShowsUnpressedAndSendsNoClick) {
    BitmapButton* button = add(ButtonStyle::PushButton);
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    mouse(*button, QEvent::MouseButtonPress, inside_);
    EXPECT_EQ(shown(button), kPressed);
    mouse(*button, QEvent::MouseMove, outside_);
    EXPECT_EQ(shown(button), kNormal);
    mouse(*button, QEvent::MouseMove, inside_);
    EXPECT_EQ(shown(button), kPressed) << "coming back shows it pressed again";
    mouse(*button, QEvent::MouseMove, outside_);
    mouse(*button, QEvent::MouseButtonRelease, outside_);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(shown(button), kNormal);

    mouse(*button, QEvent::MouseButtonPress, inside_);
    mouse(*button, QEvent::MouseButtonRelease, inside_);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BitmapButtonTest, FocusLostInMidPressCancelsTheClick) {
    BitmapButton* button = add(ButtonStyle::PushButton);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    mouse(*button, QEvent::MouseButtonPress, inside_);
    QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(button, &lost);
    mouse(*button, QEvent::MouseButtonRelease, inside_);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(shown(button), kNormal);
}

TEST_F(BitmapButtonTest, DisabledShowsDisabledPictureElseTheNormalOne) {
    BitmapButton* button = add(ButtonStyle::PushButton);
    button->setEnabled(false);
    EXPECT_EQ(shown(button), kDisabled);

    BitmapButton::Pictures withoutDisabled = colouredPictures();
    withoutDisabled.disabled = QPixmap();
    button->setPictures(withoutDisabled);
    EXPECT_EQ(shown(button), kNormal);

    // Replacing the set again does not keep the earlier fallback.
    button->setPictures(colouredPictures());
    EXPECT_EQ(shown(button), kDisabled);
}

TEST_F(BitmapButtonTest, HoverAndFocusPicturesAndTheOwnerHearsEnterAndLeave) {
    BitmapButton* button = add(ButtonStyle::PushButton);
    button->setName("BTN2");
    QSignalSpy entered(button, &BitmapButton::hoverEntered);
    QSignalSpy left(button, &BitmapButton::hoverLeft);

    hoverMove(*button, inside_);
    hoverMove(*button, {21, 11});
    EXPECT_EQ(shown(button), kHover);
    ASSERT_EQ(entered.count(), 1) << "reported once, on the first move";
    EXPECT_EQ(entered.at(0).at(0).toString(), "BTN2");

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(shown(button), kNormal);
    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(left.at(0).at(0).toString(), "BTN2");

    BitmapButton::Pictures withFocus = colouredPictures();
    withFocus.focus = solid(kFocus);
    button->setPictures(withFocus);
    owner_.show();
    button->setFocus();
    ASSERT_TRUE(waitUntil([&] { return button->hasFocus(); }));
    EXPECT_EQ(shown(button), kFocus);
    hoverMove(*button, inside_);
    EXPECT_EQ(shown(button), kHover) << "hover goes before focus";
}

TEST_F(BitmapButtonTest, CheckBoxTogglesByClickAndSpaceAndShowsPressedWhileChecked) {
    BitmapButton* box = add(ButtonStyle::AutoCheckBox);
    QSignalSpy clicks(box, &QAbstractButton::clicked);
    mouse(*box, QEvent::MouseButtonPress, inside_);
    mouse(*box, QEvent::MouseButtonRelease, inside_);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(shown(box), kPressed);

    key(*box, QEvent::KeyPress, Qt::Key_Space);
    key(*box, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(shown(box), kNormal);
    EXPECT_EQ(clicks.count(), 2);

    mouse(*box, QEvent::MouseButtonPress, inside_);
    mouse(*box, QEvent::MouseButtonRelease, outside_);
    EXPECT_FALSE(box->isChecked()) << "a release away from it changes nothing";
}

TEST_F(BitmapButtonTest, RadioButtonsOfOneGroupUncheckEachOther) {
    BitmapButton* first = add(ButtonStyle::AutoRadioButton, 1);
    BitmapButton* second = add(ButtonStyle::AutoRadioButton, 1);
    BitmapButton* otherGroup = add(ButtonStyle::AutoRadioButton, 2);
    otherGroup->setChecked(true);

    mouse(*first, QEvent::MouseButtonPress, inside_);
    mouse(*first, QEvent::MouseButtonRelease, inside_);
    EXPECT_TRUE(first->isChecked());

    mouse(*second, QEvent::MouseButtonPress, inside_);
    mouse(*second, QEvent::MouseButtonRelease, inside_);
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());
    EXPECT_EQ(shown(first), kNormal);
    EXPECT_TRUE(otherGroup->isChecked()) << "another group is left alone";

    // Clicking the checked one keeps it checked; checking by call unchecks too.
    mouse(*second, QEvent::MouseButtonPress, inside_);
    mouse(*second, QEvent::MouseButtonRelease, inside_);
    EXPECT_TRUE(second->isChecked());
    first->setChecked(true);
    EXPECT_FALSE(second->isChecked());
}

TEST_F(BitmapButtonTest, MaskShapesTheButtonAndItsHits) {
    BitmapButton button;
    ASSERT_TRUE(button.setPictures(picture::kCloseNormal, picture::kClosePressed,
                                   picture::kCloseHover, 0, 0, picture::kCloseMask));
    EXPECT_EQ(button.size(), QSize(22, 22)) << "sized to the mask picture";
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    mouse(button, QEvent::MouseButtonPress, {0, 0});
    mouse(button, QEvent::MouseButtonRelease, {0, 0});
    EXPECT_EQ(clicks.count(), 0) << "the corner is outside the round button";
    mouse(button, QEvent::MouseButtonPress, {11, 11});
    mouse(button, QEvent::MouseButtonRelease, {11, 11});
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BitmapButtonTest, PictureThatCannotBeLoadedStaysUnset) {
    BitmapButton button;
    EXPECT_FALSE(button.setPictures(9999));
    EXPECT_TRUE(button.pictures().normal.isNull());
    EXPECT_TRUE(button.setPictures(picture::kOkNormal, 0, 9999));
    EXPECT_TRUE(button.pictures().hover.isNull());
    EXPECT_FALSE(button.pictures().normal.isNull());
}

}  // namespace
}  // namespace veilport::skin
