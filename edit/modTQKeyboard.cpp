#include "edit/modTQKeyboard.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "edit/modTQWestChord.h"
#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "render/modTQMainView.h"

namespace {

int Round(double x) { return static_cast<int>(std::floor(x + 0.5)); }
int Mod(int a, int m) { return ((a % m) + m) % m; }

// Pitch class of each letter step C D E F G A B.
constexpr int kStepPitch[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMajorScale[7] = {0, 2, 4, 5, 7, 9, 11};

// Letter steps, in the order key signatures add sharps and flats.
constexpr int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6}; // F C G D A E B
constexpr int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};  // B E A D G C F
// Black keys a flat key spells as the next letter's flat, by the letter below them.
constexpr int kFlatBlackOrder[5] = {5, 1, 4, 0, 3};   // A# D# G# C# F#

int SharpCount(int keyCode) {
    if (keyCode >= 1 && keyCode <= 5)
        return keyCode;
    if (keyCode == 13)
        return 6;
    if (keyCode == 14)
        return 7;
    return 0;
}

int FlatCount(int keyCode) { return keyCode >= 6 && keyCode <= 12 ? keyCode - 5 : 0; }

bool InFirst(const int* order, int n, int step) {
    for (int i = 0; i < n; ++i)
        if (order[i] == step)
            return true;
    return false;
}

// Letter step of the tonic of a Jianpu key (pitch class t).
int TonicLetter(int t) {
    static constexpr int kLetter[12] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
    return t >= 0 && t < 12 ? kLetter[t] : 0;
}

// Degree index 0..6 of a semitone offset above the tonic; -1 when it is no degree.
int ScaleDegree(int offset) {
    for (int d = 0; d < 7; ++d)
        if (kMajorScale[d] == offset)
            return d;
    return -1;
}

bool ChordModifierHeld(const TKeyboardHooks& h) { return h.ChordModifier && h.ChordModifier(); }
bool KeyboardToStaff(const TKeyboardHooks& h) { return h.KeyboardToStaff && h.KeyboardToStaff(); }

TCell& CursorCellRef() {
    TMainScore& s = *frmMainTQ;
    return s.PageSets[static_cast<size_t>(CurLayer)][static_cast<size_t>(s.CurPage)][static_cast<size_t>(s.SelRow0)]
                     [static_cast<size_t>(s.SelCol0)];
}

// A Western note cell as the keys write it.
TCell MakeWestKeyNote(int white, int black, int clef, const TCell& clefCell) {
    TCell cell;
    ResetCell(cell);
    cell.cellType = ctWestern;
    cell.Note = MainView()->DefaultNoteKind + 3;
    int position = 0;
    int accidental = 0;
    WestNoteFromKey(white, black, static_cast<int>(clefCell.Attr), clef, position, accidental);
    position += static_cast<int>(clefCell.yAdj * 2.0f);
    cell.yAdj = static_cast<float>(position);
    cell.Attr = static_cast<uint32_t>(accidental);
    return cell;
}

// The new note joins the Western cell at the cursor: all notes sorted from the
// lowest (largest position) up, the lowest the main note.
void AddWestChordNote(TCell& cell, const TCell& note) {
    std::vector<TCell> notes;
    for (int k = 0; k <= GetChordNoteCount(cell); ++k) {
        TCell one;
        ExtractChordNote(cell, k, one);
        if (k < GetChordNoteCount(cell))
            one.option = cell.westChordArray[static_cast<size_t>(GetChordNoteCount(cell) - k - 1)].option;
        notes.push_back(one);
    }
    notes.push_back(note);
    std::stable_sort(notes.begin(), notes.end(),
                     [](const TCell& a, const TCell& b) { return a.yAdj > b.yAdj; });
    TCell result = cell;
    result.westChordArray.clear();
    result.yAdj = notes.front().yAdj;
    result.Attr = notes.front().Attr;
    float previous = notes.front().yAdj;
    for (size_t i = 1; i < notes.size(); ++i) {
        TWestChord item;
        item.interval = static_cast<int32_t>(previous - notes[i].yAdj);
        item.attr = notes[i].Attr;
        item.option = notes[i].option;
        result.westChordArray.push_back(item);
        previous = notes[i].yAdj;
    }
    cell = std::move(result);
}

} // namespace

// ---------------------------------------------------------------- spelling

void WestNoteFromKey(int white, int black, int keyCode, int clef, int& position, int& accidental) {
    int step = Mod(white + 5, 7);
    int octave = (white + 5) / 7 - 4;
    int a = black ? 1 : 0;
    const int sharps = SharpCount(keyCode);
    const int flats = FlatCount(keyCode);
    if (sharps > 0 && InFirst(kSharpOrder, sharps, step)) {
        a = black ? 0 : 3;
        if (!black && sharps >= 6 && step == 3) { // F natural is E sharp
            step = 2;
            a = 1;
        } else if (!black && sharps == 7 && step == 0) { // C natural is B sharp
            step = 6;
            octave -= 1;
            a = 1;
        }
    } else if (flats > 0) {
        if (black) {
            if (InFirst(kFlatBlackOrder, std::min(flats, 5), step)) {
                step += 1;
                a = 0;
            }
        } else if (InFirst(kFlatOrder, flats, step)) {
            a = 3;
            if (flats >= 6 && step == 6) { // B is C flat of the next octave
                step = 0;
                octave += 1;
                a = 0;
            } else if (flats == 7 && step == 2) { // E is F flat
                step = 3;
                a = 0;
            }
        }
    }
    position = 6 - 7 * octave - step;
    if (clef == -2)
        position -= 12;
    else if (clef == -3)
        position -= 6;
    else if (clef == -5)
        position -= 8;
    accidental = a;
}

void JianpuNoteFromKey(int white, int black, int tonic, int& degree, int& octave, int& accidental) {
    const int step = Mod(white + 5, 7);
    octave = (white + 5) / 7 - 4;
    const int semitone = kStepPitch[step] + (black ? 1 : 0);
    if (tonic <= 0 || tonic >= 12) { // no key text, or C: the letter is the degree
        degree = step;
        accidental = black ? 1 : 0;
        return;
    }
    if (tonic <= 7 && semitone < tonic)
        octave -= 1;
    else if (tonic >= 8 && semitone >= tonic)
        octave += 1;
    const int offset = Mod(semitone - tonic, 12);
    const int d = ScaleDegree(offset);
    if (d >= 0) {
        degree = d;
        accidental = 0;
        return;
    }
    const bool sharpKey = tonic == 2 || tonic == 4 || tonic == 7 || tonic == 9;
    if (sharpKey && !black) { // a letter the key sharpens: the degree above, flattened
        degree = ScaleDegree(Mod(offset + 1, 12));
        accidental = 2;
    } else { // the degree below, sharpened
        degree = ScaleDegree(Mod(offset - 1, 12));
        accidental = 1;
    }
    if (degree < 0) { // cannot happen in a major scale; keep the letter
        degree = Mod(step - TonicLetter(tonic), 7);
        accidental = black ? 1 : 0;
    }
}

int FindGoverningJianpuKey(int col, int row) {
    const TMainScore* s = frmMainTQ;
    if (!s)
        return -100;
    for (int page = s->CurPage; page >= 0; --page) {
        const int lastRow = page == s->CurPage ? row : s->Rows - 1;
        for (int r = lastRow; r >= 0; --r) {
            const int first = (page == s->CurPage && r == row) ? col - 1 : s->Cols - 1;
            for (int c = first; c >= 0; --c) {
                const TCell* cell = CellAtAddress(c, r, page);
                if (!cell || cell->cellType != ctText)
                    continue;
                const int t = GetJianpuKeyFromText(cell->Text.str(), c, r);
                if (t != -100)
                    return t;
            }
        }
    }
    return -100;
}

// ---------------------------------------------------------------- the piano

TKeyboard::TKeyboard(TCanvas* canvas, int width, int height) : Canvas(canvas), Width(width), Height(height) {
    if (Canvas)
        Canvas->Font.Name = "Arial";
}

int TKeyboard::WhiteKeyKind(int white) {
    if (white == 0 || white >= 51)
        return white == 0 ? 1 : 3;
    switch (Mod(white + 5, 7)) {
    case 0:
    case 3:
        return 1; // C, F
    case 2:
    case 6:
        return 2; // E, B
    default:
        return 3;
    }
}

void TKeyboard::KeyToPitch(int white, int black, int& octave, int& pitch) {
    const int n = white + 5;
    octave = n / 7 - 4;
    pitch = kStepPitch[n % 7] + (black ? 1 : 0);
}

void TKeyboard::HitTest(double x, double y, int& key, int& black) const {
    const double w = KeyWidth();
    if (w <= 0) {
        key = 0;
        black = 0;
        return;
    }
    const int iw = std::clamp(static_cast<int>(x / w), 0, kWhiteKeys - 1);
    const int ib = static_cast<int>((x - 0.5 * w) / w);
    if (y < kBlackHeight * Height && ib >= 0 && ib + 1 < kWhiteKeys && WhiteKeyKind(ib) != 2 &&
        std::fabs(x - (ib + 1) * w) <= kBlackHalfWidth * w) {
        key = ib + 1;
        black = 1;
        return;
    }
    key = iw;
    black = 0;
}

void TKeyboard::Paint() {
    if (!Canvas || Width <= 0 || Height <= 0)
        return;
    const double w = KeyWidth();
    TCanvas& c = *Canvas;
    c.Brush.Style = bsSolid;
    c.Brush.Color = clWhite;
    c.FillRect(TRect{0, 0, Width, Height});
    c.Pen.Color = clBlack;
    c.Pen.Mode = pmCopy;
    c.Pen.Style = psSolid;
    for (int i = 1; i < kWhiteKeys; ++i) {
        c.MoveTo(Round(i * w), 0);
        c.LineTo(Round(i * w), Height);
    }
    c.Brush.Color = clBlack;
    int count = 2;
    int group = 3;
    for (int i = 1; i < kWhiteKeys; ++i) {
        if (count < group) {
            c.Rectangle(Round((i - kBlackHalfWidth) * w), 0, Round((i + kBlackHalfWidth) * w),
                        Round(kBlackHeight * Height));
            ++count;
        } else {
            count = 0;
            group = group == 3 ? 2 : 3;
        }
    }
    c.Brush.Style = bsClear;
    c.Font.Name = "Arial";
    c.Font.Size = Round(0.6 * w);
    c.Font.Color = clBlack;
    c.TextOut(Round(23.23 * w), static_cast<int>(0.7 * Height), "C");
    if (Hooks.Update)
        Hooks.Update();
}

void TKeyboard::DrawWhiteKey(int i) {
    if (!Canvas || i < 0 || i >= kWhiteKeys)
        return;
    const double w = KeyWidth();
    const double top = kBlackHeight * Height;
    TCanvas& c = *Canvas;
    const TBrushStyle saved = c.Brush.Style;
    c.Brush.Style = bsSolid;
    if (i == kWhiteKeys - 1) {
        c.FillRect(TRect{Round(i * w) + 1, 0, Round((i + 1) * w) + 1, Height});
    } else {
        c.FillRect(TRect{Round(i * w) + 1, Round(top), Round((i + 1) * w), Height});
        switch (WhiteKeyKind(i)) {
        case 1:
            c.FillRect(TRect{Round(i * w) + 1, 0, Round((i + 0.75) * w), Round(top)});
            break;
        case 2:
            c.FillRect(TRect{Round((i + 0.24) * w) + 1, 0, Round((i + 1) * w), Round(top)});
            break;
        default:
            c.FillRect(TRect{Round((i + 0.24) * w) + 1, 0, Round((i + 0.75) * w), Round(top)});
            break;
        }
    }
    c.Brush.Style = saved;
    if (i == kMiddleC) {
        const TBrush brush = c.Brush;
        c.Brush.Style = bsClear;
        c.Font.Size = Round(0.6 * w);
        c.Font.Color = clBlack;
        c.TextOut(Round(23.21 * w), static_cast<int>(0.7 * Height), "C");
        c.Brush = brush;
    }
    if (Hooks.Update)
        Hooks.Update();
}

void TKeyboard::DrawBlackKey(int b) {
    if (!Canvas || b < 1 || b >= kWhiteKeys)
        return;
    const double w = KeyWidth();
    TCanvas& c = *Canvas;
    const TBrushStyle saved = c.Brush.Style;
    c.Brush.Style = bsSolid;
    c.Pen.Color = clBlack;
    c.Rectangle(Round((b - kBlackHalfWidth) * w), 0, Round((b + kBlackHalfWidth) * w), Round(kBlackHeight * Height));
    c.Brush.Style = saved;
    if (Hooks.Update)
        Hooks.Update();
}

void TKeyboard::MouseDown(int x, int y) {
    int key = 0;
    int black = 0;
    HitTest(x, y, key, black);
    PressKey(key, black);
}

void TKeyboard::PressKey(int key, int black) {
    TPressedKey entry;
    entry.Kind = 0;
    entry.Key = key;
    entry.Black = black;
    KeyToPitch(black ? key - 1 : key, black, entry.Octave, entry.Pitch);
    entry.MidiNote = 60 + 12 * entry.Octave + entry.Pitch;
    if (Canvas) {
        Canvas->Brush.Style = bsSolid;
        Canvas->Brush.Color = black ? kBlackDownColor : KeyDownColor;
        if (black)
            DrawBlackKey(key);
        else
            DrawWhiteKey(key);
        Canvas->Brush.Style = bsClear;
    }
    Pressed.push_back(entry);
    Sound(black ? key - 1 : key, black);
}

void TKeyboard::Sound(int white, int black) {
    if (!Hooks.PanelVisible || !Hooks.PanelVisible())
        return;
    int octave = 0;
    int pitch = 0;
    KeyToPitch(white, black, octave, pitch);
    if (Hooks.NoteOn)
        Hooks.NoteOn(octave, pitch, Hooks.Volume ? Hooks.Volume() : 127);
    if (KeyboardToStaff(Hooks))
        EnterNote(white, black);
}

void TKeyboard::ReleaseEntry(const TPressedKey& entry) {
    if (entry.Kind == 0) {
        if (Canvas) {
            Canvas->Brush.Style = bsSolid;
            Canvas->Brush.Color = entry.Black ? clBlack : clWhite;
            if (entry.Black)
                DrawBlackKey(entry.Key);
            else
                DrawWhiteKey(entry.Key);
        }
    } else {
        HighlightKey(entry.Pitch, entry.Octave, 1);
    }
    if (Hooks.NoteOff)
        Hooks.NoteOff(entry.Octave, entry.Pitch);
}

void TKeyboard::MouseUp() {
    const size_t n = Pressed.size();
    while (!Pressed.empty()) {
        const TPressedKey entry = Pressed.front();
        Pressed.pop_front();
        ReleaseEntry(entry);
    }
    if (Canvas)
        Canvas->Brush.Style = bsClear;
    if (n > 1 && KeyboardToStaff(Hooks) && frmMainTQ) {
        MainView()->AdvanceCursor();
        MainView()->RedrawSelection();
    }
}

void TKeyboard::HighlightKey(int pitch, int octave, int mode) {
    if (pitch < 0 || pitch >= 12 || !Canvas)
        return;
    static constexpr int kOffset[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
    static constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    const int white = kOffset[pitch] + 7 * octave + kMiddleC;
    const bool black = kBlack[pitch];
    TColor colour = kPlayingColor;
    if (mode == 1)
        colour = black ? clBlack : clWhite;
    else if (mode == 0)
        colour = black ? kBlackDownColor : KeyDownColor;
    const TBrush saved = Canvas->Brush;
    Canvas->Brush.Style = bsSolid;
    Canvas->Brush.Color = colour;
    if (black)
        DrawBlackKey(white + 1);
    else
        DrawWhiteKey(white);
    Canvas->Brush = saved;
}

void TKeyboard::PressAuditionKey(int pitch, int octave) {
    TPressedKey entry;
    entry.Kind = 1;
    entry.Key = pitch;
    entry.Octave = octave;
    entry.Pitch = pitch;
    entry.MidiNote = 60 + 12 * octave + pitch;
    Pressed.push_back(entry);
    HighlightKey(pitch, octave, 0);
}

void TKeyboard::ReleaseAll() {
    while (!Pressed.empty()) {
        const TPressedKey entry = Pressed.front();
        Pressed.pop_front();
        ReleaseEntry(entry);
        if (Hooks.ProcessEvents)
            Hooks.ProcessEvents();
    }
}

void TKeyboard::EnterNote(int white, int black) {
    TMainScore* s = frmMainTQ;
    if (!s || s->SelCol0 < 0 || s->SelRow0 < 0 || s->SelCol0 >= s->Cols || s->SelRow0 >= s->Rows)
        return;
    TMainView* view = MainView();
    Undo.SaveUndo();
    s->SelCol1 = s->SelCol0;
    s->SelRow1 = s->SelRow0;
    const bool chord = ChordModifierHeld(Hooks) && KeyboardToStaff(Hooks);
    const int col = s->SelCol0;
    const int row = s->SelRow0;
    int clefCol = col;
    const int clef = FindClefLeft(clefCol, row);
    TCell& cell = CursorCellRef();
    bool flip = false;
    if (clefCol >= 0) {
        TCell clefCell;
        GetCell(clefCell, clefCol, row, 0);
        const TCell note = MakeWestKeyNote(white, black, clef, clefCell);
        if (chord && IsWestNoteCell(cell)) {
            AddWestChordNote(cell, note);
            flip = cell.yAdj > 0;
        } else {
            cell = note;
            flip = cell.yAdj > 0;
        }
    } else {
        int degree = 0;
        int octave = 0;
        int accidental = 0;
        JianpuNoteFromKey(white, black, FindGoverningJianpuKey(col, row), degree, octave, accidental);
        if (chord && !IsEmptyCell(cell)) {
            if (IsJianpuNoteCell(cell) && cell.CompressNotes.empty()) {
                TCompressNote own;
                own.code = cell.Note;
                own.value = cell.UL;
                own.octave = cell.dot;
                own.attr = cell.Attr;
                own.option = cell.option;
                cell.CompressNotes.push_back(own);
            }
            TCompressNote added;
            added.code = '1' + degree;
            added.value = cell.UL;
            added.octave = octave;
            added.attr = static_cast<uint32_t>(accidental);
            added.option = cell.option;
            cell.CompressNotes.push_back(added);
            std::vector<TCompressNote> notes(cell.CompressNotes.begin(), cell.CompressNotes.end());
            std::stable_sort(notes.begin(), notes.end(), [](const TCompressNote& a, const TCompressNote& b) {
                return a.octave != b.octave ? a.octave < b.octave : a.code < b.code;
            });
            cell.CompressNotes.clear();
            for (const TCompressNote& n : notes)
                cell.CompressNotes.push_back(n);
            cell.Attr = (cell.Attr & ~0xF0u) | 0xB0u;
        } else {
            ResetCell(cell);
            cell.cellType = ctJianpu;
            cell.Note = '1' + degree;
            cell.dot = octave;
            cell.Attr = static_cast<uint32_t>(accidental);
            cell.UL = view->DefaultNoteKind;
        }
    }
    if (flip && (chord || cell.westChordArray.empty()))
        FlipStems(CurLayer, col, row, false);
    s->SetModified(true);
    if (!chord)
        view->AdvanceCursor();
    view->RedrawSelection();
}
