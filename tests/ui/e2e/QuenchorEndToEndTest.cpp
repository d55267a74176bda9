// Quenchor against a stand-in Veilport: a separate process that registers the
// window title "Veilport", runs under the executable name Veilport and answers
// the terminate signal as Veilport does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "PrivatePids.h"
#include "closer/CloseMainProgram.h"
#include "closer/PollDialog.h"
#include "helpers/SpawnedProgram.h"
#include "platform/process/TopLevelWindow.h"
#include "support/TempHome.h"

namespace veilport::closer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using veilport::testing::SpawnedProgram;

class QuenchorEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!veilport::testing::NoPrivatePidsReason().empty())
            GTEST_SKIP() << veilport::testing::NoPrivatePidsReason()
                         << "; without it these tests could end the user's own Veilport";
    }

    // The stand-in under another executable name (a copy: a link would show
    // the stand-in's own name).
    fs::path standInNamed(const std::string& name) {
        const fs::path folder = home_.path() / ("bin-" + name);
        fs::create_directories(folder);
        fs::copy_file(veilport::testing::helpersDir() / "veilport_standin", folder / name);
        return folder / name;
    }

    static bool exitedWithZero(SpawnedProgram& child, std::chrono::milliseconds limit = 0ms) {
        const auto status = child.waitForExit(limit);
        return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
    }

    // Runs the poll dialog as Quenchor does, pressing `answer` once it shows.
    int runDialog(shell::ShellOpen& shell, const std::function<void(PollDialog&)>& answer,
                  const std::function<void()>& beforeShow = {}) {
        PollDialog dialog(shell, [&] {
            CloseMainProgram();
            if (beforeShow) beforeShow();
        });
        QTimer::singleShot(0, &dialog, [&] { answer(dialog); });
        QTimer::singleShot(10000, &dialog, [&] { dialog.done(42); });
        return dialog.exec();
    }

    veilport::testing::TempHome home_;
};

class NoShell : public shell::ShellOpen {
public:
    bool openUrl(std::string_view, shell::WindowShow) override { return opened = true; }
    bool openFile(const fs::path&, shell::WindowShow) override { return opened = true; }
    bool opened = false;
};

TEST_F(QuenchorEndToEndTest, VeilportEndsBeforeTheDialogShowsAndNoOpensNothing) {
    SpawnedProgram veilport(standInNamed("Veilport"));
    ASSERT_EQ(veilport.readLine(), "ready");
    ASSERT_TRUE(process::TopLevelWindow::find("Veilport"));

    NoShell shell;
    bool endedBeforeShow = false;
    const int result = runDialog(
        shell, [](PollDialog& dialog) { QTest::mouseClick(dialog.noButton(), Qt::LeftButton); },
        [&] { endedBeforeShow = exitedWithZero(veilport); });
    EXPECT_TRUE(endedBeforeShow) << "Veilport still ran, or did not exit with status 0";
    EXPECT_FALSE(process::TopLevelWindow::find("Veilport"));
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(shell.opened);
}

TEST_F(QuenchorEndToEndTest, YesHandsThePollPageToTheDesktopsOpener) {
    // The desktop's opener, replaced by a script that writes down its argument.
    const fs::path bin = home_.path() / "opener";
    fs::create_directories(bin);
    const fs::path record = home_.path() / "opened";
    std::ofstream(bin / "xdg-open")
        << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << record.string() << ".tmp\"\nmv \""
        << record.string() << ".tmp\" \"" << record.string() << "\"\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = std::getenv("PATH");
    setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);

    SpawnedProgram veilport(standInNamed("veilport"));
    ASSERT_EQ(veilport.readLine(), "ready");
    const int result = runDialog(shell::desktopShell(), [](PollDialog& dialog) {
        QTest::mouseClick(dialog.yesButton(), Qt::LeftButton);
    });
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(exitedWithZero(veilport));

    for (int i = 0; i < 1000 && !fs::exists(record); ++i) std::this_thread::sleep_for(10ms);
    std::ifstream in(record);
    const std::string opened((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(opened, std::string("http://") + VEILPORT_VENDOR_HOST + "/veilport/poll.html");
}

TEST_F(QuenchorEndToEndTest, OnlyTheFirstOfTwoVeilportProcessesIsTerminated) {
    // Titles of their own, so that only the process walk can end them.
    SpawnedProgram upper(standInNamed("VEILPORT"), {"first"});
    ASSERT_EQ(upper.readLine(), "ready");
    SpawnedProgram mixed(standInNamed("VeilPort"), {"second"});
    ASSERT_EQ(mixed.readLine(), "ready");

    const CloseOutcome outcome = CloseMainProgram();
    EXPECT_FALSE(outcome.closePosted);
    ASSERT_TRUE(outcome.terminated);
    SpawnedProgram& ended = *outcome.terminated == upper.pid() ? upper : mixed;
    SpawnedProgram& spared = *outcome.terminated == upper.pid() ? mixed : upper;
    EXPECT_TRUE(exitedWithZero(ended, 5s));
    EXPECT_TRUE(spared.running());

    // Run again, Quenchor ends the other one.
    EXPECT_EQ(CloseMainProgram().terminated, spared.pid());
    EXPECT_TRUE(exitedWithZero(spared, 5s));
    EXPECT_FALSE(CloseMainProgram().terminated) << "no Veilport left: nothing happens";
}

TEST_F(QuenchorEndToEndTest, TheQuenchorProgramClosesVeilportAndWaitsWithItsDialog) {
    SpawnedProgram veilport(standInNamed("Veilport"));
    ASSERT_EQ(veilport.readLine(), "ready");
    SpawnedProgram quenchor(QUENCHOR_PATH);
    ASSERT_TRUE(quenchor.started());
    EXPECT_TRUE(exitedWithZero(veilport, 10s));
    EXPECT_TRUE(quenchor.running()) << "its dialog waits for an answer";
}

}  // namespace
}  // namespace veilport::closer
