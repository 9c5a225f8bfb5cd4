// Files and folders: Windows path texts, the program's folders, temporary
// files and the safe replacement of files.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/TQFiles.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& p, const std::string& text = "") {
    std::ofstream(p, std::ios::binary) << text;
}

std::string Slurp(const fs::path& p) {
    std::string s;
    EXPECT_TRUE(ReadWholeFile(p.string(), s));
    return s;
}

int CountEntries(const fs::path& folder) {
    int n = 0;
    for (auto& e : fs::directory_iterator(folder)) {
        (void)e;
        ++n;
    }
    return n;
}

// Sets an environment variable for the scope and restores it afterwards.
class TEnvGuard {
public:
    explicit TEnvGuard(const char* name) : name_(name) {
        const char* v = std::getenv(name);
        had_ = v != nullptr;
        if (had_)
            old_ = v;
    }
    ~TEnvGuard() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    std::string old_;
};

TEST(FilesPath, SplitsWindowsAndUnixPaths) {
    struct TCase {
        const char* path;
        const char* name;
        const char* folder;
        const char* ext;
        const char* asBmp;
    } cases[] = {
        {"C:\\Music\\song.mus", "song.mus", "C:\\Music\\", ".mus", "C:\\Music\\song.bmp"},
        {"/home/u/a.b/c", "c", "/home/u/a.b/", "", "/home/u/a.b/c.bmp"},
        {"C:song.mus", "song.mus", "C:", ".mus", "C:song.bmp"},
        {"D:\\Scores/mixed\\Pic.JPG", "Pic.JPG", "D:\\Scores/mixed\\", ".JPG",
         "D:\\Scores/mixed\\Pic.bmp"},
        {"folder\\", "", "folder\\", "", "folder\\.bmp"},
        {"noext", "noext", "", "", "noext.bmp"},
        {"a.tar.gz", "a.tar.gz", "", ".gz", "a.tar.bmp"},
        {"", "", "", "", ".bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractFileName(c.path), c.name);
        EXPECT_EQ(ExtractFilePath(c.path), c.folder);
        EXPECT_EQ(ExtractFileExt(c.path), c.ext);
        EXPECT_EQ(ChangeFileExt(c.path, ".bmp"), c.asBmp);
    }
    EXPECT_EQ(SplitWinPath("C:\\Music/sub\\\\x.mus"),
              (std::vector<std::string>{"C:", "Music", "sub", "x.mus"}));
    EXPECT_EQ(IncludeTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingSeparator("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingSeparator(""), "");
    EXPECT_EQ(ToSlashes("C:\\a\\b"), "C:/a/b");
}

TEST(FilesPath, ComparesFoldersIgnoringCaseAndSeparators) {
    struct TCase {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"C:\\Music\\", "c:/music", true},
        {"/home/u/Scores/", "/home/u/scores", true},
        {"/a/b", "/a/bc", false},
        {"/a/b", "/a", false},
        {"/", "/", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(SameFolder(c.a, c.b), c.same);
        EXPECT_EQ(SameFolder(c.b, c.a), c.same);
    }
    EXPECT_TRUE(SameFileName("C:\\Music\\A.mus", "c:/music/a.MUS"));
    EXPECT_TRUE(SameText("Histrol File", "HISTROL FILE"));
    EXPECT_FALSE(SameText("abc", "abd"));
}

TEST(FilesPath, WildcardMasks) {
    struct TCase {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"UDO1A2B.TMP", "UDO*", true},  {"udo1a2b.tmp", "UDO*", true}, {"RDO1.TMP", "UDO*", false},
        {"xUDO.TMP", "UDO*", false},    {"a.tmp", "*.TMP", true},      {"a.tmpx", "*.tmp", false},
        {"ab", "a?", true},             {"a", "a?", false},            {"anything", "*", true},
        {"", "*", true},                {"abcabd", "*abd", true},      {"UDO", "UDO*", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.mask);
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.match);
    }
}

TEST(FilesFolders, ProgramFolderIsTheExecutables) {
    const std::string folder = TQProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(SameFolder(folder, tqtest::ProgramFolder().string()));
}

TEST(FilesFolders, UserFolderFromEnvironment) {
    TEnvGuard g1("TONQUILL_HOME"), g2("XDG_DATA_HOME"), g3("HOME");
    tqtest::TempDir dir;

    setenv("TONQUILL_HOME", (dir / "tq" / "home").string().c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "xdg").string().c_str(), 1);
    EXPECT_EQ(TQUserFolder(), (dir / "tq" / "home").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir / "tq" / "home")) << "made when missing";

    unsetenv("TONQUILL_HOME");
    EXPECT_EQ(TQUserFolder(), (dir / "xdg" / "tonquill").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir / "xdg" / "tonquill"));

    unsetenv("XDG_DATA_HOME");
    setenv("HOME", dir.str().c_str(), 1);
    EXPECT_EQ(TQUserFolder(), (dir / ".local" / "share" / "tonquill").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir / ".local" / "share" / "tonquill"));
}

TEST(FilesTemp, PrivateFolderAndUniqueFiles) {
    const std::string folder = TQPrivateTempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(TQPrivateTempFolder(), folder) << "one folder per run";
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        std::string p = TQGetTempFileName("", i % 2 ? "UDO" : "RDOLONG");
        ASSERT_FALSE(p.empty());
        EXPECT_EQ(ExtractFilePath(p), folder);
        const std::string name = ExtractFileName(p);
        EXPECT_TRUE(MatchesMask(name, i % 2 ? "UDO????.TMP" : "RDO????.TMP")) << name;
        EXPECT_EQ(FileLength(p), 0) << "made as an empty file";
        names.insert(p);
    }
    EXPECT_EQ(names.size(), 200u);
    EXPECT_EQ(DeleteMatchingFiles(folder, "UDO*"), 100);
    EXPECT_EQ(CountEntries(folder), 100);

    // in a folder of the caller's choice
    tqtest::TempDir other;
    std::string p = TQGetTempFileName(other.str(), "UDO");
    EXPECT_EQ(ExtractFilePath(p), other.str() + "/");
    EXPECT_TRUE(FileExists(p));
    EXPECT_EQ(TQGetTempFileName((other / "missing").string(), "UDO"), "");

    TQRemovePrivateTempFolder();
    EXPECT_FALSE(fs::exists(folder));
    const std::string again = TQPrivateTempFolder();
    EXPECT_TRUE(fs::is_directory(again));
    EXPECT_NE(again, folder);
}

TEST(FilesTemp, PrivateFolderRemovedAtNormalExit) {
    TQRemovePrivateTempFolder();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(fds[0]);
        std::string folder = TQPrivateTempFolder();
        Touch(fs::path(folder) / "UDO1.TMP", "snapshot");
        if (write(fds[1], folder.data(), folder.size()) < 0)
            _exit(3);
        close(fds[1]);
        std::exit(0);
    }
    close(fds[1]);
    std::string folder;
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        folder.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.find(std::to_string(pid)), std::string::npos) << folder;
    EXPECT_FALSE(fs::exists(folder)) << "left behind: " << folder;
}

TEST(FilesDisk, ExistenceLengthsAndFolders) {
    tqtest::TempDir dir;
    Touch(dir / "a.mus", "12345");
    EXPECT_TRUE(FileExists((dir / "a.mus").string()));
    EXPECT_FALSE(FileExists(dir.str())) << "a folder is not a file";
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists(dir.str()));
    EXPECT_EQ(FileLength((dir / "a.mus").string()), 5);
    EXPECT_EQ(FileLength((dir / "none").string()), -1);
    EXPECT_EQ(FileLength(dir.str()), -1);

    const std::string deep = (dir / "x" / "y" / "z").string() + "/";
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep)) << "an existing folder is fine";
    EXPECT_FALSE(ForceDirectories((dir / "a.mus" / "sub").string())) << "a file is in the way";
    EXPECT_FALSE(ForceDirectories(""));
}

TEST(FilesDisk, FifosAndDevicesAreNoFilesAndNeverBlock) {
    tqtest::TempDir dir;
    const std::string fifo = (dir / "pipe.mus").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Touch(dir / "pipe.jpg.txt", "x");
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(FileLength(path), -1);
        EXPECT_EQ(OpenRegularFile(path), -1); // with no writer, a blocking open would wait for ever
        EXPECT_EQ(OpenRegularFileStream(path), nullptr);
        std::string data = "old";
        EXPECT_FALSE(ReadWholeFile(path, data));
        EXPECT_TRUE(data.empty());
    }
    EXPECT_EQ(ResolveStoredPath("pipe.mus", dir.str()), "");
    EXPECT_EQ(ResolveStoredPath(fifo, dir.str()), "");
    // A regular file through a symbolic link is a file.
    fs::create_symlink(dir / "pipe.jpg.txt", dir / "link");
    const int fd = OpenRegularFile((dir / "link").string());
    ASSERT_GE(fd, 0);
    char c = 0;
    EXPECT_EQ(::read(fd, &c, 1), 1) << "the descriptor reads blocking";
    EXPECT_EQ(c, 'x');
    ::close(fd);
}

TEST(FilesDisk, DeletesMatchingFilesOnly) {
    tqtest::TempDir dir;
    for (const char* name : {"UDO1.TMP", "udo2.tmp", "RDO1.TMP", "keep.mus"})
        Touch(dir / name);
    fs::create_directory(dir / "UDOfolder");
    Touch(dir / "UDOfolder" / "UDO9.TMP");
    EXPECT_EQ(DeleteMatchingFiles(dir.str(), "UDO*"), 2);
    EXPECT_TRUE(fs::exists(dir / "RDO1.TMP"));
    EXPECT_TRUE(fs::exists(dir / "keep.mus"));
    EXPECT_TRUE(fs::exists(dir / "UDOfolder" / "UDO9.TMP")) << "folders are left alone";
    EXPECT_EQ(DeleteMatchingFiles(dir.str(), "*.TMP"), 1);
    EXPECT_EQ(DeleteMatchingFiles((dir / "missing").string(), "*"), 0);
}

TEST(FilesDisk, ResolvesStoredWindowsPaths) {
    tqtest::TempDir dir;
    fs::create_directory(dir / "score");
    Touch(dir / "score" / "pic.jpg");
    Touch(dir / "score" / "Both.bmp");
    Touch(dir / "score" / "both.bmp");
    const std::string folder = (dir / "score").string();
    const std::string here = (dir / "score" / "pic.jpg").string();
    struct TCase {
        std::string stored;
        std::string found;
    } cases[] = {
        {here, here},                                              // exact path
        {"C:\\Scores\\Images\\PIC.JPG", here},                     // base name, other case
        {"D:pic.jpg", here},                                       // drive-relative
        {"C:\\x\\Both.bmp", folder + "/Both.bmp"},                 // the exact name first
        {"C:\\x\\missing.jpg", ""},
        {"", ""},
        {"C:\\x\\", ""},
        {"sub\\deep.jpg", folder + "/sub/deep.jpg"},             // folders below the score's
        {"../shared/s.jpg", folder + "/../shared/s.jpg"},          // and beside it
        {"cwdonly/c.jpg", ""},                                     // never in the working folder
    };
    fs::create_directories(dir / "score" / "sub");
    fs::create_directories(dir / "shared");
    fs::create_directories(dir / "cwd" / "cwdonly");
    Touch(dir / "score" / "sub" / "deep.jpg");
    Touch(dir / "shared" / "s.jpg");
    Touch(dir / "cwd" / "cwdonly" / "c.jpg");
    const fs::path previous = fs::current_path();
    fs::current_path(dir / "cwd");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(ResolveStoredPath(c.stored, folder), c.found);
    }
    EXPECT_EQ(ResolveStoredPath("cwdonly/c.jpg", ""), "");
    fs::current_path(previous);
    // a stored path written with backslashes that exists here as it is
    std::string backslashed = here;
    for (char& ch : backslashed)
        if (ch == '/')
            ch = '\\';
    EXPECT_EQ(ResolveStoredPath(backslashed, "/nowhere"), here);
}

TEST(FilesAtomic, ReplacesOnlyWhenEverythingWasWritten) {
    tqtest::TempDir dir;
    const std::string target = (dir / "score.mus").string();

    ASSERT_TRUE(WriteFileAtomic(target, "first"));
    EXPECT_EQ(Slurp(target), "first");
    chmod(target.c_str(), 0640);
    {
        TAtomicFileWriter w(target);
        ASSERT_TRUE(w.Open());
        EXPECT_EQ(ExtractFilePath(w.TempPath()), dir.str() + "/") << "temporary beside the target";
        ASSERT_TRUE(w.Write("sec"));
        ASSERT_EQ(std::fputs("ond", w.Stream()), 1);
        EXPECT_EQ(Slurp(target), "first") << "untouched until the commit";
        ASSERT_TRUE(w.Commit());
    }
    EXPECT_EQ(Slurp(target), "second");
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the file keeps its permissions";

    {
        TAtomicFileWriter w(target); // dropped without commit
        ASSERT_TRUE(w.Open());
        w.Write("half");
    }
    {
        TAtomicFileWriter w(target);
        ASSERT_TRUE(w.Open());
        w.Write("half");
        w.Abort();
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(Slurp(target), "second");
    EXPECT_EQ(CountEntries(dir.path()), 1) << "no temporary left";

    TAtomicFileWriter nowhere((dir / "missing" / "x.mus").string());
    EXPECT_FALSE(nowhere.Open());
    EXPECT_FALSE(nowhere.Write("x"));
    EXPECT_FALSE(nowhere.Commit());
}

TEST(FilesAtomic, DiskFullKeepsTheOldFile) {
    tqtest::TempDir dir;
    const std::string target = (dir / "score.mus").string();
    ASSERT_TRUE(WriteFileAtomic(target, "good score"));

    // a file-size limit makes writes beyond 4 KiB fail as on a full disk
    bool ok;
    {
        tqtest::FileSizeLimit full(4096);
        ok = WriteFileAtomic(target, std::string(100000, 'x'));
    }

    EXPECT_FALSE(ok) << "a failed write is reported";
    EXPECT_EQ(Slurp(target), "good score");
    EXPECT_EQ(CountEntries(dir.path()), 1) << "no temporary left";
}

} // namespace
