#include "tests/support/TQTestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace tqtest {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("tqtest-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(path_, ec))
            break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    old_cur_ = old.rlim_cur;
    old_max_ = old.rlim_max;
    rlimit small = old;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit old{};
    old.rlim_cur = old_cur_;
    old.rlim_max = old_max_;
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler_);
}

std::string CommandOutput(const std::string& command, int* status) {
    std::string out;
    if (status)
        *status = -1;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int rc = pclose(p);
    if (status)
        *status = rc;
    return out;
}

std::string SavePngIfWanted(const QImage& image, const std::string& name) {
    const char* dir = std::getenv("TQ_TEST_PNG_DIR");
    if (!dir || !*dir)
        return {};
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string path = (std::filesystem::path(dir) / (name + ".png")).string();
    return image.save(QString::fromStdString(path), "PNG") ? path : std::string();
}

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

std::filesystem::path SourceFolder() { return TQ_SOURCE_DIR; }

int RunAllTests() {
    int rc = RUN_ALL_TESTS();
    const char* ci = std::getenv("CI");
    if (!ci || std::strcmp(ci, "true") != 0)
        return rc;
    const auto* unit = ::testing::UnitTest::GetInstance();
    if (unit->skipped_test_count() == 0)
        return rc;
    for (int s = 0; s < unit->total_test_suite_count(); ++s) {
        const auto* suite = unit->GetTestSuite(s);
        for (int t = 0; t < suite->total_test_count(); ++t) {
            const auto* info = suite->GetTestInfo(t);
            if (info->result()->Skipped())
                std::fprintf(stderr, "[  FAILED  ] %s.%s was skipped, and under CI a skip is a failure\n",
                             suite->name(), info->name());
        }
    }
    return 1;
}

} // namespace tqtest
