// Recent-file lists: newest first, case-insensitive duplicates, capacity, and
// the list file.
#include <gtest/gtest.h>

#include <fstream>

#include "lang/modTQHistory.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "tests/support/TQTestSupport.h"

namespace {

class HistoryTest : public ::testing::Test {
protected:
    // An existing score file of that name in the test folder.
    std::string Score(const std::string& name) {
        const std::string path = (dir / name).string();
        std::ofstream(path) << "x";
        return path;
    }
    std::vector<std::string> Files(const THistory& h) {
        std::vector<std::string> out;
        for (int i = 0; i < h.Count(); ++i)
            out.push_back(h.GetFile(i));
        return out;
    }
    std::string ListPath() const { return (dir / "TQHistoryFILE").string(); }

    tqtest::TempDir dir;
};

TEST_F(HistoryTest, CaptionsCarryNumberAndPath) {
    EXPECT_EQ(HistoryCaption(0, "/m/a.mus"), "&1 - /m/a.mus");
    EXPECT_EQ(HistoryCaption(11, "/m/b.mus"), "&12 - /m/b.mus");
    EXPECT_EQ(HistoryCaptionPath("&1 - /m/a - b.mus"), "/m/a - b.mus") << "after the first \" - \"";
    EXPECT_EQ(HistoryCaptionPath("3"), "");
    const std::string longPath = "/" + std::string(1500, 'p') + ".mus";
    EXPECT_EQ(HistoryCaptionPath(HistoryCaption(0, longPath)), longPath) << "long paths stay whole";
}

TEST_F(HistoryTest, EmptyListIsHidden) {
    THistory h(6, "TQHistoryFILE", dir.str());
    EXPECT_EQ(h.Count(), 0);
    EXPECT_EQ(h.Capacity(), 6);
    EXPECT_EQ(h.GetFile(0), "");
    EXPECT_EQ(h.GetFile(-1), "");
    EXPECT_FALSE(h.SeparatorVisible());
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(h.EntryVisible(i));
        EXPECT_EQ(h.Caption(i), std::to_string(i));
    }
}

TEST_F(HistoryTest, NewestFirstDuplicatesMoveUpCapacityHolds) {
    THistory h(3, "TQHistoryFILE", dir.str());
    int changes = 0;
    h.OnChanged = [&] { ++changes; };
    const std::string a = Score("a.mus"), b = Score("b.mus"), c = Score("c.mus"), d = Score("d.mus");

    h.AddFile(a);
    EXPECT_TRUE(h.SeparatorVisible());
    EXPECT_TRUE(h.EntryVisible(0));
    EXPECT_FALSE(h.EntryVisible(1));
    EXPECT_EQ(h.Caption(0), "&1 - " + a);
    h.AddFile(b);
    h.AddFile(c);
    EXPECT_EQ(Files(h), (std::vector<std::string>{c, b, a}));
    EXPECT_EQ(h.Caption(2), "&3 - " + a);

    // the same path in other letters moves its entry up, keeping the stored spelling
    std::string upper = a;
    for (char& ch : upper)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    h.AddFile(upper);
    EXPECT_EQ(Files(h), (std::vector<std::string>{a, c, b}));
    EXPECT_EQ(h.Count(), 3);

    h.AddFile(b); // the last entry moves to the top
    EXPECT_EQ(Files(h), (std::vector<std::string>{b, a, c}));
    h.AddFile(b); // already on top: nothing moves
    EXPECT_EQ(Files(h), (std::vector<std::string>{b, a, c}));

    h.AddFile(d); // full: the oldest drops out
    EXPECT_EQ(Files(h), (std::vector<std::string>{d, b, a}));
    EXPECT_EQ(h.Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(h.Caption(i), HistoryCaption(i, h.GetFile(i)));
    EXPECT_GE(changes, 6);
}

TEST_F(HistoryTest, SavedAtDestructionAndLoadedNewestFirst) {
    const std::string a = Score("a.mus"), b = Score("b.mus");
    {
        THistory h(6, "TQHistoryFILE", dir.str());
        h.AddFile(a);
        h.AddFile(b);
    }
    TIniFile ini(ListPath());
    EXPECT_EQ(ini.ReadSection("Histrol File"), (std::vector<std::string>{"File0", "File1"}));
    EXPECT_EQ(ini.ReadString("Histrol File", "File0", ""), b);
    THistory again(6, "TQHistoryFILE", dir.str());
    EXPECT_EQ(Files(again), (std::vector<std::string>{b, a}));
}

TEST_F(HistoryTest, LoadingKeepsTheCapacityAndDropsMissingFiles) {
    std::vector<std::string> paths;
    std::string text = "[Histrol File]\r\n";
    for (int i = 0; i < 10; ++i) {
        paths.push_back(Score("s" + std::to_string(i) + ".mus"));
        text += "File" + std::to_string(i) + "=" + paths.back() + "\r\n";
    }
    std::ofstream(ListPath(), std::ios::binary) << text;
    {
        THistory h(6, "TQHistoryFILE", dir.str());
        EXPECT_EQ(Files(h), std::vector<std::string>(paths.begin(), paths.begin() + 6));
    }
    EXPECT_EQ(TIniFile(ListPath()).ReadSection("Histrol File"),
              (std::vector<std::string>{"File0", "File1", "File2", "File3", "File4", "File5"}))
        << "File6 .. File9 are gone after the save";

    // a vanished file and an empty value are skipped, and disappear at the next save
    std::filesystem::remove(paths[1]);
    std::ofstream(ListPath(), std::ios::binary)
        << "[Histrol File]\nFile0=" << paths[0] << "\nFile1=" << paths[1] << "\nFile2=\nFile3="
        << paths[3] << "\n";
    {
        THistory h(6, "TQHistoryFILE", dir.str());
        EXPECT_EQ(Files(h), (std::vector<std::string>{paths[0], paths[3]}));
    }
    EXPECT_EQ(TIniFile(ListPath()).ReadString("Histrol File", "File1", ""), paths[3]);
}

TEST_F(HistoryTest, OtherSectionsOfTheListFileStay) {
    std::ofstream(ListPath()) << "[Other]\nk=v\n";
    {
        THistory h(6, "TQHistoryFILE", dir.str());
        h.AddFile(Score("a.mus"));
    }
    EXPECT_EQ(TIniFile(ListPath()).ReadString("Other", "k", ""), "v");
}

TEST_F(HistoryTest, DegenerateCapacitiesAndUnwritableFiles) {
    {
        THistory none(0, "TQHistoryFILE", dir.str());
        none.AddFile(Score("a.mus"));
        EXPECT_EQ(none.Count(), 0);
        EXPECT_FALSE(none.SeparatorVisible());
        THistory negative(-4, "TQBookHistory", dir.str());
        EXPECT_EQ(negative.Capacity(), 0);
    }
    // a list whose file cannot be written is not saved, and nothing breaks
    THistory h(6, "TQHistoryFILE", (dir / "missing").string());
    h.AddFile(Score("b.mus"));
    EXPECT_FALSE(h.Save());
}

TEST_F(HistoryTest, ListsLiveInTheUserFolderByDefault) {
    THistory h(6, "TQBookHistory");
    EXPECT_EQ(h.FilePath(), TQUserFolder() + "TQBookHistory");
}

} // namespace
