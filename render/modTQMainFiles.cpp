// The main window's side of score files: open, save, new, dropped files and
// the title of a score.
//
// Never lose a score: an open that fails leaves the score, its name, its
// modified flag and the undo store as they were; a save that fails keeps the
// old file and the modified flag; unsaved changes are dropped only when the
// user says so.
#include "model/modTQBinFile.h"
#include "model/modTQFile.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "render/modTQMainView.h"

namespace {

bool IsUntitled(const std::string& name) { return name.empty() || name == "Untitled"; }

void EndTextEntry(const TMainView& v) {
    if (v.OnEndTextEntry)
        v.OnEndTextEntry();
}

} // namespace

bool TMainView::MayDropChanges(int questionId) {
    if (!Modified)
        return true;
    return MessageYesNoById(questionId, "", mkConfirmation) == mrYes;
}

void TMainView::OpenFromPath(std::string fileName) {
    if (!MayDropChanges(1022))
        return;
    EndTextEntry(*this);
    const std::size_t doubled = fileName.find("\\\\");
    if (doubled != std::string::npos)
        fileName.erase(doubled, 1);
    if (!OpenScoreFile(fileName, false))
        return; // the reader has reported why; nothing changed
    Undo.ClearUndoFiles();
    FileName = fileName;
    SetModified(false);
    ForceSaveAs = false;
    DefaultNoteKind = 0;
    if (!FirstPaint) {
        btnHomeClick();
    } else {
        RedrawPage();
        PageCaption();
    }
}

bool TMainView::OpenScoreFile(const std::string& fileName, bool quiet) {
    const int layer = CurLayer;
    const int layerImage = btnLayerImageIndex;
    CurLayer = 0;
    const bool binary = IsBinaryScoreFile(fileName);
    const bool ok = OpenScore(fileName, this, quiet);
    if (!ok) {
        // The score is as it was; so is the view of it.
        CurLayer = layer;
        btnLayerImageIndex = layerImage;
        return false;
    }
    CurLayer = 0;
    Controls.BarButtonsEnabled = true;
    Highlights.clear();
    const int pages = static_cast<int>(PageSets[0].size());
    const int stored = binary ? BinScoreFile.StoredPage : -1;
    if (FirstPaint && ReopenPage >= 0 && ReopenPage < PageCount && ReopenPage < pages)
        CurPage = ReopenPage;
    else if (stored >= 0 && stored < PageCount && stored < pages)
        CurPage = stored;
    if (CurPage < 0 || CurPage >= pages)
        CurPage = 0;
    RefreshPageCombo();
    SelCol0 = SelRow0 = SelCol1 = SelRow1 = 0;
    if (OnScoreOpened)
        OnScoreOpened();
    return true;
}

bool TMainView::OpenScore(const std::string& fileName, TMainScore* target, bool quiet) {
    CurLayer = 0;
    btnLayerImageIndex = 60;
    if (IsBinaryScoreFile(fileName))
        return LoadBinaryScore(fileName, target, quiet);
    return LoadTextScore(fileName, target, quiet);
}

bool TMainView::SaveScore(const std::string& fileName, bool flag) {
    EndTextEntry(*this);
    // Scores are always written in the binary format; the text format is only read.
    return SaveBinaryScore(fileName, this, flag);
}

bool TMainView::NewScore() {
    if (!MayDropChanges(1022))
        return false;
    if (OnLoadPagePreferences)
        OnLoadPagePreferences();
    Undo.ClearUndoFiles();
    CurClef = -1;
    EndTextEntry(*this);
    CalcPageGrid();
    PageSets[1].clear();
    Highlights.clear();
    PageNumberStart = 0;
    CurLayer = 0;
    btnLayerImageIndex = 60;
    Controls.BarButtonsEnabled = true;
    PageSets[0].resize(1);
    AllocateCurrentLayerPage(0, true, 0, 0);
    PageCount = 1;
    SelCol0 = SelRow0 = SelCol1 = SelRow1 = 0;
    GoToPage(0);
    RedrawPage();
    FileName = "Untitled";
    PageCaption();
    SetModified(false);
    ForceSaveAs = false;
    DefaultNoteKind = 0;
    HintMode = 0;
    HintSize = 0.6f;
    TextSymSize = 8;
    return true;
}

void TMainView::mitNewClick() {
    EndTextEntry(*this);
    NewScore();
}

void TMainView::mitOpenClick() {
    EndTextEntry(*this);
    if (!OnAskOpenFileName)
        return;
    const std::string name = OnAskOpenFileName(IsUntitled(FileName) ? std::string() : FileName);
    if (!name.empty())
        OpenFromPath(name);
}

void TMainView::mitSaveClick() {
    EndTextEntry(*this);
    if (IsUntitled(FileName) || ForceSaveAs) {
        mitSaveAsClick();
        return;
    }
    if (IsFileReadOnly(FileName)) {
        MessageOkById(3312, "", mkError);
        return;
    }
    if (SaveScore(FileName, true)) {
        ForceSaveAs = false;
        PageCaption();
        SetModified(false);
    }
}

void TMainView::mitSaveAsClick() {
    if (!OnAskSaveFileName)
        return;
    const std::string name = OnAskSaveFileName(IsUntitled(FileName) ? std::string() : FileName);
    if (name.empty())
        return;
    if (IsFileReadOnly(name)) {
        MessageOkById(3312, "", mkError);
        return;
    }
    if (SaveScore(name, true)) {
        SetModified(false);
        FileName = name;
        ForceSaveAs = false;
        PageCaption();
    }
}

void TMainView::HandleDroppedFiles(const std::vector<std::string>& files) {
    if (files.size() != 1)
        return;
    const std::string& name = files.front();
    if (SameText(ExtractFileExt(name), ".mbk")) {
        if (OnOpenBook)
            OnOpenBook(name);
        return;
    }
    OpenFromPath(name);
}

void GetMusicTitle(const TMainScore& main, TMusic& entry) {
    const int layer = CurLayer == 1 ? 1 : 0;
    const TLayer& pages = main.PageSets[static_cast<std::size_t>(layer)];
    if (!pages.empty()) {
        const TPage& page = pages.front();
        for (int r = 0; r < main.Rows && r < static_cast<int>(page.size()); ++r) {
            const TCellRow& row = page[static_cast<std::size_t>(r)];
            for (int c = 0; c < main.Cols && c < static_cast<int>(row.size()); ++c) {
                const TCell& cell = row[static_cast<std::size_t>(c)];
                if (cell.cellType != ctText || cell.Text.find("1=") != std::string::npos)
                    continue;
                const bool chineseMarker = cell.FontName == "CN";
                if (cell.FontCharset == 134 || chineseMarker || cell.Text.size() > 5) {
                    entry.Title = cell.Text;
                    // "CN" is the Chinese text font: its text is Chinese
                    // whatever charset that font was last stored with.
                    const int chinese = main.ChineseFontCharset != 0 ? main.ChineseFontCharset : 134;
                    entry.TitleCharset = chineseMarker ? chinese : cell.FontCharset;
                    return;
                }
            }
        }
    }
    entry.Title = ChangeFileExt(ExtractFileName(entry.FileName), "");
}
