#include "model/modTQUtil.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fnmatch.h>

#include "model/modTQMainScore.h"

// ---- Numbers and geometry ----

// Truncation toward zero into the int range (NaN gives 0).
static int TruncToInt(double x) {
    if (!(x == x))
        return 0;
    if (x >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (x <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(x);
}

int RoundToNearest(double x) { return RoundToInt(x); }
bool FloatEqual(double a, double b, double tolerance) { return std::fabs(a - b) < tolerance; }
double FloatAbs(double x) { return std::fabs(x); }
int SignOf(double x) { return x >= 0 ? 1 : -1; }
bool SamePoint(const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; }

bool StrEqual(const char* a, const char* b) {
    if (!a || !b)
        return a == b;
    return std::strcmp(a, b) == 0;
}

double Distance(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }

double PointDistance(const TFPoint& p, const TFPoint& q) { return Distance(p.x, p.y, q.x, q.y); }

double LineAngle(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    if (dx == 0 && dy == 0)
        return 0;
    return std::atan2(dy, dx);
}

double PointAngle(const TFPoint& p, const TFPoint& q) { return LineAngle(p.x, p.y, q.x, q.y); }

int InterpolateInt(const TPoint& p0, const TPoint& p1, int x) {
    if (p1.x == p0.x)
        return TruncToInt((static_cast<double>(p0.y) + p1.y) * 0.5);
    const long long num = static_cast<long long>(p1.y - p0.y) * (static_cast<long long>(x) - p0.x);
    return static_cast<int>(p0.y + num / (static_cast<long long>(p1.x) - p0.x));
}

double InterpolateFloat(double x0, double y0, double x1, double y1, double x) {
    if (x1 == x0)
        return (y0 + y1) * 0.5;
    return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

void LineIntersection(const TFPoint& p0, float s0, const TFPoint& p1, float s1, TPoint& out) {
    if (s0 == s1)
        return;
    const double x = (static_cast<double>(s0) * p0.x - p0.y - static_cast<double>(s1) * p1.x + p1.y) /
                     (static_cast<double>(s0) - s1);
    out.x = TruncToInt(x);
    out.y = TruncToInt((out.x - static_cast<double>(p0.x)) * s0 + p0.y);
}

void PointOnLine(const TFPoint& p0, float slope, float x, TPoint& out) {
    out.x = TruncToInt(x);
    out.y = TruncToInt((static_cast<double>(x) - p0.x) * slope + p0.y);
}

bool CrossProductPositiveXY(int x0, int y0, int x1, int y1, int x2, int y2) {
    // p = (x0, y0), a = (x1, y1), b = (x2, y2)
    const long long cross = static_cast<long long>(x2 - x1) * (y0 - y1) - static_cast<long long>(x0 - x1) * (y2 - y1);
    return cross > 0;
}

bool CrossProductPositive(const TPoint& p, const TPoint& a, const TPoint& b) {
    return CrossProductPositiveXY(p.x, p.y, a.x, a.y, b.x, b.y);
}

int AddWithWrap(int a, int b, bool wrap) {
    const int sum = a + b;
    return (wrap && sum >= 4) ? 0 : sum;
}

// ---- Grid spans to pixels ----

static int CellHeightPx() { return frmMainTQ ? frmMainTQ->GetCellHeight() : 0; }
static int CellWidthPx() { return frmMainTQ ? frmMainTQ->GetCellWidth() : 0; }

int RowSpanToPixels(int a, int b) { return (a + b) * CellHeightPx(); }
int ColSpanToPixels(int a, int b) { return (a + b) * CellWidthPx(); }
int RowsToPixels(int a) { return a * CellHeightPx(); }
int ColsToPixels(int a) { return a * CellWidthPx(); }

// ---- Colours ----

int ByteToInt(uint8_t b) { return b; }

void SplitRGB(TColor colour, int& r, int& g, int& b) {
    r = colour & 0xFF;
    g = (colour >> 8) & 0xFF;
    b = (colour >> 16) & 0xFF;
}

TColor LightenColor(TColor colour) {
    int r, g, b;
    SplitRGB(colour, r, g, b);
    auto lighten = [](int c) { return c + (255 - c) * 2 / 3; };
    return RGBColor(lighten(r), lighten(g), lighten(b));
}

// ---- Font styles ----

int ByteToFontStyles(uint8_t b) {
    int styles = 0;
    if (b & 1) styles |= fsBold;
    if (b & 2) styles |= fsItalic;
    if (b & 4) styles |= fsUnderline;
    if (b & 8) styles |= fsStrikeOut;
    return styles;
}

uint8_t FontStylesToByte(int styles) {
    uint8_t b = 0;
    if (styles & fsBold) b |= 1;
    if (styles & fsItalic) b |= 2;
    if (styles & fsUnderline) b |= 4;
    if (styles & fsStrikeOut) b |= 8;
    return b;
}

int GetFontKind(const std::string& code) {
    if (code.empty())
        return 0;
    if (code == "CN")
        return 1;
    if (code == "EN")
        return 2;
    if (code == "NT")
        return 3;
    return 4;
}

// ---- Text-file readers ----

// One byte of a text file, with CR LF read as LF; EOF at the end of the file.
static int GetTextByte(FILE* f) {
    const int c = std::fgetc(f);
    if (c == '\r') {
        const int next = std::fgetc(f);
        if (next == '\n')
            return '\n';
        if (next != EOF)
            std::ungetc(next, f);
    }
    return c;
}

bool ReadTextLine(FILE* f, std::string* buffer, std::size_t maxLength) {
    if (buffer)
        buffer->clear();
    if (!f)
        return false;
    bool any = false;
    for (;;) {
        const int c = GetTextByte(f);
        if (c == EOF || c == 0xFF)
            return any;
        any = true;
        if (c == '\n')
            return true;
        if (buffer && (maxLength == 0 || buffer->size() < maxLength))
            buffer->push_back(static_cast<char>(c));
    }
}

static bool IsBlankByte(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Word rules: bytes are skipped up to the first in 33..124. A word starting with
// '"' is quoted: the quote is not stored and the word runs to the next '"'.
// Otherwise the word runs to the next blank or byte in 0x80..0xFE. A byte 0xFA is
// stored as '"'; 0xFF or the end of the file ends the word. At most maxLength
// bytes are stored; when that many are stored the word ends there, the rest stays
// in the stream, and the last stored byte is returned. The byte that ended the
// word is consumed, not stored, and returned as a signed char (0 at the end of
// the file).
int ReadWord(FILE* f, std::string& word, std::size_t maxLength) {
    word.clear();
    if (!f)
        return -1;
    int c;
    do {
        c = GetTextByte(f);
        if (c == EOF || c == 0xFF)
            return -1;
    } while (c < 33 || c > 124);

    const bool quoted = c == '"';
    if (!quoted) {
        if (maxLength == 0)
            return static_cast<signed char>(c);
        word.push_back(static_cast<char>(c));
    }
    for (;;) {
        if (word.size() >= maxLength)
            return word.empty() ? 0 : static_cast<signed char>(word.back());
        c = GetTextByte(f);
        if (c == EOF || c == 0xFF)
            return 0;
        if (quoted ? c == '"' : (IsBlankByte(c) || (c >= 0x80 && c <= 0xFE && c != 0xFA)))
            return static_cast<signed char>(c);
        word.push_back(c == 0xFA ? '"' : static_cast<char>(c));
    }
}

int ReadInt(FILE* f, int* status) {
    std::string word;
    const int result = ReadWord(f, word, 99);
    if (status)
        *status = result;
    // Leading sign and digits, as atol reads them; out-of-range values saturate.
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+'))
        negative = word[i++] == '-';
    long long value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = value * 10 + (word[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

double ReadFloat(FILE* f) {
    std::string word;
    ReadWord(f, word, 99);
    // The leading number of the word with '.' decimals, whatever the C locale says.
    const char* begin = word.c_str();
    const char* end = begin + word.size();
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0.0;
    const auto [stop, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    (void)stop;
    if (ec != std::errc())
        return 0.0;
    return value;
}

// ---- Binary readers ----

int ReadByte(FILE* f) {
    if (!f)
        return -1;
    const int c = std::fgetc(f);
    return c == EOF ? -1 : c;
}

int32_t ReadInt32(FILE* f, bool* ok) {
    unsigned char b[4];
    if (!f || std::fread(b, 1, 4, f) != 4) {
        if (ok)
            *ok = false;
        return 0;
    }
    if (ok)
        *ok = true;
    const uint32_t v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return static_cast<int32_t>(v);
}

float ReadFloatChecked(FILE* f, float deflt, bool* ok) {
    bool read = false;
    const int32_t bits = ReadInt32(f, &read);
    if (ok)
        *ok = read;
    if (!read)
        return deflt;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!(value >= -1000000.0f && value <= 1000000.0f))
        return deflt;
    return value;
}

// ---- Folders ----

std::string AddTrailingBackslash(const std::string& path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        return path;
    return path + "/";
}

void DeleteFolderFiles(const std::string& folder, const std::string& pattern) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir(folder);
    const bool all = pattern.empty() || pattern == "*" || pattern == "*.*";
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == "." || name == "..")
            continue;
        if (!all && fnmatch(pattern.c_str(), name.c_str(), 0) != 0)
            continue;
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::remove_all(it->path(), ignored);
        else
            fs::remove(it->path(), ignored);
    }
}

void DeleteFolder(const std::string& folder, const std::string& pattern) {
    DeleteFolderFiles(folder, pattern);
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(folder), ignored);
}

// ---- Comma lists ----

// Splits at the separator (see the header); pieces are the raw bytes between.
static std::vector<std::string> SplitList(const std::string& text) {
    const auto isLead = [](unsigned char c) { return c >= 0x81 && c <= 0xFE; };
    bool fullWidth = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isLead(c) && i + 1 < text.size()) {
            if (c == 0xA3 && static_cast<unsigned char>(text[i + 1]) == 0xAC) {
                fullWidth = true;
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    std::vector<std::string> pieces;
    std::string piece;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isLead(c) && i + 1 < text.size()) {
            if (fullWidth && c == 0xA3 && static_cast<unsigned char>(text[i + 1]) == 0xAC) {
                pieces.push_back(piece);
                piece.clear();
            } else {
                piece.append(text, i, 2);
            }
            i += 2;
        } else {
            if (!fullWidth && c == ',') {
                pieces.push_back(piece);
                piece.clear();
            } else {
                piece.push_back(static_cast<char>(c));
            }
            ++i;
        }
    }
    pieces.push_back(piece);
    return pieces;
}

// atoi: blanks, a sign, then digits; 0 for none.
static int LeadingInt(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (s[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    if (negative)
        value = -value;
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

bool ParseIntList(const std::string& text, std::vector<int>& values) {
    if (text.empty())
        return true;
    const std::vector<std::string> pieces = SplitList(text);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        // A separator at the very end leaves nothing to read: the list is complete.
        if (i + 1 == pieces.size() && i > 0 && pieces[i].empty())
            break;
        const int value = LeadingInt(pieces[i]);
        if (value == 0)
            return false;
        values.push_back(value);
    }
    return true;
}

static std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

bool SplitToStrings(const std::string& text, std::vector<std::string>& pieces) {
    const std::vector<std::string> raw = SplitList(text);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::string piece = Trim(raw[i]);
        if (i + 1 == raw.size() && piece.empty())
            break;
        pieces.push_back(std::move(piece));
    }
    return true;
}

// ---- Tool windows and the keyboard ----

void KeepOnScreen(int& left, int& top, int width, int height, int screenWidth, int screenHeight) {
    if (left + width > screenWidth - 22)
        left = screenWidth - width - 22;
    else if (left < 22)
        left = 22;
    if (top + height > screenHeight - 22)
        top = screenHeight - height - 22;
    else if (top < 22)
        top = 22;
}

void ActivateUSKeyboard() {}

void LeaveUSKeyboard() {}
