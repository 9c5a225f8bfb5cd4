#pragma once
// The book window: an ordered list of scores printed together with running
// page numbers, kept in a ".mbk" file. It lists each score's title, file,
// first book page and page count, opens listed scores in the main window and
// starts book printing. Titles and page counts come from loading each score
// into a score holder that is never shown.
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "output/modTQBookPrint.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQMainView.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QToolButton;
class THistory;
class TfrmPrintBook;

// A book row dragged onto the main window's page carries its score's path
// under this type.
inline constexpr const char* kBookEntryMimeType = "application/x-tonquill-book-row";

// How one cell of the book list is drawn.
struct TBookCellLook {
    std::string Text;
    TColor Color = 0;      // font colour
    bool CheckBox = false; // the check square left of the title
    bool Checked = false;  // a cross in it
    bool RedLine = false;  // a red line across the grid at the row's bottom
};
// Row from 1 (row 0 is the header), column 0..4; the rules of the list: a
// missing score's row is red, its start page "Not Exist"; cells of a row whose
// start page and page count are both even are navy; rows 24 and 51 carry a
// red line under them.
TBookCellLook BookCellLook(const std::vector<TMusic>& musics, int row, int col);

class TfrmBook : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBook(QWidget* parent = nullptr);
    ~TfrmBook() override;

    // --- the book ---
    std::vector<TMusic> Musics;
    bool BookModified = false;
    bool Printing = false;
    bool JustDblClicked = false;
    std::unique_ptr<THistory> History; // recent books

    // --- controls ---
    QLineEdit *edtBookTitle = nullptr, *edtTitlePage = nullptr;
    QLabel* lblBookLocation = nullptr;
    QTableWidget* grdBookMain = nullptr;
    QToolButton* btnOpenBook = nullptr;
    QMenu* munHistFile = nullptr;
    QPushButton *btnNewBook = nullptr, *btnSaveBook = nullptr, *btnSaveBookAs = nullptr,
                *btnPrintBook = nullptr, *btnOpenMusic = nullptr, *btnAddMusic = nullptr,
                *btnDeleteMusic = nullptr, *btnMoveUp = nullptr, *btnMoveDown = nullptr,
                *btnChangeTitle = nullptr, *btnChangeLocation = nullptr, *btnAddTitlePage = nullptr;
    int BookTitleCharset = 0;

    // --- questions the window asks; tests answer them ---
    std::function<std::string(const std::string& start)> OnAskOpenBook;
    std::function<std::string(const std::string& start)> OnAskSaveBook;
    std::function<std::vector<std::string>(const std::string& start)> OnAskAddMusic;
    std::function<std::string(const std::string& start)> OnAskChangeDir;
    std::function<std::string(const std::string& start)> OnAskTitlePage;
    // The retitle dialog: the new title (UTF-8), nullopt when cancelled.
    std::function<std::optional<std::string>(const std::string& title)> OnAskMusicTitle;
    // Where a print run sends its pages (the main printer by default).
    std::function<std::unique_ptr<TPrintSink>()> MakePrintSink;

    // --- operations ---
    // The file choosers start in the music folder (unless a book is located).
    void ResetDialogFolders();
    std::string DialogFolder;
    void SetBookModified(bool modified);
    // Appends an existing file as an entry, refreshed through holder.
    void AddMusicFile(const std::string& path, TMainView& holder);
    void FillGrid(int first, int last);
    // 1-based current row of the list (0 when the book is empty).
    int CurrentRow() const;
    void SetCurrentRow(int row);
    void ChangeMusicTitle();
    void ChangeMusicLocation();
    // False when the file could not be written (1043 shown).
    bool WriteBook(const std::string& path);
    // False when stopped by the question 1055 or on an error (1044 / 1045
    // shown); the book is then unchanged.
    bool ReadBook(const std::string& path);
    void OpenBookFromHistoryItem(const std::string& caption);
    std::string BookLocation() const;

    // --- handlers ---
    void FormResize();
    void btnNewBookClick();
    void btnOpenBookClick();
    void btnSaveBookClick();
    void btnSaveBookAsClick();
    void btnPrintBookClick();
    void btnOpenMusicClick();
    void btnAddMusicClick();
    void btnDeleteMusicClick();
    void btnMoveUpClick();
    void btnMoveDownClick();
    void btnAddTitlePageClick();
    void grdBookMainDblClick(int row, int col);
    // A release in the first 20 pixels of the title column toggles the row's check.
    void grdBookMainMouseUp(int row, int x);
    // May the window hide? Refused while printing; a modified book asks 1055.
    bool FormCloseQuery();

    // The print-book dialog's run (its Print button): prints with its choices.
    void PrintBookRun(TfrmPrintBook& dialog);
    TfrmPrintBook* PrintBookDialog();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowHistory();
    TfrmPrintBook* printBook_ = nullptr;
    QPoint pressPos_;
    int pressRow_ = -1;
};

// The main window's book window (made hidden on first use).
TfrmBook& BookWindow(QWidget* parent = nullptr);
// The book window when it has been made; nullptr otherwise.
TfrmBook* ExistingBookWindow();
// The main window's Book command: shows the window.
void mitBookClick(QWidget* parent);
