#pragma once
// What a score sounds like, for comparing a score before and after a
// conversion: every note of the play list built from the first cell of the
// current page, as (onset, MIDI pitch, length) in play units, ordered by onset
// and pitch.
//
// Each call builds with a play state of its own, so that nothing one build
// remembers (the key of a Jianpu score, say) reaches the next.
#include <algorithm>
#include <ostream>
#include <tuple>
#include <vector>

#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

struct TSoundedNote {
    int onset;
    int pitch; // MIDI: 60 is middle C
    int length;
    bool operator==(const TSoundedNote&) const = default;
    bool operator<(const TSoundedNote& o) const {
        return std::tie(onset, pitch, length) < std::tie(o.onset, o.pitch, o.length);
    }
};

inline std::ostream& operator<<(std::ostream& os, const TSoundedNote& n) {
    return os << "{at " << n.onset << " pitch " << n.pitch << " len " << n.length << "}";
}

// west: read the Western staves (else the Jianpu rows).
inline std::vector<TSoundedNote> PlayedNotes(bool west) {
    TPlayState play;
    TPlayState* previous = frmPlay;
    frmPlay = &play;
    play.PlayRule = prAllStaffs;
    play.PlayWest = west;
    TMainScore& s = *frmMainTQ;
    const int c0 = s.SelCol0, r0 = s.SelRow0, c1 = s.SelCol1, r1 = s.SelRow1, page = s.CurPage;
    s.SelCol0 = s.SelCol1 = 0;
    s.SelRow0 = s.SelRow1 = 0;
    std::vector<TSoundedNote> out;
    if (play.BuildPlayList(false)) {
        int t = 0;
        for (const TPlayItem& item : play.PlayList) {
            if (item.Kind == pkNotes)
                for (int k = 0; k < NoteCount(item); ++k) {
                    const TPNote& n = item.Notes[k];
                    if (n.Pitch >= 0 && n.Pitch < 12 && n.Length > 0 && n.Volume > 0)
                        out.push_back({t, 60 + 12 * n.Octave + n.Pitch, n.Length});
                }
            if ((item.Kind == pkNotes || item.Kind == pkRest || item.Kind == pkSilent) && item.Duration > 0)
                t += item.Duration;
        }
    }
    std::sort(out.begin(), out.end());
    s.SelCol0 = c0, s.SelRow0 = r0, s.SelCol1 = c1, s.SelRow1 = r1, s.CurPage = page;
    frmPlay = previous;
    return out;
}
