// Jianpu to Western: one Jianpu note becomes one Western note (value, staff
// position under the row's clef, accidental spelled for the key in force).
#include <initializer_list>

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

namespace {

// One entry of a key's spelling table: the Western accidental (0: the one the
// source wrote stays), the move of the degree and an octave correction.
struct TSpelled {
    uint32_t accid = 0;
    int move = 0;
    int octave = 0;
};

constexpr uint32_t kSharp = 1, kFlat = 2, kNatural = 3;

bool In(int d, std::initializer_list<int> set) {
    for (int v : set)
        if (v == d)
            return true;
    return false;
}

TSpelled To(uint32_t accid, int move = 0, int octave = 0) {
    return {accid, move, octave};
}

// The spelling tables, one a key. kind: 0 none or natural, 1 sharp, 2 flat,
// 5 double flat, 6 double sharp; d the degree 1..7.
TSpelled SpellDegreeC(int kind, int d) {
    switch (kind) {
    case 5:
        return To(In(d, {1, 4}) ? kFlat : kNatural, -1);
    case 6:
        return To(In(d, {3, 7}) ? kSharp : kNatural, +1);
    default:
        return {};
    }
}

TSpelled SpellDegreeG(int kind, int d) {
    switch (kind) {
    case 0:
        return d == 7 ? To(kSharp) : TSpelled{};
    case 1:
        return d == 7 ? To(kNatural, +1) : TSpelled{};
    case 2:
        return d == 7 ? To(kNatural) : TSpelled{};
    case 5:
        return To(d == 4 ? kFlat : kNatural, -1);
    default:
        return To(In(d, {3, 6, 7}) ? kSharp : kNatural, +1);
    }
}

TSpelled SpellDegreeD(int kind, int d) {
    const bool raised = In(d, {3, 7});
    switch (kind) {
    case 0:
        return raised ? To(kSharp) : TSpelled{};
    case 1:
        return raised ? To(kNatural, +1) : TSpelled{};
    case 2:
        return raised ? To(kNatural) : TSpelled{};
    case 5:
        return To(kNatural, -1);
    default:
        return To(In(d, {2, 3, 6, 7}) ? kSharp : kNatural, +1);
    }
}

TSpelled SpellDegreeA(int kind, int d) {
    const bool raised = In(d, {3, 6, 7});
    switch (kind) {
    case 0:
        return raised ? To(kSharp) : TSpelled{};
    case 1:
        return raised ? To(kNatural, +1) : TSpelled{};
    case 2:
        return raised ? To(kNatural) : TSpelled{};
    case 5:
        return To(d == 7 ? kSharp : kNatural, -1);
    default:
        return To(In(d, {1, 4}) ? kNatural : kSharp, +1);
    }
}

TSpelled SpellDegreeE(int kind, int d) {
    const bool raised = In(d, {2, 3, 6, 7});
    switch (kind) {
    case 0:
        return raised ? To(kSharp) : TSpelled{};
    case 1:
        return raised ? To(kNatural, +1) : TSpelled{};
    case 2:
        return raised ? To(kNatural) : TSpelled{};
    case 5:
        return To(In(d, {3, 7}) ? kSharp : kNatural, -1);
    default:
        return To(d == 4 ? kNatural : kSharp, +1);
    }
}

TSpelled SpellDegreeB(int kind, int d) {
    const bool raised = In(d, {2, 3, 5, 6, 7});
    switch (kind) {
    case 0:
        return raised ? To(kSharp) : TSpelled{};
    case 1:
        return In(d, {2, 3, 4, 5, 6, 7}) ? To(kNatural, +1) : TSpelled{};
    case 2:
        return raised ? To(kNatural) : TSpelled{};
    case 5:
        return To(In(d, {3, 6, 7}) ? kSharp : kNatural, -1);
    default:
        return To(kSharp, +1);
    }
}

TSpelled SpellDegreeF(int kind, int d) {
    switch (kind) {
    case 0:
        return d == 4 ? To(kFlat) : TSpelled{};
    case 1:
        return d == 4 ? To(kNatural) : TSpelled{};
    case 2:
        return d == 4 ? To(kNatural, -1) : TSpelled{};
    case 5:
        return To(In(d, {1, 4, 5}) ? kFlat : kNatural, -1);
    default:
        return To(d == 7 ? kSharp : kNatural, +1);
    }
}

TSpelled SpellDegreeBFlat(int kind, int d) {
    const bool lowered = In(d, {1, 4});
    switch (kind) {
    case 0:
        return lowered ? To(kFlat) : TSpelled{};
    case 1:
        return lowered ? To(kNatural) : TSpelled{};
    case 2:
        return lowered ? To(kNatural, -1) : TSpelled{};
    case 5:
        return To(In(d, {3, 6, 7}) ? kNatural : kFlat, -1);
    default:
        return To(kNatural, +1);
    }
}

TSpelled SpellDegreeEFlat(int kind, int d) {
    switch (kind) {
    case 0:
        if (In(d, {1, 4, 5}))
            return To(kFlat);
        return In(d, {2, 6}) ? To(kNatural) : TSpelled{};
    case 1:
        if (d == 3)
            return To(kSharp);
        return In(d, {1, 4, 5}) ? To(kNatural) : TSpelled{};
    case 2:
        return To(In(d, {3, 7}) ? kSharp : kNatural, -1);
    case 5:
        return To(In(d, {3, 7}) ? kNatural : kFlat, -1);
    default:
        return To(d == 4 ? kFlat : kNatural, +1);
    }
}

TSpelled SpellDegreeAFlat(int kind, int d) {
    switch (kind) {
    case 0:
        if (In(d, {1, 2, 4, 5}))
            return To(kFlat);
        return d == 6 ? To(kNatural) : TSpelled{};
    case 1:
        return In(d, {1, 2, 4, 5}) ? To(kNatural) : TSpelled{};
    case 2:
        return To(d == 7 ? kSharp : kNatural, -1);
    case 5:
        return To(d == 7 ? kNatural : kFlat, -1);
    default:
        return To(In(d, {1, 4}) ? kFlat : kNatural, +1);
    }
}

TSpelled SpellDegreeGFlat(int kind, int d) {
    switch (kind) {
    case 0:
        return d <= 6 ? To(kFlat) : TSpelled{};
    case 1:
        return d <= 6 ? To(kNatural) : TSpelled{};
    case 2:
        if (d == 1)
            return To(kNatural, +6, -1); // the leading note of the octave below
        if (d == 4)
            return To(kFlat, -1);
        return d == 7 ? TSpelled{} : To(kNatural, -1);
    case 5:
        return d == 4 ? To(kNatural, -2) : To(kFlat, -1);
    default:
        return To(In(d, {3, 6, 7}) ? kNatural : kFlat, +1);
    }
}

TSpelled SpellDegreeCSharp(int kind, int d) {
    switch (kind) {
    case 0:
        return To(kSharp);
    case 1:
        return To(In(d, {3, 7}) ? kSharp : kNatural, +1);
    case 2:
        return d == 4 ? To(kSharp, -1) : To(kNatural);
    case 5:
        return To(kFlat);
    default:
        return To(In(d, {1, 4, 5}) ? kFlat : kNatural, +2);
    }
}

// D flat, C flat and F sharp have no table: the degree names the letter
// counted from the key's tonic letter and the accidental is the one that
// letter needs for the sounding pitch; a letter that would need a double
// accidental moves to its neighbour.
TSpelled SpellByScale(int key, int kind, int d) {
    const int semis = kind == 1 ? 1 : kind == 2 ? -1 : kind == 5 ? -2 : kind == 6 ? 2 : 0;
    const TKeyTonic t = kTonic[key];
    const int idx = d - 1;
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
    uint32_t west = kNatural;
    if (alter == 1)
        west = kSharp;
    else if (alter == -1)
        west = kFlat;
    else if (letter == t.letter + idx && KeyLetterAlteration(key, ((letter % 7) + 7) % 7) == 0)
        west = 0; // none stays none, natural stays natural
    return {west, letter - (t.letter + idx), 0};
}

} // namespace

// The spelling of each key follows that key's table; a degree the table does
// not list keeps its accidental and degree. Quarter tones and the further
// accidental kinds are never respelled; the style nibbles of the word stay.
int TConvertJ2W::KeyAccidentalJ2W(int key, uint32_t& accid, int& degree) {
    if (key < 0 || key >= 15 || degree < '1' || degree > '7')
        return 0;
    if (accid > 0xFFFFu)
        return 0;
    const uint32_t low = accid & 0xFu;
    int kind = 0;
    switch (low) {
    case 0:
    case 3:
        kind = 0;
        break;
    case 1:
    case 2:
    case 5:
    case 6:
        kind = static_cast<int>(low);
        break;
    default:
        return 0;
    }
    const int d = degree - '0';
    TSpelled spelled;
    switch (key) {
    case 0:
        spelled = SpellDegreeC(kind, d);
        break;
    case 1:
        spelled = SpellDegreeG(kind, d);
        break;
    case 2:
        spelled = SpellDegreeD(kind, d);
        break;
    case 3:
        spelled = SpellDegreeA(kind, d);
        break;
    case 4:
        spelled = SpellDegreeE(kind, d);
        break;
    case 5:
        spelled = SpellDegreeB(kind, d);
        break;
    case 6:
        spelled = SpellDegreeF(kind, d);
        break;
    case 7:
        spelled = SpellDegreeBFlat(kind, d);
        break;
    case 8:
        spelled = SpellDegreeEFlat(kind, d);
        break;
    case 9:
        spelled = SpellDegreeAFlat(kind, d);
        break;
    case 11:
        spelled = SpellDegreeGFlat(kind, d);
        break;
    case 14:
        spelled = SpellDegreeCSharp(kind, d);
        break;
    default:
        spelled = SpellByScale(key, kind, d);
        break;
    }
    if (spelled.accid != 0)
        accid = (accid & ~0xFu) | spelled.accid;
    degree += spelled.move;
    return spelled.octave;
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
