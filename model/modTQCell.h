#pragma once
// The cell record of the page grid and its two satellite lists.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One small note of a shrunk or vertical-chord Jianpu cell, or one note of a
// multi-note Western cell.
struct TCompressNote {
    int32_t code = 0;    // the note's Note value
    int32_t value = 0;   // Jianpu underline count, or Western staff position
    int32_t octave = 0;  // the note's dot value (octave dots)
    uint32_t attr = 0;   // the note's Attr
    uint32_t option = 0; // the note's option
    int32_t headX = 0;   // run-time x centre of the head (Western groups); not stored
    bool operator==(const TCompressNote&) const = default;
};

// One further note of a Western chord.
struct TWestChord {
    int32_t interval = 0; // staff steps to its neighbour in the chord
    uint32_t attr = 0;
    uint32_t option = 0;
    int32_t headY = 0;    // run-time y of the head; stored as 0
    bool operator==(const TWestChord&) const = default;
};

// Cell kinds (cellType).
enum : int32_t {
    ctJianpu = 0,
    ctSymbol = 1,
    ctText = 3,
    ctTempo = 4,
    ctImage = 7,
    ctWestern = 8,
    ctTimeSig = 9,
    ctGongche = 10,
    ctTextSymbol = 11,
    ctSoundEffect = 12,
};

// One grid cell. A plain record copied by value; strings and lists are deep copies.
// Fields are in the order of the record; the reset values are those of ResetCell.
struct TCell {
    int32_t Note = 32;
    int32_t FontColor = 32;
    int32_t upNote = 32;
    int32_t cellType = 0;
    int32_t markType = 0;
    int32_t markHAdj = 0;
    int32_t markWAdj = 0;
    int32_t MarkY = 0;
    int32_t EndYAdj = 0;
    int32_t UL = 0;
    uint32_t option = 0;
    uint32_t Attr = 0;
    int32_t playDur = 0;
    int32_t dot = 0;
    int32_t shrinkRate = 0;
    int32_t color = -1;
    std::array<uint8_t, 4> AdvPlay{100, 100, 100, 0};
    float fontSizeR = 1.0f;
    int32_t iEnd = -1;
    int32_t jEnd = -1;
    std::string Text;     // bytes in the code page of FontCharset
    std::string FontName; // bytes, stored as a 50-byte field in files
    int32_t FontStyle = 0;
    int32_t FontCharset = 0;
    float xAdj = 0.0f;
    float yAdj = 0.0f;
    float stemAdj = 0.0f;
    uint8_t auxByte = 0;
    std::vector<TCompressNote> CompressNotes;
    std::vector<TWestChord> westChordArray;
    int32_t breakPoint = 0;
    int32_t scratch = 0;

    bool operator==(const TCell&) const = default;
};

using TCellRow = std::vector<TCell>;
using TPage = std::vector<TCellRow>;      // Rows + 1 rows of Cols + 1 cells
using TLayer = std::vector<TPage>;
using TPageSets = std::array<TLayer, 2>;  // [layer][page][row][column]
