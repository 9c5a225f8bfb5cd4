#pragma once
// Bar rhythm: one bar of every staff of the group measured in bits (1024 to a
// whole note), its onsets found, and the steps of the play list trimmed so that
// they follow the written rhythm across staves.
#include <vector>

#include "model/modTQCell.h"

class TPlayState;

// One step of a bar: its length in bits and the score column of its onset.
struct TPlayBitLength {
    int Bits = 0;
    int Column = 0;
    bool operator==(const TPlayBitLength&) const = default;
};

class TBitCount {
public:
    // Tuplet scratch of one slot while a bar is counted.
    struct TTupletScratch {
        int Count = 0;   // notes under the tuplet mark; 0 none
        int LastCol = 0; // last column of the mark
        int Given = 0;   // bits given so far
    };

    explicit TBitCount(TPlayState& owner) : owner_(owner) {}

    std::vector<std::vector<int>> Bits;         // [staff x 2 + layer][bit time]: length of the onset there
    std::vector<int> Columns;                   // [bit time]: column of the onset, -1 none
    std::vector<TPlayBitLength> Steps;          // one per onset, in time order
    std::vector<std::vector<TPlayBitLength>> Spare;
    int BarLength = 1024;
    int StartColumn = -1; // the column the last Count started at; -1 none since Clear

    // Measures the bar of every staff of GroupRows that starts at startColumn and fills Steps.
    void Count(int startColumn);
    // Bits of one cell; the tuplet scratch is advanced.
    int CellBits(const TCell& cell, int column, TTupletScratch& tuplet) const;
    // Shortens the Duration of the notes items after the last refresh item by Steps; empties Steps.
    void ApplySteps();
    // Empties every inner vector of Bits and Steps.
    void Clear();
    // 1 + the number of bit times from t on where no slot has an onset.
    int NextOnsetDistance(int t) const;
    // Bar length of a time signature; the current one when den is not a power of two 1..64.
    static int BarLengthOf(int num, int den, int current);

private:
    TPlayState& owner_;
};
