#pragma once
// The play state's inline band-summary questions, and the cell reads the
// play-list build uses (the inline grid access of the model).
#include <cstddef>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "play/modTQPlayState.h"

// Option bit of a Western grace note.
inline constexpr uint32_t kOptGraceNote = 0x10000000;

// A cell whose notes are grace notes leading to the note after it.
inline bool IsGraceLeadCell(const TCell& c) {
    return IsGraceCell(c) || ((c.option & kOptGraceNote) != 0 && IsNoteCell(c));
}

// The band summary of the group being walked is for this page, layer, group and margins.
inline bool TPlayState::BandSummaryCurrent() const {
    return frmMainTQ && bandPage_ == frmMainTQ->CurPage && bandLayer_ == CurLayer && !GroupRows.empty() &&
           bandFirst_ == GroupRows.front().row && bandLast_ == GroupRows.back().row && bandAbove_ == HighlightAbove &&
           bandBelow_ == HighlightBelow;
}

inline bool TPlayState::BandMayHold(int column, uint32_t kinds) const {
    if (!BandSummaryCurrent() || column < 0 || static_cast<std::size_t>(column) >= bandKinds_.size())
        return true;
    return (bandKinds_[static_cast<std::size_t>(column)] & (kinds | kBandOther)) != 0;
}
