// The main window's openers of the property dialogs.
#include "app/frmTQMain.h"
#include "palettes/frmTQCellProperty.h"
#include "palettes/frmTQClefStaff.h"
#include "palettes/frmTQMath.h"

bool TfrmMainTQ::ChooseClefStaff() {
    int key = CurKey, clef = CurClef;
    if (!AskClefStaff(this, key, clef))
        return false;
    CurKey = key;
    CurClef = clef;
    return true;
}

void TfrmMainTQ::btnMathClick() {
    if (!frmMath)
        frmMath = new TfrmMath(this);
    frmMath->show();
    frmMath->raise();
}

void TfrmMainTQ::mitCellPropertyClick() {
    if (!frmCellProperty)
        frmCellProperty = new TfrmCellProperty(this);
    if (frmCellProperty->isVisible())
        frmCellProperty->FormShow();
    else
        frmCellProperty->show();
    frmCellProperty->raise();
}
