// Scores that name things they should not: FIFOs where files belong, and
// pictures outside the score's folder that a save must not carry away.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "model/modTQBinFile.h"
#include "model/modTQFile.h"
#include "platform/core/TQFiles.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;
namespace fs = std::filesystem;

namespace {

TCell ImageCell(const std::string& path) {
    TCell c;
    c.cellType = ctImage;
    c.Note = 1;
    c.iEnd = 2;
    c.jEnd = 2;
    c.Text = path;
    return c;
}

// Runs work on a thread and tells whether it finished within three seconds.
// When it did not, it is blocked on the FIFO: opening the FIFO for writing
// releases it, so that the test can end and report.
template <class F>
bool FinishesWithoutWaitingOn(const std::string& fifo, F work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool inTime = done;
    while (!done) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    return inTime;
}

// Files of folder whose names start with '.': the temporaries of saves.
int HiddenFiles(const fs::path& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().front() == '.')
            ++n;
    return n;
}

} // namespace

TEST(HostileScores, APictureCellNamingAFifoSavesWithoutWaitingOrLeavingATemporary) {
    tqtest::TempDir dir;
    const std::string fifo = (dir / "pipe.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteFile((dir / "real.bmp").string(), BmpPicture("REAL"));

    NewScore s;
    s.At(0, 0) = ImageCell(fifo);                         // by its whole path
    s.At(3, 0) = ImageCell("pipe.jpg");                   // by its bare name, beside the score
    s.At(6, 0) = ImageCell((dir / "real.bmp").string());  // a true picture still travels
    s.At(1, 4).Note = '5';
    const std::string path = (dir / "s.mus").string();
    bool saved = false;
    EXPECT_TRUE(FinishesWithoutWaitingOn(fifo, [&] { saved = SaveBinaryScore(path, &s.score, true); }));
    EXPECT_TRUE(saved);
    EXPECT_EQ(HiddenFiles(dir.path()), 0) << "a temporary of the save was left";

    // The score reads back with its note and its cells naming the FIFO, and
    // carries the one real picture.
    const std::string bytes = ReadFile(path);
    const std::size_t block = bytes.rfind(std::string("\x97\xBB\x9F\x05", 4));
    ASSERT_NE(block, std::string::npos);
    EXPECT_EQ(WordAt(bytes, block + 4), 1u);
    EXPECT_EQ(bytes.substr(block + 8, 9), std::string("real.bmp\0", 9));
    NewScore t;
    tqtest::TempDir savedImages;
    t.score.SavedImageFolder = savedImages.str() + "/";
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.At(1, 4).Note, '5');
    EXPECT_EQ(t.At(0, 0).Text, fifo);
}

TEST(HostileScores, AFifoOrDeviceOpenedAsAScoreIsRefusedAtOnce) {
    tqtest::TempDir dir;
    const std::string fifo = (dir / "score.mus").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        NewScore s;
        const ScoreState before(s.score);
        Messages m;
        bool binary = true, readBinary = true, readText = true;
        EXPECT_TRUE(FinishesWithoutWaitingOn(fifo, [&] {
            binary = IsBinaryScoreFile(path);
            readBinary = LoadBinaryScore(path, &s.score, false);
            readText = LoadTextScore(path, &s.score, false);
        }));
        EXPECT_FALSE(binary);
        EXPECT_FALSE(readBinary);
        EXPECT_FALSE(readText);
        EXPECT_EQ(m.Ids(), (std::vector<int>{1044, 1044}));
        EXPECT_TRUE(ScoreState(s.score) == before);
    }
}

TEST(HostileScores, ASaveCarriesNoFileFromOutsideTheScoresFolder) {
    // root/victim holds what is not the score's to give away; root/work is
    // the working folder of the program; the score lies in root/scores/sub.
    tqtest::TempDir root;
    fs::create_directories(root / "victim");
    fs::create_directories(root / "work" / "pics");
    fs::create_directories(root / "scores" / "sub" / "pics");
    WriteFile((root / "victim" / "secret.txt").string(), "SECRET-TEXT");
    WriteFile((root / "victim" / "photo.bmp").string(), BmpPicture("PRIVATE-PHOTO"));
    WriteFile((root / "work" / "pics" / "cwd.bmp").string(), BmpPicture("WORKING-FOLDER"));
    WriteFile((root / "scores" / "sub" / "notes.txt").string(), "PLAIN-TEXT");
    WriteFile((root / "scores" / "sub" / "pics" / "own.bmp").string(), BmpPicture("OWN-PICTURE"));
    fs::create_symlink(root / "victim" / "photo.bmp", root / "scores" / "sub" / "link.bmp");

    const struct {
        std::string stored;
        const char* mark; // bytes of the file it names
    } outside[] = {
        {"../../victim/secret.txt", "SECRET-TEXT"},
        {"..\\..\\victim\\photo.bmp", "PRIVATE-PHOTO"},
        {(root / "victim" / "photo.bmp").string(), "PRIVATE-PHOTO"},
        {"pics/cwd.bmp", "WORKING-FOLDER"}, // there only in the working folder
        {"link.bmp", "PRIVATE-PHOTO"},      // beside the score, but a link out of it
        {"notes.txt", "PLAIN-TEXT"},        // beside the score, but no picture
        {"/proc/self/environ", "TONQUILL-ENVIRONMENT"},
    };
    ::setenv("TONQUILL_HOSTILE_MARK", "TONQUILL-ENVIRONMENT", 1);
    const fs::path previous = fs::current_path();
    fs::current_path(root / "work");

    NewScore s;
    int col = 0;
    for (const auto& o : outside)
        s.At(col++, 0) = ImageCell(o.stored);
    s.At(col, 0) = ImageCell("pics/own.bmp"); // a sub-folder of the score's folder travels
    const std::string path = (root / "scores" / "sub" / "s.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));

    // Read back and saved again under another name, as a user does with a
    // score someone sent.
    NewScore t;
    tqtest::TempDir savedImages;
    t.score.SavedImageFolder = savedImages.str() + "/";
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    const std::string again = (root / "scores" / "sub" / "again.mus").string();
    ASSERT_TRUE(SaveBinaryScore(again, &t.score, true));
    fs::current_path(previous);
    ::unsetenv("TONQUILL_HOSTILE_MARK");

    for (const std::string& file : {path, again}) {
        SCOPED_TRACE(file);
        const std::string bytes = ReadFile(file);
        for (const auto& o : outside)
            EXPECT_EQ(bytes.find(o.mark), std::string::npos) << o.stored;
        EXPECT_NE(bytes.find("OWN-PICTURE"), std::string::npos);
        // Every cell still names what it named.
        for (int c = 0; c < col; ++c)
            EXPECT_NE(bytes.find(outside[c].stored), std::string::npos) << outside[c].stored;
    }
    EXPECT_EQ(t.At(col, 0).Text, "pics/own.bmp");
}
