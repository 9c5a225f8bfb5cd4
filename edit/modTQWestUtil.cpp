#include "edit/modTQWestUtil.h"

#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"

namespace {

int Mod7(long long v) {
    return static_cast<int>(((v % 7) + 7) % 7);
}

} // namespace

int KeyAccidentalOfNote(const TCell& clefCell, int position) {
    const long long shift = 2LL * RoundToInt(clefCell.yAdj);
    const int letter = Mod7(shift + Mod7(70LL - position + GetClefCPos(clefCell.Note)) + 2);
    return KeyAccidentals[letter];
}

bool IsLastNoteOfRow(int col, const TCellRow& cells) {
    for (std::size_t c = static_cast<std::size_t>(col < 0 ? 0 : col + 1); c < cells.size(); ++c)
        if (IsWestNoteOrRest(cells[c], 1))
            return false;
    return true;
}
