#pragma once
// The measure beat check: the notes and rests of every measure are added up in
// ticks (a whole note 128, a quarter 32) and each measure whose total differs
// from what the time signature asks for is marked with a yellow highlight.
// Western staff rows and Jianpu rows are checked, on layer 0 and on the layer-1
// twin of a page. The check only reads the score.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "model/modTQMainScore.h"

class TTQVerify {
public:
    // scope: 0 all pages, 1 from the cursor row to the end, 2 the selected rows.
    TTQVerify(int scope, bool keepOwnLists);

    int32_t Scope = 0;
    int32_t StartPage = 0;
    int32_t Beats = 4;
    int32_t BeatUnit = 4;
    int32_t MeasureTicks = 128;
    int32_t GroupTicks = 128;
    int32_t TimeSigRow = -1;
    float AverageTicks = 0.0f;
    int32_t TripletSize = 0;
    int32_t TripletLevel = 0;
    int32_t MeasureCount = 0;
    int32_t TickSum = 0;
    uint8_t KeepOwnLists = 0;
    // The object's own marks when KeepOwnLists is set: [layer][page].
    std::array<std::vector<std::vector<TMeasure>>, 2> PageMeasures;

    // Allows simplified triplets (menu "Allow Simplified Triplets").
    bool AllowSimplifiedTriplets = false;

    // False when the user refused the guessed time signature.
    bool VerifyMeasures();

    // Ticks of a tuplet group of count notes of that duration level.
    static int NoteTicks(int level, int count);
    // (beats x 128) / unit; 0 for a unit below 1.
    static int TicksPerMeasure(int beats, int unit);

private:
    int selRow0_ = 0, selRow1_ = 0;
    bool guessing_ = false; // the first page is read for a guessed time signature
    bool FindTimeSignature();
    void CheckPage(int layer);
    void CheckRow(int row, bool west, int layer);
    bool InScope(int row) const;
    void Mark(int col, int row, int layer);
    int CountCell(const TCellRow& cells, int& col, int row, bool west, int layer);
    int CountShrunk(const TCell& cell, bool west) const;
    int CountSimplifiedTriplets(const TCellRow& cells, int& col, bool west) const;
};

// The Verify menu: RunVerify(0) "Whole Score" (619), RunVerify(1) "Selected Line
// to End of Page" (615), RunVerify(2) "Selected Rows" (616). The check item
// "Allow Simplified Triplets" (637) is read through VerifyAllowSimplifiedTriplets.
void RunVerify(int scope);
void mitVerifyAllPageClick();
void mitVerifyToEndClick();
void mitVerifySelectClick();
// Toggles "Allow Simplified Triplets" and returns the new check mark.
bool mitVerifyAlowSimplifyTriplateClick();
bool& VerifyAllowSimplifiedTriplets();
// "Clear Verify Result" (606): empties the highlights and redraws the page.
void mitClearVerifyResultClick();
