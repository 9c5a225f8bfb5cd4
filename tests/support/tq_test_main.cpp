// Test entry point: Qt runs offscreen and every run gets its own user folder,
// also its working folder, so no test reads or writes a real TQ.ini, history
// or image folder, or leaves anything behind.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "tests/support/TQTestSupport.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto home = std::make_unique<tqtest::TempDir>();
    setenv("TONQUILL_HOME", home->str().c_str(), 1);
    // Whatever a test makes in the working folder (a file dialog's new folder,
    // say) goes with the temporary folder; tests find their data by SourceFolder().
    std::filesystem::current_path(home->path());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return tqtest::RunAllTests();
}
