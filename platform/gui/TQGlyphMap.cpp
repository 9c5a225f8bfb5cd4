#include "platform/gui/TQGlyphMap.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {
std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}
std::map<std::string, bool>& Switches() {
    static std::map<std::string, bool> m;
    return m;
}
} // namespace

bool IsLegacyMusicFont(const std::string& face) {
    std::string f = Lower(face);
    return f == "musicalsymbols" || f == "toccata" || f == "wingdings 3";
}

// The glyph table comes with the music font; until it is loaded every code is missing.
const TLegacyGlyph* FindLegacyGlyph(const std::string&, uint8_t) { return nullptr; }

float LegacyCellHeight(const std::string&) { return 1.0f; }

bool MusicFontInstalled(const std::string& face) {
    auto it = Switches().find(Lower(face));
    return it != Switches().end() && it->second;
}

void SetMusicFontInstalled(const std::string& face, bool installed) { Switches()[Lower(face)] = installed; }

bool LoadProgramFonts(const std::string&) { return false; }

std::string SubstituteFontFamily(const std::string& face) {
    static const std::map<std::string, std::string> subs = {
        {"simsun", "Noto Serif CJK SC"},   {"\xE9\xBB\x91\xE4\xBD\x93", "Noto Sans CJK SC"},
        {"times new roman", "Liberation Serif"}, {"arial", "Liberation Sans"},
        {"book antiqua", "TeX Gyre Pagella"},
    };
    auto it = subs.find(Lower(face));
    return it == subs.end() ? face : it->second;
}
