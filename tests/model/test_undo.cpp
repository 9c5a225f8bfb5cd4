// Undo and redo.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "model/modTQUndo.h"
#include "platform/core/TQFiles.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;
namespace fs = std::filesystem;

namespace {

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.AddPages(1, 1); // layer 1 holds page 0
        Undo.OnUndoEnabled = [this](bool on) { undoButton = on; };
        Undo.OnRedoEnabled = [this](bool on) { redoButton = on; };
        Undo.OnClearPage = [this]() { ++clearPageCalls; };
        Undo.OnClearHighlights = nullptr;
        Undo.OnGoToPage = nullptr;
        Undo.OnPageCaption = nullptr;
        Undo.BothLayers = false;
        Undo.ClearUndoFiles();
        s.score.SetModified(false);
    }
    void TearDown() override {
        Undo.ClearUndoFiles();
        Undo.OnUndoEnabled = nullptr;
        Undo.OnRedoEnabled = nullptr;
        Undo.OnClearPage = nullptr;
        Undo.BothLayers = false;
    }
    // One edit as a command makes it: save undo, change the cell, set modified.
    void Edit(int col, int row, int note) {
        s.score.SelCol0 = s.score.SelCol1 = col;
        s.score.SelRow0 = s.score.SelRow1 = row;
        Undo.SaveUndo();
        s.At(col, row, s.score.CurPage, CurLayer).Note = note;
        s.score.SetModified(true);
    }
    int NoteAt(int col, int row, int page = 0, int layer = 0) { return s.At(col, row, page, layer).Note; }

    NewScore s;
    bool undoButton = false, redoButton = false;
    int clearPageCalls = 0;
};

} // namespace

TEST_F(UndoTest, SingleCellEditsUndoAndRedo) {
    Edit(1, 1, '1');
    Edit(1, 1, '2');
    EXPECT_TRUE(undoButton);
    EXPECT_FALSE(redoButton);
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(1, 1), '1');
    EXPECT_TRUE(redoButton);
    EXPECT_TRUE(s.score.Modified);
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(1, 1), 32);
    EXPECT_FALSE(undoButton);
    EXPECT_FALSE(s.score.Modified); // back where the score was opened
    Undo.UndoStep();                // nothing left: nothing happens
    EXPECT_EQ(Undo.RedoList.size(), 2u);

    Undo.RedoStep();
    EXPECT_EQ(NoteAt(1, 1), '1');
    Undo.RedoStep();
    EXPECT_EQ(NoteAt(1, 1), '2');
    EXPECT_FALSE(redoButton);
    EXPECT_EQ(Undo.UndoList.size(), 2u);

    // A new edit after an undo empties the redo list.
    Undo.UndoStep();
    Edit(2, 2, '5');
    EXPECT_TRUE(Undo.RedoList.empty());
    EXPECT_FALSE(redoButton);
}

TEST_F(UndoTest, TheListKeeps201Items) {
    for (int i = 0; i < 205; ++i)
        Edit(i % 50, i / 50, '1' + i % 7);
    ASSERT_EQ(Undo.UndoList.size(), 201u);
    // The oldest four are gone: the oldest kept is the fifth edit, at (4, 0).
    EXPECT_EQ(Undo.UndoList.front().block[0], 4);
    EXPECT_EQ(Undo.UndoList.front().block[1], 0);
    for (int i = 0; i < 210; ++i)
        Undo.UndoStep();
    EXPECT_TRUE(Undo.UndoList.empty());
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(NoteAt(c, 0), '1' + c % 7) << c; // the first four edits stay
    EXPECT_EQ(NoteAt(4, 0), 32);
    EXPECT_TRUE(s.score.Modified); // the opened state fell off the list
}

TEST_F(UndoTest, BothLayerBlockEditUndoesAndRedoesOnBothLayers) {
    Undo.BothLayers = true;
    Undo.SaveBlock(2, 3, 4, 5);
    ASSERT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(Undo.UndoList.back().cells.size(), 18u);
    EXPECT_EQ(Undo.UndoList.back().otherLayerStart, 9);
    s.At(3, 4, 0, 0).Note = '1';
    s.At(3, 4, 0, 1).Note = '2';

    Undo.BothLayers = false; // the flag now says nothing of the saved item
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(3, 4, 0, 0), 32);
    EXPECT_EQ(NoteAt(3, 4, 0, 1), 32);
    ASSERT_EQ(Undo.RedoList.size(), 1u);
    EXPECT_EQ(Undo.RedoList.back().otherLayerStart, 9);

    Undo.RedoStep();
    EXPECT_EQ(NoteAt(3, 4, 0, 0), '1');
    EXPECT_EQ(NoteAt(3, 4, 0, 1), '2');
    // The undo item that Redo made covers the other layer as the redone one did.
    ASSERT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(Undo.UndoList.back().otherLayerStart, 9);
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(3, 4, 0, 1), 32);

    // The other way round: a one-layer item redone while the flag is set.
    Undo.RedoStep();
    Undo.BothLayers = false;
    Undo.SaveBlock(3, 4, 3, 4);
    s.At(3, 4, 0, 0).Note = '7';
    Undo.BothLayers = true;
    Undo.UndoStep();
    Undo.RedoStep();
    EXPECT_EQ(Undo.UndoList.back().otherLayerStart, -1);
    EXPECT_EQ(Undo.UndoList.back().cells.size(), 1u);
}

TEST_F(UndoTest, BothLayerSaveWithoutALayerOnePageSavesOneLayer) {
    s.score.PageSets[1].clear();
    Undo.BothLayers = true;
    Undo.SaveBlock(0, 0, 1, 1);
    EXPECT_EQ(Undo.UndoList.back().cells.size(), 4u);
    EXPECT_EQ(Undo.UndoList.back().otherLayerStart, -1);
}

TEST_F(UndoTest, AGroupOfThreeUndoesAndRedoesAsOne) {
    Edit(0, 0, '1');
    Edit(1, 0, '2');
    Edit(2, 0, '3');
    Edit(3, 0, '4');
    Undo.SetUndoGroup(2);
    Undo.IncUndoGroup(); // the last three edits are one command
    Undo.SetGroupSelection(1, 0, 3, 0);
    EXPECT_EQ(Undo.UndoList[1].selection[0], 1);
    EXPECT_EQ(Undo.UndoList[0].selection[0], 0); // not in the group

    Undo.UndoStep();
    EXPECT_EQ(NoteAt(0, 0), '1');
    EXPECT_EQ(NoteAt(1, 0), 32);
    EXPECT_EQ(NoteAt(3, 0), 32);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(s.score.SelCol0, 1);
    EXPECT_EQ(s.score.SelCol1, 3);

    Undo.RedoStep();
    EXPECT_EQ(NoteAt(1, 0), '2');
    EXPECT_EQ(NoteAt(3, 0), '4');
    EXPECT_TRUE(Undo.RedoList.empty());
    ASSERT_EQ(Undo.UndoList.size(), 4u);
    EXPECT_EQ(Undo.UndoList.back().groupCount, 3);

    Undo.UndoStep();
    EXPECT_EQ(NoteAt(1, 0), 32);
    EXPECT_EQ(NoteAt(0, 0), '1');
}

TEST_F(UndoTest, BlockPastTheGridKeepsOnlyGridCells) {
    const int cols = s.score.Cols, rows = s.score.Rows;
    s.At(cols - 1, rows - 1).Note = '6';
    s.At(cols, rows - 1).Note = '9'; // the spare column is never saved
    Undo.SaveBlock(cols - 2, rows - 2, cols + 3, rows + 5);
    EXPECT_EQ(Undo.UndoList.back().cells.size(), 4u);
    s.At(cols - 1, rows - 1).Note = '1';
    s.At(cols, rows - 1).Note = '8';
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(cols - 1, rows - 1), '6');
    EXPECT_EQ(NoteAt(cols, rows - 1), '8');

    Undo.SaveRowSpan(-3, cols + 10, 2, false);
    EXPECT_EQ(Undo.UndoList.back().block[0], 0);
    EXPECT_EQ(Undo.UndoList.back().block[2], cols - 1);
    EXPECT_EQ(Undo.UndoList.back().cells.size(), std::size_t(cols));
    Undo.SaveClampedBlock(-5, -5, 1000, 0, -1);
    EXPECT_EQ(Undo.UndoList.back().cells.size(), std::size_t(cols));
}

TEST_F(UndoTest, PageSnapshotRoundTrips) {
    s.AddPages(0, 1);
    s.AddPages(1, 1);
    s.At(5, 5, 1, 0).Note = '1';
    s.At(6, 6, 1, 1).Note = '2';
    s.score.CurPage = 1;
    s.score.SelCol0 = 5;
    ASSERT_TRUE(Undo.SavePageSnapshot(-1));
    const std::string file = Undo.UndoList.back().tempFile;
    EXPECT_EQ(ExtractFilePath(file), Undo.TempFolder());
    EXPECT_EQ(ExtractFileName(file).substr(0, 3), "UDO");
    // A structural edit: the page is emptied and refilled.
    s.score.AllocatePage(0, 1, true, 0, 0);
    s.score.AllocatePage(1, 1, true, 0, 0);
    s.At(0, 0, 1, 0).Note = '7';
    s.score.CurPage = 0;
    s.score.SelCol0 = 0;

    Undo.UndoStep();
    EXPECT_EQ(clearPageCalls, 1);
    EXPECT_EQ(NoteAt(5, 5, 1, 0), '1');
    EXPECT_EQ(NoteAt(6, 6, 1, 1), '2');
    EXPECT_EQ(NoteAt(0, 0, 1, 0), 32);
    EXPECT_EQ(s.score.CurPage, 1);
    EXPECT_EQ(s.score.SelCol0, 5);
    ASSERT_EQ(Undo.RedoList.size(), 1u);
    EXPECT_EQ(ExtractFileName(Undo.RedoList.back().tempFile).substr(0, 3), "RDO");

    Undo.RedoStep();
    EXPECT_EQ(NoteAt(0, 0, 1, 0), '7');
    EXPECT_EQ(NoteAt(5, 5, 1, 0), 32);
    EXPECT_EQ(s.score.SelCol0, 5); // the selection the undone item had
    ASSERT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(Undo.UndoList.back().kind, ukPage);
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(5, 5, 1, 0), '1');
}

TEST_F(UndoTest, ScoreSnapshotRoundTrips) {
    s.At(1, 1).Note = '3';
    s.score.PageCount = 1;
    const std::string file = Undo.SaveScoreSnapshot(true);
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(fs::exists(file));
    // A whole-score command: two more pages, a changed note.
    s.AddPages(0, 2);
    s.score.PageCount = 3;
    s.At(1, 1).Note = '4';
    s.At(2, 2, 2).Note = '5';

    Undo.UndoStep();
    EXPECT_EQ(s.score.PageSets[0].size(), 1u);
    EXPECT_EQ(NoteAt(1, 1), '3');
    EXPECT_EQ(s.score.PageCount, 1);
    Undo.RedoStep();
    EXPECT_EQ(s.score.PageSets[0].size(), 3u);
    EXPECT_EQ(NoteAt(2, 2, 2), '5');
    EXPECT_EQ(NoteAt(1, 1), '4');
    EXPECT_TRUE(Undo.RedoList.empty());
}

TEST_F(UndoTest, MissingSnapshotReportsAndChangesNothing) {
    for (bool page : {true, false}) {
        SCOPED_TRACE(page ? "page" : "score");
        Undo.ClearUndoFiles();
        s.At(1, 1).Note = '3';
        if (page)
            ASSERT_TRUE(Undo.SavePageSnapshot(0));
        else
            ASSERT_FALSE(Undo.SaveScoreSnapshot(true).empty());
        s.At(1, 1).Note = '4';
        fs::remove(Undo.UndoList.back().tempFile);
        const ScoreState before(s.score);
        Messages m;
        Undo.UndoStep();
        EXPECT_EQ(m.Ids(), std::vector<int>{1044});
        EXPECT_TRUE(ScoreState(s.score) == before);
        EXPECT_EQ(Undo.UndoList.size(), 1u);
        EXPECT_TRUE(Undo.RedoList.empty());
        EXPECT_EQ(std::distance(fs::directory_iterator(Undo.TempFolder()), {}), 0);
    }

    // A damaged snapshot is refused the same way.
    Undo.ClearUndoFiles();
    ASSERT_TRUE(Undo.SavePageSnapshot(0));
    WriteFile(Undo.UndoList.back().tempFile, "garbage");
    const ScoreState before(s.score);
    Messages m;
    Undo.UndoStep();
    EXPECT_EQ(m.Ids(), std::vector<int>{1045});
    EXPECT_TRUE(ScoreState(s.score) == before);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
}

TEST_F(UndoTest, SnapshotThatCannotBeWrittenAddsNoItemAndKeepsTheHistory) {
    Edit(1, 1, '1');
    s.score.CurPage = 7; // no such page: the page snapshot cannot be written
    Messages m;
    EXPECT_FALSE(Undo.SavePageSnapshot(-1));
    EXPECT_EQ(m.Ids(), std::vector<int>{1043});
    s.score.CurPage = 0;
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(Undo.TempFolder()), {}), 0);
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(1, 1), 32);
}

TEST_F(UndoTest, SnapshotNamesAreUniqueAndClearedWithTheHistory) {
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(Undo.SavePageSnapshot(0));
    for (const TUndoItem& item : Undo.UndoList)
        names.insert(item.tempFile);
    EXPECT_EQ(names.size(), 20u);
    Undo.UndoStep();
    EXPECT_EQ(std::distance(fs::directory_iterator(Undo.TempFolder()), {}), 21);
    Undo.ClearUndoFiles();
    EXPECT_EQ(std::distance(fs::directory_iterator(Undo.TempFolder()), {}), 0);
    EXPECT_FALSE(undoButton);
    EXPECT_FALSE(redoButton);
}

TEST_F(UndoTest, ModifiedFlagFollowsTheLastSave) {
    tqtest::TempDir dir;
    const std::string path = (dir / "m.mus").string();
    Edit(1, 1, '1');
    Edit(2, 2, '2');
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    s.score.SetModified(false);
    Edit(3, 3, '3');
    Undo.UndoStep();
    EXPECT_FALSE(s.score.Modified); // back at the saved state
    Undo.UndoStep();
    EXPECT_TRUE(s.score.Modified);  // before the save
    Undo.UndoStep();
    EXPECT_TRUE(s.score.Modified);  // everything undone, still not the file
    Undo.RedoStep();
    Undo.RedoStep();
    EXPECT_FALSE(s.score.Modified); // redone up to the save

    // A new edit away from the saved position lying ahead makes it unreachable.
    Undo.UndoStep();
    Edit(5, 5, '5');
    Undo.UndoStep();
    EXPECT_TRUE(s.score.Modified);

    // A snapshot save of the score does not count as a save.
    Undo.ClearUndoFiles();
    s.score.SetModified(false);
    Edit(1, 1, '6');
    Undo.SaveScoreSnapshot(true);
    Undo.UndoStep();
    Undo.UndoStep();
    EXPECT_FALSE(s.score.Modified);
}

TEST_F(UndoTest, HeaderValuesUndoAndRedo) {
    s.score.TextSymSize = 8;
    s.score.HintMode = 1;
    s.score.HintSize = 0.6f;
    Undo.SaveSymbolSize();
    s.score.TextSymSize = 12;
    s.score.HintMode = 3;
    s.score.HintSize = 0.9f;
    Undo.UndoStep();
    EXPECT_EQ(s.score.TextSymSize, 8);
    EXPECT_EQ(s.score.HintMode, 1);
    EXPECT_FLOAT_EQ(s.score.HintSize, 0.6f);
    Undo.RedoStep();
    EXPECT_EQ(s.score.TextSymSize, 12);
    EXPECT_EQ(s.score.HintMode, 3);
    EXPECT_FLOAT_EQ(s.score.HintSize, 0.9f);
}

TEST_F(UndoTest, DropLastItemsAndRestoredCellsResetTheVerticalRate) {
    Edit(1, 1, '1');
    Edit(1, 1, '2');
    Undo.DropLastItems(1);
    EXPECT_TRUE(undoButton);
    s.score.VerticalRate = 1.5f;
    Undo.UndoStep();
    EXPECT_FLOAT_EQ(s.score.VerticalRate, 1.0f);
    Edit(1, 1, '3');
    Undo.DropLastItems(5);
    EXPECT_FALSE(undoButton);
}

TEST_F(UndoTest, PageSnapshotUndoneWithLayerOneCurrentKeepsTheRedoList) {
    // Layer 0 holds pages 0 and 1, layer 1 only page 0.
    s.AddPages(0, 1);
    CurLayer = 0;
    s.score.CurPage = 1;
    ASSERT_TRUE(Undo.SavePageSnapshot(1)); // a page command on page 1 of layer 0
    s.At(3, 3, 1, 0).Note = '4';
    CurLayer = 1;
    s.score.CurPage = 0;
    Edit(2, 2, '5'); // a one-cell edit on page 0 of layer 1
    ASSERT_EQ(NoteAt(2, 2, 0, 1), '5');

    Undo.UndoStep();
    Undo.UndoStep();
    EXPECT_EQ(NoteAt(3, 3, 1, 0), 32);
    EXPECT_EQ(NoteAt(2, 2, 0, 1), 32);
    EXPECT_EQ(Undo.RedoList.size(), 2u);
    EXPECT_TRUE(redoButton);
    Undo.RedoStep();
    EXPECT_EQ(NoteAt(3, 3, 1, 0), '4');
    Undo.RedoStep();
    EXPECT_EQ(NoteAt(2, 2, 0, 1), '5');
    EXPECT_EQ(NoteAt(3, 3, 1, 0), '4');
}

TEST_F(UndoTest, RandomEditsUndosAndRedosOverBothLayersMatchTheirReplay) {
    // Three pages in layer 0 and two in layer 1, on a small grid. Every edit appends the state
    // it makes to a history; Undo and Redo move along it. The score must always
    // equal the state at the current position.
    s.score.CellWidth = 100;
    ASSERT_TRUE(s.score.CalcPageGrid());
    ASSERT_GE(s.score.Cols, 6);
    ASSERT_GE(s.score.Rows, 4);
    for (TLayer& layer : s.score.PageSets)
        layer.clear();
    s.score.AllocatePage(0, 2, true, 0, 0);
    s.score.AllocatePage(1, 1, true, 0, 0);
    std::mt19937 rng(1234);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    std::vector<TPageSets> history{s.score.PageSets};
    std::size_t pos = 0;
    auto recordEdit = [&]() {
        history.resize(pos + 1);
        history.push_back(s.score.PageSets);
        ++pos;
    };
    const int steps = 3000;
    for (int step = 0; step < steps; ++step) {
        const int what = pick(20);
        CurLayer = pick(2);
        // Cell edits stay on pages their layer holds; page commands may come
        // from either layer on any page.
        const int page = what < 8 && CurLayer == 1 ? pick(2) : pick(3);
        const int note = '1' + pick(7);
        s.score.CurPage = page;
        auto layerOn = [&](int p) { return p < 2 ? pick(2) : 0; };
        if (what < 8) { // one cell, sometimes in both layers
            Undo.BothLayers = pick(3) == 0;
            const int c = pick(6), r = pick(4);
            Edit(c, r, note);
            if (Undo.BothLayers && page < 2)
                s.At(c, r, page, 1 - CurLayer).Note = note + 1;
            recordEdit();
        } else if (what < 11) { // a page command on both layers of a page
            Undo.ClearRedo();
            ASSERT_TRUE(Undo.SavePageSnapshot(page));
            for (int i = 0; i < 3; ++i)
                s.At(pick(6), pick(4), page, layerOn(page)).Note = pick(2) ? note : 32;
            recordEdit();
        } else if (what < 12) { // a whole-score command
            ASSERT_FALSE(Undo.SaveScoreSnapshot(true).empty());
            const int p = pick(3);
            s.At(pick(6), pick(4), p, layerOn(p)).Note = note;
            recordEdit();
        } else if (what < 16) {
            if (!Undo.UndoList.empty()) {
                ASSERT_GT(pos, 0u);
                --pos;
            }
            Undo.UndoStep();
        } else {
            ASSERT_EQ(!Undo.RedoList.empty(), pos + 1 < history.size()) << "step " << step;
            if (!Undo.RedoList.empty())
                ++pos;
            Undo.RedoStep();
        }
        ASSERT_EQ(FirstDifference(s.score.PageSets[0], history[pos][0]), "") << "layer 0, step " << step;
        ASSERT_EQ(FirstDifference(s.score.PageSets[1], history[pos][1]), "") << "layer 1, step " << step;
    }
}
