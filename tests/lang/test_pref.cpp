// The preferences file TQ.ini: defaults on a first start, round trips of every
// key, the historic key spellings, and damaged values falling back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "lang/modTQPref.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQTestSupport.h"

namespace {

// Each test gets its own user folder, so TQ.ini starts missing.
class PrefTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TONQUILL_HOME");
        oldHome_ = old ? old : "";
        setenv("TONQUILL_HOME", home_.str().c_str(), 1);
        settings.SetDefaultFolders(home_.str());
    }
    void TearDown() override { setenv("TONQUILL_HOME", oldHome_.c_str(), 1); }

    std::string IniPath() const { return (home_ / "TQ.ini").string(); }
    void WriteIni(const std::string& text) { std::ofstream(IniPath(), std::ios::binary) << text; }
    std::string IniText() const {
        std::string s;
        ReadWholeFile(IniPath(), s);
        return s;
    }
    // The keys of the file, in order.
    std::vector<std::string> Keys(const std::string& section = "Pref") const {
        return TIniFile(IniPath()).ReadSection(section);
    }

    tqtest::TempDir home_;
    std::string oldHome_;
    TMainScore score;
    TMainSettings settings;
    TViewPrefs view;
    bool useChinese = false;
    TPrefParts parts{score, settings, view, useChinese, 1, 2};
};

TEST_F(PrefTest, FirstStartGivesEveryDefault) {
    // values a previous score or dialog might have left in the members
    score.PaperWidth = 3.0f;
    score.PaperType = 0;
    score.CellWidth = 20;
    score.Zoom = 2.5;
    score.NoteFontStyle = 0;
    settings.HistoryFileNo = 9; // "the current value" keys keep the members
    settings.LoadPreFile = false;
    parts.WindowFontCharset = 134;

    LoadPreferences(parts);

    EXPECT_EQ(score.PaperWidth, 8.5f);
    EXPECT_EQ(score.PaperHeight, 11.0f);
    EXPECT_EQ(score.PaperType, 0) << "the paper named is the 8.5 x 11 in sheet: Letter";
    EXPECT_EQ(score.PaperOri, 0);
    EXPECT_EQ(score.CellWidth, 15);
    EXPECT_EQ(score.CellHeight, 30);
    EXPECT_EQ(score.LeftMargin, 60);
    EXPECT_EQ(score.RightMargin, 30);
    EXPECT_EQ(score.TopMargin, 50);
    EXPECT_EQ(score.BottomMargin, 40);
    EXPECT_EQ(score.Zoom, 1.0);
    EXPECT_FLOAT_EQ(score.PrintZoom, 0.9f);
    EXPECT_TRUE(useChinese);
    EXPECT_EQ(view.GridColor, 0xCDCDCD) << "grid grey 205";

    EXPECT_EQ(score.NoteFontName, "Arial");
    EXPECT_EQ(score.NoteFontStyle, 1);
    EXPECT_EQ(score.NoteFontCharset, 134) << "the window's own charset";
    EXPECT_EQ(score.ChineseFontName, "SimSun");
    EXPECT_EQ(score.ChineseFontStyle, 0);
    EXPECT_EQ(score.ChineseFontCharset, 134) << "the Chinese font's text is GB2312";
    EXPECT_EQ(score.EnglishFontName, "Times New Roman");
    EXPECT_EQ(score.EnglishFontCharset, 134);
    EXPECT_EQ(score.EnglishFontStyle, 0);

    EXPECT_EQ(settings.WindowWidth, 0);
    EXPECT_EQ(settings.WindowHeight, 0);
    EXPECT_EQ(settings.PrePN, 0);
    EXPECT_EQ(settings.PrinterIndex, 0);
    EXPECT_EQ(settings.Unit, 0);
    EXPECT_TRUE(settings.PrintByBmp);
    EXPECT_FALSE(settings.AllowChineseFileName);
    EXPECT_EQ(settings.HistoryFileNo, 9);
    EXPECT_FALSE(settings.LoadPreFile);
    EXPECT_EQ(settings.MusicFolder, home_.str() + "/Music/");
    EXPECT_EQ(settings.ImageFolder, home_.str() + "/Image/");
    for (bool visible : {settings.WestDlgVisible, settings.DynDlgVisible, settings.SpecialDlgVisible,
                         settings.PlyDlgVisible, settings.GongChiDlgVisible, settings.TextSymDlgVisible})
        EXPECT_FALSE(visible) << "no tool window shown";
    EXPECT_EQ(std::vector<int>({settings.WestDlgLeft, settings.WestDlgTop, settings.DynDlgLeft,
                                settings.DynDlgTop, settings.SpecialDlgLeft, settings.SpecialDlgTop,
                                settings.PlyDlgLeft, settings.PlyDlgTop, settings.GongChiDlgLeft,
                                settings.GongChiDlgTop, settings.TextSymDlgLeft,
                                settings.TextSymDlgTop}),
              std::vector<int>({400, 100, 400, 200, 400, 300, 400, 50, 400, 400, 400, 500}));
    EXPECT_FALSE(settings.ShowHintinJianpuChecked) << "the second read's default stands";
    EXPECT_TRUE(settings.PopupHintChecked);
    EXPECT_TRUE(settings.ApplyToBothLayerChecked);
    EXPECT_FALSE(settings.KeyboardVisible);
    EXPECT_FALSE(settings.NoAskMusicFont);
    EXPECT_FALSE(settings.MiddleLineinRedChecked);
    EXPECT_EQ(settings.ImgFileName, "");
    EXPECT_EQ(settings.CopyImageQuality, 10);
    EXPECT_FALSE(settings.AutoImageSize);
    EXPECT_EQ(settings.KeyDownColor, 16711680);
    EXPECT_EQ(settings.DefJianpuShrinkRate, 15);
    EXPECT_EQ(settings.DefJianpuVertRate, 15);
    EXPECT_EQ(settings.DefWestShrinkRate, 0);

    EXPECT_EQ(view.SharpColor, 255);
    EXPECT_EQ(view.FlatColor, 50176);
    EXPECT_EQ(view.BkColor, 16777215);
    EXPECT_EQ(view.MainLayerColor, 0);
    EXPECT_EQ(view.BackLayerColor, 4194432);
    EXPECT_EQ(view.HidenLayerColor, 10790052);
    EXPECT_EQ(view.FooterFontSize, 8);
    EXPECT_FALSE(view.ShowChangedRed);
    EXPECT_FALSE(view.ColorBlackkeyNote);
    EXPECT_FALSE(view.ColorCopyImage);
    EXPECT_FALSE(view.FixedKeyChecked);

    EXPECT_FALSE(FileExists(IniPath())) << "loading never writes";
}

// Values unlike every default, for the round trip.
TPrefDialogValues SampleDialog() {
    TPrefDialogValues v;
    v.PaperType = 3;
    v.PaperWidth = 9.25;
    v.PaperHeight = 12.5;
    v.PaperOri = 1;
    v.Unit = 0;
    v.CellSize = 18;
    v.LeftMargin = 11;
    v.RightMargin = 12;
    v.TopMargin = 13;
    v.BottomMargin = 14;
    v.PrintAdj = 120;
    v.DefFileDir = "/data/scores";
    v.DefImgDir = "/data/pictures/";
    v.HistoryFileNo = 12;
    v.LoadPreFile = false;
    v.UseChinese = false;
    v.FooterFontSize = 11;
    v.AllowChineseFileName = true;
    v.PrintByBmp = false;
    v.AutoImageSize = true;
    v.ColorCopyImage = true;
    v.CopyImageQuality = 17;
    v.GridTrackPosition = 120;
    v.BkColor = 0x00EEDD;
    v.BackLayerColor = 0x112233;
    v.HidenLayerColor = 0x445566;
    v.KeyDownColor = 0x778899;
    v.MainLayerColor = 0x0A0B0C;
    v.SharpColor = 0x0000AA;
    v.FlatColor = 0x00AA00;
    return v;
}

TEST_F(PrefTest, SaveAndExitWritersRoundTripEveryKey) {
    score.NoteFontName = "Book Antiqua";
    score.NoteFontCharset = 0;
    score.NoteFontStyle = 3;
    score.ChineseFontName = "\xBA\xDA\xCC\xE5"; // 黑体 in GBK, as the score keeps it
    score.ChineseFontCharset = 134;
    score.ChineseFontStyle = 1;
    score.EnglishFontName = "Arial";
    score.EnglishFontCharset = 0;
    score.EnglishFontStyle = 2;
    ASSERT_TRUE(SavePreferences(SampleDialog(), parts));
    EXPECT_EQ(settings.MusicFolder, "/data/scores/") << "the dialog's folders become the window's";
    EXPECT_EQ(settings.ImageFolder, "/data/pictures/");

    score.Zoom = 1.75;
    score.CurPage = 4;
    settings.WestDlgVisible = true;
    settings.DynDlgVisible = false;
    settings.SpecialDlgVisible = false;
    settings.PlyDlgVisible = true;
    settings.GongChiDlgVisible = true;
    settings.TextSymDlgVisible = true;
    settings.WestDlgLeft = 1, settings.WestDlgTop = 2, settings.SpecialDlgLeft = 3;
    settings.SpecialDlgTop = 4, settings.DynDlgLeft = 5, settings.DynDlgTop = 6;
    settings.GongChiDlgLeft = 7, settings.GongChiDlgTop = 8, settings.TextSymDlgLeft = 9;
    settings.TextSymDlgTop = 10, settings.PlyDlgLeft = -11, settings.PlyDlgTop = 12;
    settings.PopupHintChecked = false;
    settings.NoAskMusicFont = true;
    settings.ApplyToBothLayerChecked = false;
    settings.KeyboardHeight = 93;
    settings.KeyboardVisible = true;
    settings.ImgFileName = "/data/pictures/side one.jpg";
    settings.ShowHintinJianpuChecked = true;
    settings.PrinterIndex = 1;
    settings.DefJianpuShrinkRate = 20;
    settings.DefJianpuVertRate = 25;
    settings.DefWestShrinkRate = -10;
    settings.MiddleLineinRedChecked = true;
    settings.WindowStateNormal = true;
    settings.WindowWidth = 1024, settings.WindowHeight = 700;
    settings.WindowLeft = 30, settings.WindowTop = 40;
    view.ShowChangedRed = true;
    view.ColorBlackkeyNote = true;
    view.FixedKeyChecked = true;
    useChinese = false;
    ASSERT_TRUE(WritePreferencesAtExit(parts));

    // a fresh window loads it all back
    TMainScore s2;
    TMainSettings m2;
    TViewPrefs v2;
    bool chinese2 = true;
    TPrefParts p2{s2, m2, v2, chinese2, 1, 2};
    LoadPreferences(p2);

    EXPECT_EQ(s2.PaperType, 3);
    EXPECT_EQ(s2.PaperWidth, 9.25f);
    EXPECT_EQ(s2.PaperHeight, 12.5f);
    EXPECT_EQ(s2.PaperOri, 1);
    EXPECT_EQ(s2.CellWidth, 18);
    EXPECT_EQ(s2.CellHeight, 30) << "never written";
    EXPECT_EQ(std::vector<int>({s2.LeftMargin, s2.RightMargin, s2.TopMargin, s2.BottomMargin}),
              std::vector<int>({11, 12, 13, 14}));
    EXPECT_FLOAT_EQ(s2.PrintZoom, 1.2f);
    EXPECT_EQ(s2.Zoom, 1.75);
    EXPECT_EQ(s2.NoteFontName, "Book Antiqua");
    EXPECT_EQ(s2.NoteFontCharset, 0);
    EXPECT_EQ(s2.NoteFontStyle, 3);
    EXPECT_EQ(s2.ChineseFontName, "\xBA\xDA\xCC\xE5");
    EXPECT_EQ(s2.ChineseFontStyle, 1);
    EXPECT_EQ(s2.EnglishFontName, "Arial");
    EXPECT_EQ(s2.EnglishFontCharset, 0);
    EXPECT_EQ(s2.EnglishFontStyle, 2);

    EXPECT_EQ(m2.MusicFolder, "/data/scores/");
    EXPECT_EQ(m2.ImageFolder, "/data/pictures/");
    EXPECT_EQ(m2.HistoryFileNo, 12);
    EXPECT_FALSE(m2.LoadPreFile);
    EXPECT_FALSE(chinese2);
    EXPECT_EQ(m2.Unit, 0);
    EXPECT_TRUE(m2.AllowChineseFileName);
    EXPECT_FALSE(m2.PrintByBmp);
    EXPECT_TRUE(m2.AutoImageSize);
    EXPECT_EQ(m2.CopyImageQuality, 17);
    EXPECT_EQ(m2.KeyDownColor, 0x778899);

    EXPECT_TRUE(m2.WestDlgVisible);
    EXPECT_FALSE(m2.DynDlgVisible);
    EXPECT_FALSE(m2.SpecialDlgVisible);
    EXPECT_TRUE(m2.PlyDlgVisible);
    EXPECT_TRUE(m2.GongChiDlgVisible);
    EXPECT_TRUE(m2.TextSymDlgVisible);
    EXPECT_EQ(std::vector<int>({m2.WestDlgLeft, m2.WestDlgTop, m2.SpecialDlgLeft, m2.SpecialDlgTop,
                                m2.DynDlgLeft, m2.DynDlgTop, m2.GongChiDlgLeft, m2.GongChiDlgTop,
                                m2.TextSymDlgLeft, m2.TextSymDlgTop, m2.PlyDlgLeft, m2.PlyDlgTop}),
              std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -11, 12}));
    EXPECT_FALSE(m2.PopupHintChecked);
    EXPECT_TRUE(m2.NoAskMusicFont);
    EXPECT_FALSE(m2.ApplyToBothLayerChecked);
    EXPECT_TRUE(m2.KeyboardVisible);
    EXPECT_EQ(m2.ImgFileName, "/data/pictures/side one.jpg");
    EXPECT_TRUE(m2.ShowHintinJianpuChecked);
    EXPECT_EQ(m2.PrinterIndex, 1);
    EXPECT_EQ(m2.DefJianpuShrinkRate, 20);
    EXPECT_EQ(m2.DefJianpuVertRate, 25);
    EXPECT_EQ(m2.DefWestShrinkRate, -10);
    EXPECT_TRUE(m2.MiddleLineinRedChecked);
    EXPECT_EQ(std::vector<int>({m2.WindowWidth, m2.WindowHeight, m2.WindowLeft, m2.WindowTop}),
              std::vector<int>({1024, 700, 30, 40}));
    EXPECT_EQ(m2.PrePN, 4);

    EXPECT_TRUE(v2.ShowChangedRed);
    EXPECT_TRUE(v2.ColorBlackkeyNote);
    EXPECT_TRUE(v2.FixedKeyChecked);
    EXPECT_TRUE(v2.ColorCopyImage);
    EXPECT_EQ(v2.FooterFontSize, 11);
    EXPECT_EQ(v2.GridColor, GridColorFromDarkness(120));
    EXPECT_EQ(v2.GridColor, 0x878787);
    EXPECT_EQ(v2.BkColor, 0x00EEDD);
    EXPECT_EQ(v2.BackLayerColor, 0x112233);
    EXPECT_EQ(v2.HidenLayerColor, 0x445566);
    EXPECT_EQ(v2.MainLayerColor, 0x0A0B0C);
    EXPECT_EQ(v2.SharpColor, 0x0000AA);
    EXPECT_EQ(v2.FlatColor, 0x00AA00);
}

TEST_F(PrefTest, KeysAreWrittenInOrderWithTheirHistoricSpellings) {
    ASSERT_TRUE(SavePreferences(SampleDialog(), parts));
    ASSERT_TRUE(WritePreferencesAtExit(parts));
    const std::vector<std::string> expected = {
        // the dialog's writer
        "PaperType", "PaperWidth", "PaperHeight", "PaperOri", "Unit", "CellSize", "LeftMargin",
        "RightMargin", "TopMargin", "BottomMargin", "PrintAdj", "defFileDir", "defImgDir",
        "historyFileNo", "fontNameChinese", "fontCharsetChinese", "fontStyleChinese", "fontNameNote",
        "fontCharsetNote", "fontStyleNote", "fontNameEnglish", "fontCharsetEnglish",
        "fontStyleEnglish", "loadPreFile", "UseChinese", "footerFontSize", "allowChineseFileName",
        "PrintByBmp", "autoImageSize", "colorCopyImage", "copyImageQuality", "GridColor", "BkColor",
        "BackLayerColor", "HidenLayerColor", "KeyDownColor", "MainLayerColor", "SharpColor",
        "FlatColor",
        // then the keys only the exit writer adds (UseChinese is rewritten in place)
        "Zoom", "WestDlgVisible", "WestDlgLeft", "WestDlgTop", "SpecialDlgVisible", "SpecialDlgLeft",
        "SpecialDlgTop", "DynDlgVisible", "DynDlgLeft", "DynDlgTop", "GongChiDlgVisible",
        "GongChiDlgLeft", "GongChiDlgTop", "TextSymDlgVisible", "TextSymDlglLeft", "TextSymDlgTop",
        "PlyDlgVisible", "PlyDlgLeft", "PlyDlgTop", "showHintEnabled", "noAskMusicFont",
        "ApplyToBothLayer", "ShowChangedRed", "colorBlackkeyNote", "KeyboardHeight",
        "KeyboardVisible", "imgFileName", "FixedKey", "ShowHintinJianpu", "PrinterIndex", "PrinterName",
        "defJianpuShrinkRate", "defJianpuVertRate", "defWestShinkRate", "mitMiddleLineinRed",
        "WindowWidth", "WindowHeight", "WindowLeft", "WindowTop", "PrePN"};
    EXPECT_EQ(Keys(), expected);
    const std::string text = IniText();
    EXPECT_EQ(text.rfind("[Pref]\n", 0), 0u);
    for (const char* spelt : {"\nTextSymDlglLeft=", "\nHidenLayerColor=", "\ndefWestShinkRate="})
        EXPECT_NE(text.find(spelt), std::string::npos) << spelt;
    for (const char* corrected : {"TextSymDlgLeft", "HiddenLayerColor", "defWestShrinkRate"})
        EXPECT_EQ(text.find(corrected), std::string::npos) << corrected;
    EXPECT_NE(text.find("\nUseChinese=0\n"), std::string::npos) << "an integer, from the dialog";
    EXPECT_EQ(text.find("CellHeight"), std::string::npos) << "never written";
}

TEST_F(PrefTest, MillimetresAreStoredAsInches) {
    TPrefDialogValues v = SampleDialog();
    v.Unit = 1;
    v.PaperWidth = 210;
    v.PaperHeight = 297;
    ASSERT_TRUE(SavePreferences(v, parts));
    TIniFile ini(IniPath());
    const double width = 210.0f / 25.4f; // single precision, with all its digits
    EXPECT_EQ(ini.ReadString("Pref", "PaperWidth", ""), TIniFile::FormatFloat(width));
    EXPECT_EQ(ini.ReadString("Pref", "PaperWidth", "").substr(0, 8), "8.267716");
    EXPECT_EQ(ini.ReadInteger("Pref", "Unit", 0), 1);
    LoadPreferences(parts);
    EXPECT_EQ(score.PaperWidth, 210.0f / 25.4f);
    EXPECT_EQ(score.PaperHeight, 297.0f / 25.4f);
    EXPECT_EQ(settings.Unit, 1);
}

TEST_F(PrefTest, MaximisedWindowWritesZeroBoundsAndStartsMaximised) {
    settings.WindowStateNormal = false;
    settings.WindowWidth = 800, settings.WindowHeight = 600;
    settings.WindowLeft = 10, settings.WindowTop = 20;
    ASSERT_TRUE(WritePreferencesAtExit(parts));
    TIniFile ini(IniPath());
    for (const char* key : {"WindowWidth", "WindowHeight", "WindowLeft", "WindowTop"})
        EXPECT_EQ(ini.ReadString("Pref", key, "-"), "0") << key;
    LoadPreferences(parts);
    EXPECT_EQ(settings.WindowWidth, 0);
    EXPECT_EQ(settings.WindowHeight, 0);
}

TEST_F(PrefTest, KeyCaseAndLineEndsDoNotMatter) {
    const std::string lf = "[PREF]\n"
                           "paperwidth=9.5\n"
                           "CELLSIZE=20\n"
                           "textsymdlglleft=77\n"
                           "HIDENLAYERCOLOR=4660\n"
                           "DEFWESTSHINKRATE=5\n"
                           "usechinese=0\n"
                           "CellHeight=36\n"
                           "showhintinjianpu=1\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text : {lf, crlf}) {
        SCOPED_TRACE(text.size() == lf.size() ? "LF" : "CR LF");
        WriteIni(text);
        TMainScore s;
        TMainSettings m;
        TViewPrefs v;
        bool chinese = true;
        TPrefParts p{s, m, v, chinese, 1, 0};
        LoadPreferences(p);
        EXPECT_EQ(s.PaperWidth, 9.5f);
        EXPECT_EQ(s.CellWidth, 20);
        EXPECT_EQ(s.CellHeight, 36) << "a hand-edited cell height is read";
        EXPECT_EQ(m.TextSymDlgLeft, 77);
        EXPECT_EQ(v.HidenLayerColor, 4660);
        EXPECT_EQ(m.DefWestShrinkRate, 5);
        EXPECT_FALSE(chinese);
        EXPECT_TRUE(m.ShowHintinJianpuChecked);
    }
}

TEST_F(PrefTest, DamagedValuesFallBackToDefaults) {
    struct TCase {
        const char* key;
        const char* text;
    } cases[] = {
        {"PaperWidth", "nan"},      {"PaperWidth", "abc"},     {"PaperWidth", "0"},
        {"PaperWidth", "1e30"},     {"PaperHeight", "-11"},    {"PaperHeight", "inf"},
        {"PaperType", "7"},         {"PaperOri", "-1"},        {"Unit", "2"},
        {"CellSize", "1000"},       {"CellSize", "0"},         {"CellSize", "15px"},
        {"CellHeight", "-30"},      {"LeftMargin", "500"},     {"RightMargin", "-1"},
        {"TopMargin", "99999"},     {"BottomMargin", "x"},     {"Zoom", "0"},
        {"Zoom", "1e300"},          {"Zoom", "NaN"},           {"PrintAdj", "5"},
        {"historyFileNo", "1000000"}, {"historyFileNo", "-3"}, {"footerFontSize", "0"},
        {"copyImageQuality", "999"}, {"GridColor", "300"},     {"BkColor", "-1"},
        {"MainLayerColor", "16777216"}, {"SharpColor", "red"}, {"WindowWidth", "99999999"},
        {"WindowHeight", "-5"},     {"WestDlgLeft", "2147483647"}, {"fontNameNote", ""},
        {"fontStyleNote", "99"},    {"fontCharsetEnglish", "300"}, {"defJianpuShrinkRate", "5000"},
        {"defFileDir", ""},         {"defImgDir", "  "},
    };
    // the defaults, as a first start loads them
    LoadPreferences(parts);
    const TMainScore& d = score;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.text);
        WriteIni(std::string("[Pref]\n") + c.key + "=" + c.text + "\n");
        TMainScore s;
        TMainSettings m;
        m.SetDefaultFolders(home_.str());
        TViewPrefs v;
        bool chinese = true;
        TPrefParts p{s, m, v, chinese, 1, 2};
        LoadPreferences(p);
        EXPECT_EQ(s.PaperWidth, d.PaperWidth);
        EXPECT_EQ(s.PaperHeight, d.PaperHeight);
        EXPECT_EQ(s.PaperType, d.PaperType);
        EXPECT_EQ(s.PaperOri, d.PaperOri);
        EXPECT_EQ(m.Unit, settings.Unit);
        EXPECT_EQ(s.CellWidth, d.CellWidth);
        EXPECT_EQ(s.CellHeight, d.CellHeight);
        EXPECT_EQ(s.LeftMargin, d.LeftMargin);
        EXPECT_EQ(s.RightMargin, d.RightMargin);
        EXPECT_EQ(s.TopMargin, d.TopMargin);
        EXPECT_EQ(s.BottomMargin, d.BottomMargin);
        EXPECT_EQ(s.Zoom, d.Zoom);
        EXPECT_EQ(s.PrintZoom, d.PrintZoom);
        EXPECT_EQ(s.NoteFontName, d.NoteFontName);
        EXPECT_EQ(s.NoteFontStyle, d.NoteFontStyle);
        EXPECT_EQ(s.EnglishFontCharset, d.EnglishFontCharset);
        EXPECT_EQ(m.HistoryFileNo, settings.HistoryFileNo);
        EXPECT_EQ(m.MusicFolder, settings.MusicFolder);
        EXPECT_EQ(m.ImageFolder, settings.ImageFolder);
        EXPECT_EQ(m.CopyImageQuality, settings.CopyImageQuality);
        EXPECT_EQ(m.WindowWidth, 0);
        EXPECT_EQ(m.WindowHeight, 0);
        EXPECT_EQ(m.WestDlgLeft, settings.WestDlgLeft);
        EXPECT_EQ(m.DefJianpuShrinkRate, settings.DefJianpuShrinkRate);
        EXPECT_EQ(v.FooterFontSize, view.FooterFontSize);
        EXPECT_EQ(v.GridColor, view.GridColor);
        EXPECT_EQ(v.BkColor, view.BkColor);
        EXPECT_EQ(v.MainLayerColor, view.MainLayerColor);
        EXPECT_EQ(v.SharpColor, view.SharpColor);
    }
}

TEST_F(PrefTest, PageThatHoldsNoCellGetsTheDefaultPage) {
    // each value is in its own range, but together they leave no row
    WriteIni("[Pref]\nPaperWidth=8.5\nPaperHeight=1.5\nTopMargin=150\nBottomMargin=150\n"
             "CellSize=20\nLeftMargin=5\n");
    LoadPagePreferences(parts);
    EXPECT_EQ(score.PaperHeight, 11.0f);
    EXPECT_EQ(score.TopMargin, 50);
    EXPECT_EQ(score.BottomMargin, 40);
    EXPECT_EQ(score.CellWidth, 15);
    EXPECT_EQ(score.LeftMargin, 60);

    WriteIni("[Pref]\nPaperHeight=3\nTopMargin=150\nCellSize=20\n");
    LoadPagePreferences(parts);
    EXPECT_EQ(score.PaperHeight, 3.0f) << "a small page that still holds a row is kept";
    EXPECT_EQ(score.TopMargin, 150);
    EXPECT_EQ(score.CellWidth, 20);
}

TEST_F(PrefTest, StoredPageIsJudgedByThePageGridItself) {
    // Exactly the combinations that give the page at least one column and one
    // row are kept; CalcPageGrid is the judge.
    struct Case {
        const char* ini;
        bool kept;
    };
    const Case cases[] = {
        {"PaperWidth=1\nPaperHeight=1\n", false},               // 0 x 0 cells
        {"PaperWidth=34\nPaperHeight=4\n", true},               // a wide strip holds rows
        {"PaperWidth=50\nPaperHeight=2.5\nTopMargin=0\nBottomMargin=0\n", true},
        {"PaperWidth=1\nPaperHeight=11\nLeftMargin=100\n", false},             // no column
        {"PaperWidth=1.2\nPaperHeight=11\nLeftMargin=0\nRightMargin=0\nCellSize=25\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        WriteIni(std::string("[Pref]\n") + c.ini);
        LoadPagePreferences(parts);
        TMainScore probe;
        probe.PaperWidth = score.PaperWidth;
        probe.PaperHeight = score.PaperHeight;
        probe.CellWidth = score.CellWidth;
        probe.LeftMargin = score.LeftMargin;
        probe.RightMargin = score.RightMargin;
        probe.TopMargin = score.TopMargin;
        probe.BottomMargin = score.BottomMargin;
        EXPECT_TRUE(probe.CalcPageGrid()) << "the page kept gives no grid";
        EXPECT_EQ(score.PaperWidth != 8.5f || score.PaperHeight != 11.0f, c.kept);
    }
}

TEST_F(PrefTest, PageReaderLeavesTheRestAlone) {
    WriteIni("[Pref]\nfontNameNote=Arial Black\nCellSize=12\nZoom=2\nhistoryFileNo=9\n"
             "WestDlgVisible=1\nGridColor=100\n");
    score.Zoom = 1.5;
    LoadPagePreferences(parts);
    EXPECT_EQ(score.NoteFontName, "Arial Black");
    EXPECT_EQ(score.CellWidth, 12);
    EXPECT_EQ(score.Zoom, 1.5);
    EXPECT_EQ(settings.HistoryFileNo, 6);
    EXPECT_FALSE(settings.WestDlgVisible);
    EXPECT_EQ(view.GridColor, 0xCDCDCD);
}

TEST_F(PrefTest, FontNamesAreCutToTheScoreField) {
    const std::string longName(60, 'A');
    std::string chinese;
    for (int i = 0; i < 30; ++i)
        chinese += "\xCB\xCE"; // 宋, 60 bytes in all
    WriteIni("[Pref]\nfontNameNote=" + longName + "\nfontCharsetNote=0\nfontNameChinese=" + chinese +
             "\n");
    score.ChineseFontCharset = 134;
    LoadPagePreferences(parts);
    EXPECT_EQ(score.NoteFontName, std::string(49, 'A'));
    EXPECT_EQ(score.ChineseFontName, chinese.substr(0, 48)) << "not between the bytes of 宋";
}

TEST_F(PrefTest, PrinterIndexOnlyWithinThePrinterList) {
    struct TCase {
        const char* stored; // nullptr: no key
        int printers;
        int expected; // from -1 (the default printer)
    } cases[] = {
        {"1", 2, 1}, {"5", 2, -1}, {"-1", 2, -1}, {"0", 0, -1}, {nullptr, 2, 0}, {"x", 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stored ? c.stored : "(none)") + " of " + std::to_string(c.printers));
        WriteIni(c.stored ? std::string("[Pref]\nPrinterIndex=") + c.stored + "\n" : "");
        settings.PrinterIndex = -1;
        parts.PrinterCount = c.printers;
        LoadPagePreferences(parts);
        EXPECT_EQ(settings.PrinterIndex, c.expected);
    }
}

TEST_F(PrefTest, ShowHintinJianpuTakesItsSecondRead) {
    WriteIni("[Pref]\nShowHintinJianpu=1\n");
    LoadPagePreferences(parts);
    EXPECT_TRUE(settings.ShowHintinJianpuChecked);
    WriteIni("[Pref]\nZoom=1\n");
    LoadPagePreferences(parts);
    EXPECT_TRUE(settings.ShowHintinJianpuChecked) << "the page reader's default is 1";
    LoadPreferences(parts);
    EXPECT_FALSE(settings.ShowHintinJianpuChecked) << "the full reader's second default is 0";
}

TEST_F(PrefTest, WritersKeepTheOtherSections) {
    WriteIni("[Layout]\nSpecial=/layouts/mine.sly\n[Pref]\nSaveImageWidth=2000\n");
    ASSERT_TRUE(WritePreferencesAtExit(parts));
    ASSERT_TRUE(SavePreferences(SampleDialog(), parts));
    EXPECT_EQ(LoadPaletteLayout("special"), "/layouts/mine.sly");
    EXPECT_EQ(LoadImageExportPrefs().SaveImageWidth, 2000);
    EXPECT_EQ(TIniFile(IniPath()).ReadSections(), (std::vector<std::string>{"Layout", "Pref"}));
}

TEST_F(PrefTest, DialogSectionsDefaultsAndRoundTrips) {
    const TPrintPrefs print = LoadPrintPrefs();
    EXPECT_EQ(print.PrintPage, 0);
    EXPECT_FALSE(print.PrintInColor);
    EXPECT_TRUE(print.IncludePageN && print.IncludeTitle && print.IncludeFileName);
    EXPECT_TRUE(LoadBowStyleSym());
    EXPECT_EQ(LoadPaletteLayout("Dynamic"), "");
    const TImageExportPrefs image = LoadImageExportPrefs();
    EXPECT_EQ(image.SaveImageWidth, 3000);
    EXPECT_TRUE(image.Jpeg && image.BlackWhite);
    EXPECT_FALSE(image.Pdf || image.Bmp || image.Color);

    ASSERT_TRUE(SavePrintPrefs({2, true, false, false, false}));
    ASSERT_TRUE(SaveBowStyleSym(false));
    ASSERT_TRUE(SavePaletteLayout("Dynamic", "/layouts/d.dly"));
    ASSERT_TRUE(SaveImageExportPrefs({1400, false, false, true, false, true}));
    const TPrintPrefs p2 = LoadPrintPrefs();
    EXPECT_EQ(p2.PrintPage, 2);
    EXPECT_TRUE(p2.PrintInColor);
    EXPECT_FALSE(p2.IncludePageN || p2.IncludeTitle || p2.IncludeFileName);
    EXPECT_FALSE(LoadBowStyleSym());
    EXPECT_EQ(LoadPaletteLayout("dynamic"), "/layouts/d.dly");
    const TImageExportPrefs i2 = LoadImageExportPrefs();
    EXPECT_EQ(i2.SaveImageWidth, 1400);
    EXPECT_TRUE(i2.Bmp && i2.Color);
    EXPECT_FALSE(i2.Jpeg || i2.Pdf || i2.BlackWhite);
    EXPECT_EQ(Keys("Print"), (std::vector<std::string>{"PrintPage", "printInColor", "IncludePageN",
                                                       "IncludeTitle", "IncludeFileName"}));

    ASSERT_TRUE(SaveImageExportPrefs({90000, true, false, false, true, false}));
    EXPECT_EQ(LoadImageExportPrefs().SaveImageWidth, 3000) << "an absurd width falls back";
}

TEST_F(PrefTest, UnwritableFileIsReportedAndChangesNothing) {
    std::filesystem::create_directory(IniPath()); // a folder in the way
    EXPECT_FALSE(WritePreferencesAtExit(parts));
    EXPECT_FALSE(SavePreferences(SampleDialog(), parts));
    LoadPreferences(parts); // and loading still gives the defaults
    EXPECT_EQ(score.CellWidth, 15);
    EXPECT_TRUE(useChinese);
}

TEST_F(PrefTest, AFileTheReaderRefusesIsNeverWrittenAndProblemsAreToldOnce) {
    std::vector<int> told;
    SetMessageByIdHandler([&](TMsgButtons, int id, const std::string&, TMsgKind) {
        told.push_back(id);
        return static_cast<int>(mrOk);
    });
    ForgetPreferencesProblemTold();
    // A file just under the reader's 16 MiB, with the cell size set and a
    // long comment: the exit writer's missing keys would carry it past.
    const std::size_t cap = std::size_t(16) << 20;
    std::string text = "[Pref]\nCellSize=20\n";
    const std::string comment = ";" + std::string(1000, 'c') + "\n";
    while (text.size() + comment.size() < cap - 100)
        text += comment;
    text += ";" + std::string(cap - 100 - text.size() - 2, 'c') + "\n";
    WriteIni(text);
    LoadPreferences(parts);
    EXPECT_EQ(score.CellWidth, 20);
    EXPECT_TRUE(told.empty());

    EXPECT_FALSE(WritePreferencesAtExit(parts));
    EXPECT_FALSE(WritePreferencesAtExit(parts));
    EXPECT_TRUE(IniText() == text) << "the file stays as it was";
    EXPECT_EQ(told, std::vector<int>{4402}) << "told once";
    score.CellWidth = 15;
    LoadPreferences(parts);
    EXPECT_EQ(score.CellWidth, 20) << "the next start still reads the settings";

    // A file longer than the reader takes: the defaults, told once, and the
    // file is never replaced.
    ForgetPreferencesProblemTold();
    told.clear();
    text += comment + comment + comment + comment;
    WriteIni(text);
    LoadPreferences(parts);
    EXPECT_EQ(score.CellWidth, 15);
    EXPECT_FALSE(WritePreferencesAtExit(parts));
    LoadPreferences(parts);
    EXPECT_EQ(told, std::vector<int>{4401});
    EXPECT_EQ(IniText().size(), text.size());
    SetMessageByIdHandler(nullptr);
    ForgetPreferencesProblemTold();
}

} // namespace
