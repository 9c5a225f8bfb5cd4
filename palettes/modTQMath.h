#pragma once
// Arithmetic exercise sheets: a new score whose first page holds a title with
// the date, a page number and a grid of numbered exercises as text cells, and
// optionally an answer page (page 1) with the results. Texts are GBK bytes.
#include <cstdint>
#include <functional>
#include <string>

struct TMathExercise {
    std::string text;
    int result = 0;
    int remainder = 0;
};

// The sheet maker apart from its window (the window is TfrmMath, palettes/frmTQMath.h).
class TMathSheet {
public:
    TMathSheet();

    int PageNumber = 1;
    int PrintCount = 1;
    bool WithAnswers = false; // chkAns

    // The random source: seeded once per run from the clock; tests seed it.
    void Seed(uint32_t seed) { state_ = seed ? seed : 1; }
    // Today's date as written in the title; tests replace it.
    std::function<std::string()> Today;

    // A fresh sheet in a new score; false when the user kept the old score.
    bool MakePage();
    // The title and page-number cells.
    void WritePageToScore();
    // Prints PrintCount sheets from PageNumber on (each after the first freshly
    // made) through the print hook; the page number ends at the last one.
    void PrintSheets();

    // One exercise of kind 0..8 (exposed for tests).
    TMathExercise Make(int kind);

private:
    int R(int n);
    TMathExercise Addition();
    TMathExercise Subtraction();
    TMathExercise Product();
    TMathExercise Quotient();
    uint32_t state_;
};
