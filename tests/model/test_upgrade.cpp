// Upgrades of cell codes from older score versions.
#include <gtest/gtest.h>

#include "model/modTQUpgrade.h"

namespace {

TCell Cell(int type, int note, float size = 1.0f) {
    TCell c;
    c.cellType = type;
    c.Note = note;
    c.fontSizeR = size;
    return c;
}

} // namespace

TEST(Upgrade, AttrCodeTableOfJianpuAndWesternNotes) {
    const std::pair<uint32_t, uint32_t> table[] = {
        {1, 0x10}, {2, 0x20}, {3, 0x30}, {4, 1},  {5, 2},  {6, 0x40}, {7, 0x50}, {8, 0xA0},  {9, 3},  {10, 0xB0},
        {12, 4},   {13, 5},   {17, 6},   {18, 7}, {19, 8}, {20, 9},   {0, 0},    {11, 0},    {14, 0}, {15, 0},
        {16, 0},   {21, 0},   {0xFFFFFFFFu, 0},
    };
    for (int type : {ctJianpu, ctWestern}) {
        for (const auto& [old, want] : table) {
            TCell c = Cell(type, type == ctWestern ? 3 : '3');
            uint32_t option = 0;
            EXPECT_EQ(UpgradeAttrCode(c, old, option, 404), want) << "type " << type << " old " << old;
            EXPECT_EQ(option, 0u);
        }
    }
}

TEST(Upgrade, AttrCodeRulesBeforeTheTable) {
    struct Case {
        const char* what;
        TCell cell;
        uint32_t attr, option;
        int version;
        uint32_t want, wantOption;
        int wantType, wantNote;
    };
    const Case cases[] = {
        {"Western clef keeps its key", Cell(ctWestern, -1), 5, 0, 300, 5, 0, ctWestern, -1},
        {"old whole rest", Cell(ctWestern, 57), 0, 0, 403, 0, 0, ctWestern, 20},
        {"old half rest", Cell(ctWestern, 56), 4, 0, 403, 1, 0, ctWestern, 21},
        {"old longest rest", Cell(ctWestern, 58), 0, 0, 403, 0, 0, ctWestern, 19},
        {"boxed text", Cell(ctText, 32), 1, 0, 404, 0xF0, 0, ctText, 32},
        {"bracket flag", Cell(ctJianpu, '1'), 3, 0x80000, 401, 0x80, 0, ctJianpu, '1'},
        {"bracket flag of 400 is not one", Cell(ctJianpu, '1'), 3, 0x80000, 400, 0x30, 0x80000, ctJianpu, '1'},
        {"small size is grace up to 402", Cell(ctJianpu, '1', 0.7f), 0, 0, 402, 0, 0x10000000, ctJianpu, '1'},
        {"small size from 403 is not", Cell(ctJianpu, '1', 0.7f), 0, 0, 403, 0, 0, ctJianpu, '1'},
        {"old grace cell", Cell(5, '1'), 9, 0, 404, 0xC0, 0, ctJianpu, '1'},
        {"old after-grace cell", Cell(6, '1'), 9, 0, 404, 0xD0, 0, ctJianpu, '1'},
        {"other types keep their Attr", Cell(ctSymbol, 14), 9, 0, 404, 9, 0, ctSymbol, 14},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TCell c = k.cell;
        uint32_t option = k.option;
        EXPECT_EQ(UpgradeAttrCode(c, k.attr, option, k.version), k.want);
        EXPECT_EQ(option, k.wantOption);
        EXPECT_EQ(c.cellType, k.wantType);
        EXPECT_EQ(c.Note, k.wantNote);
    }
}

TEST(Upgrade, DotFlags) {
    struct Case {
        int type, version;
        uint32_t attr, option, wantAttr, wantOption;
    };
    const Case cases[] = {
        {ctJianpu, 400, 16, 0, 0, 0x40},
        {ctWestern, 400, 16, 0, 0, 0x40},
        {ctJianpu, 400, 11, 0, 0, 0x8},
        {ctWestern, 400, 11, 0, 11, 0},
        {ctJianpu, 400, 5, 0xFFFFFFFFu, 5, 0},
        {ctJianpu, 397, 0, 0xC6C, 0, 0x4},            // old flags cleared outside Western cells
        {ctWestern, 397, 0, 0xC6C, 0, 0xC6C},
        {ctJianpu, 398, 0, 0xC6C, 0, 0xC6C},
        {ctJianpu, 401, 16, 0xFFFFFFFFu, 16, 0xFFFFFFFFu}, // current files pass unchanged
    };
    for (const Case& k : cases) {
        uint32_t attr = k.attr, option = k.option;
        UpgradeDotFlags(Cell(k.type, 3), attr, option, k.version);
        EXPECT_EQ(attr, k.wantAttr) << k.type << " " << k.version << " " << k.attr;
        EXPECT_EQ(option, k.wantOption) << k.type << " " << k.version << " " << k.attr;
    }
}

TEST(Upgrade, ChordAttrAndCellCodes) {
    EXPECT_EQ(UpgradeChordAttr(300, 65536), 3u);
    EXPECT_EQ(UpgradeChordAttr(300, 1), 1u);
    EXPECT_EQ(UpgradeChordAttr(300, 2), 2u);
    EXPECT_EQ(UpgradeChordAttr(300, 7), 7u);

    struct Case {
        int type, note, want;
    };
    const Case cases[] = {
        {ctWestern, 50, 62}, {ctWestern, 51, 63}, {ctWestern, 52, 60}, {ctWestern, 53, 61},
        {ctWestern, 54, 58}, {ctWestern, 55, 59}, {ctWestern, 56, 56}, {ctJianpu, 105, 60},
        {ctJianpu, 73, 61},  {ctJianpu, 108, 62}, {ctJianpu, 124, 63}, {ctJianpu, 58, 58},
        {ctJianpu, 59, 59},  {ctJianpu, 50, 50},  {ctSymbol, 124, 124}, {ctGongche, 105, 105},
    };
    for (const Case& k : cases) {
        TCell c = Cell(k.type, k.note);
        UpgradeCellCodes(c);
        EXPECT_EQ(c.Note, k.want) << k.type << " " << k.note;
    }
}
