#include "lang/modTQPref.h"

#include <charconv>
#include <utility>
#include <vector>

#include "lang/modTQStringIds.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"

namespace {

const std::string kPref = "Pref";
const std::string kPrint = "Print";
const std::string kLayout = "Layout";
const std::string kBow = "Bow";

// Ranges of what the values set; a stored value outside gives the default.
constexpr float kMinPaperInches = 1.0f, kMaxPaperInches = 50.0f;
constexpr int kMinCellWidth = 6, kMaxCellWidth = 25;
constexpr int kMinCellHeight = 6, kMaxCellHeight = 100;
constexpr int kMaxSideMargin = 100;  // left and right
constexpr int kMaxEndMargin = 200;   // top and bottom
constexpr double kMinZoom = 0.1, kMaxZoom = 10.0;
constexpr int kMinPrintAdj = 30, kMaxPrintAdj = 200;
constexpr int kMinHistory = 3, kMaxHistory = 20;
constexpr int kMinFooterFont = 4, kMaxFooterFont = 20;
constexpr int kMaxImageQuality = 20;
constexpr int kMaxRate = 100; // compression rates, either sign
constexpr int kMaxCoordinate = 32767; // window places, either sign
constexpr int kMaxColour = 0xFFFFFF;
constexpr int kMinImageWidth = 500, kMaxImageWidth = 3000;
constexpr std::size_t kFontNameBytes = 49; // the score header's font-name field, less its NUL

class TPrefReader {
public:
    explicit TPrefReader(const std::string& section) : ini_(PrefFileName()), section_(section) {}

    int Int(const char* key, int def, int lo, int hi) const {
        int v = ini_.ReadInteger(section_, key, def);
        return (v < lo || v > hi) ? def : v;
    }
    int RawInt(const char* key, int def) const { return ini_.ReadInteger(section_, key, def); }
    bool Bool(const char* key, bool def) const { return ini_.ReadBool(section_, key, def); }
    double Float(const char* key, double def, double lo, double hi) const {
        double v = ini_.ReadFloat(section_, key, def);
        return (v < lo || v > hi) ? def : v;
    }
    std::string String(const char* key, const std::string& def) const {
        return ini_.ReadString(section_, key, def);
    }
    // A font name: empty gives the default.
    std::string FontName(const char* key, const std::string& def) const {
        std::string v = ini_.ReadString(section_, key, def);
        return v.empty() ? def : v;
    }
    int Colour(const char* key, int def) const { return Int(key, def, 0, kMaxColour); }

private:
    TIniFile ini_;
    std::string section_;
};

// The preferences that cannot be read or written are told once in a run: the
// many reads and writes after the first would only repeat it.
bool gPrefProblemTold = false;

void TellPrefProblem(int id) {
    if (gPrefProblemTold)
        return;
    gPrefProblemTold = true;
    MessageById(mbOK, id, "\n" + PrefFileName(), mkWarning);
}

// A write of the file; a failure is told.
bool Written(bool ok) {
    if (!ok)
        TellPrefProblem(sidPrefsUnwritable);
    return ok;
}

// Collects the values of one section in writing order; one rewrite of the file.
class TPrefWriter {
public:
    void Int(const char* key, int v) { values_.emplace_back(key, std::to_string(v)); }
    void Bool(const char* key, bool v) { values_.emplace_back(key, v ? "1" : "0"); }
    void Float(const char* key, double v) { values_.emplace_back(key, TIniFile::FormatFloat(v)); }
    void String(const char* key, const std::string& v) { values_.emplace_back(key, v); }
    bool Commit(const std::string& section) {
        TIniFile ini(PrefFileName());
        return Written(ini.WriteValues(section, values_));
    }

private:
    std::vector<std::pair<std::string, std::string>> values_;
};

// The tool windows whose visibility and place are kept, in writing order; each
// opens 400 pixels from the left by default.
struct TToolWindowKeys {
    const char* visibleKey;
    const char* leftKey;
    const char* topKey;
    bool TMainSettings::*visible;
    int TMainSettings::*left;
    int TMainSettings::*top;
    int defaultTop;
};
const TToolWindowKeys kToolWindows[] = {
    {"WestDlgVisible", "WestDlgLeft", "WestDlgTop", &TMainSettings::WestDlgVisible, &TMainSettings::WestDlgLeft,
     &TMainSettings::WestDlgTop, 100},
    {"SpecialDlgVisible", "SpecialDlgLeft", "SpecialDlgTop", &TMainSettings::SpecialDlgVisible,
     &TMainSettings::SpecialDlgLeft, &TMainSettings::SpecialDlgTop, 300},
    {"DynDlgVisible", "DynDlgLeft", "DynDlgTop", &TMainSettings::DynDlgVisible, &TMainSettings::DynDlgLeft,
     &TMainSettings::DynDlgTop, 200},
    {"GongChiDlgVisible", "GongChiDlgLeft", "GongChiDlgTop", &TMainSettings::GongChiDlgVisible,
     &TMainSettings::GongChiDlgLeft, &TMainSettings::GongChiDlgTop, 400},
    // the left key is spelt so in every stored file
    {"TextSymDlgVisible", "TextSymDlglLeft", "TextSymDlgTop", &TMainSettings::TextSymDlgVisible,
     &TMainSettings::TextSymDlgLeft, &TMainSettings::TextSymDlgTop, 500},
    {"PlyDlgVisible", "PlyDlgLeft", "PlyDlgTop", &TMainSettings::PlyDlgVisible, &TMainSettings::PlyDlgLeft,
     &TMainSettings::PlyDlgTop, 50},
};

// A switch of a dialog's own section: its key, field and default, in writing order.
template <typename Prefs>
struct TSwitchKey {
    const char* key;
    bool Prefs::*field;
    bool def;
};
const TSwitchKey<TPrintPrefs> kPrintSwitches[] = {
    {"printInColor", &TPrintPrefs::PrintInColor, false},
    {"IncludePageN", &TPrintPrefs::IncludePageN, true},
    {"IncludeTitle", &TPrintPrefs::IncludeTitle, true},
    {"IncludeFileName", &TPrintPrefs::IncludeFileName, true},
};
const TSwitchKey<TImageExportPrefs> kImageExportSwitches[] = {
    {"rbtJPEG", &TImageExportPrefs::Jpeg, true},
    {"rbtPDF", &TImageExportPrefs::Pdf, false},
    {"rbtBMP", &TImageExportPrefs::Bmp, false},
    {"rbtBW", &TImageExportPrefs::BlackWhite, true},
    {"rbtColor", &TImageExportPrefs::Color, false},
};

// The grid must hold at least one cell across and down; a stored combination
// that does not gets the default paper, cell size and margins.
void KeepPageUsable(TMainScore& s) {
    // Judged by the page's own grid arithmetic, on a score of its own so that
    // nothing of s changes here.
    TMainScore probe;
    probe.PaperWidth = s.PaperWidth;
    probe.PaperHeight = s.PaperHeight;
    probe.CellWidth = s.CellWidth;
    probe.LeftMargin = s.LeftMargin;
    probe.RightMargin = s.RightMargin;
    probe.TopMargin = s.TopMargin;
    probe.BottomMargin = s.BottomMargin;
    if (probe.CalcPageGrid())
        return;
    s.PaperWidth = 8.5f;
    s.PaperHeight = 11.0f;
    s.CellWidth = 15;
    s.CellHeight = 30;
    s.LeftMargin = 60;
    s.RightMargin = 30;
    s.TopMargin = 50;
    s.BottomMargin = 40;
}

std::string ShortestFloatText(float value) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

} // namespace

void ForgetPreferencesProblemTold() {
    gPrefProblemTold = false;
}

std::string PrefFileName() {
    return TQUserFolder() + "TQ.ini";
}

int GridColorFromDarkness(int d) {
    const int g = (255 - d) & 0xFF;
    return g | (g << 8) | (g << 16);
}

void LoadPagePreferences(TPrefParts& p) {
    TPrefReader r(kPref);
    TMainScore& s = p.Score;
    TMainSettings& m = p.Settings;

    s.NoteFontStyle = r.Int("fontStyleNote", 1, 0, 15);
    s.NoteFontName = r.FontName("fontNameNote", "Arial");
    s.NoteFontCharset = r.Int("fontCharsetNote", p.WindowFontCharset, 0, 255);
    s.ChineseFontName = r.FontName("fontNameChinese", "SimSun");
    s.ChineseFontStyle = r.Int("fontStyleChinese", 0, 0, 15);
    // The Chinese font holds Chinese text: a Western charset (as files written
    // before it was read back may carry) is taken as GB2312.
    s.ChineseFontCharset = r.Int("fontCharsetChinese", csGB2312, 0, 255);
    if (s.ChineseFontCharset == 0)
        s.ChineseFontCharset = csGB2312;
    s.EnglishFontName = r.FontName("fontNameEnglish", "Times New Roman");
    s.EnglishFontCharset = r.Int("fontCharsetEnglish", 134, 0, 255);
    s.EnglishFontStyle = r.Int("fontStyleEnglish", 0, 0, 15);
    s.NoteFontName = CutToBytes(s.NoteFontName, s.NoteFontCharset, kFontNameBytes);
    s.ChineseFontName = CutToBytes(s.ChineseFontName, s.ChineseFontCharset, kFontNameBytes);
    s.EnglishFontName = CutToBytes(s.EnglishFontName, s.EnglishFontCharset, kFontNameBytes);

    m.AllowChineseFileName = r.Bool("allowChineseFileName", false);
    m.PrintByBmp = r.Bool("PrintByBmp", true);
    s.PaperType = r.Int("PaperType", 0, 0, 3); // Letter, as the default size below
    s.PaperOri = r.Int("PaperOri", 0, 0, 1);
    m.Unit = r.Int("Unit", 0, 0, 1);
    s.PaperWidth = static_cast<float>(r.Float("PaperWidth", 8.5, kMinPaperInches, kMaxPaperInches));
    s.PaperHeight =
        static_cast<float>(r.Float("PaperHeight", 11.0, kMinPaperInches, kMaxPaperInches));
    s.CellWidth = r.Int("CellSize", 15, kMinCellWidth, kMaxCellWidth);
    s.CellHeight = r.Int("CellHeight", 30, kMinCellHeight, kMaxCellHeight);
    s.LeftMargin = r.Int("LeftMargin", 60, 0, kMaxSideMargin);
    s.RightMargin = r.Int("RightMargin", 30, 0, kMaxSideMargin);
    s.TopMargin = r.Int("TopMargin", 50, 0, kMaxEndMargin);
    s.BottomMargin = r.Int("BottomMargin", 40, 0, kMaxEndMargin);
    KeepPageUsable(s);

    // Window bounds: a value no screen can hold makes all four 0 (maximised).
    m.WindowWidth = r.Int("WindowWidth", 0, 0, kMaxCoordinate);
    m.WindowHeight = r.Int("WindowHeight", 0, 0, kMaxCoordinate);
    m.WindowLeft = r.Int("WindowLeft", 0, -kMaxCoordinate, kMaxCoordinate);
    m.WindowTop = r.Int("WindowTop", 0, -kMaxCoordinate, kMaxCoordinate);
    m.PrePN = r.Int("PrePN", 0, -1, 0x7FFFFFFF);
    if (p.PrinterCount > 0) {
        const int index = r.RawInt("PrinterIndex", 0);
        if (index >= 0 && index < p.PrinterCount)
            m.PrinterIndex = index; // else the default printer stays
    }
    m.PrinterName = r.String("PrinterName", "");
    p.View.ShowChangedRed = r.Bool("ShowChangedRed", false);
    p.View.ColorBlackkeyNote = r.Bool("colorBlackkeyNote", false);
    m.NoAskMusicFont = r.Bool("noAskMusicFont", false);
    m.ShowHintinJianpuChecked = r.Bool("ShowHintinJianpu", true);
    p.View.FixedKeyChecked = r.Bool("FixedKey", false);
    m.ImgFileName = r.String("imgFileName", "");
    m.MiddleLineinRedChecked = r.Bool("mitMiddleLineinRed", false);
}

void LoadPreferences(TPrefParts& p) {
    if (TIniFile(PrefFileName()).Unreadable())
        TellPrefProblem(sidPrefsUnreadable);
    LoadPagePreferences(p);
    TPrefReader r(kPref);
    TMainScore& s = p.Score;
    TMainSettings& m = p.Settings;

    s.PrintZoom = static_cast<float>(r.Int("PrintAdj", 90, kMinPrintAdj, kMaxPrintAdj)) * 0.01f;
    // an empty folder text is no folder: the current one stays
    const std::string musicFolder = r.String("defFileDir", m.MusicFolder);
    const std::string imageFolder = r.String("defImgDir", m.ImageFolder);
    if (!musicFolder.empty())
        m.MusicFolder = IncludeTrailingSeparator(musicFolder);
    if (!imageFolder.empty())
        m.ImageFolder = IncludeTrailingSeparator(imageFolder);
    m.HistoryFileNo = r.Int("historyFileNo", m.HistoryFileNo, kMinHistory, kMaxHistory);
    m.LoadPreFile = r.Bool("loadPreFile", m.LoadPreFile);
    s.Zoom = r.Float("Zoom", 1.0, kMinZoom, kMaxZoom);

    for (const TToolWindowKeys& k : kToolWindows) {
        m.*k.visible = r.Bool(k.visibleKey, false);
        m.*k.left = r.Int(k.leftKey, 400, -kMaxCoordinate, kMaxCoordinate);
        m.*k.top = r.Int(k.topKey, k.defaultTop, -kMaxCoordinate, kMaxCoordinate);
    }

    p.UseChinese = r.Bool("UseChinese", true);
    p.View.FooterFontSize = r.Int("footerFontSize", 8, kMinFooterFont, kMaxFooterFont);
    m.AllowChineseFileName = r.Bool("allowChineseFileName", false);
    m.PopupHintChecked = r.Bool("showHintEnabled", true);
    m.AutoImageSize = r.Bool("autoImageSize", false);
    p.View.ColorCopyImage = r.Bool("colorCopyImage", false);
    m.CopyImageQuality = r.Int("copyImageQuality", 10, 0, kMaxImageQuality);
    p.View.GridColor = GridColorFromDarkness(r.Int("GridColor", 50, 0, 255));
    p.View.SharpColor = r.Colour("SharpColor", 0x0000FF);
    p.View.FlatColor = r.Colour("FlatColor", 50176);
    p.View.BkColor = r.Colour("BkColor", 16777215);
    p.View.MainLayerColor = r.Colour("MainLayerColor", 0);
    p.View.BackLayerColor = r.Colour("BackLayerColor", 4194432);
    m.KeyDownColor = r.Colour("KeyDownColor", 16711680);
    p.View.HidenLayerColor = r.Colour("HidenLayerColor", 10790052);
    m.ApplyToBothLayerChecked = r.Bool("ApplyToBothLayer", true);
    m.KeyboardVisible = r.Bool("KeyboardVisible", false);
    m.ShowHintinJianpuChecked = r.Bool("ShowHintinJianpu", false);
    m.DefJianpuShrinkRate = r.Int("defJianpuShrinkRate", 15, -kMaxRate, kMaxRate);
    m.DefJianpuVertRate = r.Int("defJianpuVertRate", 15, -kMaxRate, kMaxRate);
    m.DefWestShrinkRate = r.Int("defWestShinkRate", 0, -kMaxRate, kMaxRate);
}

bool SavePreferences(const TPrefDialogValues& v, TPrefParts& p) {
    const TMainScore& s = p.Score;
    double width = v.PaperWidth;
    double height = v.PaperHeight;
    if (v.Unit == 1 && !v.SizeInInches) { // millimetres: to inches in single precision
        width = static_cast<float>(v.PaperWidth) / 25.4f;
        height = static_cast<float>(v.PaperHeight) / 25.4f;
    }
    TPrefWriter w;
    w.Int("PaperType", v.PaperType);
    if (v.SizeInInches) { // the single-precision size as applied, in its shortest form
        w.String("PaperWidth", ShortestFloatText(static_cast<float>(width)));
        w.String("PaperHeight", ShortestFloatText(static_cast<float>(height)));
    } else {
        w.Float("PaperWidth", width);
        w.Float("PaperHeight", height);
    }
    w.Int("PaperOri", v.PaperOri);
    w.Int("Unit", v.Unit);
    w.Int("CellSize", v.CellSize);
    w.Int("LeftMargin", v.LeftMargin);
    w.Int("RightMargin", v.RightMargin);
    w.Int("TopMargin", v.TopMargin);
    w.Int("BottomMargin", v.BottomMargin);
    w.Int("PrintAdj", v.PrintAdj);
    w.String("defFileDir", v.DefFileDir);
    w.String("defImgDir", v.DefImgDir);
    w.Int("historyFileNo", v.HistoryFileNo);
    w.String("fontNameChinese", s.ChineseFontName);
    w.Int("fontCharsetChinese", s.ChineseFontCharset);
    w.Int("fontStyleChinese", s.ChineseFontStyle);
    w.String("fontNameNote", s.NoteFontName);
    w.Int("fontCharsetNote", s.NoteFontCharset);
    w.Int("fontStyleNote", s.NoteFontStyle);
    w.String("fontNameEnglish", s.EnglishFontName);
    w.Int("fontCharsetEnglish", s.EnglishFontCharset);
    w.Int("fontStyleEnglish", s.EnglishFontStyle);
    w.Bool("loadPreFile", v.LoadPreFile);
    w.Int("UseChinese", v.UseChinese ? 1 : 0);
    w.Int("footerFontSize", v.FooterFontSize);
    w.Bool("allowChineseFileName", v.AllowChineseFileName);
    w.Bool("PrintByBmp", v.PrintByBmp);
    w.Bool("autoImageSize", v.AutoImageSize);
    w.Bool("colorCopyImage", v.ColorCopyImage);
    w.Int("copyImageQuality", v.CopyImageQuality);
    w.Int("GridColor", v.GridTrackPosition);
    w.Int("BkColor", v.BkColor);
    w.Int("BackLayerColor", v.BackLayerColor);
    w.Int("HidenLayerColor", v.HidenLayerColor);
    w.Int("KeyDownColor", v.KeyDownColor);
    w.Int("MainLayerColor", v.MainLayerColor);
    w.Int("SharpColor", v.SharpColor);
    w.Int("FlatColor", v.FlatColor);
    const bool ok = w.Commit(kPref);

    // the two folder edits become the window's work folders
    p.Settings.MusicFolder = IncludeTrailingSeparator(v.DefFileDir);
    p.Settings.ImageFolder = IncludeTrailingSeparator(v.DefImgDir);
    p.Settings.CurFileFolder = p.Settings.MusicFolder;
    return ok;
}

bool WritePreferencesAtExit(const TPrefParts& p) {
    const TMainSettings& m = p.Settings;
    TPrefWriter w;
    w.Float("Zoom", p.Score.Zoom);
    for (const TToolWindowKeys& k : kToolWindows) {
        w.Bool(k.visibleKey, m.*k.visible);
        w.Int(k.leftKey, m.*k.left);
        w.Int(k.topKey, m.*k.top);
    }
    w.Int("UseChinese", p.UseChinese ? 1 : 0);
    w.Int("showHintEnabled", m.PopupHintChecked ? 1 : 0);
    w.Bool("noAskMusicFont", m.NoAskMusicFont);
    w.Bool("ApplyToBothLayer", m.ApplyToBothLayerChecked);
    w.Bool("ShowChangedRed", p.View.ShowChangedRed);
    w.Bool("colorBlackkeyNote", p.View.ColorBlackkeyNote);
    w.Int("KeyboardHeight", m.KeyboardHeight);
    w.Bool("KeyboardVisible", m.KeyboardVisible);
    w.String("imgFileName", m.ImgFileName);
    w.Bool("FixedKey", p.View.FixedKeyChecked);
    w.Bool("ShowHintinJianpu", m.ShowHintinJianpuChecked);
    w.Int("PrinterIndex", m.PrinterIndex);
    w.String("PrinterName", m.PrinterName);
    w.Int("defJianpuShrinkRate", m.DefJianpuShrinkRate);
    w.Int("defJianpuVertRate", m.DefJianpuVertRate);
    w.Int("defWestShinkRate", m.DefWestShrinkRate);
    w.Bool("mitMiddleLineinRed", m.MiddleLineinRedChecked);
    const bool normal = m.WindowStateNormal;
    w.Int("WindowWidth", normal ? m.WindowWidth : 0);
    w.Int("WindowHeight", normal ? m.WindowHeight : 0);
    w.Int("WindowLeft", normal ? m.WindowLeft : 0);
    w.Int("WindowTop", normal ? m.WindowTop : 0);
    w.Int("PrePN", p.Score.CurPage);
    return w.Commit(kPref);
}

// --- sections read and written by their own dialogs ---

TPrintPrefs LoadPrintPrefs() {
    TPrefReader r(kPrint);
    TPrintPrefs prefs;
    prefs.PrintPage = r.Int("PrintPage", 0, 0, 0x7FFFFFFF);
    for (const TSwitchKey<TPrintPrefs>& k : kPrintSwitches)
        prefs.*k.field = r.Bool(k.key, k.def);
    return prefs;
}

bool SavePrintPrefs(const TPrintPrefs& prefs) {
    TPrefWriter w;
    w.Int("PrintPage", prefs.PrintPage);
    for (const TSwitchKey<TPrintPrefs>& k : kPrintSwitches)
        w.Bool(k.key, prefs.*k.field);
    return w.Commit(kPrint);
}

std::string LoadPaletteLayout(const std::string& paletteKey) {
    return TIniFile(PrefFileName()).ReadString(kLayout, paletteKey, "");
}

bool SavePaletteLayout(const std::string& paletteKey, const std::string& layoutFile) {
    TIniFile ini(PrefFileName());
    return Written(ini.WriteString(kLayout, paletteKey, layoutFile));
}

bool LoadBowStyleSym() {
    return TIniFile(PrefFileName()).ReadBool(kBow, "BowStyleSym", true);
}

bool SaveBowStyleSym(bool symbolStyle) {
    TIniFile ini(PrefFileName());
    return Written(ini.WriteBool(kBow, "BowStyleSym", symbolStyle));
}

TImageExportPrefs LoadImageExportPrefs() {
    TPrefReader r(kPref);
    TImageExportPrefs prefs;
    prefs.SaveImageWidth = r.Int("SaveImageWidth", 3000, kMinImageWidth, kMaxImageWidth);
    for (const TSwitchKey<TImageExportPrefs>& k : kImageExportSwitches)
        prefs.*k.field = r.Bool(k.key, k.def);
    return prefs;
}

bool SaveImageExportPrefs(const TImageExportPrefs& prefs) {
    TPrefWriter w;
    w.Int("SaveImageWidth", prefs.SaveImageWidth);
    for (const TSwitchKey<TImageExportPrefs>& k : kImageExportSwitches)
        w.Bool(k.key, prefs.*k.field);
    return w.Commit(kPref);
}
