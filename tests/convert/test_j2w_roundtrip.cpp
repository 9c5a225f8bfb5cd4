// Both converters in turn: Western -> Jianpu -> Western gives back the notes,
// Jianpu -> Western -> Jianpu gives back degrees, octaves, underlines and dashes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQJ2WFixture.h"

namespace {

struct TWestNote {
    int note;
    uint32_t dots;
    float yAdj;
    uint32_t accid;
    bool operator==(const TWestNote&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TWestNote& n) {
    return os << "{" << n.note << " dots " << n.dots << " y " << n.yAdj << " acc " << n.accid << "}";
}

// Notes and rests of a Western row, left to right (rests without a position).
std::vector<TWestNote> WestNotes(const TCellRow& row) {
    std::vector<TWestNote> out;
    for (size_t c = 1; c < row.size(); ++c) {
        const TCell& cell = row[c];
        if (!IsWestNoteOrRest(cell, 1))
            continue;
        const bool rest = cell.Note >= 19;
        out.push_back(
            {cell.Note, cell.option & 0x48u, rest ? 0.0f : cell.yAdj, rest ? 0u : cell.Attr & 0xFu});
    }
    return out;
}

struct TJianpuNote {
    int note;
    int dot;
    int ul;
    int dashes;
    bool operator==(const TJianpuNote&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TJianpuNote& n) {
    return os << "{" << static_cast<char>(n.note) << " dot " << n.dot << " ul " << n.ul << " dashes "
              << n.dashes << "}";
}

std::vector<TJianpuNote> JianpuNotes(const TCellRow& row) {
    std::vector<TJianpuNote> out;
    for (const TCell& cell : row) {
        if (cell.cellType != 0)
            continue;
        if (cell.Note == kJianpuDash && !out.empty())
            ++out.back().dashes;
        else if (cell.Note >= '0' && cell.Note <= '7')
            out.push_back({cell.Note, cell.dot, cell.UL, 0});
    }
    return out;
}

class J2WRoundTrip : public TJ2WTest {};

struct TWestCase {
    const char* name;
    const char* row;
};

TEST_F(J2WRoundTrip, WesternJianpuWestern) {
    const TWestCase cases[] = {
        {"C scale with rests and a half note",
         "&G/0 W:3@6 W:3@5 W:3@4 W:3@3 | W:22 W:3@2 W:2@1 ~ | W:3@0 W:22 W:3@-1 W:22 |"},
        {"G tune, dotted quarter, eighths, accidental",
         "&G/1 W:3@2. ~ W:4@1 | W:4@0 W:4@-1 W:3@-2 W:3@-1{attr=1} W:3@0 |"},
        // The B on the middle line takes its flat from the key: no sign.
        {"F major, B flat by the key first in the row",
         "&G/6 W:3@0 W:3@-1 W:3@0 W:3@1 | W:3@2 W:3@0 W:2@3 |"},
        {"E-flat major, every flat by the key", "&G/8 W:3@0 W:3@4 W:3@1 W:3@-3 | W:3@0 W:2@4 |"},
    };
    for (const TWestCase& t : cases) {
        SCOPED_TRACE(t.name);
        TJ2WFixture f(32, 6);
        f.fx.Row(3, t.row);
        const std::vector<TWestNote> before = WestNotes(f.fx.GridRow(3));
        f.fx.cvt.ConvertW2JAllPages(0, true);
        ASSERT_EQ(f.fx.At(0, 3).cellType, 0) << "the row became Jianpu";
        f.j2w.ConvertJ2WAllPages(0, true);
        EXPECT_EQ(f.dialogs, 0);
        EXPECT_EQ(WestNotes(f.fx.GridRow(3)), before);
    }
}

TEST_F(J2WRoundTrip, GrandStaffPairLowerStaffTakesTheBassClef) {
    TJ2WFixture f(32, 8);
    f.fx.Row(2, "&G/0{mark=54191118,jEnd=4} W:3@6 W:3@5 W:3@4 W:3@3 |");
    f.fx.Row(4, "&F/0 W:3@-6 W:3@-4 W:3@-2 W:3@-3 |");
    const std::vector<TWestNote> upper = WestNotes(f.fx.GridRow(2));
    f.fx.cvt.ConvertW2JAllPages(0, true);
    ASSERT_EQ(f.fx.At(1, 4).cellType, 0);
    f.j2w.ConvertJ2WAllPages(0, true);
    EXPECT_EQ(WestNotes(f.fx.GridRow(2)), upper);
    // The lower staff, converted under the treble clef, sits low: it is handed
    // to the bass clef with its pitches kept.
    bool bass = false;
    for (const auto& call : f.clefCalls)
        bass = bass || (call.row == 4 && call.clef == -2);
    EXPECT_TRUE(bass);
}

TEST_F(J2WRoundTrip, JianpuWesternJianpu) {
    const char* rows[] = {
        "~ 1 2 3_ 4_ 5 | 6, - 1' 0 | 5. 4_ 3 - |",
        "~ 3 - - - | 2__ 2__ 2_ 1 0 1 |",
    };
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        TJ2WFixture f(32, 6);
        f.fx.Row(2, "\"1=D\"");
        f.fx.Row(3, row);
        const std::vector<TJianpuNote> before = JianpuNotes(f.fx.GridRow(3));
        f.j2w.ConvertJ2WAllPages(0, true);
        ASSERT_EQ(f.fx.At(0, 3).cellType, 8) << "the row became Western";
        f.fx.cvt.ConvertW2JAllPages(0, true);
        EXPECT_EQ(JianpuNotes(f.fx.GridRow(3)), before);
    }
}

} // namespace
