#include "play/modTQPlayList.h"

#include <algorithm>

int NoteCount(const TPlayItem& item) {
    int n = 0;
    while (n < kPlayNoteSlots && item.Notes[n].Pitch != -1)
        ++n;
    return n;
}

bool MarkTie(TPlayItem& item, int octave, int pitch) {
    const int n = NoteCount(item);
    for (int i = 0; i < n; ++i) {
        TPNote& note = item.Notes[i];
        if (note.Octave == octave && note.Pitch == pitch) {
            note.Tie = kTieContinues;
            return true;
        }
    }
    return false;
}

bool SameNote(const TPNote& a, const TPNote& b) {
    return a.Pitch == b.Pitch && a.Octave == b.Octave && a.Channel == b.Channel;
}

bool EndsWithStep(const TPlayItem& item, const TPNote& note) {
    return note.Length <= item.Duration + kHeldSlack && note.Tie != kTieContinues;
}

bool ItemHasNote(const TPlayItem& item, const TPNote& note) {
    const int n = NoteCount(item);
    for (int i = 0; i < n; ++i)
        if (SameNote(item.Notes[i], note))
            return true;
    return false;
}

int FindNoteIndex(const TPlayItem& item, const TPNote& note) {
    for (int i = 0; i < kPlayNoteSlots; ++i)
        if (SameNote(item.Notes[i], note))
            return i;
    return -1;
}

void SetNotesLength(TPlayItem& dest, const TPlayItem& src, int length) {
    const int n = NoteCount(src);
    for (int i = 0; i < n; ++i) {
        const int k = FindNoteIndex(dest, src.Notes[i]);
        if (k >= 0)
            dest.Notes[k].Length = length;
    }
}

void SetLengthsToStep(TPlayItem& item, int channel) {
    const int n = NoteCount(item);
    for (int i = 0; i < n; ++i)
        if (channel == -1 || item.Notes[i].Channel == channel)
            item.Notes[i].Length = item.Duration;
}

void AppendNote(TPlayItem& item, const TPNote& note) {
    const int n = NoteCount(item);
    if (n >= kPlayNoteSlots)
        return;
    item.Notes[n] = note;
    if (n + 1 < kPlayNoteSlots)
        item.Notes[n + 1].Pitch = -1;
}

void MergeNotes(TPlayItem& dest, const TPlayItem& src) {
    int f = 0;
    while (f < kPlayNoteSlots - 1 && dest.Notes[f].Pitch != -1)
        ++f;
    if (f == kPlayNoteSlots - 1)
        return; // no free slot among 0..30
    for (int j = 0; f + j < kPlayNoteSlots && j < kPlayNoteSlots; ++j) {
        dest.Notes[f + j] = src.Notes[j];
        if (src.Notes[j].Pitch == -1)
            break;
    }
}

void MergeNotesFrom(std::vector<TPlayItem>& list, int from, const TPlayItem& item) {
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i < list.size(); ++i)
        MergeNotes(list[i], item);
}

void MergeListStrided(std::vector<TPlayItem>& dest, int start, const std::vector<TPlayItem>& src, int stride) {
    const long long dn = static_cast<long long>(dest.size());
    const long long n = std::max(0LL, std::min(static_cast<long long>(src.size()), dn - start));
    size_t merged = 0;
    for (long long i = 0; i < n; ++i) {
        const long long idx = start + i * stride;
        if (idx < 0 || idx >= dn)
            break;
        MergeNotes(dest[static_cast<size_t>(idx)], src[static_cast<size_t>(i)]);
        ++merged;
    }
    for (size_t i = merged; i < src.size(); ++i)
        dest.push_back(src[i]);
}

void AppendPlayItem(std::vector<TPlayItem>& list, const TPlayItem& item) { list.push_back(item); }

void ClampStepToShortestNote(TPlayItem& item) {
    const int n = NoteCount(item);
    for (int i = 0; i < n; ++i)
        if (item.Notes[i].Length > 5)
            item.Duration = std::min(item.Duration, item.Notes[i].Length);
}
