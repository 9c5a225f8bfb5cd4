// Western to Jianpu: the commands over all pages and over the selected rows, with
// undo, redraw and the closing report of the cells to check.
#include <QCursor>
#include <QGuiApplication>
#include <algorithm>
#include <string>

#include "convert/modTQConvertW2J.h"
#include "convert/modTQW2JWindow.h"
#include "edit/modTQEditContext.h"
#include "lang/modTQLanguage.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "render/modTQMainView.h"

TW2JWindowHooks W2JWindow;

TW2JHourglass::TW2JHourglass() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        set_ = true;
    }
}

TW2JHourglass::~TW2JHourglass() {
    if (set_)
        QGuiApplication::restoreOverrideCursor();
}

void ConvertBeep() {
    if (W2JWindow.Beep)
        W2JWindow.Beep();
}

void ConvertToLayer0() {
    if (CurLayer != 1)
        return;
    if (W2JWindow.SwitchToLayer0)
        W2JWindow.SwitchToLayer0();
    else
        CurLayer = 0;
}

namespace {

// The closing report: string 1033, the number of highlight records, string 1036.
void ReportHighlights(const TMainView& view) {
    if (view.Highlights.empty())
        return;
    Language->MessageOk(1033, std::to_string(view.Highlights.size()) + Language->GetString(1036),
                        mkInformation);
}

} // namespace

void TConvertW2J::StartCommand() {
    KeyLabel.clear();
    LastFixedKey = -1;
}

void TConvertW2J::TakeFirstTimeSignature() {
    BeatsPerBar = 4;
    BeatUnit = 4;
    TPoint at{-1, -1};
    int numerator = 4, denominator = 4;
    FindFirstTimeSignature(at, numerator, denominator, 0);
    if (at.x >= 0) {
        BeatsPerBar = numerator;
        BeatUnit = denominator;
    }
}

void TConvertW2J::ConvertW2JAllPages(int mode, bool quiet) {
    TMainView* view = MainView();
    if (!HasWestRowInRange(0, -1, 0)) {
        ConvertBeep();
        return;
    }
    ConvertToLayer0();
    TW2JHourglass hourglass;
    StartCommand();
    Quiet = quiet;
    // Without its undo snapshot a conversion could not be taken back: none is made.
    if (!quiet && Undo.SaveScoreSnapshot(true).empty())
        return;
    view->Highlights.clear();
    const int savedPage = view->CurPage;
    view->CurPage = 0;
    TakeFirstTimeSignature();
    while (view->CurPage < static_cast<int>(view->PageSets[static_cast<std::size_t>(CurLayer)].size())) {
        view->SelCol0 = 0;
        view->SelCol1 = view->Cols - 1;
        view->SelRow0 = 0;
        view->SelRow1 = view->Rows - 1;
        ConvertW2JPage(mode);
        ++view->CurPage;
    }
    view->CurPage = savedPage;
    if (quiet)
        return;
    view->SetModified(true);
    view->RedrawPage();
    ReportHighlights(*view);
}

void TConvertW2J::ConvertW2JSelected(bool quiet) {
    TMainView* view = MainView();
    ConvertToLayer0();
    if (!HasWestRowInRange(view->SelRow0, view->SelRow1, view->CurPage)) {
        ConvertBeep();
        return;
    }
    TW2JHourglass hourglass;
    StartCommand();
    Quiet = quiet;
    const int s0 = view->SelCol0, r0 = view->SelRow0, s1 = view->SelCol1, r1 = view->SelRow1;
    // The row above the selection receives the key text.
    view->SelCol0 = 0;
    view->SelCol1 = view->Cols - 1;
    if (view->SelRow0 > 0)
        --view->SelRow0;
    const bool twin = view->HasJianpuPage();
    if (!quiet) {
        SaveLayerBlock(view->SelCol0, view->SelRow0, view->SelCol1, view->SelRow1);
        if (twin) {
            CurLayer = 1;
            SaveLayerBlock(view->SelCol0, view->SelRow0, view->SelCol1, view->SelRow1);
            CurLayer = 0;
            Undo.SetUndoGroup(2);
        }
    }
    TakeFirstTimeSignature();
    view->Highlights.clear();
    ConvertW2JPage(3);
    view->SelCol0 = s0;
    view->SelRow0 = r0;
    view->SelCol1 = s1;
    view->SelRow1 = r1;
    if (quiet)
        return;
    Undo.SetGroupSelection(s0, r0, s1, r1);
    view->SetModified(true);
    view->RedrawSelection();
    ReportHighlights(*view);
}
