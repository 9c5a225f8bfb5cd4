// The two cursor members that note entry needs (members of the main window's
// drawing part, TMainView) and the key-entry state.
#include "edit/modTQCursorKeys.h"

#include "model/modTQCellAccess.h"
#include "model/modTQRowQuery.h"
#include "render/modTQMainView.h"

bool AltDown = false;
bool ShiftDown = false;
bool CtrlDown = false;
int ChordNoteIndex = 0;

void TMainView::AdvanceCursor() {
    const int step = GongChiMode ? 2 : 1;
    // A Chinese input layout would catch the next typed note letter; the US
    // layout is brought forward (there is no layout switch on this platform).
    (void)IsChineseKeyboard();
    if (SelCol0 + step >= Cols - step + 1) {
        if (SelRow0 >= Rows - 1)
            return;
        ++SelRow0;
        SelCol0 = 0;
    } else {
        SelCol0 += step;
    }
    SelCol1 = SelCol0;
    SelRow1 = SelRow0;
}

int TMainView::GetKeyTargetNote(const TCell& cell) const {
    const int smalls = GetCompressNoteCount(cell);
    const int chords = GetChordNoteCount(cell);
    if (smalls == 0 && chords == 0)
        return -1;
    const int count = smalls > 0 ? smalls : chords;
    if (AltDown && CtrlDown && ShiftDown)
        ChordNoteIndex = count;
    else if (AltDown && ShiftDown)
        ChordNoteIndex = 4;
    else if (AltDown && CtrlDown)
        ChordNoteIndex = 3;
    else if (CtrlDown)
        ChordNoteIndex = 2;
    else if (AltDown)
        ChordNoteIndex = 1;
    if (smalls > 0 && ChordNoteIndex > 0)
        return FindCompressNoteIndex(ChordNoteIndex, cell);
    return ChordNoteIndex;
}
