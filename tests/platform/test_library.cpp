// Libraries beside the program: found by base name, symbols looked up, and a
// missing function reported with the fixed text.
#include <gtest/gtest.h>

#include "platform/core/TQLibrary.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQTestSupport.h"

#include <cmath>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>

namespace {

// A shared library of the system that exports "cos", to stand in for ours.
std::string SystemMathLibrary() {
    Dl_info info{};
    double (*f)(double) = &std::cos;
    if (!dladdr(reinterpret_cast<void*>(f), &info) || !info.dli_fname)
        return {};
    return std::filesystem::canonical(info.dli_fname).string();
}

class LibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        math_ = SystemMathLibrary();
        if (math_.empty())
            GTEST_SKIP() << "no shared maths library to load";
        SetMessageBoxes(&recorder_);
    }
    void TearDown() override { SetMessageBoxes(nullptr); }
    void Place(const std::string& fileName) { std::filesystem::create_symlink(math_, dir_ / fileName); }

    tqtest::TempDir dir_;
    std::string math_;
    TMessageRecorder recorder_;
};

TEST_F(LibraryTest, LoadsByBaseNameWithOrWithoutTheLibPrefix) {
    Place("TQ_T1.so");
    Place("libTQ_T2.so");
    struct Case {
        const char* base;
        const char* file;
    } cases[] = {{"TQ_T1", "TQ_T1.so"}, {"TQ_T2", "libTQ_T2.so"}};
    for (const auto& c : cases) {
        TQLibrary lib;
        ASSERT_TRUE(lib.Load(c.base, dir_.str())) << c.base << ": " << lib.LastError();
        EXPECT_TRUE(lib.Loaded());
        EXPECT_EQ(std::filesystem::path(lib.Path()).filename(), c.file);
        EXPECT_NE(lib.Symbol("cos"), nullptr);
        EXPECT_NE(lib.Function("cos"), nullptr);
        EXPECT_EQ(lib.Symbol("no_such_symbol_here"), nullptr);
    }
    EXPECT_TRUE(recorder_.shown.empty());
}

TEST_F(LibraryTest, FailuresLeaveItUnloaded) {
    Place("TQ_GOOD.so");
    std::ofstream(dir_ / "TQ_TEXT.so") << "not a library";
    TQLibrary lib;
    ASSERT_TRUE(lib.Load("TQ_GOOD", dir_.str()));
    for (const char* base : {"TQ_NONE", "TQ_TEXT", ""}) {
        EXPECT_FALSE(lib.Load(base, dir_.str())) << base;
        EXPECT_FALSE(lib.Loaded()) << base;
        EXPECT_EQ(lib.Path(), "") << base;
        EXPECT_FALSE(lib.LastError().empty()) << base;
        EXPECT_EQ(lib.Symbol("cos"), nullptr) << base;
    }
    // Both names were tried for a missing library.
    lib.Load("TQ_NONE", dir_.str());
    EXPECT_NE(lib.LastError().find("TQ_NONE.so"), std::string::npos) << lib.LastError();
    EXPECT_NE(lib.LastError().find("libTQ_NONE.so"), std::string::npos) << lib.LastError();
    EXPECT_TRUE(recorder_.shown.empty());
}

TEST_F(LibraryTest, MissingFunctionIsReportedWithTheFixedText) {
    Place("TQ_MIDI.so");
    TQLibrary lib;
    ASSERT_TRUE(lib.Load("TQ_MIDI", dir_.str()));
    EXPECT_EQ(lib.Function("Ext_NoSuchFunction"), nullptr);
    TQLibrary unloaded;
    EXPECT_EQ(unloaded.Function("Ext_Open"), nullptr);
    ASSERT_EQ(recorder_.shown.size(), 2u);
    EXPECT_EQ(recorder_.shown[0].text, "Cannot load dll function Ext_NoSuchFunction");
    EXPECT_EQ(recorder_.shown[0].kind, mkError);
    EXPECT_EQ(recorder_.shown[0].buttons, mbOK);
    EXPECT_EQ(recorder_.shown[1].text, "Cannot load dll function Ext_Open");
}

TEST_F(LibraryTest, MovingHandsOverTheLibrary) {
    Place("TQ_M.so");
    TQLibrary a;
    ASSERT_TRUE(a.Load("TQ_M", dir_.str()));
    TQLibrary b(std::move(a));
    EXPECT_FALSE(a.Loaded());
    EXPECT_TRUE(b.Loaded());
    EXPECT_NE(b.Symbol("cos"), nullptr);
    TQLibrary c;
    c = std::move(b);
    EXPECT_FALSE(b.Loaded());
    EXPECT_NE(c.Symbol("cos"), nullptr);
}

} // namespace
