#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "closer/PollDialog.h"
#include "closer/QuenchorNames.h"

namespace veilport::closer {
namespace {

using namespace veilport::testing;

class PollDialogTest : public ::testing::Test {
protected:
    // Runs the dialog, doing `act` once it shows.
    int run(PollDialog& dialog, const std::function<void()>& act) {
        QTimer::singleShot(0, &dialog, act);
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(42); });
        return dialog.exec();
    }

    RecordingShell shell_;
    int closes_ = 0;
    bool shownAtClose_ = true;
};

TEST_F(PollDialogTest, ClosesVeilportBeforeItShowsAndCarriesItsTexts) {
    PollDialog* self = nullptr;
    PollDialog dialog(shell_, [&] {
        ++closes_;
        shownAtClose_ = self != nullptr && self->isVisible();
    });
    self = &dialog;
    EXPECT_EQ(closes_, 1);
    EXPECT_FALSE(shownAtClose_);
    EXPECT_EQ(dialog.windowTitle(), "Veilport Online Poll");
    EXPECT_EQ(dialog.textLabel()->text(),
              "Tell us your opinion about our product by completing a short online poll.");
    EXPECT_EQ(dialog.yesButton()->text(), "YES");
    EXPECT_EQ(dialog.noButton()->text(), "NO");
    EXPECT_TRUE(dialog.yesButton()->isDefault());
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(dialog.size(), QSize(212, 93));
}

TEST_F(PollDialogTest, YesOpensThePollPageMaximisedAndCloses) {
    PollDialog dialog(shell_, {});
    EXPECT_EQ(run(dialog, [&] { QTest::mouseClick(dialog.yesButton(), Qt::LeftButton); }),
              QDialog::Accepted);
    ASSERT_EQ(shell_.requests.size(), 1u);
    EXPECT_EQ(shell_.requests[0].target,
              std::string("http://") + VEILPORT_VENDOR_HOST + "/veilport/poll.html");
    EXPECT_EQ(shell_.requests[0].show, shell::WindowShow::Maximized);
}

TEST_F(PollDialogTest, EnterIsYes) {
    PollDialog dialog(shell_, {});
    EXPECT_EQ(run(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Return); }), QDialog::Accepted);
    EXPECT_EQ(shell_.requests.size(), 1u);
}

TEST_F(PollDialogTest, NoAndEscapeOpenNothing) {
    PollDialog no(shell_, {});
    EXPECT_EQ(run(no, [&] { QTest::mouseClick(no.noButton(), Qt::LeftButton); }),
              QDialog::Rejected);
    PollDialog escape(shell_, {});
    EXPECT_EQ(run(escape, [&] { QTest::keyClick(&escape, Qt::Key_Escape); }), QDialog::Rejected);
    EXPECT_TRUE(shell_.requests.empty());
}

}  // namespace
}  // namespace veilport::closer
