// Jianpu to Western: one Jianpu note becomes one Western note (value, staff
// position under the row's clef, accidental spelled for the key in force).
#include "convert/modTQConvertJ2W.h"
#include "render/modTQMainView.h"

namespace {

// Semitones of the major scale's degrees above the tonic.
constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
// Semitones of the natural letters from C (C D E F G A B).
constexpr int kNaturalFromC[7] = {0, 2, 4, 5, 7, 9, 11};

struct TKeyTonic {
    int letter; // 0 C .. 6 B
    int accid;  // the tonic's own alteration in semitones
};

// Tonic of each key code 0..14: C G D A E B F Bb Eb Ab Db Gb Cb F# C#.
constexpr TKeyTonic kTonic[15] = {{0, 0},  {4, 0},  {1, 0},  {5, 0},  {2, 0},  {6, 0}, {3, 0}, {6, -1},
                                  {2, -1}, {5, -1}, {1, -1}, {4, -1}, {0, -1}, {3, 1}, {0, 1}};

int NaturalSemis(int letterFromC) {
    const int oct = letterFromC >= 0 ? letterFromC / 7 : -((6 - letterFromC) / 7);
    return 12 * oct + kNaturalFromC[letterFromC - 7 * oct];
}

// Alteration the key's scale gives the letter (0 C .. 6 B).
int KeyLetterAlteration(int key, int letter) {
    const TKeyTonic t = kTonic[key];
    const int idx = ((letter - t.letter) % 7 + 7) % 7;
    const int target = NaturalSemis(t.letter) + t.accid + kMajor[idx];
    return target - NaturalSemis(t.letter + idx);
}

// Semitones of a Jianpu accidental relative to the key; false for the kinds that
// are never respelled (quarter tones and the further codes).
bool RelativeSemis(uint32_t low, int& semis) {
    switch (low) {
    case 0:
    case 3:
        semis = 0;
        return true;
    case 1:
        semis = 1;
        return true;
    case 2:
        semis = -1;
        return true;
    case 5:
        semis = -2;
        return true;
    case 6:
        semis = 2;
        return true;
    default:
        return false;
    }
}

} // namespace

int TConvertJ2W::TonicStaffStep() const {
    const TMainView* view = MainView();
    const int clef = view ? view->CurClef : -1;
    const int key = view ? view->CurKey : 0;
    int step = -7;
    switch (clef) {
    case -2:
        step = 5;
        break;
    case -3:
        step = -1;
        break;
    case -5:
        step = 1;
        break;
    default:
        break;
    }
    // The tonic letter's steps above C: A and B count from the C above them
    // (below the middle C of the clef).
    static constexpr int kLetterStep[7] = {0, 1, 2, 3, 4, -2, -1};
    if (key >= 0 && key < 15)
        step += kLetterStep[kTonic[key].letter];
    return step;
}

// Every key (the per-key spelling rules of each key code) follows one rule: the
// degree names the letter counted from the key's tonic letter, the accidental is
// the one that letter needs for the sounding pitch; a letter that would need a
// double accidental moves to its neighbour. An unaltered letter keeps what the
// source wrote (none or natural). The style nibbles of the word stay.
int TConvertJ2W::KeyAccidentalJ2W(int key, uint32_t& accid, int& degree) {
    if (key < 0 || key >= 15 || degree < '1' || degree > '7')
        return 0;
    if (accid > 0xFFFFu)
        return 0;
    const uint32_t low = accid & 0xFu;
    int semis = 0;
    if (!RelativeSemis(low, semis))
        return 0;
    const TKeyTonic t = kTonic[key];
    const int idx = degree - '1';
    const int target = NaturalSemis(t.letter) + t.accid + kMajor[idx] + semis;
    int letter = t.letter + idx;
    int alter = target - NaturalSemis(letter);
    while (alter > 1) {
        ++letter;
        alter = target - NaturalSemis(letter);
    }
    while (alter < -1) {
        --letter;
        alter = target - NaturalSemis(letter);
    }
    uint32_t west = 3;
    if (alter == 1)
        west = 1;
    else if (alter == -1)
        west = 2;
    else if (letter == t.letter + idx && KeyLetterAlteration(key, ((letter % 7) + 7) % 7) == 0)
        west = low; // none stays none, natural stays natural
    accid = (accid & ~0xFu) | west;
    degree = '1' + (letter - t.letter);
    return 0;
}

int TConvertJ2W::KeyAccidentalJ2W(uint32_t& accid, int& degree) const {
    const TMainView* view = MainView();
    return KeyAccidentalJ2W(view ? view->CurKey : 0, accid, degree);
}

void TConvertJ2W::ConvertJianpuNote(TCell& out, const TCell& in) const {
    out.cellType = 8;
    out.option &= ~0x1u;
    if (in.option & 0x8u)
        out.option = in.option | 0x8u;
    else if (in.option & 0x40u)
        out.option = in.option | 0x40u;
    uint32_t accid = in.Attr;
    int degree = in.Note;
    const int octave = KeyAccidentalJ2W(accid, degree) + in.dot;
    out.Attr = accid;
    out.yAdj = 0.0f;
    out.Note = in.UL < 1 ? 3 : 3 + in.UL;
    if (in.Note == 'x' || in.Note == 'X')
        return;
    if (in.Note < '1')
        return;
    const long long step = static_cast<long long>(octave) * 7 + (degree - '0') + TonicStep;
    out.yAdj = static_cast<float>(-step);
}

int TConvertJ2W::RestCodeOfValue(int value) {
    switch (value) {
    case 1:
        return 20;
    case 2:
        return 21;
    case 3:
        return 22;
    case 4:
        return 23;
    case 5:
        return 24;
    case 6:
        return 25;
    case 7:
        return 26;
    case 8:
        return 27;
    case 81:
        return 19;
    default:
        return 23;
    }
}
