// Test entry point: Qt runs offscreen and every run gets its own user folder,
// so no test reads or writes a real TQ.ini, history or image folder.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/support/TQTestSupport.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto home = std::make_unique<tqtest::TempDir>();
    setenv("TONQUILL_HOME", home->str().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    return rc;
}
