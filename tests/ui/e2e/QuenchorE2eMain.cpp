// The end-to-end tests of Quenchor terminate the first process named Veilport
// they can see. On a developer's desktop that would be their own running
// Veilport, so the tests run as the first process of a PID namespace of their
// own, with a /proc of their own: they see only the stand-ins they start.
// Where no such namespace can be made, every test is skipped with the reason.
#include <gtest/gtest.h>

#include <QApplication>

#include "e2e/PrivatePids.h"

int main(int argc, char** argv) {
    veilport::testing::NoPrivatePidsReason() = veilport::testing::EnterPrivatePids();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
