#pragma once
// What a score sounds like, for comparing a score before and after a
// conversion: every note of the play list of the whole score (PageCount
// pages), as (onset, MIDI pitch, length) in play units, ordered by onset and
// pitch.
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

// The same, with every page played as a score of its own, one after the other.
// (The Jianpu playback of a whole score keeps the key of its first page on the
// pages after it, whatever key text they carry; page by page each page is
// heard in its own key.)
inline std::vector<TSoundedNote> PlayedPageByPage(bool west) {
    TMainScore& s = *frmMainTQ;
    const TLayer pages = s.PageSets[0];
    const int count = s.PageCount, current = s.CurPage;
    std::vector<TSoundedNote> out;
    int end = 0;
    for (const TPage& page : pages) {
        s.PageSets[0] = TLayer{page};
        s.PageCount = 1;
        s.CurPage = 0;
        int last = end;
        for (TSoundedNote n : PlayedNotes(west)) {
            n.onset += end;
            last = std::max(last, n.onset + n.length);
            out.push_back(n);
        }
        end = last;
    }
    s.PageSets[0] = pages;
    s.PageCount = count;
    s.CurPage = current;
    return out;
}
