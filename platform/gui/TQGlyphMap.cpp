#include "platform/gui/TQGlyphMap.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <string_view>

namespace {

struct TMissingCode {
    const char* face;
    uint8_t code;
};

#include "platform/gui/TQGlyphTable.inc"

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// What a face name stands for: one of the three legacy fonts, or none.
enum TLegacyFace { lfNone, lfMusicalSymbols, lfToccata, lfWingdings3 };

// Whether a equals the lower-case text b, ignoring the case of a.
bool SameLower(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == y;
           });
}

// Asked for every character the canvas writes: no copies of the name.
TLegacyFace FaceOf(std::string_view face) {
    switch (face.size()) {
    case 14: return SameLower(face, "musicalsymbols") ? lfMusicalSymbols : lfNone;
    case 7: return SameLower(face, "toccata") ? lfToccata : lfNone;
    case 11: return SameLower(face, "wingdings 3") ? lfWingdings3 : lfNone;
    default: return lfNone;
    }
}

// Per legacy font: its glyphs by code, and whether it counts as installed.
struct TFaceState {
    std::map<uint8_t, const TLegacyGlyph*> glyphs;
    bool loaded = false;   // its stand-in font is in the font database
    bool switchedOn = true;
};

// Indexed by TLegacyFace.
std::array<TFaceState, 4>& Faces() {
    static std::array<TFaceState, 4> faces = [] {
        std::array<TFaceState, 4> m;
        for (const auto& e : kGlyphTable)
            m[FaceOf(e.face)].glyphs[e.code] = &e.glyph;
        return m;
    }();
    return faces;
}

// Families the Windows text faces stand for, and the fonts that must be there.
const std::map<std::string, std::string>& Substitutes() {
    static const std::map<std::string, std::string> subs = {
        {"simsun", "Noto Serif CJK SC"},         {"\xE9\xBB\x91\xE4\xBD\x93", "Noto Sans CJK SC"},
        {"times new roman", "Liberation Serif"}, {"arial", "Liberation Sans"},
        {"book antiqua", "TeX Gyre Pagella"},
    };
    return subs;
}

bool FamilyInstalled(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [&](const QString& f) { return f.compare(family, Qt::CaseInsensitive) == 0; });
}

} // namespace

bool IsLegacyMusicFont(const std::string& face) { return FaceOf(face) != lfNone; }

const TLegacyGlyph* FindLegacyGlyph(const std::string& face, uint8_t code) {
    TLegacyFace f = FaceOf(face);
    if (f == lfNone || !MusicFontInstalled(face))
        return nullptr;
    const auto& glyphs = Faces()[f].glyphs;
    auto it = glyphs.find(code);
    return it == glyphs.end() ? nullptr : it->second;
}

float LegacyCellHeight(const std::string& face) {
    // The music fonts' cells reach far above and below their glyphs: their
    // baseline lies near the middle of a cell almost three em high. The narrow
    // glyphs (digits, diamond, triangle, brace), whose size the drawers give as
    // a cell height, come out at the size of their drawn twins with these.
    switch (FaceOf(face)) {
    case lfMusicalSymbols: return 2.9f;
    case lfToccata: return 1.8f;
    case lfWingdings3: return 1.15f;
    default: return 1.0f;
    }
}

float LegacyAverageCharWidth(const std::string&) {
    // Half an em: the narrow digits, diamond and triangle then come out at the
    // width of their drawn twins.
    return 0.5f;
}

const std::vector<TLegacyGlyphEntry>& LegacyGlyphTable() {
    static const std::vector<TLegacyGlyphEntry> table(std::begin(kGlyphTable), std::end(kGlyphTable));
    return table;
}

std::vector<uint8_t> MissingLegacyCodes(const std::string& face) {
    std::vector<uint8_t> codes;
    TLegacyFace f = FaceOf(face);
    for (const auto& m : kMissingCodes)
        if (f != lfNone && FaceOf(m.face) == f)
            codes.push_back(m.code);
    return codes;
}

bool MusicFontInstalled(std::string_view face) {
    TLegacyFace f = FaceOf(face);
    if (f == lfNone)
        return false;
    const TFaceState& s = Faces()[f];
    return s.loaded && s.switchedOn;
}

void SetMusicFontInstalled(const std::string& face, bool installed) {
    TLegacyFace f = FaceOf(face);
    if (f != lfNone)
        Faces()[f].switchedOn = installed;
}

bool LoadProgramFonts(const std::string& programFolder) {
    if (!QGuiApplication::instance())
        return false;
    static bool bravuraLoaded = false;
    if (!bravuraLoaded) {
        std::filesystem::path path = std::filesystem::path(programFolder) / "fonts" / "bravura.otf";
        int id = QFontDatabase::addApplicationFont(QString::fromStdString(path.string()));
        bravuraLoaded = id >= 0 && QFontDatabase::applicationFontFamilies(id).contains("Bravura");
    }
    Faces()[lfMusicalSymbols].loaded = bravuraLoaded;
    Faces()[lfToccata].loaded = bravuraLoaded;
    Faces()[lfWingdings3].loaded = FamilyInstalled("Liberation Sans");
    // Font-family look-ups ignore case, so the lower-case names serve every spelling.
    for (const auto& [face, family] : Substitutes()) {
        QString name = QString::fromUtf8(face.c_str());
        if (!QFont::substitutes(name).contains(QString::fromStdString(family)))
            QFont::insertSubstitution(name, QString::fromStdString(family));
    }
    return bravuraLoaded;
}

std::string SubstituteFontFamily(const std::string& face) {
    auto it = Substitutes().find(Lower(face));
    return it == Substitutes().end() ? face : it->second;
}

namespace {
std::map<std::string, bool>& FontOverrides() {
    static std::map<std::string, bool> overrides;
    return overrides;
}
} // namespace

bool FontInstalled(const std::string& face) {
    if (face.empty())
        return false;
    if (FaceOf(face) != lfNone)
        return MusicFontInstalled(face);
    if (auto it = FontOverrides().find(Lower(face)); it != FontOverrides().end())
        return it->second;
    if (!QGuiApplication::instance())
        return false;
    const QString family = QString::fromStdString(SubstituteFontFamily(face));
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [&](const QString& f) { return f.compare(family, Qt::CaseInsensitive) == 0; });
}

void SetFontInstalled(const std::string& face, bool installed) {
    if (FaceOf(face) != lfNone)
        SetMusicFontInstalled(face, installed);
    else
        FontOverrides()[Lower(face)] = installed;
}

void ResetFontInstalled(const std::string& face) {
    if (FaceOf(face) != lfNone)
        SetMusicFontInstalled(face, true);
    else
        FontOverrides().erase(Lower(face));
}
