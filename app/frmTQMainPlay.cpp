// Playing from the main window: starting the player over the play window's
// list, locking the window while it plays, following the music on the page,
// and the commands that start, stop and clear.
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "app/frmTQMain.h"
#include "model/modTQRowQuery.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "render/modTQOverlay.h"

void TfrmMainTQ::StartPlayer(int startIndex, int highlightRows) {
    DrawEngine.DrawLayers(0, 0, Cols, Rows);
    pbxMain->update();
    for (int i = 0; i < 2; ++i) {
        if (PlayWindow.ApplySpeed)
            PlayWindow.ApplySpeed();
        else if (frmPlay)
            frmPlay->SpeedAdjChange();
    }
    for (QWidget* w : {static_cast<QWidget*>(btnPreviousPage), static_cast<QWidget*>(btnNextPage),
                       static_cast<QWidget*>(cbxPageNum), static_cast<QWidget*>(btnLayer)})
        w->setEnabled(false);
    btnPreviousPage->setEnabled(CurPage > 0);
    auto enablePages = [this] {
        for (QWidget* w : {static_cast<QWidget*>(btnNextPage), static_cast<QWidget*>(cbxPageNum),
                           static_cast<QWidget*>(btnLayer)})
            w->setEnabled(true);
    };
    lastPlayStart_ = {CurPage, SelCol0, SelRow0, SelCol1, SelRow1};
    lastPlayEnd_.reset();
    try {
        // The player reports a library it cannot use (string 3311 with its path).
        if (frmPlay && EnsureMidi())
            frmMIDI->MidiPlayList(frmPlay->PlayList, startIndex, highlightRows);
    } catch (...) {
        enablePages();
        throw;
    }
    enablePages();
    if (frmPlay && frmPlay->StopRequest == 0)
        lastPlayEnd_ = std::array<int, 5>{CurPage, SelCol0, SelRow0, SelCol1, SelRow1};
}

void TfrmMainTQ::ReturnToLastPlayStart() {
    if (!lastPlayEnd_)
        return;
    const bool stillThere = *lastPlayEnd_ == std::array<int, 5>{CurPage, SelCol0, SelRow0, SelCol1, SelRow1};
    lastPlayEnd_.reset();
    const int page = lastPlayStart_[0];
    if (!stillThere || page < 0 || page >= static_cast<int>(PageSets[0].size()))
        return;
    if (page != CurPage)
        GoToPage(page);
    SelCol0 = lastPlayStart_[1];
    SelRow0 = lastPlayStart_[2];
    SelCol1 = lastPlayStart_[3];
    SelRow1 = lastPlayStart_[4];
}

bool TfrmMainTQ::KeyWhilePlaying(QKeyEvent* e) {
    if (controlsLocked_ == 0)
        return false;
    if (e->type() == QEvent::ShortcutOverride) {
        const QKeySequence keys(e->keyCombination());
        for (const char* name : {"mitPlay", "btnPlayDirctly"})
            if (QAction* a = CommandAction(name); a && !keys.isEmpty() && a->shortcut() == keys)
                return false; // on to the command, which stops the play
        e->accept();
    }
    return true;
}

namespace {

// A menu stands for its menu-bar item.
QObject* Switch(QObject* o) {
    if (auto* menu = qobject_cast<QMenu*>(o))
        return menu->menuAction();
    return o;
}

bool IsOn(QObject* o) {
    if (auto* w = qobject_cast<QWidget*>(o))
        return w->isEnabled();
    if (auto* a = qobject_cast<QAction*>(o))
        return a->isEnabled();
    return false;
}

void TurnOn(QObject* o, bool on) {
    if (auto* w = qobject_cast<QWidget*>(o))
        w->setEnabled(on);
    else if (auto* a = qobject_cast<QAction*>(o))
        a->setEnabled(on);
}

} // namespace

void TfrmMainTQ::EnableMainControls(bool enable) {
    static const char* const kNames[] = {
        "mitFile", "mitEdit", "mitModify", "mitView", "mitWestern", "mitText", "mitTool", "mitWindow", "mitHelp",
        "mitImage", "btnUndo", "btnRedo", "btnNew", "btnBrowser", "btnOpenFile", "btnSaveFile", "btnPrint",
        "btnCopy", "btnPaste", "btnCut", "btnEnterText", "btnTextFont", "btnTextBox"};
    if (!enable) {
        if (controlsLocked_++ > 0)
            return;
        controlsAfterPlay_.clear();
        for (const char* name : kNames) {
            QObject* o = Switch(findChild<QObject*>(QString::fromLatin1(name)));
            if (!o)
                continue;
            controlsAfterPlay_.emplace_back(o, IsOn(o));
            TurnOn(o, false);
        }
        return;
    }
    if (controlsLocked_ == 0) {
        // Nothing locked them: every one is usable.
        for (const char* name : kNames)
            if (QObject* o = Switch(findChild<QObject*>(QString::fromLatin1(name))))
                TurnOn(o, true);
        return;
    }
    if (--controlsLocked_ > 0)
        return;
    for (const auto& [o, on] : controlsAfterPlay_)
        if (o)
            TurnOn(o, on);
    controlsAfterPlay_.clear();
}

void TfrmMainTQ::SetControlEnabled(QObject* control, bool enable) {
    QObject* o = Switch(control);
    if (!o)
        return;
    if (controlsLocked_ > 0)
        for (auto& [kept, on] : controlsAfterPlay_)
            if (kept == o) {
                on = enable;
                return;
            }
    TurnOn(o, enable);
}

void TfrmMainTQ::SelectAndShowCell(int col, int row, int rows, bool redraw, int scrollFlags) {
    DrawCurrentSelection(&DrawEngine);
    SelCol0 = col;
    SelCol1 = col;
    SelRow0 = row;
    SelRow1 = rows > 1 ? row + rows : row;
    if (row == 0) {
        DrawCurrentSelection(&DrawEngine);
        pbxMain->update();
        ScrollIntoView(scrollFlags);
        return;
    }
    const bool scrolled = ScrollIntoView(scrollFlags);
    if (!scrolled || !redraw) {
        DrawCurrentSelection(&DrawEngine);
        pbxMain->update();
    } else {
        RedrawPage();
    }
}

bool TfrmMainTQ::ScrollIntoView(int flags) {
    const int u = GetCellHeight();
    const int v = GetCellWidth();
    const int bottomMargin = static_cast<int>(1.2 * u);
    const int topMargin = static_cast<int>(0.2 * u);
    const int t = GetTopMargin();
    const int l = GetLeftMargin();
    bool scrolled = false;
    QScrollBar* vbar = scrMain->verticalScrollBar();
    const int height = scrMain->viewport()->height();
    const int p = vbar->value();
    if (!(flags & 4) && t + (SelRow1 + 1) * u > p + height - bottomMargin && p < vbar->maximum()) {
        vbar->setValue(t + SelRow0 * u);
        scrolled = vbar->value() != p;
    } else if (!(flags & 1) && t + SelRow1 * u < p + topMargin && p > 0) {
        vbar->setValue((SelRow0 + 3) * u - height + t);
        scrolled = vbar->value() != p;
    }
    QScrollBar* hbar = scrMain->horizontalScrollBar();
    const int width = scrMain->viewport()->width();
    const int q = hbar->value();
    if (!(flags & 8) && l + (SelCol1 + 1) * v > q + width - bottomMargin && q < hbar->maximum()) {
        hbar->setValue(l + SelCol0 * v);
        scrolled = scrolled || hbar->value() != q;
    } else if (!(flags & 2) && l + SelCol1 * v < q + topMargin && q > 0) {
        hbar->setValue((SelCol0 + 3) * v - width + l);
        scrolled = scrolled || hbar->value() != q;
    }
    return scrolled;
}

void TfrmMainTQ::btnPlayMusicClick() {
    if (!PlayWindow.SetVisible || !PlayWindow.Visible)
        return;
    const bool show = !PlayWindow.Visible();
    if (show && PlayWindowWidget)
        PlaceToolWindow(PlayWindowWidget());
    PlayWindow.SetVisible(show);
}

void TfrmMainTQ::btnPlayDirctlyClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    if (PlayWindow.Playing && PlayWindow.Playing()) {
        if (PlayWindow.Stop)
            PlayWindow.Stop();
        btnPlayDirctly->setEnabled(true);
        return;
    }
    if (!PlayWindow.Play) {
        PlayWithoutWindow();
        return;
    }
    if (PlayWindow.SetEnabled)
        PlayWindow.SetEnabled(false);
    btnPlayDirctly->setEnabled(false);
    if (PlayWindow.ChooseNotation) {
        if (IsJianpuMusicRow(SelRow0))
            PlayWindow.ChooseNotation(false);
        else if (IsWestRow(SelRow0, 0, -1))
            PlayWindow.ChooseNotation(true);
    }
    struct TRestore {
        TfrmMainTQ* w;
        ~TRestore() {
            w->btnPlayDirctly->setEnabled(true);
            if (w->PlayWindow.SetEnabled)
                w->PlayWindow.SetEnabled(true);
        }
    } restore{this};
    PlayWindow.Play();
}

void TfrmMainTQ::PlayWithoutWindow() {
    TPlayState* play = AuditionState();
    if (play->Playing) {
        play->StopClick();
        btnPlayDirctly->setEnabled(true);
        return;
    }
    if (!EnsureMidi())
        return;
    if (IsJianpuMusicRow(SelRow0))
        play->PlayWest = false;
    else if (IsWestRow(SelRow0, 0, -1))
        play->PlayWest = true;
    btnPlayDirctly->setEnabled(false);
    EnableMainControls(false);
    struct TRestore {
        TfrmMainTQ* w;
        ~TRestore() {
            w->EnableMainControls(true);
            w->btnPlayDirctly->setEnabled(true);
        }
    } restore{this};
    ReturnToLastPlayStart();
    if (play->BuildPlayList(true))
        StartPlayer(play->StartIndex, play->HighlightAbove + play->HighlightBelow + 1);
}

bool TfrmMainTQ::EnsureMidi() {
    if (!frmMIDI)
        ProgramMidi(ProgramFolderPath);
    return frmMIDI != nullptr;
}

void TfrmMainTQ::mitClearHightlightsClick() {
    Highlights.clear();
    RedrawPage();
}

void TfrmMainTQ::mitToolClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    if (QAction* clear = CommandAction("mitClearVerifyResult"))
        clear->setEnabled(!Highlights.empty());
}
