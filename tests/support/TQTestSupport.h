#pragma once
// Helpers shared by the test suites.
#include <filesystem>
#include <string>

class QImage;

namespace tqtest {

// A fresh, empty folder under the system temp folder, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// While it lives, a file of this process cannot grow beyond bytes: a write past
// that fails as on a full disk (SIGXFSZ is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long old_cur_, old_max_;
    void (*old_handler_)(int);
};

// The output of a shell command ("" when it could not be run); its exit
// status as pclose gives it goes to *status when asked (-1: not run).
std::string CommandOutput(const std::string& command, int* status = nullptr);

// When TQ_TEST_PNG_DIR is set, writes the image there as <name>.png so a person
// can look at what a drawing test drew. Returns the path written, or "".
std::string SavePngIfWanted(const QImage& image, const std::string& name);

// Folder with the files the build copies beside the executables (fonts, tables).
std::filesystem::path ProgramFolder();

// The source tree's root, for the data the tests read (fuzz corpora, golden files).
std::filesystem::path SourceFolder();

// RUN_ALL_TESTS(), except that under CI (CI=true) a skipped test fails the run:
// the scripts install every tool the tests use, so a skip there means a broken
// set-up, not a test that may pass without running.
int RunAllTests();

} // namespace tqtest
