// The main window's openers of the property dialogs.
#include "app/frmTQMain.h"
#include "palettes/frmTQClefStaff.h"

bool TfrmMainTQ::ChooseClefStaff() {
    int key = CurKey, clef = CurClef;
    if (!AskClefStaff(this, key, clef))
        return false;
    CurKey = key;
    CurClef = clef;
    return true;
}
