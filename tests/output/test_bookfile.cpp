// Book files: round trips, damaged input, missing scores.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "output/modTQBookFile.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

namespace fs = std::filesystem;

namespace {

struct BookFileTest : ::testing::Test {
    fs::path dir;
    std::vector<int> messages;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tqbook_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "book");
        fs::create_directories(dir / "other");
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string&, TMsgKind) {
            messages.push_back(id);
            return int(mrOk);
        });
    }
    void TearDown() override {
        SetMessageByIdHandler(nullptr);
        fs::remove_all(dir);
    }
    std::string Path(const std::string& rel) const { return (dir / rel).string(); }
    void Write(const std::string& rel, const std::string& text) {
        std::ofstream(dir / rel, std::ios::binary) << text;
    }
    std::string Read(const std::string& rel) {
        std::string s;
        ReadWholeFile(Path(rel), s);
        return s;
    }
    TBook Sample() {
        TBook b;
        b.Title = "My book";
        b.TitleCharset = 134;
        TMusic a;
        a.FileName = Path("book/one.mus");
        a.Title = "\xC7\xEF\xB7\xE7"; // GBK bytes
        a.TitleCharset = 134;
        a.KeepTitle = true;
        a.Selected = true;
        TMusic c;
        c.FileName = Path("other/two.mus");
        c.Title = "Two";
        b.Musics = {a, c};
        return b;
    }
};

TEST_F(BookFileTest, RoundTripStoresBareNameInBookFolderAndFullPathElsewhere) {
    Write("book/one.mus", "x");
    Write("book/title.mus", "x");
    TBook book = Sample();
    book.TitlePage = Path("book/title.mus");
    ASSERT_TRUE(WriteBookFile(Path("book/b.mbk"), book));
    const std::string text = Read("book/b.mbk");
    EXPECT_EQ(text.rfind("Music Book File Version\n1.0\nMy book\n134\n", 0), 0u);
    EXPECT_NE(text.find("\n2\none.mus\n"), std::string::npos);
    EXPECT_NE(text.find("\n" + Path("other/two.mus") + "\n"), std::string::npos);

    TBook back;
    ASSERT_EQ(ReadBookFile(Path("book/b.mbk"), back), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(back.Title, "My book");
    EXPECT_EQ(back.TitleCharset, 134);
    EXPECT_EQ(back.TitlePage, Path("book/title.mus"));
    ASSERT_EQ(back.Musics.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(SameFileName(back.Musics[i].FileName, book.Musics[i].FileName));
        EXPECT_EQ(back.Musics[i].Title, book.Musics[i].Title);
        EXPECT_EQ(back.Musics[i].TitleCharset, book.Musics[i].TitleCharset);
        EXPECT_EQ(back.Musics[i].KeepTitle, book.Musics[i].KeepTitle);
        EXPECT_FALSE(back.Musics[i].Selected);
    }
}

TEST_F(BookFileTest, CrLfAndBackslashesRead) {
    const std::string text = "Music Book File Version\r\n1.0\r\nT\r\n0\r\n\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                             "0\r\n0\r\n0\r\n1\r\nsub\\a.mus\r\nTitle A\r\n0\r\n7\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    TBook book;
    ASSERT_TRUE(ParseBook(text, "/books", book));
    ASSERT_EQ(book.Musics.size(), 1u);
    EXPECT_EQ(book.Title, "T");
    EXPECT_EQ(book.Musics[0].FileName, "/books/sub/a.mus") << "in the book's folder";
    EXPECT_EQ(book.Musics[0].Title, "Title A");
    EXPECT_TRUE(book.Musics[0].KeepTitle); // any non-zero flag
}

TEST_F(BookFileTest, DamagedFilesGive1045AndKeepTheBook) {
    Write("book/one.mus", "x");
    const std::string good = FormatBook(Sample(), Path("book"));
    std::string longLine = good;
    longLine.replace(longLine.find("My book"), 7, std::string(500, 'a'));
    std::string moreEntries = good;
    moreEntries.replace(moreEntries.find("\n2\n"), 3, "\n3\n");
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"count larger than blocks", moreEntries},
        {"wrong first line", "Music Book File Version 2\n" + good.substr(good.find('\n') + 1)},
        {"truncated", good.substr(0, good.size() - 40)},
        {"line over 499", longLine},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("book/bad.mbk", c.text);
        TBook book = Sample();
        messages.clear();
        EXPECT_EQ(ReadBookFile(Path("book/bad.mbk"), book), kBookFormatErrorId);
        EXPECT_EQ(messages, std::vector<int>{kBookFormatErrorId});
        EXPECT_EQ(book.Musics.size(), 2u);
        EXPECT_EQ(book.Title, "My book");
    }
    TBook book = Sample();
    messages.clear();
    EXPECT_EQ(ReadBookFile(Path("book/none.mbk"), book), kBookOpenErrorId);
    EXPECT_EQ(messages, std::vector<int>{kBookOpenErrorId});
    EXPECT_EQ(book.Musics.size(), 2u);
}

TEST_F(BookFileTest, MissingTitlePageAndScoresReadAsAbsent) {
    TBook book = Sample();
    book.TitlePage = Path("book/gone.mus");
    ASSERT_TRUE(WriteBookFile(Path("book/b.mbk"), book));
    TBook back;
    ASSERT_EQ(ReadBookFile(Path("book/b.mbk"), back), 0);
    EXPECT_EQ(back.TitlePage, "");
    TMainView holder;
    RefreshMusic(back.Musics[1], holder);
    EXPECT_FALSE(back.Musics[1].Exists);
    EXPECT_EQ(back.Musics[1].PageCount, 0);
    EXPECT_EQ(back.Musics[1].Title, "Two");
}

TEST_F(BookFileTest, FailedWriteGives1043AndKeepsOldFile) {
    Write("book/b.mbk", "old");
    fs::permissions(dir / "book", fs::perms::owner_read | fs::perms::owner_exec);
    const bool writable = std::ofstream(dir / "book" / "probe").good();
    if (!writable) {
        EXPECT_FALSE(WriteBookFile(Path("book/b.mbk"), Sample()));
        EXPECT_EQ(messages, std::vector<int>{kBookWriteErrorId});
    }
    fs::permissions(dir / "book", fs::perms::owner_all);
    EXPECT_EQ(Read("book/b.mbk"), "old");
}

TEST(BookFileName, MissingExtensionGetsMbkAndStartPagesRun) {
    EXPECT_EQ(BookFileNameWithExtension("/x/songs"), "/x/songs.mbk");
    EXPECT_EQ(BookFileNameWithExtension("/x/songs.txt"), "/x/songs.txt");
    std::vector<TMusic> m(4);
    m[0].PageCount = 3;
    m[1].PageCount = 2;
    m[2].PageCount = 4;
    m[3].PageCount = 1;
    EXPECT_EQ(BookStartPages(m), (std::vector<int>{1, 4, 6, 10}));
}

} // namespace
