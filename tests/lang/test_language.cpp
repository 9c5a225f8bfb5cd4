// The language object: lookups, loading and switching tables, font flags and
// localising forms by Tag.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <memory>

#include "lang/modTQLanguage.h"
#include "platform/core/TQLibrary.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/support/TQTestSupport.h"

namespace {

std::string U(const QString& s) { return s.toStdString(); }

// Records the message boxes of one test.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override { SetMessageBoxes(&rec); }
    void TearDown() override { SetMessageBoxes(nullptr); }
    std::unique_ptr<TLanguage> Make(bool chinese, const std::string& folder = "") {
        auto l = std::make_unique<TLanguage>();
        l->UseChinese = chinese;
        l->LibraryFolder = folder;
        return l;
    }
    TMessageRecorder rec;
};

} // namespace

TEST_F(LanguageTest, LooksUpIdsInEitherTable) {
    auto ch = Make(true);
    auto en = Make(false);
    ASSERT_TRUE(ch->LoadLanguageDll());
    ASSERT_TRUE(en->LoadLanguageDll());
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(ch->GetString(1000), "Tonquill");
    EXPECT_EQ(en->GetString(1000), "Tonquill");
    EXPECT_EQ(ch->GetString(1003), "第");
    EXPECT_EQ(ch->GetString(1005), "页");
    EXPECT_EQ(ch->GetString(1023), "当前乐谱有所改变但数据没有存入硬盘，您仍旧希望退出？");
    EXPECT_EQ(ch->GetString(1024), "当前页所有内容都将被清除，继续下去？");
    EXPECT_EQ(en->GetString(1009), "OK");
    // Ids the table does not hold read as empty.
    for (int id : {-1, 0, 100, 199, 217, 412, 1027, 2212, 3124, 3682, 99999}) {
        EXPECT_EQ(ch->GetString(id), "") << id;
        EXPECT_EQ(en->GetString(id), "") << id;
    }
}

TEST_F(LanguageTest, NothingLoadedReadsEmpty) {
    TLanguage l;
    EXPECT_FALSE(l.Loaded());
    EXPECT_TRUE(l.UseChinese);
    EXPECT_EQ(l.ChineseFontName, "SimSun");
    EXPECT_EQ(l.GetString(1000), "");
}

TEST_F(LanguageTest, MissingOrBrokenLibraryIsReportedOnceAndLeavesNoTable) {
    tqtest::TempDir dir;
    {
        std::ofstream junk(dir / "TQ_CH.so");
        junk << "not a library";
    }
    for (bool chinese : {true, false}) { // TQ_CH is junk, TQ_EN is absent
        rec.Clear();
        auto l = Make(chinese, dir.str());
        EXPECT_FALSE(l->LoadLanguageDll());
        EXPECT_FALSE(l->Loaded());
        EXPECT_EQ(l->GetString(1000), "");
        ASSERT_EQ(rec.shown.size(), 1u);
        EXPECT_EQ(rec.shown[0].text, "Cannot load language DLL. Please contact author.");
        EXPECT_EQ(rec.shown[0].buttons, mbOK);
    }
    // A failed switch drops the table that was loaded before.
    auto l = Make(true);
    ASSERT_TRUE(l->LoadLanguageDll());
    l->UseChinese = false;
    l->LibraryFolder = dir.str();
    EXPECT_FALSE(l->LoadLanguageDll());
    EXPECT_EQ(l->GetString(1000), "");
}

TEST_F(LanguageTest, FindsTheLibraryUnderItsLibName) {
    tqtest::TempDir dir;
    std::filesystem::copy_file(tqtest::ProgramFolder() / "TQ_EN.so", dir / "libTQ_EN.so");
    auto l = Make(false, dir.str());
    ASSERT_TRUE(l->LoadLanguageDll());
    EXPECT_EQ(l->LoadedPath(), (dir / "libTQ_EN.so").string());
    EXPECT_EQ(l->GetString(1010), "Cancel");
}

TEST_F(LanguageTest, SwitchesTablesAtRunTime) {
    auto l = Make(true);
    ASSERT_TRUE(l->LoadLanguageDll());
    const std::string before = l->GetString(1009);
    l->UseChinese = false;
    ASSERT_TRUE(l->LoadLanguageDll());
    EXPECT_EQ(before, "确认"); // fetched strings are copies
    EXPECT_EQ(l->GetString(1009), "OK");
    l->UseChinese = true;
    ASSERT_TRUE(l->LoadLanguageDll());
    EXPECT_EQ(l->GetString(1009), "确认");
}

// The drawing layers read the footer's page label through TQStrings: they see
// the table the language object loaded last, and nothing once it is gone.
TEST_F(LanguageTest, LowerLayersReadTheLoadedTable) {
    {
        auto l = Make(false);
        ASSERT_TRUE(l->LoadLanguageDll());
        EXPECT_EQ(GetStringById(1010), "Cancel");
        EXPECT_FALSE(UseChineseStrings());
        l->UseChinese = true;
        ASSERT_TRUE(l->LoadLanguageDll());
        EXPECT_EQ(GetStringById(1003), "第");
        EXPECT_TRUE(UseChineseStrings());
    }
    EXPECT_EQ(GetStringById(1003), "");
}

TEST(LibraryTest, MissingFunctionIsReportedByName) {
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    TQLibrary lib;
    ASSERT_TRUE(lib.Load("TQ_CH"));
    EXPECT_NE(lib.Function(kStringTableSymbol), nullptr);
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(lib.Function("Ext_NoteOn"), nullptr);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].text, "Cannot load dll function Ext_NoteOn");
    lib.Free();
    EXPECT_FALSE(lib.Loaded());
    EXPECT_EQ(lib.Symbol(kStringTableSymbol), nullptr);
    SetMessageBoxes(nullptr);
}

TEST(StripEllipsisTest, CutsAtTheFirstSpacedEllipsis) {
    static const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"设置 . . .", "设置"}, {"About . . . more . . .", "About"}, {"Open", "Open"},
        {"Open...", "Open..."}, {" . . .", ""},                       {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripEllipsis(c.in), c.out) << c.in;
}

TEST(FontFlagsTest, ProbesMusicFontsThroughTheGlyphMapAndTextFontsThroughSubstitutes) {
    const bool hadMusical = MusicFontInstalled("MusicalSymbols");
    const bool hadToccata = MusicFontInstalled("Toccata");
    // The music font counts once it is loaded, unless switched off.
    const bool loaded = LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
    SetMusicFontInstalled("MusicalSymbols", true);
    SetMusicFontInstalled("Toccata", false);
    EXPECT_EQ(TLanguage::IsFontInstalled("MusicalSymbols"), loaded);
    EXPECT_EQ(TLanguage::IsFontInstalled("musicalsymbols"), loaded);
    EXPECT_FALSE(TLanguage::IsFontInstalled("Toccata"));

    auto has = [](const char* family) {
        for (const QString& f : QFontDatabase::families())
            if (f.compare(QLatin1String(family), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    EXPECT_EQ(TLanguage::IsFontInstalled("Arial"), has("Liberation Sans"));
    EXPECT_EQ(TLanguage::IsFontInstalled("ARIAL"), has("Liberation Sans"));
    EXPECT_EQ(TLanguage::IsFontInstalled("Book Antiqua"), has("TeX Gyre Pagella"));
    EXPECT_FALSE(TLanguage::IsFontInstalled("No Such Font 4711"));
    EXPECT_FALSE(TLanguage::IsFontInstalled(""));

    TLanguage l; // a QApplication exists, so the constructor probes
    EXPECT_EQ(l.HasMusicalSymbols, loaded);
    EXPECT_FALSE(l.HasToccata);
    EXPECT_EQ(l.HasArial, has("Liberation Sans"));
    EXPECT_EQ(l.HasSimHei != 0, has("Noto Sans CJK SC"));
    EXPECT_EQ(l.BoldChinese(), l.HasSimHei != 0);
    SetMusicFontInstalled("MusicalSymbols", false);
    l.ProbeFonts();
    EXPECT_FALSE(l.HasMusicalSymbols);

    SetMusicFontInstalled("MusicalSymbols", hadMusical);
    SetMusicFontInstalled("Toccata", hadToccata);
}

// A small form holding one component of every kind the localiser knows.
class SetLanguageTest : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        lang = Make(true);
        ASSERT_TRUE(lang->LoadLanguageDll());
        form = std::make_unique<QWidget>();
        SetTag(form.get(), 802);
        form->setWindowTitle("Settings");
    }
    template <class W> W* Add(int tag, const char* name, QWidget* parent = nullptr) {
        auto* w = new W(parent ? parent : form.get());
        w->setObjectName(name);
        SetTag(w, tag);
        return w;
    }
    std::unique_ptr<TLanguage> lang;
    std::unique_ptr<QWidget> form;
};

TEST_F(SetLanguageTest, FormCaptionDropsTheEllipsis) {
    lang->SetLanguage(form.get());
    EXPECT_EQ(U(form->windowTitle()), "设置");
}

TEST_F(SetLanguageTest, ButtonsTakeCaptionOrHintByTheirState) {
    auto* dots = Add<QToolButton>(1009, "btnDots");
    dots->setText("...");
    auto* plain = Add<QToolButton>(1009, "btnPlain");
    plain->setText("x");
    plain->setToolTip("old");
    auto* hinted = Add<QToolButton>(1009, "btnHinted");
    hinted->setText("x");
    hinted->setProperty("ShowHint", true);
    auto* bar = new QToolBar(form.get());
    auto* iconOnly = Add<QToolButton>(201, "btnUndo", bar);
    auto* withHint = Add<QToolButton>(201, "btnUndo2", bar);
    withHint->setText("t");
    withHint->setToolTip("h");
    auto* noHint = Add<QToolButton>(201, "btnUndo3", bar);
    noHint->setText("t");
    auto* push = Add<QPushButton>(1018, "btnClose");
    push->setText("&Close");
    auto* pushEmpty = Add<QPushButton>(1018, "btnCloseIcon");
    auto* pushHinted = Add<QPushButton>(1009, "btnOk");
    pushHinted->setText("OK");
    pushHinted->setProperty("ShowHint", true);

    lang->SetLanguage(form.get());

    EXPECT_EQ(U(dots->text()), "...");
    EXPECT_EQ(U(dots->toolTip()), "确认");
    EXPECT_EQ(U(plain->text()), "确认");
    EXPECT_EQ(U(plain->toolTip()), "old");
    EXPECT_EQ(U(hinted->text()), "确认");
    EXPECT_EQ(U(hinted->toolTip()), "取消"); // Tag + 1
    EXPECT_EQ(U(iconOnly->text()), "");
    EXPECT_EQ(U(iconOnly->toolTip()), "撤消");
    EXPECT_EQ(U(withHint->text()), "撤消");
    EXPECT_EQ(U(withHint->toolTip()), "重做");
    EXPECT_EQ(U(noHint->text()), "撤消");
    EXPECT_EQ(U(noHint->toolTip()), "");
    EXPECT_EQ(U(push->text()), "关闭");
    EXPECT_EQ(U(push->toolTip()), "");
    EXPECT_EQ(U(pushEmpty->text()), "");
    EXPECT_EQ(U(pushEmpty->toolTip()), "关闭");
    EXPECT_EQ(U(pushHinted->toolTip()), "取消");
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(SetLanguageTest, CaptionedControlsMenusAndTabPages) {
    auto* label = Add<QLabel>(2004, "lblCellWidth");
    auto* group = Add<QGroupBox>(2003, "gbxCellSize");
    auto* check = Add<QCheckBox>(2014, "chkAllowChineseFileName");
    auto* radio = Add<QRadioButton>(2031, "rbtPortrait");
    auto* menu = Add<QMenu>(250, "mitFile");
    auto* action = new QAction("New", form.get());
    SetTag(action, 251);
    menu->addAction(action);
    auto* tabs = Add<QTabWidget>(0, "pagPrefs");
    auto* sheet = new QWidget;
    SetTag(sheet, 2050);
    tabs->addTab(sheet, "Color");
    auto* low = Add<QLabel>(150, "lblSymbolCode");
    low->setText("keep");
    auto* unknownId = Add<QLabel>(217, "lblNoString");
    unknownId->setText("designed");

    lang->SetLanguage(form.get());

    EXPECT_EQ(U(label->text()), "单元宽度");
    EXPECT_EQ(U(group->title()), "单元尺寸与页边距");
    EXPECT_EQ(U(check->text()), "允许中文文件名");
    EXPECT_EQ(U(radio->text()), "纵向");
    EXPECT_EQ(U(menu->title()), "文件");
    EXPECT_EQ(U(action->text()), "新建");
    EXPECT_EQ(U(tabs->tabText(0)), "颜色");
    EXPECT_EQ(U(low->text()), "keep");
    EXPECT_EQ(U(unknownId->text()), "designed");
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(SetLanguageTest, ListsTakeConsecutiveIdsForTheirExistingItems) {
    auto* combo = Add<QComboBox>(650, "cbxFontType");
    combo->addItems({"a", "b", "c"});
    auto* tabBar = Add<QTabBar>(2515, "tabStaff");
    for (int i = 0; i < 5; ++i)
        tabBar->addTab("t");
    auto* pages = Add<QTabWidget>(462, "PageControl1");
    for (int i = 0; i < 3; ++i)
        pages->addTab(new QWidget, "p");
    auto* list = Add<QListWidget>(3241, "lstPlayDur");
    list->addItems({"a", "b", "c"});
    auto* view = Add<QTreeWidget>(1218, "grdBook");
    view->setColumnCount(3);
    view->headerItem()->setText(0, "no tag");
    view->headerItem()->setData(0, Qt::UserRole, 99);
    view->headerItem()->setData(1, Qt::UserRole, 1219);
    view->headerItem()->setData(2, Qt::UserRole, 1222);

    lang->SetLanguage(form.get());

    ASSERT_EQ(combo->count(), 3); // string 653 is not added
    EXPECT_EQ(U(combo->itemText(0)), "西文");
    EXPECT_EQ(U(combo->itemText(2)), "全部");
    EXPECT_EQ(U(tabBar->tabText(0)), "高音谱表");
    EXPECT_EQ(U(tabBar->tabText(4)), "其它");
    EXPECT_EQ(U(pages->tabText(0)), "力度");
    EXPECT_EQ(U(pages->tabText(1)), "速度");
    EXPECT_EQ(U(pages->tabText(2)), "中文标志");
    EXPECT_EQ(U(list->item(0)->text()), "不变");
    EXPECT_EQ(U(list->item(2)->text()), "1/2");
    EXPECT_EQ(U(view->headerItem()->text(0)), "no tag");
    EXPECT_EQ(U(view->headerItem()->text(1)), "标题");
    EXPECT_EQ(U(view->headerItem()->text(2)), "页数");
}

TEST_F(SetLanguageTest, RadioGroupsWithAndWithoutCaption) {
    auto makeGroup = [&](const char* name, const char* title) {
        auto* g = Add<QGroupBox>(2101, name);
        g->setProperty("RadioGroup", true);
        g->setTitle(title);
        for (int i = 0; i < 2; ++i)
            new QRadioButton("item", g);
        return g;
    };
    QGroupBox* captioned = makeGroup("rgpPrintPage", "Print");
    QGroupBox* bare = makeGroup("rgpBare", "");

    lang->SetLanguage(form.get());

    auto items = [](QGroupBox* g) { return g->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly); };
    EXPECT_EQ(U(captioned->title()), "打印范围");
    EXPECT_EQ(U(items(captioned)[0]->text()), "所有页");
    EXPECT_EQ(U(items(captioned)[1]->text()), "仅当前页");
    EXPECT_EQ(U(bare->title()), "");
    EXPECT_EQ(U(items(bare)[0]->text()), "打印范围");
    EXPECT_EQ(U(items(bare)[1]->text()), "所有页");
}

TEST_F(SetLanguageTest, DialogFilterIsReplacedOnlyWhenTheTextHoldsABar) {
    auto* open = Add<QFileDialog>(1060, "dlgOpen");
    open->setNameFilters({"Music Files (*.mus)", "All Files (*)"});
    auto* image = Add<QFileDialog>(1233, "dlgSaveImage"); // 1234 holds no '|'
    image->setNameFilters({"JPEG (*.jpg)"});

    lang->SetLanguage(form.get());

    EXPECT_EQ(U(open->windowTitle()), "打开乐谱文件");
    ASSERT_EQ(open->nameFilters().size(), 2);
    EXPECT_EQ(U(open->nameFilters()[0]), "Tonquill文件 (*.mus)");
    EXPECT_EQ(U(open->nameFilters()[1]), "所有形式文件 (*.*)");
    EXPECT_EQ(U(image->windowTitle()), "存为图像");
    EXPECT_EQ(image->nameFilters(), QStringList{"JPEG (*.jpg)"});
}

TEST_F(SetLanguageTest, UnknownControlIsReportedByName) {
    auto* spin = Add<QSpinBox>(2004, "spnCellWidth");
    auto* quiet = Add<QSpinBox>(120, "spnSymbol"); // below 200: never looked at
    (void)quiet;
    lang->SetLanguage(form.get());
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].text, "Unknown control in SetLanguage: spnCellWidth");
    EXPECT_EQ(spin->value(), 0);
}

TEST_F(SetLanguageTest, ToolWindowsOfTheFormAreLeftToThemselves) {
    // a palette: its own class, a Tag of its own and tagged controls, parented
    // to the form as a tool window
    class TPaletteWindow : public QWidget {
    public:
        using QWidget::QWidget;
    };
    auto* palette = new TPaletteWindow(form.get(), Qt::Tool);
    palette->setObjectName("frmPalette");
    SetTag(palette, 1006);
    auto* inside = Add<QPushButton>(1018, "btnInside", palette);
    inside->setText("Close");
    auto* own = Add<QPushButton>(1018, "btnOwn");
    own->setText("Close");

    lang->SetLanguage(form.get());
    EXPECT_TRUE(rec.shown.empty()) << (rec.shown.empty() ? "" : rec.shown[0].text);
    EXPECT_EQ(inside->text(), "Close");
    EXPECT_NE(own->text(), "Close");
}

TEST_F(SetLanguageTest, WithoutATableOnlyTaggedFormCaptionsChange) {
    TLanguage none;
    auto* label = Add<QLabel>(2004, "lblCellWidth");
    label->setText("Cell width");
    Add<QSpinBox>(2004, "spnCellWidth");
    none.SetLanguage(form.get());
    EXPECT_EQ(U(form->windowTitle()), "");
    EXPECT_EQ(U(label->text()), "Cell width");
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(SetLanguageTest, ReappliesAfterSwitchingLanguage) {
    auto* label = Add<QLabel>(2004, "lblCellWidth");
    lang->SetLanguage(form.get());
    EXPECT_EQ(U(label->text()), "单元宽度");
    lang->UseChinese = false;
    ASSERT_TRUE(lang->LoadLanguageDll());
    lang->SetLanguage(form.get());
    EXPECT_EQ(U(label->text()), "Cell width");
    EXPECT_EQ(U(form->windowTitle()), "Settings");
}

TEST_F(SetLanguageTest, FileDialogButtonsAndLabels) {
    QFileDialog open, save;
    lang->LocaliseFileDialog(&open, false);
    lang->LocaliseFileDialog(&save, true);
    EXPECT_EQ(U(open.labelText(QFileDialog::Accept)), "打开");
    EXPECT_EQ(U(save.labelText(QFileDialog::Accept)), "保存");
    for (QFileDialog* d : {&open, &save}) {
        EXPECT_EQ(U(d->labelText(QFileDialog::Reject)), "取消");
        EXPECT_EQ(U(d->labelText(QFileDialog::FileName)), "文件名");
    }
    EXPECT_EQ(U(open.labelText(QFileDialog::FileType)), "文件类型");
    EXPECT_EQ(U(save.labelText(QFileDialog::FileType)), "保存类型");
    EXPECT_EQ(U(open.labelText(QFileDialog::LookIn)), "查找于");
    EXPECT_EQ(U(save.labelText(QFileDialog::LookIn)), "保存于");

    // Without a table the dialog keeps its own texts instead of going blank.
    QFileDialog plain;
    const QString accept = plain.labelText(QFileDialog::Accept);
    TLanguage none;
    none.LocaliseFileDialog(&plain, false);
    EXPECT_EQ(plain.labelText(QFileDialog::Accept), accept);
}

TEST_F(SetLanguageTest, PrinterSetupControlsByName) {
    QWidget dialog;
    auto* orientation = new QGroupBox("Orientation", &dialog);
    orientation->setObjectName("groupBox_3");
    auto* portrait = new QRadioButton("Portrait", orientation);
    portrait->setObjectName("portrait");
    auto* printer = new QGroupBox("Printer", &dialog);
    printer->setObjectName("printerGroup");
    auto* name = new QLabel("&Name:", printer);
    name->setObjectName("label");
    auto* elsewhere = new QLabel("Copies:", &dialog);
    elsewhere->setObjectName("label");
    auto* ok = new QPushButton("OK", &dialog);

    lang->LocalisePrinterSetupDialog(&dialog);

    EXPECT_EQ(U(orientation->title()), "方向");
    EXPECT_EQ(U(portrait->text()), "纵向");
    EXPECT_EQ(U(printer->title()), "打印机");
    EXPECT_EQ(U(name->text()), "名称");
    EXPECT_EQ(U(elsewhere->text()), "Copies:");
    EXPECT_EQ(U(ok->text()), "确认");
}
