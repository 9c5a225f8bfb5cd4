#include "model/modTQFile.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>
#include <string>
#include <vector>

#include "model/modTQBinFile.h"
#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUpgrade.h"
#include "model/modTQUtil.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

TAscScoreFile AscScoreFile;

namespace {

constexpr std::size_t kMaxLine = 600;
// The shortest page ("PageStart", "PageEnd" and their line ends) and the
// shortest number (a digit and its separator), for checking counts against
// what remains of the file.
constexpr long kMinPageBytes = 16;
constexpr long kMinNumberBytes = 2;

// The bytes of a text score, read from the stream in chunks of a megabyte and
// taken apart where they lie: no call into stdio and no string per number.
// Words, numbers and lines follow the text-file readers of modTQUtil exactly.
class TTextInput {
public:
    explicit TTextInput(FILE* f) : f_(f), buffer_(std::size_t(1) << 20, '\0') {}

    // Raw bytes taken so far, as ftell would count them.
    long Position() const { return long(taken_ + pos_); }

    // One byte with CR LF read as LF; EOF at the end.
    int Get() {
        const int c = Raw();
        if (c == '\r' && Peek() == '\n') {
            ++pos_;
            return '\n';
        }
        return c;
    }

    // ReadTextLine: at most maxLength bytes kept, the rest of the line skipped.
    bool Line(std::string& line, std::size_t maxLength) {
        line.clear();
        bool any = false;
        for (;;) {
            const int c = Get();
            if (c == EOF || c == 0xFF)
                return any;
            any = true;
            if (c == '\n')
                return true;
            if (line.size() < maxLength)
                line.push_back(char(c));
        }
    }

    // ReadWord into word (at most maxLength <= kMaxWord bytes); returns the
    // byte that ended it as ReadWord does, -1 when no word was left.
    static constexpr std::size_t kMaxWord = 99;
    int Word(char* word, std::size_t& length, std::size_t maxLength = kMaxWord) {
        const int fast = FastWord(word, length, maxLength);
        if (fast != kSlow)
            return fast;
        length = 0;
        int c;
        do {
            c = Get();
            if (c == EOF || c == 0xFF)
                return -1;
        } while (c < 33 || c > 124);
        const bool quoted = c == '"';
        if (!quoted) {
            if (maxLength == 0)
                return static_cast<signed char>(c);
            word[length++] = char(c);
        }
        for (;;) {
            if (length >= maxLength)
                return length == 0 ? 0 : static_cast<signed char>(word[length - 1]);
            c = Get();
            if (c == EOF || c == 0xFF)
                return 0;
            if (quoted ? c == '"' : (IsBlank(c) || (c >= 0x80 && c <= 0xFE && c != 0xFA)))
                return static_cast<signed char>(c);
            word[length++] = c == 0xFA ? '"' : char(c);
        }
    }

    // Takes the next word as Word would when it is exactly `word` ended by a
    // blank, straight on the buffer; false, having taken nothing, otherwise.
    bool SkipWord(std::string_view word) {
        const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data());
        const unsigned char* p = FastWordStart();
        if (!p || word.size() >= kMaxWord || std::memcmp(p, word.data(), word.size()) != 0 ||
            !IsBlank(p[word.size()]))
            return false;
        p += word.size();
        p += (p[0] == '\r' && p[1] == '\n') ? 2 : 1;
        pos_ = std::size_t(p - b);
        return true;
    }

    // ReadInt: the word's leading sign and digits, saturating.
    [[gnu::always_inline]] int Int(int* status = nullptr) {
        int number = 0;
        const int fast = FastInt(number);
        if (fast == kSlow)
            return SlowInt(status);
        if (status)
            *status = fast;
        return number;
    }

    // ReadFloat: the word's leading number with '.' decimals.
    [[gnu::always_inline]] double Float() {
        // A plain integer of up to nine digits (most sizes and offsets are 0
        // or 1) is its own value; anything else goes through from_chars.
        const std::size_t before = pos_;
        int number = 0;
        bool negative = false;
        std::ptrdiff_t digits = 0;
        if (FastInt(number, &negative, &digits) != kSlow) {
            if (digits >= 1 && digits <= 9)
                return number == 0 && negative ? -0.0 : double(number);
            pos_ = before; // read it again as a float
        }
        return SlowFloat();
    }

private:
    [[gnu::noinline]] int SlowInt(int* status) {
        char w[kMaxWord];
        std::size_t n = 0;
        const int result = Word(w, n);
        if (status)
            *status = result;
        std::size_t i = 0;
        bool negative = false;
        if (i < n && (w[i] == '-' || w[i] == '+'))
            negative = w[i++] == '-';
        long long value = 0;
        for (; i < n && w[i] >= '0' && w[i] <= '9'; ++i) {
            value = value * 10 + (w[i] - '0');
            if (value > static_cast<long long>(INT_MAX) + 1)
                value = static_cast<long long>(INT_MAX) + 1;
        }
        if (negative)
            value = -value;
        return value > INT_MAX ? INT_MAX : static_cast<int>(value);
    }
    [[gnu::noinline]] double SlowFloat() {
        char w[kMaxWord];
        std::size_t n = 0;
        Word(w, n);
        const char* begin = w;
        const char* end = w + n;
        if (begin != end && *begin == '+')
            ++begin;
        double value = 0.0;
        const auto [stop, ec] = std::from_chars(begin, end, value, std::chars_format::general);
        (void)stop;
        return ec == std::errc() ? value : 0.0;
    }
    static bool IsBlank(int c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    // Int for the common case, a sign and digits ended by a blank, straight
    // on the buffer; kSlow, having taken nothing, for anything else.
    // The first byte of the next word on the buffer, or nullptr when the slow
    // path must read it: a 0xFF byte comes first, or the word begins too near
    // the buffer's end for every byte it may take, its end and a line feed
    // after it to lie inside.
    const unsigned char* FastWordStart() const {
        if (end_ - pos_ < 4 * kMaxWord)
            return nullptr;
        const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data());
        const unsigned char* p = b + pos_;
        const unsigned char* limit = b + end_ - (kMaxWord + 4);
        while (p < limit && (*p < 33 || *p > 124)) {
            if (*p == 0xFF)
                return nullptr;
            ++p;
        }
        return p < limit ? p : nullptr;
    }
    [[gnu::always_inline]] int FastInt(int& result, bool* negativeOut = nullptr, std::ptrdiff_t* digitsOut = nullptr) {
        const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data());
        const unsigned char* p = FastWordStart();
        if (!p)
            return kSlow;
        const unsigned char* first = p;
        bool negative = false;
        if (*p == '-' || *p == '+')
            negative = *p++ == '-';
        // Up to 18 digits cannot overflow; longer numbers take the slow path,
        // which saturates digit by digit.
        const unsigned char* digits = p;
        long long value = 0;
        for (; unsigned(*p - '0') <= 9u; ++p) {
            if (p - digits == 18)
                return kSlow;
            value = value * 10 + (*p - '0');
        }
        int c = *p;
        if (p == first || !IsBlank(c))
            return kSlow;
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
        if (digitsOut) {
            *digitsOut = p - first - (*first == '-' || *first == '+');
            *negativeOut = negative;
        }
        ++p;
        if (c == '\r' && *p == '\n') {
            ++p;
            c = '\n';
        }
        pos_ = std::size_t(p - b);
        if (negative)
            value = -value;
        result = value > INT_MAX ? INT_MAX : static_cast<int>(value);
        return c;
    }
    // Word for the common case, straight on the buffer: an unquoted word that
    // ends well before the buffer does. Returns kSlow, having taken nothing,
    // for anything else (a quote, a 0xFF byte, the buffer's end near).
    static constexpr int kSlow = INT_MIN;
    int FastWord(char* word, std::size_t& length, std::size_t maxLength) {
        const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data());
        const unsigned char* p = FastWordStart();
        if (!p || *p == '"')
            return kSlow;
        length = 0;
        if (maxLength == 0) {
            pos_ = std::size_t(p + 1 - b);
            return static_cast<signed char>(*p);
        }
        word[length++] = char(*p++);
        for (;;) {
            if (length >= maxLength) {
                pos_ = std::size_t(p - b);
                return static_cast<signed char>(word[length - 1]);
            }
            int c = *p++;
            if (c == '\r' && *p == '\n') {
                ++p;
                c = '\n';
            }
            if (c == 0xFF) {
                pos_ = std::size_t(p - b);
                return 0;
            }
            if (IsBlank(c) || (c >= 0x80 && c <= 0xFE && c != 0xFA)) {
                pos_ = std::size_t(p - b);
                return static_cast<signed char>(c);
            }
            word[length++] = c == 0xFA ? '"' : char(c);
        }
    }
    int Raw() {
        if (pos_ == end_ && !Fill())
            return EOF;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    int Peek() {
        if (pos_ == end_ && !Fill())
            return EOF;
        return static_cast<unsigned char>(buffer_[pos_]);
    }
    bool Fill() {
        if (!f_)
            return false;
        taken_ += end_;
        pos_ = end_ = 0;
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), f_);
        if (end_ == 0)
            f_ = nullptr; // the end, or a read error: nothing more comes
        return end_ > 0;
    }

    FILE* f_;
    std::string buffer_;
    std::size_t pos_ = 0, end_ = 0;
    std::size_t taken_ = 0; // bytes of the file before buffer_[0]
};

class TTextScoreReader {
public:
    TTextScoreReader(FILE* f, long fileSize, const std::string& folder) : in_(f), size_(fileSize), folder_(folder) {}

    bool Line(std::string& line) {
        if (!in_.Line(line, kMaxLine))
            return false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }
    bool Line(TCellText& text) {
        if (!Line(line_))
            return false;
        text = std::string_view(line_);
        return true;
    }
    // True when the next whitespace-separated word is the keyword.
    bool Keyword(std::string_view keyword, bool& any) {
        char w[TTextInput::kMaxWord];
        std::size_t n = 0;
        any = in_.Word(w, n) != -1 || n > 0;
        return any && std::string_view(w, n) == keyword;
    }
    [[gnu::always_inline]] int Int() { return in_.Int(); }
    int Int(int& status) { return in_.Int(&status); }
    [[gnu::always_inline]] double Float() { return in_.Float(); }
    long Remaining() const {
        const long pos = in_.Position();
        return pos > size_ ? 0 : size_ - pos;
    }

    bool Page(TPage& page, int cols, int rows, int version);

private:
    bool Cell(TCell& cell, int version);
    bool CompressNotes(TCell& cell, int version);

    TTextInput in_;
    std::string line_; // reused for lines that go into cells
    long size_;
    std::string folder_;
};

bool TTextScoreReader::CompressNotes(TCell& cell, int version) {
    int count = Int();
    if (count < 0 || long(count) > Remaining() / (6 * kMinNumberBytes))
        return false;
    cell.CompressNotes.clear();
    cell.CompressNotes.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        TCompressNote n;
        n.code = Int();
        n.value = Int();
        n.octave = Int();
        n.option = uint32_t(Int());
        n.attr = uint32_t(Int());
        Int(); // not used
        if (n.option == 0xFFFFFFFFu || version < 39)
            n.option = 0;
        if (n.attr == 0xFFFFFFFFu || n.attr == 11)
            n.attr = 0;
        UpgradeDotFlags(cell, n.attr, n.option, version);
        if (version < 405)
            n.attr = UpgradeAttrCode(cell, n.attr, n.option, version);
        if (n.attr == 16)
            n.attr = 0;
        cell.CompressNotes.push_back(n);
    }
    return true;
}

bool TTextScoreReader::Cell(TCell& cell, int version) {
    // 1. fields 1 to 15
    cell.cellType = Int();
    const int storedType = cell.cellType;
    cell.Note = Int();
    cell.upNote = Int();
    if (version >= 406)
        cell.FontColor = Int();
    cell.dot = Int();
    cell.UL = Int();
    cell.iEnd = Int();
    cell.jEnd = Int();
    cell.fontSizeR = ClampFileFloat(Float(), 0.0f, kMaxFileSizeFactor, 1.0f);
    cell.xAdj = ClampFileFloat(Float(), -kMaxFileCellOffset, kMaxFileCellOffset, 0.0f);
    cell.yAdj = ClampFileFloat(Float(), -kMaxFileCellOffset, kMaxFileCellOffset, 0.0f);
    cell.markType = Int();
    cell.shrinkRate = Int();
    cell.Attr = uint32_t(Int());
    cell.option = uint32_t(Int());
    if (cell.option == 0xFFFFFFFFu)
        cell.option = 0;
    // 2. flags and codes of old versions
    UpgradeDotFlags(cell, cell.Attr, cell.option, version);
    if (version < 405)
        cell.Attr = UpgradeAttrCode(cell, cell.Attr, cell.option, version);
    // 3. tempo cells kept their speed in Attr
    if (version < 405 && cell.cellType == ctTempo) {
        cell.FontColor = int32_t(cell.Attr);
        cell.Attr = 0;
    }
    // 4. small notes
    if (version >= 21) {
        if (!CompressNotes(cell, version))
            return false;
    } else {
        Int();
    }
    // 5. mark adjustments and the tail
    if (version >= 101) {
        auto adj = [this]() {
            int v = Int();
            return v < -9999 ? 0 : v;
        };
        cell.markHAdj = adj();
        cell.markWAdj = adj();
        cell.MarkY = adj();
        cell.EndYAdj = adj();
        Int();
    } else {
        cell.markHAdj = cell.markWAdj = cell.MarkY = cell.EndYAdj = 0;
    }
    // The tail follows the type as stored: old grace cells (5 and 6) carry a
    // second small-note list although the upgrade made them Jianpu cells.
    if (storedType == ctText) {
        if (!Line(cell.Text) || !Line(cell.FontName))
            return false;
        cell.FontCharset = Int();
        cell.FontStyle = Int();
        Int();
        Int();
        Int();
    } else if (storedType == ctImage) {
        std::string ref;
        if (!Line(ref))
            return false;
        if (ExtractFilePath(ref).empty() && !ref.empty())
            ref = folder_ + ref;
        cell.Text = ref;
        Int();
        Int();
        Int();
    } else if ((storedType == 5 || storedType == 6) && version <= 200) {
        // A second small-note list, in the form the version gives the first.
        if (version >= 21) {
            if (!CompressNotes(cell, version))
                return false;
        } else {
            Int();
        }
    } else if (storedType == ctWestern) {
        RenumberClefKeyCode(cell);
        int count = Int();
        if (count < 0 || long(count) > Remaining() / (4 * kMinNumberBytes))
            return false;
        cell.westChordArray.clear();
        cell.westChordArray.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i) {
            TWestChord w;
            w.interval = Int();
            w.attr = uint32_t(Int());
            Int();
            Int();
            w.option = 0;
            if (version < 360)
                w.attr = UpgradeChordAttr(version, w.attr);
            else if (version < 405)
                w.attr = UpgradeAttrCode(cell, w.attr, w.option, version);
            cell.westChordArray.push_back(w);
        }
        if (version < 409 && (cell.option & 1u))
            ReverseWestChordOrder(cell);
        if (IsWholeNoteValue(cell))
            cell.option &= ~1u;
    }
    // 6. the old two-note form becomes a vertical chord
    if (version < 340 && cell.cellType == ctJianpu && HasUpNote(cell)) {
        std::vector<TCompressNote> notes;
        TCompressNote main;
        main.code = cell.Note;
        main.octave = cell.dot;
        notes.push_back(main);
        TCompressNote upper;
        upper.code = cell.upNote;
        upper.octave = int32_t(cell.option);
        notes.push_back(upper);
        for (const TCompressNote& n : cell.CompressNotes) {
            TCompressNote e;
            e.code = n.code;
            e.octave = n.octave;
            notes.push_back(e);
        }
        cell.CompressNotes = std::move(notes);
        SetAttrNibble(cell.Attr, 0xB0);
        cell.Note = 32;
        cell.upNote = 32;
    }
    // 7. fields this format does not carry
    cell.auxByte = 0;
    cell.stemAdj = 0.0f;
    cell.playDur = 0;
    cell.AdvPlay = {100, 100, 100, 0};
    // 8. the Jianpu note font
    if (IsShrinkCell(cell) || IsVerticalCell(cell) || IsGraceCell(cell) || IsJianpuNoteChar(cell.Note))
        cell.FontName = "NT";
    // 9. dots kept in Attr
    if (version <= 400) {
        if (cell.Attr == 11) {
            cell.option |= 8;
            cell.Attr = 0;
        } else if (cell.Attr == 16) {
            cell.option |= 64;
            cell.Attr = 0;
        }
    }
    // 10. old codes
    if (version <= 405)
        UpgradeCellCodes(cell);
    ClampCellFileValues(cell);
    return true;
}

bool TTextScoreReader::Page(TPage& page, int cols, int rows, int version) {
    // The keywords are words: they may share a line with others.
    bool any = false;
    if (!Keyword("PageStart", any))
        return false;
    for (;;) {
        if (!in_.SkipWord("cell")) {
            char w[TTextInput::kMaxWord];
            std::size_t n = 0;
            if (in_.Word(w, n) == -1 && n == 0)
                return false;
            const std::string_view word(w, n);
            if (word == "PageEnd")
                return true;
            if (word != "cell")
                return false;
        }
        int col = Int();
        int row = Int();
        if (col < 0 || col > cols || row < 0 || row > rows || row >= int(page.size()) ||
            col >= int(page[row].size()))
            return false;
        if (!Cell(page[row][col], version))
            return false;
    }
}

} // namespace

bool LoadTextScore(const std::string& fileName, TMainScore* main, bool quiet) {
    FILE* f = OpenRegularFileStream(fileName);
    if (!f || !main) {
        if (f)
            std::fclose(f);
        if (!quiet)
            MessageOkById(1044, "\n" + fileName, mkError);
        return false;
    }
    bool ok = LoadTextScoreStream(f, fileName, main, quiet);
    std::fclose(f);
    return ok;
}

bool LoadTextScoreStream(FILE* f, const std::string& fileName, TMainScore* main, bool quiet) {
    if (!f || !main)
        return false;
    auto fail = [&](int id) {
        if (!quiet)
            MessageOkById(id, "\n" + fileName, mkError);
        return false;
    };
    long size = 0;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0)
        return fail(1044);

    TTextScoreReader in(f, size, ExtractFilePath(fileName));
    std::string line;
    if (!in.Line(line) || line != "Tonquill Version")
        return fail(1045);
    const int version = RoundToInt(in.Float() * 100.0);
    const int pageCount = in.Int();
    if (pageCount == 0)
        return fail(1052);
    if (pageCount < 0 || long(pageCount) > in.Remaining() / kMinPageBytes)
        return fail(1045);

    TMainScore fresh;
    PrepareFreshScore(*main, fresh);
    TCurrentScore current(&fresh);
    CurLayer = 0;
    fresh.PageCount = pageCount;

    if (!in.Line(fresh.NoteFontName))
        return fail(1045);
    fresh.NoteFontCharset = in.Int();
    in.Int(); // style, not used
    fresh.CellWidth = in.Int();
    fresh.LeftMargin = in.Int();
    fresh.RightMargin = in.Int();
    fresh.TopMargin = in.Int();
    fresh.BottomMargin = in.Int();
    fresh.PageNumberStart = in.Int();
    fresh.PaperType = in.Int();
    if (fresh.PaperType < 0)
        fresh.PaperType = 2;
    double w = in.Float();
    double h = in.Float();
    // Beyond what a float holds is as wrong as any size the page check refuses.
    const float refused = std::numeric_limits<float>::quiet_NaN();
    fresh.PaperWidth = w < 0 ? 8.5f : ClampFileFloat(w, 0.0f, 1.0e6f, refused);
    fresh.PaperHeight = h < 0 ? 11.0f : ClampFileFloat(h, 0.0f, 1.0e6f, refused);
    fresh.PaperOri = in.Int();
    if (fresh.PaperOri < 0)
        fresh.PaperOri = 0;
    in.Int(); // not used
    for (int i = 0; i < 11; ++i)
        in.Line(line);

    const int pagesToRead = quiet ? 1 : pageCount;
    if (!MakeFreshPages(fresh, std::size_t(pagesToRead), std::size_t(size)))
        return fail(1045);
    const TPage blank = fresh.PageSets[0][0];
    for (int p = 0; p < pagesToRead; ++p)
        if (!in.Page(fresh.PageSets[0][p], fresh.Cols, fresh.Rows, version))
            return fail(1045);

    if (!quiet) {
        int status = 0;
        const int n1 = in.Int(status);
        if (status != -1 && n1 >= 1 && n1 <= pageCount + 1) {
            for (int i = 0; i < 5; ++i)
                in.Int();
            if (long(n1) > in.Remaining() / kMinPageBytes || !MorePagesAllowed(fresh, std::size_t(n1), std::size_t(size)))
                return fail(1045);
            CurLayer = 1;
            fresh.PageSets[1].assign(std::size_t(n1), blank);
            for (int p = 0; p < n1; ++p)
                if (!in.Page(fresh.PageSets[1][p], fresh.Cols, fresh.Rows, version))
                    return fail(1045);
        }
    }
    TakeOverScore(fresh, *main);
    AscScoreFile.Main = main;
    return true;
}
