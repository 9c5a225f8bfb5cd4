#pragma once
// The converter fixture with a Jianpu-to-Western converter and the services the
// converter asks of the editing part and the main window answered by the test:
// the clef-and-staff dialog (answer and count), SetRowClef (recorded, the
// row's notes shifted by the clef change) and FlipStems (one note).
#include <gtest/gtest.h>

#include <vector>

#include "convert/modTQConvertJ2W.h"
#include "convert/modTQW2JWindow.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQConvertFixture.h"

struct TJ2WFixture {
    explicit TJ2WFixture(int cols = 16, int rows = 6, int layer1Pages = 0, int pages = 1)
        : fx(cols, rows, layer1Pages, pages) {
        J2WServices.ChooseClefStaff = [this] {
            ++dialogs;
            if (!dialogAnswer)
                return false;
            fx.view.CurKey = dialogKey;
            fx.view.CurClef = -1;
            return true;
        };
        J2WServices.SetRowClef = [this](int col, int row, int clef) {
            clefCalls.push_back({col, row, clef});
            TCellRow& cells = fx.GridRow(row);
            const int old = cells[static_cast<size_t>(col)].Note;
            cells[static_cast<size_t>(col)].Note = clef;
            const float shift = old == -1 && clef == -2 ? -12.0f : 0.0f;
            for (TCell& c : cells)
                if (IsWestNoteCell(c, 1))
                    c.yAdj += shift;
        };
        W2JWindow.Beep = [this] { ++beeps; };
    }
    ~TJ2WFixture() {
        J2WServices = {};
        W2JWindow = {};
    }
    TJ2WFixture(const TJ2WFixture&) = delete;
    TJ2WFixture& operator=(const TJ2WFixture&) = delete;

    struct TClefCall {
        int col, row, clef;
    };

    TConvertFixture fx;
    TConvertJ2W j2w;
    int dialogs = 0;
    bool dialogAnswer = false;
    int dialogKey = 0;
    int beeps = 0;
    std::vector<TClefCall> clefCalls;
};

// A conversion test: message boxes recorded, the undo store empty before and after.
class TJ2WTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&rec);
        Undo.ClearUndoFiles();
    }
    void TearDown() override {
        Undo.ClearUndoFiles();
        SetMessageBoxes(nullptr);
    }
    TMessageRecorder rec;
};
