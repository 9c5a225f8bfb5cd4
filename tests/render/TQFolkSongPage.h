#pragma once
// Two small real pages for the drawing tests.
//
// The Jianpu folk song 茉莉花 (Jiangsu), 1=F, 2/4: its first phrase twice and
// the close, each note row with its lyrics in text cells under the notes (one
// syllable a cell, Chinese in the first verse, English in the second).
//
// A Gongche tune: the same phrase written in Gongche characters, two columns a
// character, with characters of the lower and upper octave side by side.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/TQCodec.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQViewFixture.h"

constexpr int kFolkSongCols = 24;
constexpr int kFolkSongRows = 8;

// A lyric syllable: a text cell in the Chinese font (GBK) or the English one.
inline TCell LyricCell(std::string_view utf8) {
    TCell c;
    c.cellType = ctText;
    const bool ascii = std::none_of(utf8.begin(), utf8.end(), [](char ch) { return (ch & 0x80) != 0; });
    if (ascii) {
        c.Text = std::string(utf8);
        c.FontName = "EN";
        c.FontCharset = 0;
    } else {
        c.Text = EncodeFromUserInput(utf8, 134).value_or(std::string());
        c.FontName = "CN";
        c.FontCharset = 134;
    }
    return c;
}

// The syllables of a lyric row, one per column from column 0 ("" leaves a
// column empty).
inline void LyricRow(TViewFixture& fx, int row, const std::vector<std::string_view>& syllables) {
    for (size_t i = 0; i < syllables.size(); ++i)
        if (!syllables[i].empty())
            fx.At(static_cast<int>(i), row) = LyricCell(syllables[i]);
}

inline void BuildFolkSongPage(TViewFixture& fx) {
    fx.Row(0, "\"1=F\" ~ ~ T:2/4");
    // | 3 35 | 6 1' 6 5 | 5 56 | 5 - |   好一朵美丽的茉莉花
    fx.Row(1, "| 3 3_ 5_ | 6_ 1'_ 6_ 5_ | 5 5_ 6_ | 5 - |");
    LyricRow(fx, 2, {"", "好", "一", "朵", "", "美", "丽", "的", "", "", "茉", "莉", "", "", "花"});
    fx.Row(3, "| 3 3_ 5_ | 6_ 1'_ 6_ 5_ | 5 5_ 6_ | 5 - |");
    LyricRow(fx, 4,
             {"", "What", "a", "love", "", "ly", "jas", "mine", "", "", "flow", "er", "", "", "there"});
    // | 6 1' 1' 6 | 5 - | 3 2 1 6, 5, | 1 - ||
    fx.Row(5, "| 6_ 1'_ 1'_ 6_ | 5 - | 3__ 2__ 1_ 6,_ 5,_ | 1 - ||");
    LyricRow(fx, 6, {"", "芬", "芳", "美", "丽", "", "满", "", "", "枝", "桠", "又", "香", "白", "", "夸"});
}

constexpr int kGongcheTuneCols = 24;
constexpr int kGongcheTuneRows = 4;

inline void BuildGongcheTunePage(TViewFixture& fx) {
    // 3 3 5 6 1' 6 5 5 5 6 5, then the close an octave lower:
    // 6, 1 1 6, 5, 3, 2, 1, 6,, 5,, 1, (characters of the lower octave with
    // their marks beside the ones that have their own).
    const std::vector<std::vector<std::pair<int, int>>> rows = {{{'3', 0},
                                                                 {'3', 0},
                                                                 {'5', 0},
                                                                 {'6', 0},
                                                                 {'1', 1},
                                                                 {'6', 0},
                                                                 {'5', 0},
                                                                 {'5', 0},
                                                                 {'5', 0},
                                                                 {'6', 0},
                                                                 {'5', 0}},
                                                                {{'6', -1},
                                                                 {'1', 0},
                                                                 {'1', 0},
                                                                 {'6', -1},
                                                                 {'5', -1},
                                                                 {'3', -1},
                                                                 {'2', -1},
                                                                 {'1', -1},
                                                                 {'6', -2},
                                                                 {'5', -2},
                                                                 {'1', -1}}};
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t i = 0; i < rows[r].size(); ++i)
            fx.At(static_cast<int>(2 * i), static_cast<int>(2 * r + 1)) =
                GongcheCell(rows[r][i].first, rows[r][i].second);
}
