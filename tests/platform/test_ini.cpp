// Windows-style ini files: lookup rules, number forms, and rewrites that keep
// everything else in the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "tests/support/TQTestSupport.h"

namespace {

std::string ReadText(const std::filesystem::path& p) {
    std::string s;
    EXPECT_TRUE(ReadWholeFile(p.string(), s));
    return s;
}

void WriteText(const std::filesystem::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}

class IniTest : public ::testing::Test {
protected:
    tqtest::TempDir dir;
    std::string path = (dir / "TQ.ini").string();
};

TEST_F(IniTest, MissingFileGivesDefaults) {
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Pref", "fontNameNote", "Arial"), "Arial");
    EXPECT_EQ(ini.ReadInteger("Pref", "CellSize", 15), 15);
    EXPECT_EQ(ini.ReadFloat("Pref", "Zoom", 1.0), 1.0);
    EXPECT_TRUE(ini.ReadBool("Pref", "UseChinese", true));
    EXPECT_FALSE(ini.SectionExists("Pref"));
    EXPECT_FALSE(ini.ValueExists("Pref", "Zoom"));
    EXPECT_TRUE(ini.ReadSection("Pref").empty());
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading must not create the file";
}

TEST_F(IniTest, LooksUpLikeWindows) {
    for (const char* eol : {"\n", "\r\n"}) {
        SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF");
        std::string text = std::string("\xEF\xBB\xBF") + "top=ignored\n[Pref]\n"
                           "  PaperWidth =  8.5  \n"
                           "; comment=not a key\n"
                           "no equals sign here\n"
                           "Name=a = b ; not a comment\n"
                           "Quoted=\"  spaced  \"\n"
                           "Half=\"open\n"
                           "Empty=\n"
                           "name=second, never seen\n"
                           "[ Print ]\n"
                           "PaperWidth=99\n";
        std::string withEol;
        for (char c : text)
            withEol += (c == '\n') ? std::string(eol) : std::string(1, c);
        WriteText(path, withEol);
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("pref", "PAPERWIDTH", "-"), "8.5");
        EXPECT_EQ(ini.ReadString("PREF", "name", "-"), "a = b ; not a comment");
        EXPECT_EQ(ini.ReadString("Pref", "Quoted", "-"), "  spaced  ");
        EXPECT_EQ(ini.ReadString("Pref", "Half", "-"), "\"open");
        EXPECT_EQ(ini.ReadString("Pref", "Empty", "-"), "");
        EXPECT_EQ(ini.ReadString("Pref", "; comment", "-"), "-");
        EXPECT_EQ(ini.ReadString("Pref", "top", "-"), "-");
        EXPECT_EQ(ini.ReadString("print", "PaperWidth", "-"), "99");
        EXPECT_EQ(ini.ReadString("Missing", "PaperWidth", "-"), "-");
        EXPECT_TRUE(ini.ValueExists("pref", "empty"));
        EXPECT_TRUE(ini.SectionExists("PRINT"));
        EXPECT_EQ(ini.ReadSection("Pref"),
                  (std::vector<std::string>{"PaperWidth", "Name", "Quoted", "Half", "Empty"}));
        EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Pref", "Print"}));
    }
}

TEST_F(IniTest, NumberForms) {
    struct TCase {
        const char* text;
        int asInt;     // default 77
        double asFloat; // default -1.5
        bool asBool;   // default true
    } cases[] = {
        {"42", 42, 42.0, true},
        {" -7 ", -7, -7.0, true},
        {"0", 0, 0.0, false},
        {"0x1F", 31, -1.5, true},
        {"$10", 16, -1.5, true},
        {"0xFFFFFFFF", -1, -1.5, true},
        {"2147483647", 2147483647, 2147483647.0, true},
        {"-2147483648", -2147483647 - 1, -2147483648.0, true},
        {"2147483648", 77, 2147483648.0, true},
        {"12abc", 77, -1.5, true},
        {"1.5", 77, 1.5, true},
        {"+2", 2, 2.0, true},
        {"1e3", 77, 1000.0, true},
        {"8,5", 77, -1.5, true},
        {"nan", 77, -1.5, true},
        {"inf", 77, -1.5, true},
        {"1e999", 77, -1.5, true},
        {"abc", 77, -1.5, true},
        {"", 77, -1.5, true},
        {"+-1", 77, -1.5, true},
    };
    TIniFile ini(path);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("value '") + c.text + "'");
        ASSERT_TRUE(ini.WriteString("S", "k", c.text));
        EXPECT_EQ(ini.ReadInteger("S", "k", 77), c.asInt);
        EXPECT_EQ(ini.ReadFloat("S", "k", -1.5), c.asFloat);
        EXPECT_EQ(ini.ReadBool("S", "k", true), c.asBool);
    }
}

TEST_F(IniTest, TypedWritesReadBack) {
    TIniFile ini(path);
    const double mm = 210.0f / 25.4f; // a single-precision value with all its digits
    ASSERT_TRUE(ini.WriteFloat("Pref", "PaperWidth", mm));
    ASSERT_TRUE(ini.WriteFloat("Pref", "Zoom", 8.5));
    ASSERT_TRUE(ini.WriteInteger("Pref", "CellSize", -12));
    ASSERT_TRUE(ini.WriteBool("Pref", "UseChinese", false));
    ASSERT_TRUE(ini.WriteBool("Pref", "FixedKey", true));
    EXPECT_EQ(ini.ReadFloat("Pref", "PaperWidth", 0), mm);
    EXPECT_EQ(ini.ReadString("Pref", "Zoom", ""), "8.5");
    EXPECT_EQ(ini.ReadInteger("Pref", "CellSize", 0), -12);
    EXPECT_EQ(ini.ReadString("Pref", "UseChinese", ""), "0");
    EXPECT_EQ(ini.ReadString("Pref", "FixedKey", ""), "1");
}

TEST_F(IniTest, WritesKeepTheRestOfTheFile) {
    const std::string before = "; settings\r\n"
                               "[Pref]\r\n"
                               "Zoom=1\r\n"
                               "CELLSIZE = 15\r\n"
                               "\r\n"
                               "; palette files\r\n"
                               "[Layout]\r\n"
                               "Special=a.sly\r\n";
    WriteText(path, before);
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteInteger("pref", "CellSize", 20)); // replaced in place, key kept as spelt
    ASSERT_TRUE(ini.WriteString("Pref", "defFileDir", "/music/")); // after the last key
    ASSERT_TRUE(ini.WriteString("Bow", "BowStyleSym", "1"));        // new section at the end
    EXPECT_EQ(ReadText(path), "; settings\r\n"
                              "[Pref]\r\n"
                              "Zoom=1\r\n"
                              "CELLSIZE=20\r\n"
                              "defFileDir=/music/\r\n"
                              "\r\n"
                              "; palette files\r\n"
                              "[Layout]\r\n"
                              "Special=a.sly\r\n"
                              "[Bow]\r\n"
                              "BowStyleSym=1\r\n");

    ASSERT_TRUE(ini.DeleteKey("PREF", "zoom"));
    ASSERT_TRUE(ini.DeleteKey("Pref", "NotThere"));
    ASSERT_TRUE(ini.EraseSection("layout"));
    ASSERT_TRUE(ini.EraseSection("NotThere"));
    EXPECT_EQ(ReadText(path), "; settings\r\n"
                              "[Pref]\r\n"
                              "CELLSIZE=20\r\n"
                              "defFileDir=/music/\r\n"
                              "\r\n"
                              "; palette files\r\n" // a line of the section before
                              "[Bow]\r\n"
                              "BowStyleSym=1\r\n");
    EXPECT_FALSE(ini.SectionExists("Layout"));
}

TEST_F(IniTest, NewFileAndEmptySection) {
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString("Histrol File", "File0", "/a b/c.mus"));
    ASSERT_TRUE(ini.WriteString("Histrol File", "File1", "/d.mus"));
    EXPECT_EQ(ReadText(path), "[Histrol File]\nFile0=/a b/c.mus\nFile1=/d.mus\n");
    WriteText(path, "[Empty]\n[Next]\nx=1\n");
    ASSERT_TRUE(ini.WriteString("Empty", "k", "v"));
    EXPECT_EQ(ReadText(path), "[Empty]\nk=v\n[Next]\nx=1\n");
}

TEST_F(IniTest, SeveralKeysInOneRewrite) {
    WriteText(path, "[Pref]\nZoom=1\n[Other]\nx=1\n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.WriteValues("Pref", {{"B", "2"}, {"zoom", "1.5"}, {"A", "1"}}));
    EXPECT_EQ(ReadText(path), "[Pref]\nZoom=1.5\nB=2\nA=1\n[Other]\nx=1\n");
    // a pair that cannot be stored is skipped and reported; the others are written
    EXPECT_FALSE(ini.WriteValues("Pref", {{"C", "3"}, {"D", "two\nlines"}, {"E", "5"}}));
    EXPECT_EQ(ReadText(path), "[Pref]\nZoom=1.5\nB=2\nA=1\nC=3\nE=5\n[Other]\nx=1\n");
}

TEST_F(IniTest, EveryAccessSeesTheFileAsItIsNow) {
    TIniFile ini(path);
    TIniFile other(path);
    ASSERT_TRUE(ini.WriteInteger("Pref", "PrePN", 3));
    EXPECT_EQ(other.ReadInteger("Pref", "PrePN", 0), 3);
    WriteText(path, "[Pref]\nPrePN=9\n");
    EXPECT_EQ(ini.ReadInteger("Pref", "PrePN", 0), 9);
    std::filesystem::remove(path);
    EXPECT_EQ(ini.ReadInteger("Pref", "PrePN", 0), 0);
}

TEST_F(IniTest, RefusedWritesChangeNothing) {
    WriteText(path, "[Pref]\nk=old\n");
    TIniFile ini(path);
    struct {
        const char* section;
        const char* key;
        const char* value;
    } refused[] = {
        {"Pref", "k", "two\nlines"}, {"Pref", "k", "cr\r"},    {"Pref", "a=b", "v"},
        {"Pref", "", "v"},           {"Pr]ef", "k", "v"},     {"", "k", "v"},
        {"Pref", ";k", "v"},         {"Pref", "  ", "v"},     {"Pref", "[k", "v"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(std::string(r.section) + "/" + r.key);
        EXPECT_FALSE(ini.WriteString(r.section, r.key, r.value));
    }
    EXPECT_EQ(ReadText(path), "[Pref]\nk=old\n");
}

TEST_F(IniTest, FailedWritesKeepTheOldFile) {
    // a folder where the file should be: reads give defaults, writes fail
    std::filesystem::create_directory(path);
    TIniFile blocked(path);
    EXPECT_EQ(blocked.ReadInteger("Pref", "k", 5), 5);
    EXPECT_FALSE(blocked.WriteInteger("Pref", "k", 1));
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // a file that exists but cannot be read as settings is not replaced
    const std::string huge = (dir / "huge.ini").string();
    WriteText(huge, "[Pref]\nk=1\n");
    std::filesystem::resize_file(huge, std::uintmax_t(17) << 20);
    TIniFile big(huge);
    EXPECT_EQ(big.ReadInteger("Pref", "k", 5), 5);
    EXPECT_FALSE(big.WriteInteger("Pref", "k", 2));
    EXPECT_EQ(std::filesystem::file_size(huge), std::uintmax_t(17) << 20);

    // a missing folder
    TIniFile nowhere((dir / "no" / "such" / "TQ.ini").string());
    EXPECT_FALSE(nowhere.WriteInteger("Pref", "k", 1));

    // no temporary file is left behind by any of these
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

} // namespace

TEST_F(IniTest, LinesEndingInSeveralCarriageReturnsKeepTheirValues) {
    // The first line ends in LF alone, so rewrites use LF; the others end in
    // CR CR LF as some editors leave them.
    WriteText(path, "[Pref]\nA=1\r\r\nB=2\r\r\n[Other\r\r\nC=3\r\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Pref", "B", "?"), "2");
    const std::vector<std::string> sections = ini.ReadSections();
    ASSERT_TRUE(ini.WriteInteger("Pref", "A", 5));
    EXPECT_EQ(ini.ReadString("Pref", "A", "?"), "5");
    EXPECT_EQ(ini.ReadString("Pref", "B", "?"), "2") << "writing A changed B";
    EXPECT_EQ(ini.ReadString("Other", "C", "?"), "3");
    EXPECT_EQ(ini.ReadSections(), sections);
    EXPECT_EQ(ReadText(path), "[Pref]\nA=5\nB=2\n[Other\nC=3\n");
}
