// The README's "Getting started" against the program: every key its tables
// name does on the real window what the README says, every menu path and key
// of its command table and of its text is the window's in both languages, the
// folders it names are made and the dialogs start where it says, the tune it
// shows can be typed with those keys, and Help → User's Guide opens the guide
// made from it.
//
// With TQ_DOC_SCREENSHOT=<file.png> the typed tune's page is written there
// (scripts/screenshot makes docs/images/first-tune.png that way).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QCheckBox>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/frmTQMain.h"
#include "edit/modTQCursorKeys.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "output/frmTQPrint.h"
#include "output/frmTQSaveImage.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Readme() { return ReadFile(fs::path(TQ_SOURCE_DIR) / "README.md"); }

// The rows of the Markdown table that follows the header line containing
// `header`: each row's cells, trimmed, with "\|" read as "|".
std::vector<std::vector<std::string>> TableAfter(const std::string& text, const std::string& header) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!inside) {
            inside = line.rfind('|', 0) == 0 && line.find(header) != std::string::npos;
            continue;
        }
        if (line.rfind('|', 0) != 0)
            break;
        if (line.rfind("|---", 0) == 0)
            continue;
        std::vector<std::string> cells;
        std::string cell;
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '|') {
                cell += '|';
                ++i;
            } else if (line[i] == '|') {
                cells.push_back(QString::fromStdString(cell).trimmed().toStdString());
                cell.clear();
            } else {
                cell += line[i];
            }
        }
        rows.push_back(cells);
    }
    return rows;
}

// The keys of a table cell: every `...` span; "`1` … `7`" is 1 to 7.
std::vector<std::string> KeysOf(const std::string& cell) {
    std::vector<std::string> keys;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("`([^`]+)`")).globalMatch(QString::fromStdString(cell));
    while (it.hasNext())
        keys.push_back(it.next().captured(1).toStdString());
    if (keys.size() == 2 && cell.find("\xE2\x80\xA6") != std::string::npos && keys[0].size() == 1 &&
        keys[1].size() == 1) {
        const char first = keys[0][0], last = keys[1][0];
        keys.clear();
        for (char c = first; c <= last; ++c)
            keys.push_back(std::string(1, c));
    }
    return keys;
}

class GettingStarted : public TWindowTest {
protected:
    void BeforeStart() override {
        std::ofstream(PrefFileName()) << "[Pref]\nUseChinese=0\nnoAskMusicFont=1\n";
    }
    void TearDown() override {
        TWindowTest::TearDown();
        Language->UseChinese = true;
        Language->LoadLanguageDll();
    }
    void Select(int col, int row) { TWindowCells::Select(col, row, col, row); }
    // A key as the README writes it: one character, or a named key.
    void Press(const std::string& key) {
        if (key == "Backspace")
            return Key(Qt::Key_Backspace);
        if (key == "Delete")
            return Key(Qt::Key_Delete);
        ASSERT_EQ(key.size(), 1u) << key;
        Type(key);
    }

    // The action reached by following a path of captions through the menu bar.
    QAction* Follow(const std::string& path) {
        QStringList steps = QString::fromStdString(path).split(QStringLiteral(" \u2192 "));
        QList<QAction*> items = w->mnuMain->actions();
        for (int i = 0; i < steps.size(); ++i) {
            QAction* found = nullptr;
            for (QAction* a : items) {
                QString text = a->menu() ? a->menu()->title() : a->text();
                text.remove(QLatin1Char('&'));
                if (a->isVisible() && text.trimmed() == steps[i].trimmed())
                    found = a;
            }
            if (!found)
                return nullptr;
            if (i + 1 == steps.size())
                return found;
            if (!found->menu())
                return nullptr;
            emit found->menu()->aboutToShow(); // menus that fill themselves as they open
            items = found->menu()->actions();
        }
        return nullptr;
    }
    void UseChinese(bool chinese) {
        if (Language->UseChinese != chinese)
            w->CommandAction("mitUseChinese")->trigger();
        ASSERT_EQ(Language->UseChinese, chinese);
    }

    tqtest::TempDir dir;
};

} // namespace

TEST_F(GettingStarted, EveryJianpuKeyOfTheReadmeDoesWhatItSays) {
    const int row = 2;
    std::map<std::string, std::function<void()>> checks;
    for (char d = '1'; d <= '7'; ++d)
        checks[std::string(1, d)] = [this, d] {
            Select(1, row);
            Press(std::string(1, d));
            EXPECT_EQ(At(1, row).Note, d);
            EXPECT_TRUE(IsJianpuSound(At(1, row)));
            EXPECT_EQ(w->SelCol0, 2); // the cursor moves on
        };
    checks["0"] = [this] {
        Select(1, row);
        Press("0");
        EXPECT_EQ(At(1, row).Note, '0');
    };
    checks["-"] = [this] {
        Select(2, row);
        Press("-");
        EXPECT_EQ(At(2, row).Note, -106); // the extension dash
    };
    checks["."] = [this] {
        Select(2, row);
        Press(".");
        EXPECT_EQ(At(2, row).Note, cellpred::kDotChar);
    };
    checks["|"] = [this] {
        Select(2, row);
        Press("|");
        EXPECT_EQ(At(2, row).Note, 63); // a single bar line
    };
    checks["'"] = [this] {
        At(1, row) = TScoreFixture::Cell("5");
        Select(1, row);
        Press("'");
        EXPECT_EQ(At(1, row).dot, 1);
        Press("'");
        EXPECT_EQ(At(1, row).dot, 2);
    };
    checks[","] = [this] {
        At(1, row) = TScoreFixture::Cell("5");
        Select(1, row);
        Press(",");
        EXPECT_EQ(At(1, row).dot, -1);
    };
    checks["_"] = [this] {
        At(1, row) = TScoreFixture::Cell("5");
        At(2, row) = TScoreFixture::Cell("6");
        w->SelCol0 = 1;
        w->SelCol1 = 2;
        w->SelRow0 = w->SelRow1 = row;
        Press("_");
        EXPECT_EQ(At(1, row).UL, 1);
        EXPECT_EQ(At(2, row).UL, 1);
    };
    checks["Backspace"] = [this] {
        Select(5, row);
        Press("Backspace");
        EXPECT_EQ(w->SelCol0, 4);
    };
    checks["Delete"] = [this] {
        At(3, row) = TScoreFixture::Cell("5");
        Select(3, row);
        Press("Delete");
        EXPECT_TRUE(IsEmptyCell(At(3, row)));
    };

    const auto table = TableAfter(Readme(), "What it does on a Jianpu row");
    ASSERT_FALSE(table.empty()) << "the README's Jianpu key table";
    std::set<std::string> named;
    for (const auto& cells : table) {
        ASSERT_GE(cells.size(), 2u);
        for (const std::string& key : KeysOf(cells[0])) {
            named.insert(key);
            auto it = checks.find(key);
            ASSERT_NE(it, checks.end()) << "the README names the key " << key << " that nothing checks";
            for (int c = 0; c < w->Cols; ++c)
                At(c, row) = TScoreFixture::Cell("~");
            SCOPED_TRACE("key " + key + ": " + cells[1]);
            it->second();
        }
    }
    for (const auto& [key, check] : checks)
        EXPECT_TRUE(named.count(key)) << "the README leaves out the key " << key;
}

TEST_F(GettingStarted, EveryWesternKeyOfTheReadmeDoesWhatItSays) {
    const int row = 1;
    std::map<std::string, std::function<void()>> checks;
    // a to g: a quarter note at its letter's place on the treble staff
    const std::map<char, float> places = {{'c', 6}, {'d', 5}, {'e', 4}, {'f', 3}, {'g', 2}, {'a', 1}, {'b', 0}};
    for (auto [letter, place] : places)
        checks[std::string(1, letter)] = [this, letter, place] {
            Select(2, row);
            Press(std::string(1, letter));
            EXPECT_EQ(At(2, row).cellType, ctWestern);
            EXPECT_EQ(At(2, row).Note, 3);
            EXPECT_FLOAT_EQ(At(2, row).yAdj, place);
        };
    // q w r t y u: whole, half, quarter, eighth, 16th, 32nd (codes 1 to 6)
    const std::map<char, int> values = {{'q', 1}, {'w', 2}, {'r', 3}, {'t', 4}, {'y', 5}, {'u', 6}};
    for (auto [letter, code] : values)
        checks[std::string(1, letter)] = [this, letter, code] {
            At(2, row) = TScoreFixture::Cell(code == 3 ? "W:4@2" : "W:3@2");
            Select(2, row);
            Press(std::string(1, letter));
            EXPECT_EQ(At(2, row).Note, code);
            EXPECT_FLOAT_EQ(At(2, row).yAdj, 2.0f); // the same pitch
        };
    // # after a typed note: a sharp on it
    checks["#"] = [this] {
        Select(2, row);
        Type("a#");
        EXPECT_EQ(At(2, row).Note, 3);
        EXPECT_EQ(At(2, row).Attr & 0xFu, 1u);
        EXPECT_TRUE(IsEmptyCell(At(3, row)));
    };
    checks["'"] = [this] {
        At(2, row) = TScoreFixture::Cell("W:3@2");
        Select(2, row);
        Press("'");
        EXPECT_FLOAT_EQ(At(2, row).yAdj, -5.0f); // seven steps up
    };
    checks[","] = [this] {
        At(2, row) = TScoreFixture::Cell("W:3@2");
        Select(2, row);
        Press(",");
        EXPECT_FLOAT_EQ(At(2, row).yAdj, 9.0f);
    };

    const auto table = TableAfter(Readme(), "What it does on a Western staff row");
    ASSERT_FALSE(table.empty()) << "the README's Western key table";
    std::set<std::string> named;
    for (const auto& cells : table) {
        for (const std::string& key : KeysOf(cells[0])) {
            named.insert(key);
            auto it = checks.find(key);
            ASSERT_NE(it, checks.end()) << "the README names the key " << key << " that nothing checks";
            for (int c = 0; c < w->Cols; ++c)
                At(c, row) = TScoreFixture::Cell("~");
            At(0, row) = TScoreFixture::Cell("&G");
            SCOPED_TRACE("key " + key + ": " + cells[1]);
            it->second();
        }
    }
    for (const auto& [key, check] : checks)
        EXPECT_TRUE(named.count(key)) << "the README leaves out the key " << key;
}

TEST_F(GettingStarted, TheCommandTableNamesTheWindowsMenusAndKeysInBothLanguages) {
    const auto table = TableAfter(Readme(), "| Command |");
    ASSERT_GE(table.size(), 5u);
    for (bool chinese : {false, true}) {
        if (Language->UseChinese != chinese)
            w->CommandAction("mitUseChinese")->trigger();
        ASSERT_EQ(Language->UseChinese, chinese);
        for (const auto& cells : table) {
            ASSERT_EQ(cells.size(), 3u);
            const std::string& path = chinese ? cells[1] : cells[0];
            QAction* a = Follow(path);
            ASSERT_NE(a, nullptr) << "no menu path " << path;
            const std::vector<std::string> keys = KeysOf(cells[2]);
            ASSERT_EQ(keys.size(), 1u) << path;
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromStdString(keys[0]), QKeySequence::PortableText))
                << path << ": " << a->shortcut().toString().toStdString();
        }
    }
}

TEST_F(GettingStarted, TheReadmesTuneIsTypedWithItsKeys) {
    // "Frère Jacques": two rows typed from column 1 with the README's keys, the
    // underlines and the low dot added on the selected notes.
    const int top = 2, bottom = 4;
    Select(1, top);
    Type("1231|1231|345-|345-|");
    Select(1, bottom);
    Type("565431|565431|151-|151-|");
    for (int first : {1, 8}) {
        w->SelCol0 = first;
        w->SelCol1 = first + 3;
        w->SelRow0 = w->SelRow1 = bottom;
        Press("_"); // 5 6 5 4 are eighths
    }
    for (int col : {16, 21}) {
        Select(col, bottom);
        Press(","); // the low 5
    }
    const std::string expectTop = "1231|1231|345-|345-|";
    for (std::size_t i = 0; i < expectTop.size(); ++i) {
        const char c = expectTop[i];
        const TCell& cell = At(static_cast<int>(i) + 1, top);
        if (c == '|')
            EXPECT_EQ(cell.Note, 63) << i;
        else if (c == '-')
            EXPECT_EQ(cell.Note, -106) << i; // the extension dash
        else
            EXPECT_EQ(cell.Note, c) << i;
    }
    for (int col : {1, 2, 3, 4, 8, 9, 10, 11})
        EXPECT_EQ(At(col, bottom).UL, 1) << col;
    for (int col : {5, 6, 12, 13, 15, 17})
        EXPECT_EQ(At(col, bottom).UL, 0) << col;
    EXPECT_EQ(At(16, bottom).Note, '5');
    EXPECT_EQ(At(16, bottom).dot, -1);
    EXPECT_EQ(At(15, bottom).dot, 0);

    if (const char* out = std::getenv("TQ_DOC_SCREENSHOT"); out && *out) {
        // The top left of the page, as the window shows it, kept small.
        Select(0, 0);
        w->RedrawPage();
        QApplication::processEvents();
        const QImage page = w->pbxMain->grab().toImage();
        const QImage part = page.copy(0, 0, std::min(page.width(), 560), std::min(page.height(), 215));
        ASSERT_TRUE(part.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither).save(QString::fromUtf8(out)));
    }
}

TEST_F(GettingStarted, HelpOpensTheUsersGuideInTheInterfacesLanguage) {
    for (bool chinese : {false, true}) {
        if (Language->UseChinese != chinese)
            w->CommandAction("mitUseChinese")->trigger();
        std::string opened;
        w->OpenDocument = [&](const std::string& path) {
            opened = path;
            return true;
        };
        rec.Clear();
        w->CommandAction("mitUsersGuide")->trigger();
        EXPECT_TRUE(rec.shown.empty()) << rec.shown.front().id << ": " << rec.shown.front().text;
        ASSERT_FALSE(opened.empty());
        ASSERT_TRUE(fs::exists(opened)) << opened;
        // pdftotext reads what the guide says: its chapters and the keys of the README
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QString::fromStdString(opened), QStringLiteral("-")});
        ASSERT_TRUE(text.waitForFinished(30000));
        // (compatibility forms folded: the "fi" ligature, the radicals some CJK glyphs map to)
        const QString body =
            QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
        const QStringList expected =
            chinese ? QStringList{QStringLiteral("手册"), QStringLiteral("输入第一首简谱"),
                                  QStringLiteral("输入五线谱音符"), QStringLiteral("文件保存在哪里"),
                                  QStringLiteral("TONQUILL_HOME"), QStringLiteral("Ctrl+F2")}
                    : QStringList{QStringLiteral("User's Guide"), QStringLiteral("Type a first Jianpu tune"),
                                  QStringLiteral("Enter Western notes"), QStringLiteral("Where your files are kept"),
                                  QStringLiteral("TONQUILL_HOME"), QStringLiteral("Ctrl+F2")};
        for (const QString& e : expected)
            EXPECT_TRUE(body.contains(e)) << opened << " lacks " << e.toStdString();
        // the screenshot is in it (pdfimages lists the pictures of a PDF, after two header lines)
        QProcess images;
        images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), QString::fromStdString(opened)});
        ASSERT_TRUE(images.waitForFinished(30000));
        const QStringList rows =
            QString::fromUtf8(images.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_GE(rows.size(), 3) << opened << " holds no picture";
        // pdftoppm draws its first page: ink in the page
        const std::string png = (dir / (chinese ? "zh" : "en")).string();
        QProcess draw;
        draw.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"),
                                                QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                QStringLiteral("1"), QString::fromStdString(opened),
                                                QString::fromStdString(png)});
        ASSERT_TRUE(draw.waitForFinished(30000));
        QImage first;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.path().filename().string().rfind(chinese ? "zh" : "en", 0) == 0)
                first.load(QString::fromStdString(e.path().string()));
        ASSERT_FALSE(first.isNull());
        int dark = 0;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x)
                dark += qGray(first.pixel(x, y)) < 128;
        EXPECT_GT(dark, first.width() * first.height() / 200);
    }
}

TEST_F(GettingStarted, TheReadmesExportStepsWriteTheFilesTheyName) {
    // The README's steps for PDF, image and MIDI files, on the real window:
    // each file is read back by the tool a user would open it with.
    if (std::system("pdfinfo -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils is not installed";
    Select(1, 2);
    Type("1235|6532|");
    const std::string readme = Readme();
    ASSERT_NE(readme.find("**Print to PDF**: **File → Print . . .**"), std::string::npos);
    ASSERT_NE(readme.find("tick \"Print to a PDF file\""), std::string::npos);
    const auto run = [](const std::string& shell) { return tqtest::CommandOutput(shell + " 2>&1"); };
    // the File menu's item of that name
    const auto Menu = [this](const char* name) {
        QAction* a = w->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a ? a : new QAction(w.get());
    };

    // File → Print, "Print to a PDF file", OK, a name.
    const std::string printed = (dir / "printed.pdf").string();
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TfrmPrint*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->OnAskPdfFile = [&] { return printed; };
        d->chkPrintToPdf->setChecked(true);
        d->btnOk->click();
    });
    Menu("mitPrint")->trigger();
    EXPECT_NE(run("pdfinfo '" + printed + "'").find("Pages:"), std::string::npos);
    EXPECT_NE(run("pdftotext '" + printed + "' -").find("1"), std::string::npos) << "the notes are text";

    // File → Save as Image with PDF, JPEG and BMP.
    for (const char* format : {"PDF", "JPEG", "BMP"}) {
        const std::string name = (dir / (std::string("image_") + format)).string();
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TfrmSaveImage*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            d->OnAskFileName = [&](const QString&) { return name; };
            QRadioButton* button = std::string(format) == "PDF" ? d->rbtPDF : std::string(format) == "JPEG" ? d->rbtJPEG : d->rbtBMP;
            button->click();
            d->rbtCurrentPage->setChecked(true);
            d->btnOK->click();
        });
        Menu("mitSavetoBMP")->trigger();
        const std::string file = name + (std::string(format) == "PDF" ? ".pdf" : std::string(format) == "JPEG" ? ".jpg" : ".bmp");
        const std::string described = run("file -b '" + file + "'");
        EXPECT_NE(described.find(std::string(format) == "BMP" ? "PC bitmap" : std::string(format) == "JPEG" ? "JPEG image" : "PDF document"),
                  std::string::npos)
            << format << ": " << described;
    }

    // File → Export MIDI File, a name: mido reads the notes typed.
    const std::string mid = (dir / "tune.mid").string();
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->selectFile(QString::fromStdString(mid));
        static_cast<QDialog*>(d)->accept();
    });
    Menu("btnSaveMIDI")->trigger();
    const std::string notes = run("/usr/bin/python3 -c \"import mido; print(' '.join(str(m.note) for m in mido.MidiFile('" + mid +
                                  "') if m.type == 'note_on' and m.velocity > 0))\"");
    EXPECT_EQ(notes, "60 62 64 67 69 67 64 62\n") << "1 2 3 5 6 5 3 2 in C";
}

TEST_F(GettingStarted, EveryMenuPathOfTheReadmesTextIsTheWindowsInBothLanguages) {
    // Menu paths in the running text: "File → Save as Image . . ." and its
    // Chinese beside it, in brackets or after a comma. (The command table's
    // rows are checked above.)
    std::string text;
    {
        std::istringstream in(Readme());
        for (std::string line; std::getline(in, line);)
            if (line.rfind('|', 0) != 0)
                text += QString::fromStdString(line).trimmed().toStdString() + " ";
    }
    const QString step = QStringLiteral("[A-Z][\\w']*(?: [\\w']+)*(?: \\. \\. \\.)?");
    const QRegularExpression english(QStringLiteral("\\b[A-Z][a-z]+(?: \u2192 ") + step + QStringLiteral(")+"));
    const QRegularExpression chinese(QStringLiteral("^(?:\\*\\*)?(?: \\(|, )([^(),|]+?(?: \u2192 [^(),|]+?)+)[,)]"));
    const QString all = QString::fromStdString(text);
    std::vector<std::pair<std::string, std::string>> paths;
    for (QRegularExpressionMatchIterator it = english.globalMatch(all); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QRegularExpressionMatch zh = chinese.match(all.mid(m.capturedEnd()));
        EXPECT_TRUE(zh.hasMatch()) << "the README gives no Chinese for " << m.captured().toStdString();
        if (zh.hasMatch())
            paths.emplace_back(m.captured().toStdString(), zh.captured(1).trimmed().toStdString());
    }
    ASSERT_GE(paths.size(), 8u);
    std::map<std::string, std::string> reached; // English path -> the action's name
    for (bool inChinese : {false, true}) {
        UseChinese(inChinese);
        for (const auto& [en, zh] : paths) {
            QAction* a = Follow(inChinese ? zh : en);
            ASSERT_NE(a, nullptr) << "no menu path " << (inChinese ? zh : en);
            const std::string name = (a->menu() ? a->menu()->objectName() : a->objectName()).toStdString();
            if (!inChinese)
                reached[en] = name;
            else
                EXPECT_EQ(name, reached[en]) << en << " and " << zh << " are different items";
        }
    }
}

TEST_F(GettingStarted, TheFoldersOfTheReadmeAreMadeAndTheDialogsStartThere) {
    // "Where your files are kept": each folder it names is in the user folder
    // once the program has started, and the dialogs it names start there.
    const std::string readme = Readme();
    const std::size_t from = readme.find("### Where your files are kept");
    ASSERT_NE(from, std::string::npos);
    const std::size_t to = readme.find("\n#", from + 4);
    std::istringstream in(readme.substr(from, to - from));
    std::string item, line;
    std::vector<std::string> items;
    while (std::getline(in, line)) {
        if (line.rfind("- ", 0) == 0) {
            if (!item.empty())
                items.push_back(item);
            item = line;
        } else if (!item.empty()) {
            item += " " + QString::fromStdString(line).trimmed().toStdString();
        }
    }
    if (!item.empty())
        items.push_back(item);
    const fs::path user = TQUserFolder();
    auto startsIn = [](QFileDialog* d, const fs::path& folder) {
        return fs::equivalent(d->directory().absolutePath().toStdString(), folder);
    };
    int folders = 0, dialogs = 0;
    for (const std::string& it : items) {
        QRegularExpressionMatchIterator names =
            QRegularExpression(QStringLiteral("`([^`/]+)/`")).globalMatch(QString::fromStdString(it));
        std::vector<fs::path> named;
        while (names.hasNext())
            named.push_back(user / names.next().captured(1).toStdString());
        for (const fs::path& folder : named) {
            ++folders;
            EXPECT_TRUE(fs::is_directory(folder)) << folder << " was not made (" << it << ")";
        }
        if (named.empty() || !fs::is_directory(named.front()))
            continue;
        if (it.find("open and save dialogs start here") != std::string::npos) {
            ++dialogs;
            EXPECT_TRUE(startsIn(w->dlgOpen, named.front())) << w->dlgOpen->directory().absolutePath().toStdString();
            EXPECT_TRUE(startsIn(w->dlgSave, named.front())) << w->dlgSave->directory().absolutePath().toStdString();
        }
        if (it.find("picture dialogs start") != std::string::npos) {
            ++dialogs;
            EXPECT_TRUE(startsIn(w->dlgOpenPic, named.front()))
                << w->dlgOpenPic->directory().absolutePath().toStdString();
        }
    }
    EXPECT_GE(folders, 4);
    EXPECT_EQ(dialogs, 2);
}
