// Wording of the string tables as a reader meets it: no misspelt word or wrong
// character, and messages built from pieces read in order.
#include <gtest/gtest.h>

#include <string>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "tests/lang/TQBothTables.h"
#include "tests/support/TQTestSupport.h"

TEST(TableWording, NoMisspeltWordOrWrongCharacter) {
    // (id, table, a wrong spelling that once stood there, the right one)
    static const struct {
        int id;
        bool chinese;
        const char* wrong;
        const char* right;
    } cases[] = {
        {1058, true, "笫", "第一个单元"},
        {1014, true, "类形", "文件类型"},
        {1015, true, "类形", "类型"},
        {1032, true, "请除", "清除"},
        {1085, true, "请除", "清除"},
        {1086, true, "请除", "清除"},
        {2700, true, "显视", "显示"},
        {3315, true, "改功能", "该功能"},
        // the beat check speaks of measures, not of cells
        {1039, true, "这些单元", "这些小节"},
        {3218, false, "Crecendo", "Crescendo"},
        {3104, false, "Rearange", "Rearrange"},
        {3125, false, "Rearange", "Rearrange"},
        // "must" (必须), not "necessary" (必需)
        {1038, true, "必需", "必须"},
        // the sound library by its name on Linux, not a DLL
        {3311, true, "DLL", "TQ_MIDI.so"},
        {3311, false, "DLL", "sound library (TQ_MIDI.so)"},
    };
    for (const auto& c : cases) {
        const std::string text = (c.chinese ? Both().ch : Both().en).GetString(c.id);
        EXPECT_EQ(text.find(c.wrong), std::string::npos) << c.id << ": " << text;
        EXPECT_NE(text.find(c.right), std::string::npos) << c.id << ": " << text;
    }
}

TEST(TableWording, AnswersAndMenuItemsSayWhatTheyDo) {
    // the No button: 否 ("no") beside 是, not 否认 ("deny")
    EXPECT_EQ(Both().ch.GetString(1019), "\xE5\x90\xA6"); // 否
    EXPECT_EQ(Both().en.GetString(1019), "No");
    // the two quick-key switches of the Tools menu name their palettes (451, 452)
    for (const TLanguage* t : {&Both().ch, &Both().en}) {
        const std::string special = t->GetString(sidSpecialSymbolKeys), dynamic = t->GetString(sidDynamicMarkKeys);
        EXPECT_NE(special, dynamic);
        const std::string specialPalette = t->GetString(451), dynamicPalette = t->GetString(452);
        // "Special Symbols" reads "Special Symbol" before a noun
        EXPECT_EQ(special.rfind(specialPalette.substr(0, specialPalette.size() - (t == &Both().en ? 1 : 0)), 0), 0u)
            << special;
        EXPECT_EQ(dynamic.rfind(dynamicPalette.substr(0, dynamicPalette.size() - (t == &Both().en ? 1 : 0)), 0), 0u)
            << dynamic;
    }
}

TEST(TableWording, TheMiddleOfACountMessageReadsInOrder) {
    // "共有" + count + 1039 and "In all, " + count + 1039 are whole sentences.
    EXPECT_EQ(Both().ch.GetString(1033) + "3" + Both().ch.GetString(1039),
              "共有3个小节可能有错。这些小节标有黄色背景，您应细查这些小节。");
    EXPECT_EQ(Both().en.GetString(1033) + "3" + Both().en.GetString(1039),
              "In all, 3 measures may be wrong. They are highlighted in yellow; please check them.");
    // and for one measure
    EXPECT_EQ(Both().ch.GetString(1033) + "1" + Both().ch.GetString(sidOneMeasureWrong),
              "共有1个小节可能有错。这个小节标有黄色背景，您应细查这个小节。");
    EXPECT_EQ(Both().en.GetString(1033) + "1" + Both().en.GetString(sidOneMeasureWrong),
              "In all, 1 measure may be wrong. It is highlighted in yellow; please check it.");
}

TEST(TableWording, EveryAddedCaptionSpeaksItsTablesLanguage) {
    auto hasCjk = [](const std::string& s) {
        for (unsigned char c : s)
            if (c >= 0xE3 && c <= 0xE9)
                return true; // the lead bytes of CJK characters and punctuation in UTF-8
        return false;
    };
    for (int id : kExtraStringIds) {
        const std::string ch = Both().ch.GetString(id), en = Both().en.GetString(id);
        ASSERT_FALSE(ch.empty()) << id;
        ASSERT_FALSE(en.empty()) << id;
        EXPECT_FALSE(hasCjk(en)) << id << ": " << en;
        // a Chinese caption is Chinese, unless it is a name that both share
        if (ch != en) {
            EXPECT_TRUE(hasCjk(ch)) << id << ": " << ch;
        }
    }
}
