#include "model/modTQUndo.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "model/modTQBinFile.h"
#include "model/modTQMainScore.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

TUndo Undo;

namespace {

int OtherLayer(int layer) { return layer == 1 ? 0 : 1; }

// The layer holds the page with the grid's rows.
bool LayerHoldsPage(const TMainScore& s, int layer, int page) {
    if (layer == 1)
        return s.HasJianpuPageAt(page);
    return page >= 0 && page < int(s.PageSets[0].size()) && int(s.PageSets[0][page].size()) == s.Rows + 1;
}

// Visits the cells of a block inside the grid: columns, and rows within each.
template <class F>
void WalkBlock(const TMainScore& s, const int32_t b[4], F f) {
    for (int c = std::max(0, b[0]); c <= b[2] && c < s.Cols; ++c)
        for (int r = std::max(0, b[1]); r <= b[3] && r < s.Rows; ++r)
            f(c, r);
}

void SetSelection(int32_t sel[4], const TMainScore& s) {
    sel[0] = s.SelCol0;
    sel[1] = s.SelRow0;
    sel[2] = s.SelCol1;
    sel[3] = s.SelRow1;
}

TCell HeaderValuesCell(const TMainScore& s) {
    TCell c;
    c.Note = s.TextSymSize;
    c.option = uint32_t(s.HintMode);
    c.fontSizeR = s.HintSize;
    return c;
}

void WriteHeaderValues(TMainScore& s, const TCell& c) {
    s.TextSymSize = c.Note;
    s.HintMode = int(c.option);
    s.HintSize = c.fontSizeR;
}

void RemoveFile(const std::string& file) {
    if (!file.empty())
        std::remove(file.c_str());
}

// A snapshot that exists but could not be read.
void ReportBadSnapshot(const std::string& file) {
    if (FileExists(file))
        MessageOkById(1045, file, mkError);
}

} // namespace

TUndo::~TUndo() {
    // The private folder goes at exit anyway; this only tidies it early.
    if (!folder_.empty()) {
        DeleteMatchingFiles(folder_, "UDO*");
        DeleteMatchingFiles(folder_, "RDO*");
    }
}

std::string TUndo::TempFolder() const {
    std::string f = TQPrivateTempFolder();
    if (!f.empty())
        folder_ = f;
    return f;
}

std::string TUndo::NewTempFile(const char* prefix) const {
    const std::string folder = TempFolder();
    return folder.empty() ? std::string() : TQGetTempFileName(folder, prefix);
}

void TUndo::EnableUndo(bool on) {
    if (OnUndoEnabled)
        OnUndoEnabled(on);
}

void TUndo::EnableRedo(bool on) {
    if (OnRedoEnabled)
        OnRedoEnabled(on);
}

void TUndo::MarkSaved() { savedDepth_ = long(UndoList.size()); }

void TUndo::UpdateModified() {
    if (frmMainTQ)
        frmMainTQ->SetModified(long(UndoList.size()) != savedDepth_);
}

void TUndo::DropOldest() {
    RemoveFile(UndoList.front().tempFile);
    UndoList.pop_front();
    if (savedDepth_ >= 0)
        --savedDepth_; // from 0 the saved state falls off: -1
}

void TUndo::PushUndo(TUndoItem item) {
    // A new edit away from a saved state that lies ahead (in the redo list)
    // makes that state unreachable; redoing walks towards it.
    if (!inRedo_ && savedDepth_ > long(UndoList.size()))
        savedDepth_ = -1;
    while (UndoList.size() > kMaxItems)
        DropOldest();
    UndoList.push_back(std::move(item));
    EnableUndo(true);
}

// ---------------------------------------------------------------- saving

void TUndo::CopyBlock(TUndoItem& item, bool bothLayers) const {
    const TMainScore& s = *frmMainTQ;
    item.cells.clear();
    item.otherLayerStart = -1;
    auto pass = [&](int layer) {
        if (!LayerHoldsPage(s, layer, item.page))
            return;
        const TPage& pg = s.PageSets[layer][item.page];
        WalkBlock(s, item.block, [&](int c, int r) { item.cells.push_back(pg[r][c]); });
    };
    pass(item.layer);
    if (bothLayers && s.HasJianpuPageAt(item.page)) {
        item.otherLayerStart = int32_t(item.cells.size());
        pass(OtherLayer(item.layer));
    }
}

void TUndo::AppendCellBlock(const int block[4], const int selection[4], int page, bool clearRedo, bool bothLayers) {
    if (!frmMainTQ)
        return;
    TUndoItem item;
    item.kind = ukCells;
    item.layer = CurLayer;
    item.page = page < 0 ? frmMainTQ->CurPage : page;
    item.modified = frmMainTQ->Modified;
    std::copy(block, block + 4, item.block);
    std::copy(selection, selection + 4, item.selection);
    if (clearRedo)
        ClearRedo();
    CopyBlock(item, bothLayers);
    PushUndo(std::move(item));
}

void TUndo::SaveCellBlock(int x1, int y1, int x2, int y2, int s1, int s2, int s3, int s4, int page, bool clearRedo) {
    const int block[4] = {x1, y1, x2, y2};
    const int sel[4] = {s1, s2, s3, s4};
    AppendCellBlock(block, sel, page, clearRedo, BothLayers);
}

void TUndo::SaveBlock(int x1, int y1, int x2, int y2, int page) {
    if (!frmMainTQ)
        return;
    const TMainScore& s = *frmMainTQ;
    SaveCellBlock(x1, y1, x2, y2, s.SelCol0, s.SelRow0, s.SelCol1, s.SelRow1, page, true);
}

void TUndo::SaveUndo() {
    if (!frmMainTQ)
        return;
    const TMainScore& s = *frmMainTQ;
    SaveBlock(std::min(s.SelCol0, s.SelCol1), std::min(s.SelRow0, s.SelRow1), std::max(s.SelCol0, s.SelCol1),
              std::max(s.SelRow0, s.SelRow1), s.CurPage);
}

void TUndo::SaveClampedBlock(int x1, int y1, int x2, int y2, int page) {
    if (!frmMainTQ)
        return;
    const TMainScore& s = *frmMainTQ;
    auto cx = [&](int x) { return std::clamp(x, 0, std::max(0, s.Cols - 1)); };
    auto cy = [&](int y) { return std::clamp(y, 0, std::max(0, s.Rows - 1)); };
    SaveBlock(cx(x1), cy(y1), cx(x2), cy(y2), page);
}

void TUndo::SaveSelectedRows(bool bothLayers) {
    if (!frmMainTQ)
        return;
    BothLayers = bothLayers;
    SaveBlock(0, frmMainTQ->SelRow0, frmMainTQ->Cols - 1, frmMainTQ->SelRow1, -1);
}

void TUndo::SaveRows(int row1, int row2, bool bothLayers) {
    if (!frmMainTQ)
        return;
    BothLayers = bothLayers;
    SaveBlock(0, row1, frmMainTQ->Cols - 1, row2, -1);
}

void TUndo::SaveRowSpan(int col1, int col2, int row, bool bothLayers) {
    if (!frmMainTQ)
        return;
    BothLayers = bothLayers;
    SaveBlock(std::max(0, col1), row, std::min(col2, frmMainTQ->Cols - 1), row, -1);
}

bool TUndo::WriteSnapshot(const std::string& file, int kind, int page) const {
    if (kind == ukPage) {
        if (SaveUndoPage(file, frmMainTQ, page))
            return true;
        MessageOkById(1043, "\n" + file, mkError);
        return false;
    }
    return SaveBinaryScore(file, frmMainTQ, false); // reports its own failure
}

std::string TUndo::SaveScoreSnapshot(bool clearRedo) {
    if (!frmMainTQ)
        return "";
    if (clearRedo)
        ClearRedo();
    const std::string file = NewTempFile("UDO");
    if (file.empty()) {
        MessageOkById(1043, "\n" + TempFolder(), mkError);
        return "";
    }
    TUndoItem item;
    item.kind = ukScore;
    SetSelection(item.block, *frmMainTQ);
    SetSelection(item.selection, *frmMainTQ);
    item.page = frmMainTQ->CurPage;
    item.layer = CurLayer;
    item.modified = frmMainTQ->Modified;
    if (!WriteSnapshot(file, ukScore, -1)) {
        RemoveFile(file);
        return "";
    }
    item.tempFile = file;
    PushUndo(std::move(item));
    return file;
}

bool TUndo::SavePageSnapshot(int page) {
    if (!frmMainTQ)
        return false;
    const std::string file = NewTempFile("UDO");
    if (file.empty()) {
        MessageOkById(1043, "\n" + TempFolder(), mkError);
        return false;
    }
    TUndoItem item;
    item.kind = ukPage;
    SetSelection(item.block, *frmMainTQ);
    SetSelection(item.selection, *frmMainTQ);
    item.page = page < 0 ? frmMainTQ->CurPage : page;
    item.layer = CurLayer;
    item.modified = frmMainTQ->Modified;
    if (!WriteSnapshot(file, ukPage, item.page)) {
        RemoveFile(file);
        return false;
    }
    item.tempFile = file;
    PushUndo(std::move(item));
    return true;
}

void TUndo::SaveSymbolSize() {
    if (!frmMainTQ)
        return;
    TUndoItem item;
    item.kind = ukHeader;
    item.cells = {HeaderValuesCell(*frmMainTQ)};
    SetSelection(item.selection, *frmMainTQ);
    item.page = frmMainTQ->CurPage;
    item.layer = CurLayer;
    item.modified = frmMainTQ->Modified;
    PushUndo(std::move(item));
}

// ---------------------------------------------------------------- groups

void TUndo::SetUndoGroup(int count) {
    if (!UndoList.empty())
        UndoList.back().groupCount = uint8_t(std::clamp(count, 1, 255));
}

void TUndo::IncUndoGroup() {
    if (!UndoList.empty() && UndoList.back().groupCount < 255)
        ++UndoList.back().groupCount;
}

void TUndo::SetGroupSelection(int x1, int y1, int x2, int y2) {
    if (UndoList.empty())
        return;
    const std::size_t n = std::min<std::size_t>(UndoList.back().groupCount, UndoList.size());
    for (std::size_t i = 0; i < n; ++i) {
        TUndoItem& item = UndoList[UndoList.size() - 1 - i];
        item.selection[0] = x1;
        item.selection[1] = y1;
        item.selection[2] = x2;
        item.selection[3] = y2;
    }
}

void TUndo::SetMarksHighlights() {
    if (!UndoList.empty())
        UndoList.back().marks = true;
}

void TUndo::DropLastItems(int n) {
    for (int i = 0; i < n && !UndoList.empty(); ++i)
        UndoList.pop_back();
    if (savedDepth_ > long(UndoList.size()))
        savedDepth_ = -1;
    if (UndoList.empty())
        EnableUndo(false);
}

// ---------------------------------------------------------------- clearing

void TUndo::ClearUndoFiles() {
    UndoList.clear();
    const std::string folder = TempFolder();
    if (!folder.empty())
        DeleteMatchingFiles(folder, "UDO*");
    EnableUndo(false);
    ClearRedo();
    savedDepth_ = 0;
}

void TUndo::ClearRedo() {
    RedoList.clear();
    const std::string folder = TempFolder();
    if (!folder.empty())
        DeleteMatchingFiles(folder, "RDO*");
    EnableRedo(false);
}

// ---------------------------------------------------------------- stepping

void TUndo::SelectAndGo(const TUndoItem& item) {
    TMainScore& s = *frmMainTQ;
    s.SelCol0 = item.selection[0];
    s.SelRow0 = item.selection[1];
    s.SelCol1 = item.selection[2];
    s.SelRow1 = item.selection[3];
    if (item.page >= 0 && item.page < int(s.PageSets[0].size())) {
        s.CurPage = item.page;
        if (OnGoToPage)
            OnGoToPage(item.page);
    }
}

void TUndo::RestoreCells(const TUndoItem& item) {
    TMainScore& s = *frmMainTQ;
    std::size_t i = 0;
    auto pass = [&](int layer, std::size_t limit) {
        if (!LayerHoldsPage(s, layer, item.page))
            return;
        TPage& pg = s.PageSets[layer][item.page];
        WalkBlock(s, item.block, [&](int c, int r) {
            if (i < limit) {
                pg[r][c] = item.cells[i++];
                s.VerticalRate = 1.0f;
            }
        });
    };
    const std::size_t firstPart = item.otherLayerStart >= 0
                                      ? std::min<std::size_t>(std::size_t(item.otherLayerStart), item.cells.size())
                                      : item.cells.size();
    pass(item.layer, firstPart);
    if (item.otherLayerStart != -1 && std::size_t(item.otherLayerStart) == i)
        pass(OtherLayer(item.layer), item.cells.size());
}

void TUndo::SaveRedoItem(const TUndoItem& item) {
    TUndoItem mirror = item;
    mirror.groupCount = 1;
    if (item.kind == ukHeader)
        mirror.cells = {HeaderValuesCell(*frmMainTQ)};
    else
        CopyBlock(mirror, item.otherLayerStart != -1);
    RedoList.push_back(std::move(mirror));
    EnableRedo(true);
}

bool TUndo::UndoSnapshot(const TUndoItem& item) {
    TMainScore& s = *frmMainTQ;
    TUndoItem redo = item;
    redo.groupCount = 1;
    redo.tempFile = NewTempFile("RDO");
    bool haveRedo = false;
    if (item.kind == ukPage) {
        TUndoPageData data;
        if (!ReadUndoPage(item.tempFile, &s, data)) {
            ReportBadSnapshot(item.tempFile);
            RemoveFile(redo.tempFile);
            return false;
        }
        // The redo file keeps the selection the item restores, as Redo puts it back.
        s.SelCol0 = item.selection[0];
        s.SelRow0 = item.selection[1];
        s.SelCol1 = item.selection[2];
        s.SelRow1 = item.selection[3];
        haveRedo = !redo.tempFile.empty() && SaveUndoPage(redo.tempFile, &s, item.page);
        s.CurPage = data.page;
        if (OnClearPage)
            OnClearPage();
        ApplyUndoPage(&s, data);
    } else {
        haveRedo = !redo.tempFile.empty() && SaveBinaryScore(redo.tempFile, &s, false);
        if (!LoadBinaryScore(item.tempFile, &s, false)) { // reports its own failure
            RemoveFile(redo.tempFile);
            return false;
        }
        if (OnClearHighlights)
            OnClearHighlights();
    }
    if (haveRedo) {
        RedoList.push_back(std::move(redo));
        EnableRedo(true);
    } else {
        RemoveFile(redo.tempFile);
        ClearRedo();
    }
    SelectAndGo(item);
    return true;
}

void TUndo::UndoStep() {
    if (UndoList.empty() || !frmMainTQ)
        return;
    TMainScore& s = *frmMainTQ;
    const int groupCount = UndoList.back().groupCount;
    if (UndoList.back().tempFile.empty())
        SelectAndGo(UndoList.back());
    int taken = 0;
    while (taken < groupCount && !UndoList.empty()) {
        const TUndoItem item = UndoList.back();
        if (!item.tempFile.empty()) {
            if (!UndoSnapshot(item))
                break; // reported; the item and the score stay as they were
        } else {
            CurLayer = item.layer;
            SaveRedoItem(item);
            if (item.kind == ukHeader) {
                if (!item.cells.empty())
                    WriteHeaderValues(s, item.cells[0]);
            } else {
                RestoreCells(item);
            }
        }
        if (item.marks && OnClearHighlights)
            OnClearHighlights();
        UndoList.pop_back();
        ++taken;
    }
    if (taken > 0 && !RedoList.empty())
        RedoList.back().groupCount = uint8_t(taken);
    if (UndoList.empty())
        EnableUndo(false);
    if (taken > 0)
        UpdateModified();
    if (OnPageCaption)
        OnPageCaption();
}

bool TUndo::SaveRedoSnapshot(const TUndoItem& item) {
    TMainScore& s = *frmMainTQ;
    TUndoItem undo;
    undo.kind = item.kind;
    SetSelection(undo.block, s);
    SetSelection(undo.selection, s);
    undo.page = item.kind == ukPage ? item.page : s.CurPage;
    undo.layer = CurLayer;
    undo.modified = s.Modified;
    undo.tempFile = NewTempFile("UDO");
    if (item.kind == ukPage) {
        TUndoPageData data;
        if (!ReadUndoPage(item.tempFile, &s, data)) {
            ReportBadSnapshot(item.tempFile);
            RemoveFile(undo.tempFile);
            return false;
        }
        if (!undo.tempFile.empty() && WriteSnapshot(undo.tempFile, ukPage, item.page)) {
            PushUndo(std::move(undo));
        } else {
            RemoveFile(undo.tempFile);
            if (undo.tempFile.empty())
                MessageOkById(1043, "\n" + TempFolder(), mkError);
        }
        s.CurPage = data.page;
        if (OnClearPage)
            OnClearPage();
        ApplyUndoPage(&s, data);
        return true;
    }
    const bool written = !undo.tempFile.empty() && WriteSnapshot(undo.tempFile, ukScore, -1);
    if (!LoadBinaryScore(item.tempFile, &s, false)) {
        RemoveFile(undo.tempFile);
        return false;
    }
    if (written) {
        PushUndo(std::move(undo));
    } else {
        RemoveFile(undo.tempFile);
        if (undo.tempFile.empty())
            MessageOkById(1043, "\n" + TempFolder(), mkError);
    }
    return true;
}

void TUndo::RedoStep() {
    if (RedoList.empty() || !frmMainTQ)
        return;
    TMainScore& s = *frmMainTQ;
    const int savedLayer = CurLayer;
    const int groupCount = RedoList.back().groupCount;
    inRedo_ = true;
    int done = 0;
    while (done < groupCount && !RedoList.empty()) {
        const TUndoItem item = RedoList.back();
        CurLayer = item.layer;
        if (item.kind == ukHeader) {
            SaveSymbolSize();
            if (!item.cells.empty())
                WriteHeaderValues(s, item.cells[0]);
        } else if (item.kind == ukCells) {
            // The undo item covers the other layer exactly when the redone item did.
            AppendCellBlock(item.block, item.selection, item.page, false, item.otherLayerStart != -1);
            RestoreCells(item);
        } else if (!SaveRedoSnapshot(item)) {
            break; // reported; the item and the score stay as they were
        }
        RedoList.pop_back();
        ++done;
    }
    inRedo_ = false;
    if (done > 1 && !UndoList.empty())
        UndoList.back().groupCount = uint8_t(std::min(done, 255));
    CurLayer = savedLayer;
    if (!RedoList.empty())
        SelectAndGo(RedoList.back());
    else
        EnableRedo(false);
    if (done > 0)
        UpdateModified();
}
