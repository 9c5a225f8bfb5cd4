// The play window's commands, apart from its widgets.
#include "play/modTQPlayWindow.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "palettes/modTQSpecial.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kSoundEffectSymbol = 146;

TCell* CurrentCell(int col, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || col < 0 || row < 0 || col >= s->Cols || row >= s->Rows || CurLayer < 0 || CurLayer > 1)
        return nullptr;
    TLayer& pages = s->PageSets[static_cast<std::size_t>(CurLayer)];
    if (s->CurPage < 0 || s->CurPage >= static_cast<int>(pages.size()))
        return nullptr;
    TPage& page = pages[static_cast<std::size_t>(s->CurPage)];
    if (row >= static_cast<int>(page.size()) || col >= static_cast<int>(page[static_cast<std::size_t>(row)].size()))
        return nullptr;
    return &page[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void Redraw(int col0, int row0, int col1, int row1) {
    if (auto* view = dynamic_cast<TMainView*>(frmMainTQ))
        view->RedrawCells(col0, row0, col1, row1);
}

// Every selected cell of the Western and Jianpu music rows.
template <class F>
void ForSelectedMusicCells(F apply) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    for (int r = std::min(s->SelRow0, s->SelRow1); r <= std::max(s->SelRow0, s->SelRow1); ++r) {
        const bool west = IsWestRow(r, 0, -1);
        if (!west && !IsJianpuMusicRow(r))
            continue;
        for (int c = std::min(s->SelCol0, s->SelCol1); c <= std::max(s->SelCol0, s->SelCol1); ++c)
            if (TCell* cell = CurrentCell(c, r))
                apply(*cell, west);
    }
}

void Finish(int col0, int row0, int col1, int row1) {
    Redraw(col0, row0, col1, row1);
    frmMainTQ->SetModified(true);
    if (PlayWindowHooks().Refresh)
        PlayWindowHooks().Refresh();
}

void FinishSelection() {
    TMainScore* s = frmMainTQ;
    Finish(s->SelCol0, s->SelRow0, s->SelCol1, s->SelRow1);
}

} // namespace

TPlayWindowHooks& PlayWindowHooks() {
    static TPlayWindowHooks hooks;
    return hooks;
}

namespace {
bool gCloseAfterPlay = false;
} // namespace

bool MainWindowMayClose(TPlayState* play) {
    if (!play || !play->Playing)
        return true;
    play->StopRequest = 1;
    gCloseAfterPlay = true;
    return false;
}

bool PlayScore(TPlayState& play) {
    if (play.Playing)
        return false;
    TPlayWindowHooks& h = PlayWindowHooks();
    if (h.BeforeBuild)
        h.BeforeBuild();
    if (!(h.BuildPlayList ? h.BuildPlayList(true) : play.BuildPlayList(true)))
        return false;
    play.Playing = 1;
    if (h.EnableMainControls)
        h.EnableMainControls(false);
    play.StopRequest = 0;
    play.KeyTonic = 0;
    if (h.StartPlayer)
        h.StartPlayer(play.StartIndex, 1);
    if (h.EnableMainControls)
        h.EnableMainControls(true);
    play.Playing = 0;
    if (gCloseAfterPlay) {
        gCloseAfterPlay = false;
        play.StopRequest = 1; // a folder play ends too
        if (h.CloseMainWindow)
            h.CloseMainWindow();
        return true;
    }
    if (h.Refresh)
        h.Refresh();
    return true;
}

std::vector<std::string> ListScoreFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec))
            continue;
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".mus")
            names.push_back(it->path().filename().string());
    }
    return names;
}

void PlayFolder(TPlayState& play, const std::string& folder, const std::vector<std::string>& files, int cycles) {
    TPlayWindowHooks& h = PlayWindowHooks();
    play.StopRequest = 0;
    const std::filesystem::path base(folder);
    for (int cycle = 1; cycle <= std::clamp(cycles, 1, 100) && play.StopRequest != 1; ++cycle) {
        for (const std::string& name : files) {
            // A file that cannot be opened is passed over: the score shown
            // before it is not played again in its place.
            if (!h.OpenScore || !h.OpenScore((base / name).string()))
                continue;
            if (TMainScore* s = frmMainTQ) {
                s->CurPage = 0;
                s->SelCol0 = s->SelRow0 = s->SelCol1 = s->SelRow1 = 0;
            }
            PlayScore(play);
            if (play.StopRequest == 1)
                break;
            play.StopRequest = 0;
        }
    }
}

TCellAdjEnabled LoadCellAdj(TPlayState& play, int col, int row) {
    TCellAdjEnabled on;
    play.PlayDurIndex = 0;
    play.PlayDot = 0;
    play.RitArpAdj = play.CredAdj = play.NotesVolAdj = 100;
    const TCell* cell = CurrentCell(col, row);
    if (!cell)
        return on;
    if (play.IsArpRateMarkNear(col, row) || play.IsTempoRampCell(col, row)) {
        play.RitArpAdj = GetRitArpRate(*cell);
        on.RitArp = true;
    }
    if (play.IsDynamicRampCell(col, row)) {
        play.CredAdj = GetCrescRate(*cell);
        on.Cred = true;
    }
    if (IsNoteOrRestCell(*cell) && (IsWestNoteOrRest(*cell, 1) || IsJianpuSound(*cell))) {
        play.NotesVolAdj = GetNotesVolAdj(*cell);
        play.PlayDurIndex = ((cell->playDur % 10) + 10) % 10;
        play.PlayDot = std::clamp(cell->playDur / 10, 0, 2);
        on.Notes = true;
    }
    return on;
}

void ApplyPlayDuration(int index, int dots) {
    if (!frmMainTQ)
        return;
    const int value = index + 10 * dots;
    Undo.SaveUndo();
    ForSelectedMusicCells([value](TCell& cell, bool west) {
        if (west ? IsWestNoteOrRest(cell, 1) : IsJianpuSound(cell))
            cell.playDur = value;
    });
    FinishSelection();
}

void ApplyAdvVolume(int percent) {
    if (!frmMainTQ)
        return;
    Undo.SaveUndo();
    ForSelectedMusicCells([percent](TCell& cell, bool) { SetCellVolAdj(cell, percent); });
    FinishSelection();
}

void ApplyRitArpAdj(int percent) {
    TMainScore* s = frmMainTQ;
    TCell* cell = s ? CurrentCell(s->SelCol0, s->SelRow0) : nullptr;
    if (!cell)
        return;
    Undo.SaveUndo();
    SetCellRitArpAdj(*cell, percent);
    FinishSelection();
}

void ApplyCredAdj(int percent) {
    TMainScore* s = frmMainTQ;
    TCell* cell = s ? CurrentCell(s->SelCol0, s->SelRow0) : nullptr;
    if (!cell)
        return;
    Undo.SaveUndo();
    SetCellCredAdj(*cell, percent);
    FinishSelection();
}

void PutSoundEffectCell(int soundIndex) {
    TMainScore* s = frmMainTQ;
    TCell* cell = s ? CurrentCell(s->SelCol0, s->SelRow0) : nullptr;
    if (!cell)
        return;
    const int col = s->SelCol0, row = s->SelRow0;
    s->SelCol1 = col;
    s->SelRow1 = row;
    Undo.SaveUndo();
    ResetCell(*cell);
    InsertSpecialSymbol(kSoundEffectSymbol);
    if (TCell* c = CurrentCell(col, row)) {
        c->cellType = ctSoundEffect;
        c->Note = kSoundEffectSymbol;
        c->upNote = soundIndex;
    }
    Undo.SetUndoGroup(2);
    Finish(col, row, col, row);
}

void SetDefaultPlayOptions(TPlayState& play) {
    if (!frmMainTQ)
        return;
    const int saved = CurLayer;
    CurLayer = 0;
    TPoint pt{};
    play.PlayWest = FindNextClefCell(0, pt, false);
    GetRowGroup(0, -1);
    CurLayer = saved;
    play.PlayRule = prAllStaffs;
}

std::string MIDIDivisionText(unsigned char high, unsigned char low) {
    return std::to_string(static_cast<signed char>(high)) + "/" + std::to_string(static_cast<signed char>(low));
}
