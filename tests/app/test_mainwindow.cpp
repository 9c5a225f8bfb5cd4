// The main window offscreen, with a fresh user folder and the message recorder:
// first start, the exit keys, never losing a score (close, open, new, drop,
// damaged files, save), reopening the last file at start.
#include <gtest/gtest.h>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "output/frmTQBook.h"

#include <QApplication>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/frmTQMain.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQBinFile.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQStrings.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

// The keys of a section, in file order.
std::vector<std::string> KeysOf(const std::string& path, const std::string& section) {
    std::ifstream in(path);
    std::vector<std::string> keys;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        const auto eq = line.find('=');
        if (inside && eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    }
    return keys;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        fs::remove(TQUserFolder() + "TQHistoryFILE");
        SetMessageBoxes(&rec);
    }
    void TearDown() override {
        window.reset();
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        fs::remove(PrefFileName());
        fs::remove(TQUserFolder() + "TQHistoryFILE");
    }
    void WriteIni(const std::string& text) { std::ofstream(PrefFileName()) << text; }
    TfrmMainTQ& Make() {
        window = std::make_unique<TfrmMainTQ>();
        return *window;
    }
    // Ids of the message boxes shown so far.
    std::vector<int> Shown() const {
        std::vector<int> ids;
        for (const TMessageRequest& r : rec.shown)
            ids.push_back(r.id);
        return ids;
    }
    TCell& Cell(int col, int row, int page = 0) {
        return window->PageSets[0].at(static_cast<size_t>(page)).at(static_cast<size_t>(row)).at(static_cast<size_t>(col));
    }

    TMessageRecorder rec;
    std::unique_ptr<TfrmMainTQ> window;
    tqtest::TempDir dir;
};

} // namespace

TEST_F(MainWindowTest, FirstStartWithoutPreferences) {
    TfrmMainTQ& w = Make();
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w.Zoom, 1.0);
    EXPECT_EQ(w.PaperWidth, 8.5f);
    EXPECT_EQ(w.PaperHeight, 11.0f);
    EXPECT_EQ(w.Cols, 60);
    EXPECT_EQ(w.Rows, 40);
    for (bool shown : {w.WestDlgVisible, w.DynDlgVisible, w.SpecialDlgVisible, w.GongChiDlgVisible,
                       w.TextSymDlgVisible, w.PlyDlgVisible})
        EXPECT_FALSE(shown);
    EXPECT_EQ(w.FileName, "Untitled");
    EXPECT_FALSE(w.btnSaveFile->isEnabled());
    EXPECT_EQ(frmMainTQ, static_cast<TMainScore*>(&w));
    EXPECT_EQ(MainView(), static_cast<TMainView*>(&w));
    EXPECT_EQ(MainSettings(), static_cast<TMainSettings*>(&w));
    EXPECT_TRUE(fs::is_directory(TQUserFolder() + "Music"));
    EXPECT_TRUE(fs::is_directory(TQUserFolder() + "_SavedImage"));
    // the interface starts Chinese: the program named once, a new score called untitled
    EXPECT_EQ(w.windowTitle().toStdString(), "Tonquill 版本 5.2 - 无标题");

    window.reset();
    WriteIni("[Pref]\nUseChinese=0\n");
    TfrmMainTQ& english = Make();
    EXPECT_EQ(english.windowTitle().toStdString(), "Tonquill Version 5.2 - Untitled");
    EXPECT_EQ(english.sbrPanel0->text().toStdString(), "Page 1 of 1 x 1");
    Language->UseChinese = true;
}

TEST_F(MainWindowTest, ClosingWritesTheExitKeysInOrder) {
    TfrmMainTQ& w = Make();
    w.GoToPage(0);
    ASSERT_TRUE(w.close());
    const std::vector<std::string> expected = {
        "Zoom", "WestDlgVisible", "WestDlgLeft", "WestDlgTop", "SpecialDlgVisible", "SpecialDlgLeft",
        "SpecialDlgTop", "DynDlgVisible", "DynDlgLeft", "DynDlgTop", "GongChiDlgVisible", "GongChiDlgLeft",
        "GongChiDlgTop", "TextSymDlgVisible", "TextSymDlglLeft", "TextSymDlgTop", "PlyDlgVisible", "PlyDlgLeft",
        "PlyDlgTop", "UseChinese", "showHintEnabled", "noAskMusicFont", "ApplyToBothLayer", "ShowChangedRed",
        "colorBlackkeyNote", "KeyboardHeight", "KeyboardVisible", "imgFileName", "FixedKey", "ShowHintinJianpu",
        "PrinterIndex", "PrinterName", "defJianpuShrinkRate", "defJianpuVertRate", "defWestShinkRate", "mitMiddleLineinRed",
        "WindowWidth", "WindowHeight", "WindowLeft", "WindowTop", "PrePN"};
    EXPECT_EQ(KeysOf(PrefFileName(), "Pref"), expected);
    TIniFile ini(PrefFileName());
    for (const char* key : {"WindowWidth", "WindowHeight", "WindowLeft", "WindowTop"})
        EXPECT_EQ(ini.ReadString("Pref", key, "?"), "0") << key; // maximised
    EXPECT_EQ(ini.ReadString("Pref", "Zoom", "?"), "1");
}

TEST_F(MainWindowTest, AModifiedScoreIsNeverDroppedWithoutAYes) {
    TfrmMainTQ& w = Make();
    const std::string other = (dir / "other.mus").string();
    ASSERT_TRUE(w.SaveScore(other, true));
    Cell(3, 2) = TScoreFixture::Cell("5");
    w.SetModified(true);
    w.FileName = "mine.mus";
    const TPageSets before = w.PageSets;

    rec.Answer(mrNo);
    EXPECT_FALSE(w.close()); // 1023: No keeps the window and writes nothing
    EXPECT_FALSE(fs::exists(PrefFileName()));
    rec.Answer(mrNo);
    w.OpenFromPath(other);
    rec.Answer(mrNo);
    EXPECT_FALSE(w.NewScore());
    rec.Answer(mrNo);
    w.HandleDroppedFiles({other});
    EXPECT_EQ(Shown(), (std::vector<int>{1023, 1022, 1022, 1022}));
    EXPECT_EQ(w.PageSets, before);
    EXPECT_EQ(w.FileName, "mine.mus");
    EXPECT_TRUE(w.Modified);
    EXPECT_TRUE(w.btnSaveFile->isEnabled());

    rec.Clear();
    w.OpenFromPath(other); // Yes (the recorder's default) goes on
    EXPECT_EQ(w.FileName, other);
    EXPECT_FALSE(w.Modified);
    EXPECT_TRUE(IsEmptyCell(Cell(3, 2)));
}

TEST_F(MainWindowTest, ADamagedFileChangesNothing) {
    TfrmMainTQ& w = Make();
    Cell(1, 1) = TScoreFixture::Cell("3");
    w.SelCol0 = w.SelCol1 = 1;
    w.SelRow0 = w.SelRow1 = 1;
    Undo.SaveUndo();
    w.SetModified(true);
    w.FileName = "mine.mus";
    w.btnLayerClick(); // viewing layer 1
    const TPageSets before = w.PageSets;
    const std::string damaged = (dir / "damaged.mus").string();
    {
        std::ofstream out(damaged, std::ios::binary);
        const uint32_t magic = kScoreFileTag;
        out.write(reinterpret_cast<const char*>(&magic), 4);
        out << "not a score";
    }
    rec.Answer(mrYes); // go on despite the changes
    w.OpenFromPath(damaged);
    ASSERT_GE(rec.shown.size(), 2u);
    EXPECT_EQ(rec.shown[0].id, 1022);
    EXPECT_EQ(w.PageSets, before);
    EXPECT_EQ(w.FileName, "mine.mus");
    EXPECT_TRUE(w.Modified);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(CurLayer, 1);
    EXPECT_EQ(w.btnLayerImageIndex, 61);
}

TEST_F(MainWindowTest, SaveGoesThroughSaveAsWhenItMustAndKeepsTheFlagOnFailure) {
    TfrmMainTQ& w = Make();
    std::vector<std::string> asked;
    std::string answer = (dir / "first.mus").string();
    w.OnAskSaveFileName = [&](const std::string& proposed) {
        asked.push_back(proposed);
        return answer;
    };
    Cell(0, 0) = TScoreFixture::Cell("1");
    w.SetModified(true);
    w.mitSaveClick(); // "Untitled": Save As
    ASSERT_EQ(asked, (std::vector<std::string>{""}));
    EXPECT_EQ(w.FileName, answer);
    EXPECT_FALSE(w.Modified);
    EXPECT_TRUE(IsBinaryScoreFile(answer));

    w.ForceSaveAs = true; // a whole-score conversion happened
    answer = (dir / "second.mus").string();
    w.mitSaveClick();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], (dir / "first.mus").string());
    EXPECT_EQ(w.FileName, answer);
    EXPECT_FALSE(w.ForceSaveAs);

    fs::permissions(answer, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    w.SetModified(true);
    w.mitSaveClick();
    EXPECT_EQ(Shown(), (std::vector<int>{3312}));
    EXPECT_TRUE(w.Modified);
    fs::permissions(answer, fs::perms::owner_all);

    rec.Clear();
    w.FileName = (dir / "no such folder" / "x.mus").string();
    w.mitSaveClick();
    EXPECT_EQ(Shown(), (std::vector<int>{1043}));
    EXPECT_TRUE(w.Modified);
    EXPECT_TRUE(w.btnSaveFile->isEnabled());
}

TEST_F(MainWindowTest, DroppedFiles) {
    TfrmMainTQ& w = Make();
    std::vector<std::string> books;
    w.OnOpenBook = [&](const std::string& path) { books.push_back(path); };
    const fs::path corpus = tqtest::SourceFolder() / "tests" / "fuzz" / "corpus_text" / "basic.txt";
    const std::string text = (dir / "SONG.mus").string();
    fs::copy_file(corpus, text);

    w.HandleDroppedFiles({text, text}); // two at once: nothing
    EXPECT_EQ(w.FileName, "Untitled");
    const std::string book = (dir / "SONG.MBK").string();
    w.HandleDroppedFiles({book});
    EXPECT_EQ(books, (std::vector<std::string>{book}));
    EXPECT_EQ(w.FileName, "Untitled");

    // no binary magic: the text reader takes it, whatever its extension; a long path stays whole
    const fs::path deep = dir / std::string(120, 'd') / std::string(120, 'e');
    fs::create_directories(deep);
    const std::string longName = (deep / "SONG.mus").string();
    fs::copy_file(corpus, longName);
    ASSERT_GT(longName.size(), 199u);
    w.HandleDroppedFiles({longName});
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(w.FileName, longName);
}

TEST_F(MainWindowTest, ABookRowDroppedOnThePageOpensItsScore) {
    TfrmMainTQ& w = Make();
    const fs::path corpus = tqtest::SourceFolder() / "tests" / "fuzz" / "corpus_text" / "basic.txt";
    const std::string score = (dir / "ROW.mus").string();
    fs::copy_file(corpus, score);
    const auto drop = [&](const std::string& path) {
        QMimeData mime;
        mime.setData(QString::fromLatin1(kBookEntryMimeType), QByteArray::fromStdString(path));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        const bool accepted = enter.isAccepted();
        if (accepted) {
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&w, &dropped);
        }
        return accepted;
    };
    EXPECT_FALSE(drop((dir / "gone.mus").string())) << "a missing score is refused";
    EXPECT_EQ(w.FileName, "Untitled");
    EXPECT_TRUE(drop(score));
    EXPECT_EQ(w.FileName, score);

    // The File menu reaches the book window, the browser and printer setup.
    for (const char* name : {"mitBook", "mitBrowser", "mitPrinterSetup", "mitPrint", "mitSavetoBMP"})
        EXPECT_NE(w.findChild<QAction*>(QString::fromLatin1(name)), nullptr) << name;
    w.findChild<QAction*>(QStringLiteral("mitBook"))->trigger();
    ASSERT_NE(ExistingBookWindow(), nullptr);
    EXPECT_TRUE(ExistingBookWindow()->isVisible());
    ExistingBookWindow()->hide();
}

TEST_F(MainWindowTest, TheLastFileIsReopenedAtItsPage) {
    const std::string path = (dir / "four.mus").string();
    {
        TfrmMainTQ& w = Make();
        for (int p = 0; p < 4; ++p) {
            w.AllocatePage(0, p, true, 0, 0);
            Cell(p, 1, p) = TScoreFixture::Cell("1");
        }
        w.CurPage = 1; // the page stored in the file
        ASSERT_TRUE(w.SaveScore(path, true));
        window.reset();
    }
    struct Case {
        int prePN;
        int shown;
    } cases[] = {{2, 2}, {9, 1}};
    for (const Case& c : cases) {
        WriteIni("[Pref]\nUseChinese=0\nnoAskMusicFont=1\nPrePN=" + std::to_string(c.prePN) + "\n");
        std::ofstream(TQUserFolder() + "TQHistoryFILE") << "[Histrol File]\nFile0=" << path << "\n";
        TfrmMainTQ& w = Make();
        w.FormPaint();
        EXPECT_EQ(w.FileName, path) << c.prePN;
        EXPECT_EQ(w.CurPage, c.shown) << c.prePN;
        EXPECT_EQ(w.PageSets[0].size(), 4u);
        EXPECT_FALSE(w.FirstPaint);
        EXPECT_EQ(w.sbrPanel0->text().toStdString(), "Page " + std::to_string(c.shown + 1) + " of 4 x 1");
        window.reset();
    }
    EXPECT_TRUE(rec.shown.empty());
    Language->UseChinese = true;
}

TEST_F(MainWindowTest, TheMusicFontWarningCanBeTurnedOffForGood) {
    Language->HasMusicalSymbols = false;
    TfrmMainTQ& w = Make();
    rec.Answer(mrOk, true); // ticked "do not show again"
    w.FormPaint();
    ASSERT_EQ(Shown(), (std::vector<int>{2920}));
    EXPECT_EQ(rec.shown[0].dontShowText, Language->GetString(2700));
    ASSERT_TRUE(w.close());
    window.reset();
    rec.Clear();
    TfrmMainTQ& again = Make();
    again.FormPaint();
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(MainWindowTest, SliceViewAndSidePicture) {
    TfrmMainTQ& w = Make();
    w.Zoom = 1.35;
    w.mitSliceViewClick();
    EXPECT_GE(w.SliceView, 1);
    EXPECT_TRUE(w.tbrlTop->isHidden());
    EXPECT_FALSE(w.panSliceViewButton->isHidden());
    w.btnCloseSliceClick();
    EXPECT_EQ(w.SliceView, 0);
    EXPECT_NEAR(w.Zoom, 1.35, 1e-6);
    EXPECT_FALSE(w.tbrlTop->isHidden());
    EXPECT_TRUE(w.panSliceViewButton->isHidden());

    const std::string picture = (dir / "scan01.bmp").string();
    TBitmap bmp(40, 80);
    ASSERT_TRUE(bmp.SaveToFile(picture));
    ASSERT_TRUE(w.LoadSideImage(picture, false));
    EXPECT_FALSE(w.pnlSideImg->isHidden());
    EXPECT_EQ(w.ImgFileName, picture);
    ASSERT_TRUE(w.SideImage);
    EXPECT_EQ(w.SideImage->Width(), 40);
    w.CloseSideImage();
    EXPECT_TRUE(w.pnlSideImg->isHidden());
    EXPECT_FALSE(w.SideImage);
}
