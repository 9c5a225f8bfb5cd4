// The book window, the print-book dialog and the score browser, offscreen:
// the list and its drawing rules, editing the book, reading and writing it,
// the print run from the dialog, and listing a folder.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "lang/modTQHistory.h"
#include "lang/modTQMainSettings.h"
#include "output/frmTQBook.h"
#include "output/frmTQBrowser.h"
#include "output/frmTQPrintBook.h"
#include "output/modTQBookFile.h"
#include "output/modTQPrint.h"
#include "platform/core/TQMessage.h"
#include "tests/output/TQBookScores.h"
#include "tests/render/TQViewFixture.h"

namespace fs = std::filesystem;

namespace {

// Hands everything to a sink the test keeps.
struct TForwardSink : TPrintSink {
    explicit TForwardSink(TPrintSink& to) : to_(to) {}
    bool Begin() override { return to_.Begin(); }
    int PageWidth() const override { return to_.PageWidth(); }
    int PageHeight() const override { return to_.PageHeight(); }
    void NewPage() override { to_.NewPage(); }
    void DrawImage(const QImage& image) override { to_.DrawImage(image); }
    TCanvas* PageCanvas() override { return to_.PageCanvas(); }
    bool End() override { return to_.End(); }
    TPrintSink& to_;
};

// A main window's score and settings, without the window.
struct TWindowParts : TMainView, TMainSettings {};

struct BookWindowTest : ::testing::Test {
    TViewFixture fx{12, 4};
    tqtest::TempDir tmp;
    fs::path dir = tmp / "books";
    std::vector<std::string> files;
    std::vector<int> asked;
    int answer = mrYes;
    void SetUp() override {
        fs::create_directories(dir);
        files = WriteBookScores(dir);
        ASSERT_EQ(files.size(), 4u);
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string&, TMsgKind) {
            asked.push_back(id);
            return answer;
        });
    }
    void TearDown() override { SetMessageByIdHandler(nullptr); }
    // A book window holding the four scores.
    std::unique_ptr<TfrmBook> Book() {
        auto book = std::make_unique<TfrmBook>();
        book->OnAskAddMusic = [this](const std::string&) { return files; };
        book->btnAddMusicClick();
        return book;
    }
};

TEST(BookCellLook, ColoursTextsAndLines) {
    std::vector<TMusic> musics(60);
    for (TMusic& m : musics) {
        m.Exists = true;
        m.PageCount = 1;
        m.Title = "t";
    }
    musics[0].PageCount = 2;   // starts at 1: odd start, not navy
    musics[1].PageCount = 2;   // starts at 3
    musics[2].PageCount = 2;   // starts at 5
    musics[3].Exists = false;  // missing
    musics[3].PageCount = 0;
    musics[4].Selected = true;
    struct Case {
        int row, col;
        std::string text;
        TColor colour;
        bool check, cross, line;
    };
    const TColor black = 0, red = 0x0000FF, navy = 0x800000;
    const std::vector<Case> cases = {
        {1, 0, "1", black, false, false, false},
        {1, 3, "1", black, false, false, false},
        {4, 3, "Not Exist", red, false, false, false},
        {4, 2, "", red, false, false, false},
        {4, 1, "t", red, true, false, false},
        {5, 1, "t", black, true, true, false},
        {24, 3, "26", black, false, false, true}, // 1 + 2 + 2 + 2 + 0 + 19 x 1
        {51, 3, "53", black, false, false, true},
        {25, 3, "27", black, false, false, false},
        {0, 1, "", black, false, false, false}, // the header row: nothing
        {61, 0, "", black, false, false, false},
    };
    for (const Case& c : cases) {
        const TBookCellLook look = BookCellLook(musics, c.row, c.col);
        EXPECT_EQ(look.Text, c.text) << c.row << "," << c.col;
        EXPECT_EQ(look.Color, c.colour) << c.row << "," << c.col;
        EXPECT_EQ(look.CheckBox, c.check) << c.row << "," << c.col;
        EXPECT_EQ(look.Checked, c.cross) << c.row << "," << c.col;
        EXPECT_EQ(look.RedLine, c.line) << c.row << "," << c.col;
    }
    // both start page and count even: navy
    std::vector<TMusic> even(2);
    even[0].Exists = even[1].Exists = true;
    even[0].PageCount = 1;
    even[1].PageCount = 2; // starts at 2
    EXPECT_EQ(BookCellLook(even, 2, 4).Color, navy);
    EXPECT_EQ(BookCellLook(even, 2, 1).Color, black) << "the title keeps its colour";
}

TEST_F(BookWindowTest, AddMoveRetitleDeleteAndTheList) {
    auto book = Book();
    ASSERT_EQ(book->Musics.size(), 4u);
    EXPECT_TRUE(book->BookModified);
    EXPECT_TRUE(book->btnSaveBook->isEnabled());
    EXPECT_EQ(book->grdBookMain->rowCount(), 4);
    EXPECT_EQ(book->grdBookMain->item(1, 3)->text(), QStringLiteral("4")); // 1 + 3 pages
    EXPECT_EQ(book->grdBookMain->item(3, 4)->text(), QStringLiteral("1"));
    EXPECT_EQ(book->Musics[0].Title, "s1") << "the file name stands for a score without title";

    book->SetCurrentRow(2);
    book->btnMoveUpClick();
    EXPECT_EQ(book->Musics[0].FileName, files[1]);
    EXPECT_EQ(book->CurrentRow(), 1);
    book->btnMoveUpClick(); // the first row stays
    EXPECT_EQ(book->Musics[0].FileName, files[1]);
    book->SetCurrentRow(4);
    book->btnMoveDownClick(); // the last row stays
    EXPECT_EQ(book->Musics[3].FileName, files[3]);

    // Retitling row 2 keeps its start page and the keep-title flag.
    book->SetCurrentRow(2);
    book->OnAskMusicTitle = [](const std::string&) { return std::optional<std::string>("  Spring  "); };
    book->ChangeMusicTitle();
    EXPECT_EQ(book->Musics[1].Title, "Spring");
    EXPECT_FALSE(book->Musics[1].KeepTitle);
    EXPECT_EQ(book->grdBookMain->item(1, 3)->text(), QStringLiteral("3"));

    // A click in the first 20 pixels of the title column checks the row.
    const int w0 = book->grdBookMain->columnWidth(0);
    book->grdBookMainMouseUp(3, w0 + 5);
    EXPECT_TRUE(book->Musics[2].Selected);
    book->grdBookMainMouseUp(3, w0 + 25);
    EXPECT_TRUE(book->Musics[2].Selected);
    book->grdBookMainMouseUp(3, w0 + 5);
    EXPECT_FALSE(book->Musics[2].Selected);

    book->SetCurrentRow(1);
    book->btnDeleteMusicClick();
    EXPECT_EQ(book->Musics.size(), 3u);
    EXPECT_TRUE(asked.empty()) << "no question when deleting";

    // A score that has gone: the relocation dialog points it elsewhere.
    book->SetCurrentRow(1);
    book->OnAskChangeDir = [&](const std::string&) { return (dir / "gone.mus").string(); };
    book->ChangeMusicLocation();
    EXPECT_FALSE(book->Musics[0].Exists);
    EXPECT_EQ(book->Musics[0].PageCount, 0);
}

TEST_F(BookWindowTest, WriteReadNewAndTheModifiedQuestion) {
    auto book = Book();
    book->edtBookTitle->setText(QStringLiteral("Songs"));
    book->OnAskSaveBook = [&](const std::string&) { return (dir / "mybook").string(); };
    book->btnSaveBookClick(); // no location yet: Save As, ".mbk" added
    const std::string path = (dir / "mybook.mbk").string();
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(book->BookLocation(), path);
    EXPECT_FALSE(book->BookModified);
    EXPECT_FALSE(book->btnSaveBook->isEnabled());

    auto other = std::make_unique<TfrmBook>();
    ASSERT_TRUE(other->ReadBook(path));
    EXPECT_EQ(other->edtBookTitle->text(), QStringLiteral("Songs"));
    ASSERT_EQ(other->Musics.size(), 4u);
    EXPECT_EQ(other->Musics[2].PageCount, 4);
    EXPECT_TRUE(other->Musics[2].Exists);
    EXPECT_TRUE(other->windowTitle().endsWith(QString::fromStdString(" - " + path)));

    // A modified book asks 1055 before another is read or a new one made; No
    // keeps it.
    other->btnMoveDownClick();
    ASSERT_TRUE(other->BookModified);
    answer = mrNo;
    EXPECT_FALSE(other->ReadBook(path));
    other->btnNewBookClick();
    EXPECT_EQ(asked, (std::vector<int>{1055, 1055}));
    EXPECT_EQ(other->Musics.size(), 4u);
    EXPECT_FALSE(other->FormCloseQuery());
    answer = mrYes;
    other->btnNewBookClick();
    EXPECT_TRUE(other->Musics.empty());
    EXPECT_EQ(other->grdBookMain->rowCount(), 1);
    EXPECT_FALSE(other->btnPrintBook->isEnabled());

    // A damaged file leaves the book as it was.
    const std::string bad = (dir / "bad.mbk").string();
    std::ofstream(bad) << "Not a book\n";
    asked.clear();
    EXPECT_FALSE(book->ReadBook(bad));
    EXPECT_EQ(asked, std::vector<int>{1045});
    EXPECT_EQ(book->Musics.size(), 4u);

    // The read book went to the recent books.
    ASSERT_GE(other->History->Count(), 1);
    EXPECT_EQ(other->History->GetFile(0), path);
}

TEST_F(BookWindowTest, PrintDialogRulesAndARunFromIt) {
    auto book = Book();
    book->Musics[1].Selected = book->Musics[3].Selected = true;
    TfrmPrintBook* d = book->PrintBookDialog();
    d->FormShow();
    EXPECT_EQ(d->nbkPrintBook->currentIndex(), 0);
    EXPECT_TRUE(d->btnPrint->isHidden());

    // Neither contents nor music: Next is disabled.
    d->chkTableContent->setChecked(false);
    d->chkIncludeMusic->setChecked(false);
    d->chkIncludeMusicClick();
    EXPECT_FALSE(d->btnNext->isEnabled());
    EXPECT_FALSE(d->chkTitleOnBottom->isEnabled());
    d->chkIncludeMusic->setChecked(true);
    d->chkIncludeMusicClick();
    EXPECT_TRUE(d->btnNext->isEnabled());

    // A two-side printer hides the side choice and resets it.
    d->rbtBackSide->setChecked(true);
    d->rbtTwoSides->setChecked(true);
    d->rgpPrinterTypeClick();
    EXPECT_TRUE(d->rgpPrintSide->isHidden());
    EXPECT_TRUE(d->rbtBothSides->isChecked());

    d->rbtSpecifiedPages->setChecked(true);
    d->rgpPrintMusicClick();
    EXPECT_FALSE(d->gbxStartPage->isHidden());
    d->rbtSelectedMusics->setChecked(true);
    d->rgpPrintMusicClick();
    EXPECT_TRUE(d->gbxStartPage->isHidden());
    d->btnNextClick();
    EXPECT_EQ(d->nbkPrintBook->currentIndex(), 1);
    EXPECT_FALSE(d->btnPrint->isHidden());

    // Print: the selected scores, one document; Cancel while printing only
    // asks to stop.
    TRecordingPrintSink* sink = nullptr;
    TRecordingPrintSink recorded(300, 400);
    book->MakePrintSink = [&]() -> std::unique_ptr<TPrintSink> {
        EXPECT_TRUE(book->Printing);
        EXPECT_FALSE(book->btnOpenBook->isEnabled());
        sink = &recorded;
        return std::make_unique<TForwardSink>(recorded);
    };
    d->btnPrintClick();
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(sink->Documents, 1);
    EXPECT_EQ(sink->Pages.size(), 3u); // 2 + 1 pages
    EXPECT_FALSE(book->Printing);
    EXPECT_EQ(d->prgPrintBook->value(), 1000);
    EXPECT_EQ(frmMainTQ, &fx.view);

    book->Printing = true;
    d->CancelPrintRequest = false;
    d->btnCancelClick();
    EXPECT_TRUE(d->CancelPrintRequest);
    EXPECT_FALSE(book->FormCloseQuery()) << "no closing while printing";
    book->Printing = false;
}

TEST_F(BookWindowTest, PrintBookToAPdfFileWritesTheWholeBookAsOneFile) {
    if (std::system("pdfinfo -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils is not installed";
    // Print Book -> Next -> Print with the PDF target, on the program's own
    // printer sink: one PDF file of every page of the book (3 + 2 + 4 + 1).
    auto book = Book();
    QPrinter printer(QPrinter::HighResolution);
    book->MakePrintSink = [&]() -> std::unique_ptr<TPrintSink> { return std::make_unique<TQPrinterSink>(printer); };
    TfrmPrintBook* d = book->PrintBookDialog();
    d->FormShow();
    d->chkTableContent->setChecked(false);
    d->chkPrintToPdf->setChecked(true); // with no printer installed it is already on, and fixed
    const std::string pdf = (tmp / "book").string(); // the extension is added
    d->OnAskPdfFile = [&] { return pdf; };
    d->btnNextClick();
    d->btnPrintClick();
    const std::string info = tqtest::CommandOutput("pdfinfo '" + pdf + ".pdf'");
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Pages:\s+10\n)"))) << info;
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(printer.outputFileName().isEmpty()) << "the next print goes to the printer again";

    // A PDF file that cannot be written says so and keeps the old file.
    std::ofstream(pdf + ".pdf", std::ios::trunc) << "old";
    {
        tqtest::FileSizeLimit full(64);
        d->btnPrintClick();
    }
    EXPECT_EQ(asked, (std::vector<int>{2701, 1043}));
    std::ifstream in(pdf + ".pdf");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "old");
}

TEST_F(BookWindowTest, ABookSaveSweepsTheTemporariesOfKilledSaves) {
    auto book = Book();
    const std::string path = (dir / "mybook.mbk").string();
    // what a save killed before its rename leaves beside the book
    const fs::path left = dir / ".mybook.mbk.Ab3dE9";
    std::ofstream(left.string()) << std::string(1000, 'x');
    const fs::path other = dir / ".mybook.mbk.notes"; // not a temporary of a save
    std::ofstream(other.string()) << "keep";
    book->OnAskSaveBook = [&](const std::string&) { return path; };
    book->btnSaveBookClick();
    ASSERT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(other));
}

TEST_F(BookWindowTest, BrowserListsScoresAndHandsBackItsFolder) {
    std::ofstream((dir / "a.mbk").string()) << "Music Book File Version\n";
    std::ofstream((dir / "notes.txt").string()) << "x";
    TWindowParts window;
    frmMainTQ = &window;
    TMainSettings* settings = MainSettings();
    ASSERT_NE(settings, nullptr);
    settings->CurFileFolder = (tmp / "elsewhere").string();
    fs::create_directories(tmp / "elsewhere");
    int rows = -1;
    QString pages;
    mitBrowserClick(nullptr, [&](TfrmBrowser& b) {
        b.OnSelectDirectory = [&](const std::string&) { return dir.string(); };
        b.btnEditClick();
        rows = b.grdBookMain->rowCount();
        pages = b.grdBookMain->item(2, 2)->text();
        return static_cast<int>(QDialog::Rejected); // Cancel
    });
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(pages, QStringLiteral("4"));
    EXPECT_EQ(settings->CurFileFolder, dir.string()) << "Cancel still hands back the folder";
    frmMainTQ = &fx.view;
}

} // namespace
