#include "edit/modTQWestNames.h"

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "render/modTQMainView.h"

bool IsSingleWestCellSelected() {
    const TMainScore* s = frmMainTQ;
    if (s->SelCol0 != s->SelCol1 || s->SelRow0 != s->SelRow1 || !IsWestRow(s->SelRow0, 0, -1))
        return false;
    const TCell* cell = CellAtAddress(s->SelCol0, s->SelRow0);
    return cell && IsWestNoteOrRest(*cell);
}

void ExtendStaffLinesToEnd() {
    TMainScore* s = frmMainTQ;
    for (TPage& page : s->PageSets[0])
        for (TCellRow& cells : page)
            for (int c = 0; c < s->Cols && c < static_cast<int>(cells.size()); ++c)
                if (IsClefCell(cells[static_cast<size_t>(c)])) {
                    cells[static_cast<size_t>(c)].iEnd = s->Cols - 1;
                    break;
                }
}
