// Books that name scores outside their folder, and books whose texts the file
// format can hardly hold: what is written reads back, or is refused first.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <filesystem>
#include <fstream>

#include "output/frmTQBook.h"
#include "output/modTQBookFile.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/fuzz/TQFuzzBook.h"
#include "tests/output/TQBookScores.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
    std::string s;
    ReadWholeFile(path.string(), s);
    return s;
}

// A book file's text with the entries given as (file line, title line) pairs,
// lines ended by eol.
std::string BookText(const std::vector<std::pair<std::string, std::string>>& entries,
                     const std::string& titlePage = "", const std::string& eol = "\r\n") {
    std::string t = "Music Book File Version" + eol + "1.0" + eol + "Book" + eol + "0" + eol + titlePage + eol;
    for (int i = 0; i < 9; ++i)
        t += "0" + eol;
    t += std::to_string(entries.size()) + eol;
    for (const auto& [file, title] : entries) {
        t += file + eol + title + eol + "0" + eol + "1" + eol;
        for (int i = 0; i < 5; ++i)
            t += "0" + eol;
    }
    return t;
}

struct BookHostileTest : ::testing::Test {
    tqtest::TempDir tmp;
    std::vector<int> messages;
    void SetUp() override {
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string&, TMsgKind) {
            messages.push_back(id);
            return int(mrYes);
        });
    }
    void TearDown() override { SetMessageByIdHandler(nullptr); }
};

} // namespace

TEST_F(BookHostileTest, EntriesWithFoldersLieInTheBooksFolderNotTheWorkingFolder) {
    // root/books/b.mbk names ../scores/s1.mus and ..\scores\s3.mus; the
    // program runs in root/work/here, where ../scores/s1.mus is another
    // score, of one page.
    const fs::path root = tmp.path();
    fs::create_directories(root / "books");
    fs::create_directories(root / "scores");
    fs::create_directories(root / "work" / "here");
    fs::create_directories(root / "work" / "scores");
    const std::vector<std::string> real = WriteBookScores(root / "scores"); // 3, 2, 4 and 1 pages
    ASSERT_EQ(real.size(), 4u);
    fs::copy_file(real[3], root / "work" / "scores" / "s1.mus");
    fs::copy_file(real[3], root / "work" / "scores" / "s3.mus");
    fs::copy_file(real[3], root / "work" / "scores" / "title.mus");
    fs::copy_file(real[3], root / "scores" / "title.mus");
    const fs::path book = root / "books" / "b.mbk";
    WriteText(book, BookText({{"../scores/s1.mus", "One"}, {"..\\scores\\s3.mus", "Three"}}, "../scores/title.mus"));

    const fs::path previous = fs::current_path();
    fs::current_path(root / "work" / "here");
    TfrmBook window;
    const bool read = window.ReadBook(book.string());
    fs::current_path(previous);

    ASSERT_TRUE(read);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(window.Musics.size(), 2u);
    EXPECT_EQ(window.Musics[0].FileName, (root / "scores" / "s1.mus").string());
    EXPECT_EQ(window.Musics[1].FileName, (root / "scores" / "s3.mus").string());
    EXPECT_TRUE(window.Musics[0].Exists);
    EXPECT_EQ(window.Musics[0].PageCount, 3);
    EXPECT_EQ(window.Musics[1].PageCount, 4);
    TBook again;
    ASSERT_EQ(ReadBookFile(book.string(), again), 0);
    EXPECT_EQ(again.TitlePage, (root / "scores" / "title.mus").string());
}

TEST_F(BookHostileTest, WhatTheWriterWritesReadsBackOrIsRefusedFirst) {
    const fs::path folder = tmp / "books";
    fs::create_directories(folder);
    const std::string here = folder.string() + "/";
    const struct Case {
        const char* what;
        std::string file;  // the entry's file
        std::string title; // the entry's title
        bool refused;
    } cases[] = {
        {"a path of 520 characters", "/far/" + std::string(511, 'p') + ".mus", "Long", true},
        {"a name of 493 characters holding ':'", here + std::string(480, 'n') + ":second.mus", "Colon", false},
        {"a name that is a lone CR", here + "\r", "CR", false},
        {"a title ending in CR", here + "t.mus", "Title\r", false},
        {"a title ending in two CRs", here + "t.mus", "Title\r\r", false},
        {"a title holding a line feed", here + "t.mus", "one\ntwo", true},
        {"a title of 500 characters", here + "t.mus", std::string(500, 't'), true},
        {"a path outside the folder, of 499 characters", "/o/" + std::string(492, 'q') + ".mus", "Edge", false},
        {"a title charset beyond a million", here + "t.mus", "Charset", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = folder / "b.mbk";
        WriteText(path, "old");
        TBook book;
        book.Title = "Book";
        TMusic m;
        m.FileName = c.file;
        m.Title = c.title;
        m.KeepTitle = true;
        m.TitleCharset = std::string(c.what).find("charset") != std::string::npos ? 2000000000 : 134;
        book.Musics = {m};
        messages.clear();
        EXPECT_EQ(WriteBookFile(path.string(), book), !c.refused);
        if (c.refused) {
            EXPECT_EQ(messages, std::vector<int>{kBookUnwritableId});
            EXPECT_EQ(ReadText(path), "old");
            continue;
        }
        EXPECT_TRUE(messages.empty());
        TBook back;
        ASSERT_EQ(ReadBookFile(path.string(), back), 0);
        ASSERT_EQ(back.Musics.size(), 1u);
        EXPECT_EQ(back.Musics[0].FileName, c.file);
        EXPECT_EQ(back.Musics[0].Title, c.title);
        EXPECT_EQ(back.Musics[0].TitleCharset, m.TitleCharset);
    }
}

TEST_F(BookHostileTest, ABookReadWithCrCrLfIsWrittenAsItWasRead) {
    // A title line ending CR CR LF reads as the title with one CR.
    const fs::path folder = tmp / "books";
    fs::create_directories(folder);
    WriteText(folder / "a.mbk", BookText({{"s.mus", "Kept\r"}}));
    TBook book;
    ASSERT_EQ(ReadBookFile((folder / "a.mbk").string(), book), 0);
    ASSERT_EQ(book.Musics.size(), 1u);
    EXPECT_EQ(book.Musics[0].Title, "Kept\r");
    ASSERT_TRUE(WriteBookFile((folder / "b.mbk").string(), book));
    TBook back;
    ASSERT_EQ(ReadBookFile((folder / "b.mbk").string(), back), 0);
    ASSERT_EQ(back.Musics.size(), 1u);
    EXPECT_EQ(back.Musics[0].Title, "Kept\r");
    EXPECT_EQ(back.Musics[0].FileName, (folder / "s.mus").string());
}

TEST(BookRoundTrip, EveryInputOfTheFuzzCorpusRoundTrips) {
    const fs::path corpus = tqtest::SourceFolder() / "tests" / "fuzz" / "corpus_book";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus beside the sources";
    int books = 0;
    for (const auto& e : fs::directory_iterator(corpus)) {
        SCOPED_TRACE(e.path().filename().string());
        TBook book;
        if (!tqfuzzbook::BookOfInput(ReadText(e.path()), book))
            continue;
        ++books;
        EXPECT_EQ(tqfuzzbook::RoundTripFault(book), "");
    }
    EXPECT_GT(books, 0);
}
