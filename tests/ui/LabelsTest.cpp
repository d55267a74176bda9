#include <gtest/gtest.h>

#include <QSignalSpy>

#include "UiTestSupport.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/HyperLink.h"

namespace veilport::skin {
namespace {

using namespace veilport::testing;

// Counts the pixels of exactly this colour in the label as drawn on a white
// window, so the label's background must be the window's.
struct Painted {
    int matching = 0;
    int other = 0;  // neither white nor the colour
};

Painted paint(QWidget& label, QColor colour) {
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette white = window.palette();
    white.setColor(QPalette::Window, Qt::white);
    window.setPalette(white);
    window.resize(label.size());
    label.setParent(&window);
    const QImage image = window.grab().toImage();
    label.setParent(nullptr);
    Painted painted;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == colour) {
                ++painted.matching;
            } else if (pixel != QColor(Qt::white)) {
                ++painted.other;
            }
        }
    return painted;
}

TEST(ColorLabelTest, EnabledIsGreenWithOneAndRedWithTwoOnTheWindowBackground) {
    ColorLabel label("Enabled");
    label.resize(120, 24);
    label.setStatusColor(1);
    const Painted green = paint(label, QColor(67, 166, 95));
    EXPECT_GT(green.matching, 10);
    EXPECT_EQ(green.other, 0) << "unsmoothed text in one colour, nothing else drawn";

    label.setStatusColor(2);
    const Painted red = paint(label, QColor(225, 43, 39));
    EXPECT_GT(red.matching, 10);
    EXPECT_EQ(red.other, 0);

    label.setStatusColor(0);
    label.setOwnColor(QColor(80, 80, 80));
    EXPECT_GT(paint(label, QColor(80, 80, 80)).matching, 10);
}

TEST(ColorLabelTest, FontThatCannotBeCreatedIsReportedOnceAndNothingIsDrawn) {
    QStringList messages;
    ColorLabel::setMessageHandler([&](const QString& text) { messages << text; });
    ColorLabel label("Enabled");
    label.resize(120, 24);
    label.setStatusColor(2);
    label.setFontHeight(0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(paint(label, QColor(225, 43, 39)).matching, 0);
    QApplication::processEvents();
    EXPECT_EQ(messages, QStringList{"Font could not be created!"});

    label.setFontHeight(8);
    EXPECT_GT(paint(label, QColor(225, 43, 39)).matching, 0);
    label.setFontFace("");
    static_cast<void>(paint(label, Qt::black));
    QApplication::processEvents();
    EXPECT_EQ(messages.size(), 2) << "a new failing font is reported again";
    ColorLabel::setMessageHandler({});
}

TEST(ColorLabelTest, FontPropertiesAndWrapping) {
    ColorLabel label;
    label.setBold(true);
    label.setItalic(true);
    label.setUnderline(true);
    const auto font = label.createFont();
    ASSERT_TRUE(font);
    EXPECT_EQ(font->weight(), QFont::Black);
    EXPECT_TRUE(font->italic() && font->underline() && !font->strikeOut());
    EXPECT_EQ(font->pointSize(), 8);
    EXPECT_EQ(font->styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);

    // A long text wraps onto further lines instead of running off the right.
    label.setText("one two three four five six seven eight nine ten eleven twelve");
    label.resize(60, 200);
    label.setBold(false);
    const QImage image = label.grab().toImage();
    int lowestInk = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(Qt::black)) lowestInk = y;
    EXPECT_GT(lowestInk, 40);
}

class HyperLinkTest : public ::testing::Test {
protected:
    void click(HyperLink& link, QPoint releaseAt = {5, 5}) {
        mouse(link, QEvent::MouseButtonPress, {5, 5});
        mouse(link, QEvent::MouseButtonRelease, releaseAt);
    }
    RecordingShell shell_;
};

TEST_F(HyperLinkTest, WithoutAddressOpensItsOwnTextInANormalWindow) {
    HyperLink link("www.veilport.example/tips.html");
    link.setShell(shell_);
    link.resize(200, 16);
    click(link);
    ASSERT_EQ(shell_.requests.size(), 1u);
    EXPECT_EQ(shell_.requests[0].target, "www.veilport.example/tips.html");
    EXPECT_EQ(shell_.requests[0].show, shell::WindowShow::Normal);

    link.setAddress("http://www.veilport.example/tips.html");
    link.setText("click here");
    click(link);
    ASSERT_EQ(shell_.requests.size(), 2u);
    EXPECT_EQ(shell_.requests[1].target, "http://www.veilport.example/tips.html");
}

TEST_F(HyperLinkTest, ReleaseAwayFromTheLinkOpensNothing) {
    HyperLink link("click here");
    link.setShell(shell_);
    link.resize(80, 16);
    click(link, {300, 5});
    EXPECT_TRUE(shell_.requests.empty());
}

TEST_F(HyperLinkTest, DrawsBlueUnderlinedText) {
    HyperLink link("click here");
    link.resize(link.sizeHint());
    EXPECT_TRUE(link.sizeHint().width() > 10);
    const Painted blue = paint(link, QColor(0, 0, 255));
    EXPECT_GT(blue.matching, 10);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

}  // namespace
}  // namespace veilport::skin
