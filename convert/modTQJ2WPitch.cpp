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

// The spelling tables, one a key. For each kind of the written accidental
// (none or natural, sharp, flat, double flat, double sharp) the degrees 1..7,
// each as two characters: the Western accidental ('.' keeps the one the source
// wrote, '#' sharp, 'b' flat, 'n' natural) and the move of the degree ('='
// none, '+' and '-' one up or down, '2' and '_' two up or down, '6' the leading
// note of the octave below: six up, one octave lower).
struct TKeySpelling {
    int key;
    const char* byKind[5];
};
constexpr TKeySpelling kSpellings[] = {
    {0, {".=.=.=.=.=.=.=", ".=.=.=.=.=.=.=", ".=.=.=.=.=.=.=", "b-n-n-b-n-n-n-", "n+n+#+n+n+n+#+"}}, // C
    {1, {".=.=.=.=.=.=#=", ".=.=.=.=.=.=n+", ".=.=.=.=.=.=n=", "n-n-n-b-n-n-n-", "n+n+#+n+n+#+#+"}}, // G
    {2, {".=.=#=.=.=.=#=", ".=.=n+.=.=.=n+", ".=.=n=.=.=.=n=", "n-n-n-n-n-n-n-", "n+#+#+n+n+#+#+"}}, // D
    {3, {".=.=#=.=.=#=#=", ".=.=n+.=.=n+n+", ".=.=n=.=.=n=n=", "n-n-n-n-n-n-#-", "n+#+#+n+#+#+#+"}}, // A
    {4, {".=#=#=.=.=#=#=", ".=n+n+.=.=n+n+", ".=n=n=.=.=n=n=", "n-n-#-n-n-n-#-", "#+#+#+n+#+#+#+"}}, // E
    {5, {".=#=#=.=#=#=#=", ".=n+n+n+n+n+n+", ".=n=n=.=n=n=n=", "n-n-#-n-n-#-#-", "#+#+#+#+#+#+#+"}}, // B
    {6, {".=.=.=b=.=.=.=", ".=.=.=n=.=.=.=", ".=.=.=n-.=.=.=", "b-n-n-b-b-n-n-", "n+n+n+n+n+n+#+"}}, // F
    {7, {"b=.=.=b=.=.=.=", "n=.=.=n=.=.=.=", "n-.=.=n-.=.=.=", "b-b-n-b-b-n-n-", "n+n+n+n+n+n+n+"}}, // B flat
    {8, {"b=n=.=b=b=n=.=", "n=.=#=n=n=.=.=", "n-n-#-n-n-n-#-", "b-b-n-b-b-b-n-", "n+n+n+b+n+n+n+"}}, // E flat
    {9, {"b=b=.=b=b=n=.=", "n=n=.=n=n=.=.=", "n-n-n-n-n-n-#-", "b-b-b-b-b-b-n-", "b+n+n+b+n+n+n+"}}, // A flat
    {11, {"b=b=b=b=b=b=.=", "n=n=n=n=n=n=.=", "n6n-n-b-n-n-.=", "b-b-b-n_b-b-b-", "b+b+n+b+b+n+n+"}}, // G flat
    {14, {"#=#=#=#=#=#=#=", "n+n+#+n+n+n+#+", "n=n=n=#-n=n=n=", "b=b=b=b=b=b=b=", "b2n2n2b2b2n2n2"}}, // C sharp
};

TSpelled SpellFromTable(const TKeySpelling& table, int kind, int d) {
    const int column = kind == 0 ? 0 : kind == 1 ? 1 : kind == 2 ? 2 : kind == 5 ? 3 : 4;
    const char* entry = table.byKind[column] + 2 * (d - 1);
    TSpelled s;
    s.accid = entry[0] == '#' ? kSharp : entry[0] == 'b' ? kFlat : entry[0] == 'n' ? kNatural : 0;
    switch (entry[1]) {
    case '+':
        s.move = 1;
        break;
    case '-':
        s.move = -1;
        break;
    case '2':
        s.move = 2;
        break;
    case '_':
        s.move = -2;
        break;
    case '6':
        s.move = 6;
        s.octave = -1;
        break;
    default:
        break;
    }
    return s;
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
    TSpelled spelled = SpellByScale(key, kind, d);
    for (const TKeySpelling& table : kSpellings)
        if (table.key == key)
            spelled = SpellFromTable(table, kind, d);
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
