// The two string tables, TQ_CH and TQ_EN, as built beside the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "platform/core/TQLibrary.h"
#include "tests/lang/TQBothTables.h"
#include "tests/support/TQTestSupport.h"

namespace {

// Every id the program uses, by range.
std::vector<int> AllIds() {
    static const std::pair<int, int> ranges[] = {
        {200, 216},   {250, 264},   {301, 302},   {306, 325},   {350, 360},   {400, 411},   {413, 425},
        {450, 457},   {459, 466},   {500, 511},   {520, 535},   {600, 600},   {602, 616},   {618, 643},
        {650, 658},   {660, 666},   {700, 707},   {710, 710},   {800, 804},   {900, 908},   {920, 926},
        {1000, 1026}, {1028, 1056}, {1058, 1066}, {1080, 1086}, {1100, 1104}, {1109, 1110}, {1200, 1216}, {1218, 1236},
        {1300, 1319}, {1324, 1326}, {1400, 1412}, {1500, 1504}, {1600, 1602}, {1700, 1701}, {1703, 1704},
        {1801, 1810}, {1900, 1905}, {1907, 1914}, {2000, 2036}, {2040, 2047}, {2050, 2062}, {2101, 2110},
        {2200, 2211}, {2213, 2226}, {2300, 2311}, {2401, 2406}, {2408, 2418}, {2500, 2520}, {2522, 2522},
        {2524, 2524}, {2600, 2613}, {2700, 2701}, {2800, 2801}, {2906, 2910}, {2920, 2920}, {3100, 3123},
        {3125, 3137}, {3200, 3220}, {3230, 3238}, {3240, 3251}, {3260, 3263}, {3300, 3304}, {3310, 3315},
        {3400, 3411}, {3420, 3422}, {3499, 3630}, {3650, 3655}, {3658, 3661}, {3670, 3681}, {3720, 3722},
    };
    std::vector<int> ids;
    for (auto [a, b] : ranges)
        for (int i = a; i <= b; ++i)
            ids.push_back(i);
    // and the captions of the one list from 4000 on
    ids.insert(ids.end(), std::begin(kExtraStringIds), std::end(kExtraStringIds));
    return ids;
}


const TQStringTableData* RawTable(TQLibrary& lib, const char* base) {
    if (!lib.Load(base))
        return nullptr;
    return static_cast<const TQStringTableData*>(lib.Symbol(kStringTableSymbol));
}

} // namespace

TEST(StringTables, BothLoadBesideTheProgram) {
    ASSERT_TRUE(Both().ch.Loaded()) << "TQ_CH missing beside the test program";
    ASSERT_TRUE(Both().en.Loaded()) << "TQ_EN missing beside the test program";
}

TEST(StringTables, HoldExactlyTheProgramsIdsSortedAndNonEmpty) {
    const std::vector<int> ids = AllIds();
    ASSERT_EQ(ids.size(), 845u + std::size(kExtraStringIds));
    for (const char* base : {"TQ_CH", "TQ_EN"}) {
        TQLibrary lib;
        const TQStringTableData* t = RawTable(lib, base);
        ASSERT_NE(t, nullptr) << base;
        ASSERT_EQ(t->count, static_cast<int>(ids.size())) << base;
        for (int i = 0; i < t->count; ++i) {
            EXPECT_EQ(t->entries[i].id, ids[i]) << base << " entry " << i;
            ASSERT_NE(t->entries[i].text, nullptr);
            EXPECT_STRNE(t->entries[i].text, "") << base << " id " << t->entries[i].id;
        }
    }
    for (int id : ids) {
        EXPECT_FALSE(Both().ch.GetString(id).empty()) << "Chinese " << id;
        EXPECT_FALSE(Both().en.GetString(id).empty()) << "English " << id;
    }
}

TEST(StringTables, QuotedTextsStandAsStored) {
    static const struct {
        int id;
        const char* text;
    } chinese[] = {
        {1000, "Tonquill"},
        {1001, "版本"},
        {1003, "第"},
        {1005, "页"},
        {1009, "确认"},
        {1010, "取消"},
        {1011, "保存"},
        {1012, "打开"},
        {1013, "文件名"},
        {1014, "文件类型"},
        {1015, "保存类型"},
        {1016, "保存于"},
        {1017, "查找于"},
        {1018, "关闭"},
        {1019, "否"},
        {1022, "当前乐谱有所改变但数据没有存入硬盘，继续下去？"},
        {1033, "共有"},
        {1044, "打开文件出错："},
        {1045, "文件格式不对"},
        {1048, "警告"},
        {1049, "信息"},
        {1050, "确认"},
        {1051, "出错"},
        {1058, "有些行的第一个单元包含有音符。每行第一个单元必须留给谱表号。因为这个原因该音符可能会丢失,请仔细检查."},
        {2700, "请不要再显示这个窗口。"},
        {2701, "这个文件已经存在，您希望取代它？ "},
        {2910, "这个布局文件是老版本与当前系统不兼容: "},
        {3311, "无法载入音源库（TQ_MIDI.so）："},
        {3315, "该功能要求第一页第一行必须是非乐曲行."},
        {801, "关于Tonquill . . ."},
        {802, "设置 . . ."},
        {1100, "关于Tonquill"},
        {532, "固定调"},
        {619, "整个乐曲"},
        {462, "力度"},
        {1061, "Tonquill文件(*.mus)|*.mus|所有形式文件(*.*)|*.*"},
        {1226, "Tonquill书本文件(*.mbk)|*.mbk|所有形式文件(*.*)|*.*"},
        {1065, "MIDI文件(*.mid)|*.mid|所有形式文件(*.*)|*.*"},
        {3107, "动态符号位置文件(*.dly)|*.dly|所有形式文件(*.*)|*.*"},
        {3113, "特殊标记位置文件(*.sly)|*.sly|所有形式文件(*.*)|*.*"},
        {1023, "当前乐谱有所改变但数据没有存入硬盘，您仍旧希望退出？"},
        {1024, "当前页所有内容都将被清除，继续下去？"},
        {1025, "当前页将被从乐谱中清除，继续下去？"},
        {1032, "乐曲中所有小节数标记都将被清除，继续下去？"},
        {1034, "个小节数标记被清除。"},
        {1036, "个单元可能没有成功地改换成简谱，这些单元标有黄色高亮背景，您应细查这些单元。"},
        {1037, "个单元可能没有成功地改换成五线谱，这些单元标有黄色高亮背景，您应细查这些单元。"},
        {1038, "从总谱转换至分谱之前您必须先把总谱文件存入硬盘"},
        {1039, "个小节可能有错。这些小节标有黄色背景，您应细查这些小节。"},
        {1040, "无错。所有小节都含有正确的节拍数"},
        {1041, "找不到节拍号。节拍号应标在第一个音符之前。根据程序的判断将假定节拍为"},
        {1042, "找不到指定分谱！请仔细检查分谱定位方法和定位数据"},
        {1043, "存写文件出错："},
        {1052, "文件里没有包含任何数据"},
        {1054, "找不到起始单元。您必需选择一个音符单元作为起始点。"},
        {1055, "当前乐谱书有所改变但数据没有保存入硬盘，继续下去？"},
        {1059, "所有弓法标记都将被清除，继续下去？"},
        {1085, "从当前位置到曲尾的小节数标记都将被清除，继续下去？"},
        {1086, "选择区域的小节数标记都将被清除，继续下去？"},
        {2906, "符号布局已经改变，你希望使用它吗？"},
        {2907, "你希望用这个符号布局吗？"},
        {2908, "这个布局文件格式不对："},
        {2909, "创建这个文件的版本比你现在的版本更新，打开它可能会有问题，继续打开这个文件？"},
        {2920, "您的系统中缺少有用的音乐符号字符库。有些符号可能没法正确显示。您可重新安装本软件以解决此问题。"},
        {3312, "这是一个只读文件，不可以覆盖。"},
        {3313, "这个功能要求在所选乐曲行上方必须有至少有一非乐曲行。"},
        {3314, "你必须选择至少一行乐谱。"},
        // form captions and labels quoted with their ids
        {301, "添加文本 . . ."},
        {314, "节拍号 . . ."},
        {317, "多小节休止符"},
        {318, "输入休止小节数"},
        {319, "旋转文本 . . ."},
        {457, "常用符号"},
        {463, "速度"},
        {464, "中文标志"},
        {661, "文本尺寸"},
        {921, "输入压缩量"},
        {1006, "特殊标记"},
        {1007, "动态符号"},
        {1020, "速度符号"},
        {1214, "编辑乐曲标题"},
        {2401, "输入一行文字"},
        {2500, "五线谱表"},
        {3670, "调号设置 . . ."},
        // every filter of the same kind reads alike
        {1063, "Tonquill文件(*.mus)|*.mus|所有形式文件(*.*)|*.*"},
        {1224, "Tonquill文件(*.mus)|*.mus|所有形式文件(*.*)|*.*"},
        {1230, "Tonquill文件(*.mus)|*.mus|所有形式文件(*.*)|*.*"},
        {1232, "Tonquill文件(*.mus)|*.mus|所有形式文件(*.*)|*.*"},
        {1228, "Tonquill书本文件(*.mbk)|*.mbk|所有形式文件(*.*)|*.*"},
        {3111, "动态符号位置文件(*.dly)|*.dly|所有形式文件(*.*)|*.*"},
        {3109, "特殊标记位置文件(*.sly)|*.sly|所有形式文件(*.*)|*.*"},
    };
    for (const auto& c : chinese)
        EXPECT_EQ(Both().ch.GetString(c.id), c.text) << c.id;

    static const struct {
        int id;
        const char* text;
    } english[] = {
        {1000, "Tonquill"}, {1009, "OK"}, {1010, "Cancel"}, {1019, "No"}, {3402, "half"}, {3404, "one && half"},
        {3420, "Shift Direction"}, {630, "All Except Grand Staff"}, {532, "Fixed Key"},
    };
    for (const auto& c : english)
        EXPECT_EQ(Both().en.GetString(c.id), c.text) << c.id;
}

TEST(StringTables, ConventionsHoldInBothLanguages) {
    const std::set<int> filters = {1061, 1063, 1065, 1224, 1226, 1228, 1230, 1232, 3107, 3109, 3111, 3113};
    const std::string dots = " . . .";
    std::set<std::string> programs;
    for (int id : AllIds()) {
        const std::string zh = Both().ch.GetString(id), en = Both().en.GetString(id);
        // Only file-dialog filters hold '|', as description and pattern pairs.
        for (const std::string& s : {zh, en}) {
            const bool isFilter = s.find('|') != std::string::npos;
            EXPECT_EQ(isFilter, filters.count(id) == 1) << id << ": " << s;
            if (isFilter) {
                size_t bars = 0;
                for (char c : s)
                    bars += c == '|';
                EXPECT_EQ(bars % 2, 1u) << id;
                EXPECT_EQ(s.find("||"), std::string::npos) << id;
                EXPECT_NE(s.back(), '|') << id;
            }
        }
        // A menu entry that opens a form ends in " . . ." in both languages.
        const bool zhDots = zh.size() >= dots.size() && zh.compare(zh.size() - dots.size(), dots.size(), dots) == 0;
        const bool enDots = en.size() >= dots.size() && en.compare(en.size() - dots.size(), dots.size(), dots) == 0;
        EXPECT_EQ(zhDots, enDots) << id;
        if (id >= 3501 && id <= 3628)
            programs.insert(en);
    }
    EXPECT_EQ(programs.size(), 128u) << "every General MIDI program has its own name";
    EXPECT_EQ(Both().en.GetString(3501), "Acoustic Grand Piano");
    EXPECT_EQ(Both().en.GetString(3628), "Gunshot");
}

// The build's generator turns a table source into C; a bad source stops the build.
TEST(StringTableGenerator, AcceptsWindowsLinesAndRefusesBadSources) {
    const std::filesystem::path tool = tqtest::ProgramFolder().parent_path() / "tools" / "tq_strgen";
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
    tqtest::TempDir dir;
    auto run = [&](const std::string& source) {
        std::ofstream(dir / "t.txt", std::ios::binary) << source;
        std::filesystem::remove(dir / "t.c");
        const std::string cmd = tool.string() + " " + (dir / "t.txt").string() + " " + (dir / "t.c").string() +
                                " 2>/dev/null";
        return std::system(cmd.c_str());
    };
    auto output = [&] {
        std::ifstream in(dir / "t.c");
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    ASSERT_EQ(run("\xEF\xBB\xBF# comment\r\n\r\n300\tb \\\"q\\\"\\n\r\n200\t\xE7\xA1\xAE a|b \r\n"), 0);
    const std::string c = output();
    EXPECT_NE(c.find("{200, \"\\347\\241\\256 a|b \"}"), std::string::npos) << c;
    EXPECT_NE(c.find("{300, \"b \\\\\\\"q\\\\\\\"\\012\"}"), std::string::npos) << c;
    EXPECT_LT(c.find("{200,"), c.find("{300,"));
    EXPECT_NE(c.find("TQ_StringTable = {2, entries}"), std::string::npos);

    static const char* bad[] = {
        "200\tone\n200\ttwo\n", // duplicate id
        "200\t\n",              // empty text
        "200 no tab\n",         // no separator
        "2x0\ttext\n",          // not a number
        "200\t\xE7\xA1\n",      // cut UTF-8 sequence
    };
    for (const char* source : bad) {
        EXPECT_NE(run(source), 0) << source;
        EXPECT_FALSE(std::filesystem::exists(dir / "t.c")) << source;
    }
}
