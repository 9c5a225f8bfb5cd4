#pragma once
// Part breakdown: from every system of every page the chosen staves (with
// optional neighbouring lines) are packed onto new pages that replace the
// score, behind one whole-score undo item. The staves are chosen by line
// number within the system, by instrument name, by bracket number, or as the
// highlighted staves. The dialog (edit/frmTQBreakdown.h) holds one TBreakdown
// and copies its controls into Options.
#include <array>
#include <string>
#include <vector>

#include "model/modTQCell.h"

struct TBreakdownOptions {
    int Rule = 0;           // 0 line number, 1 instrument name, 2 bracket number, 3 highlighted lines
    std::string Pick = "1"; // numbers or names separated by commas
    bool Top = false;       // the line(s) above each system
    int TopLines = 1;
    bool Pre = true;        // the line(s) above each chosen staff
    int PreLines = 1;
    bool Follow = true;     // the line(s) below each chosen staff
    int FollowLines = 1;
    int Space = 2;          // empty rows after each extracted system
};

class TBreakdown {
public:
    TBreakdownOptions Options;

    std::array<TPage, 2> OutPage;
    std::array<std::vector<TPage>, 2> ResultPages;
    int OutRow = 0;
    int ScanRow = 0;
    int GroupStartCol = 0;
    bool HasLayer1 = false;
    std::vector<int> Numbers;
    std::vector<std::string> Names;
    std::string NewFileName; // the name the part score gets

    // Builds the part score; false (score unchanged, message 1042, 1409 or
    // 1410) when nothing was changed.
    bool ExtractParts(int rule);
    bool ProcessGroup(int first, int last);
    int PickStaffRow(int i, int first, int last) const;
    void CopyRows(int srcFirst, int srcLast, int target, int partCount);
    void FlushOutputPage();
    void FinishParts();
    std::string NumbersSuffix() const;
    std::string NamesSuffix() const;
    int BracketEndRow(int row) const;
    bool IsPartRow(int row) const;

    static constexpr int kMaxSystems = 15000;
    static constexpr int kCleanMarker = 2018;

private:
    int rule_ = 0;
    void ResetOutPage();
};

// The command may start: the score is saved (else message 1038, false).
bool BreakdownMayStart();
// After OK: ExtractParts with the dialog's rule; on success the score is
// modified, page 0 shown and redrawn. Returns what ExtractParts returned.
bool ApplyBreakdown(TBreakdown& dialog);
