#pragma once
// Helpers of the score-file tests: a new score with the default page, a
// snapshot of everything an open may change, and little-endian byte builders.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

#include "model/modTQBinFile.h"
#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"

// Short form of a cell in failure messages.
inline void PrintTo(const TCell& c, std::ostream* os) {
    *os << "{type " << c.cellType << " note " << c.Note << " fc " << c.FontColor << " up " << c.upNote
        << " attr 0x" << std::hex << c.Attr << " opt 0x" << c.option << std::dec << " dot " << c.dot << " ul "
        << c.UL << " charset " << c.FontCharset << " font '" << c.FontName << "' text '" << c.Text
        << "' small " << c.CompressNotes.size() << " chord " << c.westChordArray.size() << "}";
}

namespace tqfiletest {

// "" when the layers hold the same cells, else where they first differ.
inline std::string FirstDifference(const TLayer& a, const TLayer& b) {
    if (a.size() != b.size())
        return "page counts " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (std::size_t p = 0; p < a.size(); ++p) {
        if (a[p].size() != b[p].size())
            return "row counts of page " + std::to_string(p);
        for (std::size_t r = 0; r < a[p].size(); ++r) {
            if (a[p][r].size() != b[p][r].size())
                return "column counts of row " + std::to_string(r);
            for (std::size_t c = 0; c < a[p][r].size(); ++c)
                if (!(a[p][r][c] == b[p][r][c])) {
                    std::ostringstream os;
                    os << "page " << p << " row " << r << " col " << c << ": ";
                    PrintTo(a[p][r][c], &os);
                    os << " vs ";
                    PrintTo(b[p][r][c], &os);
                    return os.str();
                }
        }
    }
    return "";
}

// A new score as the program makes it: default paper, margins and cell size,
// one empty page of layer 0, current while the object lives.
class NewScore {
public:
    NewScore() : current_(&score) {
        score.CalcPageGrid();
        score.AllocatePage(0, 0, true, 0, 0);
        CurLayer = 0;
    }
    TMainScore score;
    TCell& At(int col, int row, int page = 0, int layer = 0) { return score.PageSets[layer][page][row][col]; }
    void AddPages(int layer, int count) {
        for (int p = 0; p < count; ++p)
            score.AllocatePage(layer, int(score.PageSets[layer].size()), true, 0, 0);
    }

private:
    TCurrentScore current_;
};

// What an open may change, to check that a failed open changed nothing.
struct ScoreState {
    TPageSets pages;
    int cols = 0, rows = 0, pageCount = 0, curPage = 0, cellWidth = 0, margins[4] = {};
    float paperWidth = 0, paperHeight = 0, hintSize = 0;
    int hintMode = 0, textSymSize = 0;
    std::string noteFont, fileName;
    explicit ScoreState(const TMainScore& s)
        : pages(s.PageSets), cols(s.Cols), rows(s.Rows), pageCount(s.PageCount), curPage(s.CurPage),
          cellWidth(s.CellWidth), margins{s.LeftMargin, s.RightMargin, s.TopMargin, s.BottomMargin},
          paperWidth(s.PaperWidth), paperHeight(s.PaperHeight), hintSize(s.HintSize), hintMode(s.HintMode),
          textSymSize(s.TextSymSize), noteFont(s.NoteFontName), fileName(s.FileName) {}
    bool operator==(const ScoreState& o) const {
        return pages == o.pages && cols == o.cols && rows == o.rows && pageCount == o.pageCount &&
               curPage == o.curPage && cellWidth == o.cellWidth &&
               std::memcmp(margins, o.margins, sizeof margins) == 0 && paperWidth == o.paperWidth &&
               paperHeight == o.paperHeight && hintSize == o.hintSize && hintMode == o.hintMode &&
               textSymSize == o.textSymSize && noteFont == o.noteFont && fileName == o.fileName;
    }
};

// Installs a message recorder for the life of the object.
class Messages {
public:
    Messages() { SetMessageBoxes(&recorder); }
    ~Messages() { SetMessageBoxes(nullptr); }
    TMessageRecorder recorder;
    // Ids of the boxes shown, in order.
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& r : recorder.shown)
            ids.push_back(r.id);
        return ids;
    }
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(data.data(), std::streamsize(data.size()));
}

inline uint32_t WordAt(const std::string& data, std::size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(data[offset + std::size_t(i)]);
    return v;
}

inline void PutWord(std::string& data, std::size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data[offset + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// A complete 24-bit BMP picture, one row of pixels whose bytes are mark
// (padded to a multiple of three), so that a test can find it in a file.
inline std::string BmpPicture(const std::string& mark) {
    std::string pixels = mark;
    pixels.resize((pixels.size() + 2) / 3 * 3, '\0');
    const uint32_t width = uint32_t(pixels.size() / 3);
    pixels.resize((pixels.size() + 3) / 4 * 4, '\0');
    std::string b(54, '\0');
    b[0] = 'B';
    b[1] = 'M';
    PutWord(b, 2, uint32_t(54 + pixels.size()));
    PutWord(b, 10, 54);
    PutWord(b, 14, 40);
    PutWord(b, 18, width);
    PutWord(b, 22, 1);
    b[26] = 1;  // planes
    b[28] = 24; // bits per pixel
    PutWord(b, 34, uint32_t(pixels.size()));
    return b + pixels;
}

} // namespace tqfiletest
