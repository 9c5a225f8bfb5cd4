#include "edit/modTQEditCommands.h"

#include "edit/modTQEd.h"
#include "edit/modTQEditContext.h"
#include "model/modTQMainScore.h"
#include "render/modTQMainView.h"
#include "render/modTQOverlay.h"

namespace {
TMainView* View() { return dynamic_cast<TMainView*>(frmMainTQ); }
} // namespace

void EditCopy() {
    MainEd().Copy();
    if (TMainView* v = View())
        v->CopySelectionAsImage(EditSettings().CopyImageQuality, EditSettings().AutoImageSize);
}

void EditCut() {
    MainEd().Cut();
    if (TMainView* v = View())
        v->RedrawSelection();
}

void EditPaste(int mode) { MainEd().Paste(mode); }

void EditSelectAll() {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    TMainView* v = View();
    if (v && v->OutCanvas)
        DrawCurrentSelection(&v->DrawEngine);
    s->SelCol0 = 0;
    s->SelRow0 = 0;
    s->SelCol1 = s->Cols - 1;
    s->SelRow1 = s->Rows - 1;
    if (v && v->OutCanvas)
        DrawCurrentSelection(&v->DrawEngine);
}

void EditClear() { MainEd().ClearPage(true); }
