// Western to Jianpu: degrees, octave dots and accidentals of converted notes.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "convert/modTQConvertW2J.h"
#include "edit/modTQWestUtil.h"
#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "render/modTQMainView.h"
#include "render/modTQViewQuery.h"

namespace {

// Movable-do rewrite of a written accidental under each key. One line per key
// code 0..14; one field per written accidental (none, sharp, flat, natural,
// double flat, double sharp), each listing the Jianpu result for degrees 1..7:
// # sharp, b flat, n natural sign, no sign; ' wrapped up an octave, , down.
// clang-format off
constexpr std::array<std::array<std::string_view, 6>, 15> kKeyRewriteText{{
    /*  0 C  */ {{"1 2 3 4 5 6 7", "#1 #2 #3 #4 #5 #6 #7", "b1 b2 b3 b4 b5 b6 b7", "n1 n2 n3 n4 n5 n6 n7", "b7, 1 2 b3 4 5 6", "n2 n3 #4 n5 n6 n7 #1'"}},
    /*  1 G  */ {{"1 2 3 4 5 6 7", "#1 #2 #3 #4 #5 #6 n7", "b1 b2 b3 b4 b5 b6 n6", "n1 n2 n3 n4 n5 n6 b7", "b7, 1 2 b3 4 5 b6", "n2 n3 #4 n5 n6 n7 #7"}},
    /*  2 D  */ {{"1 2 3 4 5 6 7", "#1 #2 n3 #4 #5 #6 n7", "b1 b2 n2 b4 b5 b6 n6", "n1 n2 b3 n4 n5 n6 b7", "b7, 1 b2 b3 4 5 b6", "n2 n3 #3 n5 n6 n7 #7"}},
    /*  3 A  */ {{"1 2 3 4 5 6 7", "#1 #2 n3 #4 #5 n6 n7", "b1 b2 n2 b4 b5 n5 n6", "n1 n2 b3 n4 n5 b6 b7", "b7, 1 b2 b3 4 b5 b6", "n2 n3 #3 n5 n6 #6 #7"}},
    /*  4 E  */ {{"1 2 3 4 5 6 7", "#1 n2 n3 #4 #5 n6 n7", "b1 n1 n2 b4 b5 n5 n6", "n1 b2 b3 n4 n5 b6 b7", "b7, b1 b2 b3 4 b5 b6", "n2 #2 #3 n5 n6 #6 #7"}},
    /*  5 B  */ {{"1 2 3 4 5 6 7", "#1 n2 n3 #4 n5 n6 n7", "b1 n1 n2 b4 n4 n5 n6", "n1 b2 b3 n4 b5 b6 b7", "b7, b1 b2 b3 b4 b5 b6", "n2 #2 #3 n5 #5 #6 #7"}},
    /*  6 F  */ {{"1 2 3 4 5 6 7", "#1 #2 #3 n5 #5 #6 #7", "b1 b2 b3 n4 b5 b6 b7", "n1 n2 n3 #4 n5 n6 n7", "b7, n1 n2 n3 n4 n5 n6", "n2 n3 #4 #5 n6 n7 #1'"}},
    /*  7 Bb */ {{"1 2 3 4 5 6 7", "n2 #2 #3 n5 #5 #6 #7", "n1 b2 b3 n4 b5 b6 b7", "#1 n2 n3 #4 n5 n6 n7", "n7, n1 n2 n3 n4 n5 n6", "#2 n3 #4 #5 n6 n7 #1'"}},
    /*  8 Eb */ {{"1 2 3 4 5 6 7", "n2 #2 #3 n5 n6 #6 #7", "n1 b2 b3 n4 n5 b6 b7", "#1 n2 n3 #4 #5 n6 n7", "n7, n1 n2 n3 #4 n5 n6", "#2 n3 #4 #5 #6 n7 #1'"}},
    /*  9 Ab */ {{"1 2 3 4 5 6 7", "n2 n3 #3 n5 n6 #6 #7", "n1 n2 b3 n4 n5 b6 b7", "#1 #2 n3 #4 #5 n6 n7", "n7, #1 n2 n3 #4 n5 n6", "#2 #3 #4 #5 #6 n7 #1'"}},
    /* 10 Db */ {{"1 2 3 4 5 6 7", "n2 n3 #3 n5 n6 n7 #7", "n1 n2 b3 n4 n5 n6 b7", "#1 #2 n3 #4 #5 #6 n7", "n7, #1 n2 n3 #4 #5 n6", "#2 #3 #4 #5 #6 #7 #1'"}},
    /* 11 Gb */ {{"1 2 3 4 5 6 7", "n2 n3 #4 n5 n6 n7 n1'", "n1 n2 n3 n4 n5 n6 b7", "#1 #2 #3 #4 #5 #6 n7", "n7, #1 #2 n3 #4 #5 n6", "#2 #3 n5 #5 #6 #7 #1'"}},
    /* 12 Cb */ {{"1 2 3 4 5 6 7", "n2 n3 #4 n5 n6 n7 #1'", "n1 n2 n3 n4 n5 n6 n7", "#1 #2 #3 #4 #5 #6 #7", "n7, #1 #2 n3 #4 #5 #6", "#2 #3 n5 #5 #6 #7 n2'"}},
    /* 13 F# */ {{"1 2 3 4 5 6 7", "n1 n2 n3 #4 n5 n6 n7", "b7, n1 n2 n3 n4 n5 n6", "b1 b2 b3 n4 b5 b6 b7", "n6, b1 b2 b3 b4 b5 b6", "b2 #2 #3 n5 #5 #6 #7"}},
    /* 14 C# */ {{"1 2 3 4 5 6 7", "n1 n2 n3 n4 n5 n6 n7", "b7, n1 n2 b3 n4 n5 n6", "b1 b2 b3 b4 b5 b6 b7", "n6, b1 b2 n2 b4 b5 b6", "#1 #2 #3 #4 #5 #6 #7"}},
}};
// clang-format on

struct TRewrite {
    int accid = 0;  // 0 no sign, 1 sharp, 2 flat, 3 natural
    int degree = 1; // 1..7
    int wrap = 0;   // +1 up an octave, -1 down
};

// Column of the table for a written accidental; -1 for the kinds that pass through.
int RewriteColumn(int accid) {
    switch (accid) {
    case 0:
        return 0;
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 3;
    case 5:
        return 4;
    case 6:
        return 5;
    default:
        return -1;
    }
}

using TRewriteTable = std::array<std::array<std::array<TRewrite, 7>, 6>, 15>;

TRewriteTable ParseRewriteTable() {
    TRewriteTable table{};
    for (std::size_t key = 0; key < kKeyRewriteText.size(); ++key) {
        for (std::size_t column = 0; column < 6; ++column) {
            std::string_view text = kKeyRewriteText[key][column];
            std::size_t degree = 0;
            while (!text.empty() && degree < 7) {
                const std::size_t blank = text.find(' ');
                std::string_view field = text.substr(0, blank);
                text = blank == std::string_view::npos ? std::string_view{} : text.substr(blank + 1);
                TRewrite r;
                std::size_t i = 0;
                if (field[i] == '#')
                    r.accid = 1, ++i;
                else if (field[i] == 'b')
                    r.accid = 2, ++i;
                else if (field[i] == 'n')
                    r.accid = 3, ++i;
                r.degree = field[i] - '0';
                ++i;
                if (i < field.size())
                    r.wrap = field[i] == '\'' ? 1 : -1;
                table[key][column][degree++] = r;
            }
        }
    }
    return table;
}

const TRewriteTable& RewriteTable() {
    static const TRewriteTable table = ParseRewriteTable();
    return table;
}

// Octave correction of a key and clef, so that the unmarked octave starts at the
// tonic between the A-flat below middle C and the G above it.
int KeyClefCorrection(int key, int clef) {
    if (key == 7 || key == 9)
        return 1;
    if ((key == 3 || key == 5) && clef != -1)
        return 1;
    if (key == 13 && clef == -2)
        return 1;
    return 0;
}

bool Contains(std::initializer_list<int> keys, int key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

int Steps(double from, double y) {
    const double d = std::clamp(from - (y == y ? y : 0.0), -100000.0, 100000.0);
    return static_cast<int>(std::trunc(d));
}

} // namespace

// ---------------------------------------------------------------- reference positions

int TConvertW2J::DoPosition(const TCell& clef) const {
    if (clef.Note == -15)
        return 0;
    const int key = static_cast<int32_t>(clef.Attr);
    const int base = IsFixedDoMode() ? FixedDoPosition(key) : MovableDoPosition(key);
    return CvtTruncPos(static_cast<double>(base) + static_cast<double>(clef.yAdj) * 2.0);
}

int TConvertW2J::MovableDoPosition(int key) const {
    if (key < -1000 || key > 100)
        key = 0;
    int base = 0;
    switch (MainView()->CurClef) {
    case -1:
        base = Contains({0, 3, 5, 12, 13, 14}, key) ? 6 : -1;
        break;
    case -2:
        base = Contains({0, 12, 14}, key) ? 1 : -6;
        break;
    case -5:
        base = Contains({0, 12, 13, 14}, key) ? 5 : -2;
        break;
    default: // the alto clef, and every clef whose middle C sits on the middle line
        base = Contains({0, 12, 13, 14}, key) ? 7 : 0;
        break;
    }
    switch (key) {
    case 1:
    case 11:
        return base + 3;
    case 2:
    case 10:
        return base + 6;
    case 3:
    case 9:
        return base + 2;
    case 4:
    case 8:
        return base + 5;
    case 5:
    case 7:
        return base + 1;
    case 6:
        return base + 4;
    case 13:
        return base - 3;
    default:
        return base;
    }
}

int TConvertW2J::FixedDoPosition(int /*key*/) const {
    switch (MainView()->CurClef) {
    case -1:
        return 6;
    case -2:
        return -6;
    case -5:
        return -2;
    default:
        return 0;
    }
}

void TConvertW2J::StepsToDegree(int steps, TCompressNote& item) {
    item.code = '1' + ((steps % 7) + 7) % 7;
    item.octave = static_cast<int>(std::floor(static_cast<double>(steps) / 7.0));
}

int TConvertW2J::KeyRewriteDegree(int& accid, int& degree) {
    const int key = MainView()->CurKey;
    const int clef = MainView()->CurClef;
    if (key < 0 || key > 14)
        return 0;
    const int correction = KeyClefCorrection(key, clef);
    const int column = RewriteColumn(accid);
    if (column < 0 || degree < '1' || degree > '7')
        return correction;
    const TRewrite& r = RewriteTable()[static_cast<std::size_t>(key)][static_cast<std::size_t>(column)]
                                      [static_cast<std::size_t>(degree - '1')];
    accid = r.accid;
    degree = '0' + r.degree;
    return r.wrap + correction;
}

// ---------------------------------------------------------------- note cells

void TConvertW2J::ClearToJianpuNote(TCell& cell) {
    cell.Note = 32;
    cell.upNote = 32;
    cell.cellType = ctJianpu;
    cell.UL = 0;
    cell.Attr = 0;
    cell.dot = 0;
    cell.option = 0;
    cell.FontStyle = 0;
    cell.FontCharset = 0;
    cell.xAdj = 0.0f;
    cell.yAdj = 0.0f;
    cell.markHAdj = 0;
    cell.markWAdj = 0;
    cell.MarkY = 0;
    cell.EndYAdj = 0;
    cell.stemAdj = 0.0f;
    cell.fontSizeR = 1.0f;
    cell.Text.clear();
    cell.FontName.clear();
    cell.CompressNotes.clear();
    cell.westChordArray.clear();
}

void TConvertW2J::ConvertNoteCell(TCell& cell, int /*col*/, int /*row*/, int clef) {
    ConvertNote(cell, clef, false);
}

void TConvertW2J::ConvertNoteCellForHint(TCell& cell, int clef) {
    ConvertNote(cell, clef, true);
}

void TConvertW2J::ConvertNote(TCell& cell, int clef, bool hint) {
    const int steps = Steps(DoPos, cell.yAdj);
    const int code = cell.Note;
    const uint32_t option = cell.option;
    const float size = cell.fontSizeR;
    const uint32_t attr = cell.Attr;
    const bool chord = !cell.westChordArray.empty();

    std::vector<uint32_t> accids{attr};
    std::vector<int> stepList{steps};
    long long running = steps;
    for (const TWestChord& item : cell.westChordArray) {
        accids.push_back(item.attr);
        running = std::clamp<long long>(running + item.interval, -100000, 100000);
        stepList.push_back(static_cast<int>(running));
    }

    const bool drum = !hint && MainView()->CurClef == -4;
    ClearToJianpuNote(cell);
    if (drum) {
        cell.Note = 'x';
        cell.dot = 0;
    } else {
        for (std::size_t k = 0; k < stepList.size(); ++k) {
            TCompressNote item;
            StepsToDegree(stepList[k], item);
            item.attr = chord ? accids[k] : attr;
            item.option = option;
            cell.Note = item.code;
            cell.dot = item.octave;
            cell.Attr = item.attr;
            cell.option = item.option;
            cell.CompressNotes.push_back(item);
        }
        if (chord) {
            SetAttrNibble(cell.Attr, 0xB0);
            if ((option & 0x10000000u) != 0) {
                cell.yAdj = -7.0f;
                if (hint)
                    cell.fontSizeR = 0.6f;
            }
        }
    }
    // Eighth 1 .. 1/128 5, code 9 6; longer values and the long note have none.
    if (code > 3 && code <= 9)
        cell.UL = code - 3;
    cell.option = option & ~0x80000u;

    if (!drum && !IsFixedDoMode()) {
        const int clefFix = clef < -1 ? 1 : 0;
        for (TCompressNote& item : cell.CompressNotes) {
            int accid = static_cast<int>(item.attr & 0xFu);
            int degree = item.code;
            const int change = KeyRewriteDegree(accid, degree);
            item.code = degree;
            ClearAttrNibble(item.attr, 1);
            if (accid > 0)
                SetAttrNibble(item.attr, static_cast<uint32_t>(accid));
            item.octave += change - clefFix;
        }
        if (!cell.CompressNotes.empty()) {
            // The main fields hold the last note.
            const TCompressNote& last = cell.CompressNotes.back();
            cell.Note = last.code;
            cell.dot = last.octave;
            ClearAttrNibble(cell.Attr, 1);
            if ((last.attr & 0xFu) != 0)
                SetAttrNibble(cell.Attr, last.attr & 0xFu);
        }
    }
    if (cell.CompressNotes.size() == 1)
        cell.CompressNotes.clear();
    else if (!cell.CompressNotes.empty())
        cell.CompressNotes.front().option = 0;

    if (!(hint && chord && (option & 0x10000000u) != 0))
        cell.fontSizeR = size;
    if (code == 1 || code == 2)
        cell.option &= ~(8u | 64u);
}

void TConvertW2J::ConvertSmallNotesCell(TCellRow& cells, int col, int row, int clef) {
    TCell& g = cells[static_cast<std::size_t>(col)];
    const bool wasSmall = col < static_cast<int>(UnconvertedRow.size()) &&
                          UnconvertedRow[static_cast<std::size_t>(col)].fontSizeR < 0.8f;
    const bool wasGrace = IsGraceCell(g);
    if (g.CompressNotes.empty()) {
        // A single small note: its own main note is the one item.
        TCompressNote item;
        CellToCompressNote(g, item);
        g.CompressNotes.push_back(item);
    }
    for (int i = 0; i < GetCompressNoteCount(g); ++i) {
        TCompressNote& item = g.CompressNotes[static_cast<std::size_t>(i)];
        if (item.code == 32) {
            item.octave = 0;
            item.attr = 0;
            item.option = 0;
            continue;
        }
        TCell view;
        MakeCompressNoteCell(g, i, view);
        view.CompressNotes.clear();
        view.westChordArray.clear();
        view.cellType = ctWestern;
        ConvertNoteCell(view, col, row, clef);
        CellToCompressNote(view, item);
    }
    g.yAdj = 0.0f;
    g.fontSizeR = 1.0f;
    const TCompressNote& first = g.CompressNotes.front();
    g.Note = first.code;
    ClearAttrNibble(g.Attr, 1);
    if ((first.attr & 0xFu) != 0)
        SetAttrNibble(g.Attr, first.attr & 0xFu);
    SetAttrNibble(g.Attr, (wasSmall || wasGrace) ? 0xC0u : 0xA0u);
    if (wasGrace)
        g.option &= ~0x80000u;
}

// ---------------------------------------------------------------- enharmonics

void TConvertW2J::RespellEnharmonics(TCellRow& cells) {
    const int size = static_cast<int>(cells.size());
    auto isSharp = [](uint32_t attr) { return (attr & 0xFu) == 1; };
    auto isFlat = [](uint32_t attr) { return (attr & 0xFu) == 2; };
    // Respells one note (degree, Attr, octave) unless it is the kept degree.
    auto respell = [&](int32_t& note, uint32_t& attr, int32_t& octave, int kept) {
        if (note == kept)
            return;
        if (note == '3' && isSharp(attr)) {
            note = '4';
        } else if (note == '7' && isSharp(attr)) {
            note = '1';
            octave += 1;
        } else if (note == '1' && isFlat(attr)) {
            note = '7';
            octave -= 1;
        } else if (note == '4' && isFlat(attr)) {
            note = '3';
        } else {
            return;
        }
        ClearAttrNibble(attr, 1);
        SetAttrNibble(attr, 3);
    };

    int start = 2;
    while (start < size) {
        int end = start;
        while (end < size && !IsBarLineCell(cells[static_cast<std::size_t>(end)]))
            ++end;
        // The kept note: a #3 after a #4, or a #7 after a #1, stays as written.
        int state = 0, kept = 0;
        auto look = [&](int note, uint32_t attr) {
            if (kept)
                return;
            if (state != 0 && note == state && attr == 1) {
                kept = note;
                return;
            }
            if ((note == '4' || note == '1') && isSharp(attr))
                state = note == '4' ? '3' : '7';
            else if (note == '4' || note == '1')
                state = 0;
        };
        for (int c = start; c < end && !kept; ++c) {
            const TCell& cell = cells[static_cast<std::size_t>(c)];
            if (!cell.CompressNotes.empty())
                for (const TCompressNote& item : cell.CompressNotes)
                    look(item.code, item.attr);
            else if (cell.cellType == ctJianpu)
                look(cell.Note, cell.Attr);
        }
        for (int c = start; c < end && c < size - 2; ++c) {
            TCell& cell = cells[static_cast<std::size_t>(c)];
            if (cell.cellType == ctJianpu && IsJianpuNoteDigit(cell.Note))
                respell(cell.Note, cell.Attr, cell.dot, kept);
            for (TCompressNote& item : cell.CompressNotes)
                if (IsJianpuNoteDigit(item.code))
                    respell(item.code, item.attr, item.octave, kept);
        }
        start = end + 1;
    }
}

// ---------------------------------------------------------------- fixed do

void TConvertW2J::AddFixedDoAccidentals(TCell& cell, const TCell& west, const TCellRow& cells,
                                        const TCellRow& source, int col, int row) {
    const int clefPos = 2 * CvtTruncPos(std::floor(static_cast<double>(ClefCell.yAdj) + 0.5));
    auto accidAt = [&](int position) {
        int a = FindBarAccidentalInRow(col, row, cells, source, clefPos + position);
        if (a == -1)
            a = KeyAccidentalOfNote(ClefCell, position);
        return a;
    };
    if (!west.westChordArray.empty()) {
        const int count = GetChordNoteCount(west);
        for (int k = 0; k <= count; ++k) {
            const int index = count - k;
            if (index < 0 || index >= GetCompressNoteCount(cell))
                continue;
            uint32_t& attr = cell.CompressNotes[static_cast<std::size_t>(index)].attr;
            const int a = accidAt(GetChordNotePosFromEnd(west, k));
            if (a > 0 && (attr & 3u) == 0)
                SetAttrNibble(attr, static_cast<uint32_t>(a & 0xF));
        }
        return;
    }
    if (!west.CompressNotes.empty()) {
        for (int i = 0; i < GetCompressNoteCount(cell) && i < GetCompressNoteCount(west); ++i) {
            uint32_t& attr = cell.CompressNotes[static_cast<std::size_t>(i)].attr;
            const int a = accidAt(west.CompressNotes[static_cast<std::size_t>(i)].value);
            if (a > 0 && (attr & 3u) == 0)
                SetAttrNibble(attr, static_cast<uint32_t>(a & 0xF));
        }
        return;
    }
    const int a = accidAt(CvtTruncPos(west.yAdj));
    if (a > 0 && (cell.Attr & 0xFu) == 0)
        SetAttrNibble(cell.Attr, static_cast<uint32_t>(a & 0xF));
}
