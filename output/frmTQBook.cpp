#include "output/frmTQBook.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QMimeData>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/modTQHistory.h"
#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQMainSettings.h"
#include "output/frmTQPrint.h"
#include "palettes/frmTQMusicTitle.h"
#include "output/frmTQPrintBook.h"
#include "model/modTQMainScore.h"
#include "output/modTQBookFile.h"
#include "output/modTQPrint.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

namespace {

constexpr int kBookModifiedQuestionId = 1055;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kNavy = 0x800000;

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
std::string Text(int id) { return Language ? Language->GetString(id) : std::string(); }

QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::string MusicFolder() {
    const TMainSettings* s = MainSettings();
    return s ? s->MusicFolder : std::string();
}

// Text typed by the user as bytes of a charset: the given one when it can hold
// the text, else the Chinese code page.
std::pair<std::string, int> EncodeTitle(const std::string& utf8, int charset) {
    if (auto bytes = EncodeFromUserInput(utf8, charset))
        return {*bytes, charset};
    if (auto bytes = EncodeFromUserInput(utf8, csGB2312))
        return {*bytes, csGB2312};
    return {std::string(), charset};
}

// A filter of the string table ("description|pattern|..." pairs) as the file
// dialog takes it: one entry per pair, its pattern in the description.
QString DialogFilter(int id) {
    const QStringList parts = Q(Text(id)).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1].trimmed();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i].split(QLatin1Char('(')).first().trimmed() + QStringLiteral(" (") + pattern +
                       QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

std::string DecodeTitle(const std::string& bytes, int charset) {
    return DecodeForDisplay(bytes, charset).value_or(bytes);
}

// Paints the list by the rules of BookCellLook.
class TBookDelegate : public QStyledItemDelegate {
public:
    explicit TBookDelegate(TfrmBook* book) : QStyledItemDelegate(book), book_(book) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int row = index.row() + 1; // the header row is the view's own
        const int col = index.column();
        if (book_->Musics.empty() || row > static_cast<int>(book_->Musics.size())) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        const TBookCellLook look = BookCellLook(book_->Musics, row, col);
        const QRect r = option.rect;
        p->save();
        if (option.state & QStyle::State_Selected)
            p->fillRect(r, option.palette.highlight().color().lighter(160));
        p->setClipRect(r);
        p->setPen(ToQColor(look.Color));
        if (look.CheckBox) {
            p->drawText(QRect(r.left() + 18, r.top() + 2, r.width() - 18, r.height() - 2),
                        Qt::AlignLeft | Qt::AlignTop, Q(look.Text));
            p->setPen(Qt::black);
            p->drawRect(QRect(QPoint(r.left() + 3, r.top() + 4), QPoint(r.left() + 14, r.top() + 15)));
            if (look.Checked) {
                p->drawLine(r.left() + 3, r.top() + 4, r.left() + 14, r.top() + 15);
                p->drawLine(r.left() + 3, r.top() + 14, r.left() + 14, r.top() + 3);
            }
        } else {
            p->drawText(QRect(r.left() + 3, r.top() + 2, r.width() - 3, r.height() - 2), Qt::AlignLeft | Qt::AlignTop,
                        Q(look.Text));
        }
        p->restore();
        if (look.RedLine) {
            p->save();
            p->setPen(Qt::red);
            const QWidget* viewport = option.widget;
            p->drawLine(0, r.bottom(), viewport ? viewport->width() : r.right(), r.bottom());
            p->restore();
        }
    }

private:
    TfrmBook* book_;
};

} // namespace

TBookCellLook BookCellLook(const std::vector<TMusic>& musics, int row, int col) {
    TBookCellLook look;
    if (row < 1 || row > static_cast<int>(musics.size()))
        return look;
    const std::vector<int> starts = BookStartPages(musics);
    const TMusic& m = musics[static_cast<std::size_t>(row - 1)];
    const int start = starts[static_cast<std::size_t>(row - 1)];
    if (!m.Exists)
        look.Color = kRed;
    switch (col) {
    case 0: look.Text = std::to_string(row); break;
    case 1:
        look.Text = DecodeTitle(m.Title, m.TitleCharset);
        look.CheckBox = true;
        look.Checked = m.Selected;
        return look;
    case 2: look.Text = m.FileName; break;
    case 3:
        look.RedLine = row == 24 || row == 51;
        if (!m.Exists) {
            look.Text = "Not Exist";
            return look;
        }
        look.Text = std::to_string(start);
        break;
    case 4: look.Text = std::to_string(m.PageCount); break;
    default: return look;
    }
    if (start % 2 == 0 && m.PageCount % 2 == 0)
        look.Color = kNavy;
    return look;
}

TfrmBook::TfrmBook(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmBook"));
    SetTag(this, 1200);
    setWindowTitle(QStringLiteral("Music Book"));
    resize(760, 520);
    // Escape closes the window as it closes the program's dialogs.
    CloseOnEscape(this);

    auto* titleLabel = new QLabel(QStringLiteral("Book title:"), this);
    SetTag(titleLabel, 1215);
    edtBookTitle = new QLineEdit(this);
    edtBookTitle->setObjectName(QStringLiteral("edtBookTitle"));
    auto* titlePageLabel = new QLabel(QStringLiteral("Title page:"), this);
    SetTag(titlePageLabel, 1216);
    edtTitlePage = new QLineEdit(this);
    edtTitlePage->setObjectName(QStringLiteral("edtTitlePage"));
    lblBookLocation = new QLabel(this);
    lblBookLocation->setObjectName(QStringLiteral("lblBookLocation"));

    grdBookMain = new QTableWidget(1, 5, this);
    grdBookMain->setObjectName(QStringLiteral("grdBookMain"));
    grdBookMain->verticalHeader()->setVisible(false);
    grdBookMain->verticalHeader()->setDefaultSectionSize(20);
    grdBookMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBookMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBookMain->setSelectionMode(QAbstractItemView::SingleSelection);
    grdBookMain->setItemDelegate(new TBookDelegate(this));
    grdBookMain->setColumnWidth(0, 42);
    grdBookMain->viewport()->installEventFilter(this);
    grdBookMain->installEventFilter(this);

    const auto button = [this](const char* name, const char* text, int tag) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        SetTag(b, tag);
        return b;
    };
    btnNewBook = button("btnNewBook", "New Book", 1201);
    btnOpenBook = new QToolButton(this);
    btnOpenBook->setObjectName(QStringLiteral("btnOpenBook"));
    btnOpenBook->setText(QStringLiteral("Open Book"));
    SetTag(btnOpenBook, 1202);
    munHistFile = new QMenu(btnOpenBook);
    btnOpenBook->setMenu(munHistFile);
    btnOpenBook->setPopupMode(QToolButton::MenuButtonPopup);
    btnSaveBook = button("btnSaveBook", "Save Book", 1203);
    btnSaveBookAs = button("btnSaveBookAs", "Save Book As", 1204);
    btnPrintBook = button("btnPrintBook", "Print Book", 1205);
    btnOpenMusic = button("btnOpenMusic", "Open Music", 1206);
    btnAddMusic = button("btnAddMusic", "Add Music", 1207);
    btnDeleteMusic = button("btnDeleteMusic", "Delete Music", 1208);
    btnMoveUp = button("btnMoveUp", "Move Up", 1209);
    btnMoveDown = button("btnMoveDown", "Move Down", 1210);
    btnChangeTitle = button("btnChangeTitle", "Change Title", 1211);
    btnChangeLocation = button("btnChangeLocation", "Change Location", 1212);
    btnAddTitlePage = button("btnAddTitlePage", "...", 1213);

    auto* top = new QHBoxLayout;
    top->addWidget(titleLabel);
    top->addWidget(edtBookTitle, 1);
    top->addWidget(titlePageLabel);
    top->addWidget(edtTitlePage, 1);
    top->addWidget(btnAddTitlePage);
    auto* files = new QHBoxLayout;
    files->addWidget(btnNewBook);
    files->addWidget(btnOpenBook);
    files->addWidget(btnSaveBook);
    files->addWidget(btnSaveBookAs);
    files->addWidget(btnPrintBook);
    files->addStretch(1);
    auto* entries = new QHBoxLayout;
    for (QPushButton* b : {btnOpenMusic, btnAddMusic, btnDeleteMusic, btnMoveUp, btnMoveDown, btnChangeTitle,
                           btnChangeLocation})
        entries->addWidget(b);
    entries->addStretch(1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(files);
    all->addWidget(lblBookLocation);
    all->addWidget(grdBookMain, 1);
    all->addLayout(entries);

    connect(btnNewBook, &QPushButton::clicked, this, [this] { btnNewBookClick(); });
    connect(btnOpenBook, &QToolButton::clicked, this, [this] { btnOpenBookClick(); });
    connect(btnSaveBook, &QPushButton::clicked, this, [this] { btnSaveBookClick(); });
    connect(btnSaveBookAs, &QPushButton::clicked, this, [this] { btnSaveBookAsClick(); });
    connect(btnPrintBook, &QPushButton::clicked, this, [this] { btnPrintBookClick(); });
    connect(btnOpenMusic, &QPushButton::clicked, this, [this] { btnOpenMusicClick(); });
    connect(btnAddMusic, &QPushButton::clicked, this, [this] { btnAddMusicClick(); });
    connect(btnDeleteMusic, &QPushButton::clicked, this, [this] { btnDeleteMusicClick(); });
    connect(btnMoveUp, &QPushButton::clicked, this, [this] { btnMoveUpClick(); });
    connect(btnMoveDown, &QPushButton::clicked, this, [this] { btnMoveDownClick(); });
    connect(btnChangeTitle, &QPushButton::clicked, this, [this] { ChangeMusicTitle(); });
    connect(btnChangeLocation, &QPushButton::clicked, this, [this] { ChangeMusicLocation(); });
    connect(btnAddTitlePage, &QPushButton::clicked, this, [this] { btnAddTitlePageClick(); });
    connect(edtBookTitle, &QLineEdit::textEdited, this, [this] { SetBookModified(true); });
    connect(grdBookMain, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) { grdBookMainDblClick(r + 1, c); });

    // The file choosers; tests replace them.
    const auto openOne = [this](int tag, bool save) {
        return [this, tag, save](const std::string& start) {
            QFileDialog d(this, Q(Text(tag)), Q(start));
            d.setNameFilter(DialogFilter(tag + 1));
            if (save) {
                d.setAcceptMode(QFileDialog::AcceptSave);
                d.setOption(QFileDialog::DontConfirmOverwrite, true);
            } else {
                d.setFileMode(QFileDialog::ExistingFile);
            }
            if (Language)
                Language->LocaliseFileDialog(&d, save);
            if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
                return std::string();
            if (save && Language && !Language->ConfirmOverwrite(&d))
                return std::string();
            return S(d.selectedFiles().front());
        };
    };
    OnAskOpenBook = openOne(1225, false);
    OnAskSaveBook = openOne(1227, true);
    OnAskChangeDir = openOne(1223, false);
    OnAskTitlePage = openOne(1231, false);
    OnAskAddMusic = [this](const std::string& start) {
        QFileDialog d(this, Q(Text(1229)), Q(start));
        d.setFileMode(QFileDialog::ExistingFiles);
        d.setNameFilter(DialogFilter(1230));
        if (Language)
            Language->LocaliseFileDialog(&d, false);
        std::vector<std::string> files;
        if (d.exec() == QDialog::Accepted)
            for (const QString& f : d.selectedFiles())
                files.push_back(S(f));
        return files;
    };
    OnAskMusicTitle = [this](const std::string& title) -> std::optional<std::string> {
        std::string text = title;
        if (!AskMusicTitle(this, text))
            return std::nullopt;
        return text;
    };
    MakePrintSink = []() -> std::unique_ptr<TPrintSink> { return std::make_unique<TQPrinterSink>(MainPrinter()); };

    const TMainSettings* s = MainSettings();
    History = std::make_unique<THistory>(s ? s->HistoryFileNo : 6, "TQBookHistory");
    History->OnChanged = [this] { ShowHistory(); };
    ShowHistory();
    SetBookModified(false);
    ResetDialogFolders();
    FillGrid(0, 1);
    btnSaveBookAs->setEnabled(false);
}

TfrmBook::~TfrmBook() = default;

void TfrmBook::ShowHistory() {
    munHistFile->clear();
    for (int i = 0; i < History->Capacity(); ++i) {
        if (!History->EntryVisible(i))
            continue;
        const std::string caption = History->Caption(i);
        munHistFile->addAction(Q(caption), this, [this, caption] { OpenBookFromHistoryItem(caption); });
    }
}

void TfrmBook::ResetDialogFolders() { DialogFolder = MusicFolder(); }

std::string TfrmBook::BookLocation() const { return S(lblBookLocation->text()); }

void TfrmBook::SetBookModified(bool modified) {
    BookModified = modified;
    btnSaveBook->setEnabled(modified);
}

void TfrmBook::AddMusicFile(const std::string& path, TMainView& holder) {
    if (!FileExists(path))
        return;
    TMusic m;
    m.FileName = path;
    RefreshMusic(m, holder);
    Musics.push_back(m);
    SetBookModified(true);
}

void TfrmBook::FillGrid(int first, int last) {
    const int count = static_cast<int>(Musics.size());
    const bool any = count > 0;
    if (!any) {
        grdBookMain->setRowCount(1);
        for (int c = 0; c < 5; ++c)
            grdBookMain->setItem(0, c, new QTableWidgetItem(QString()));
    } else {
        if (last == -1 || last > count)
            last = count;
        grdBookMain->setRowCount(count);
        const std::vector<int> starts = BookStartPages(Musics);
        for (int i = std::max(0, first); i < last; ++i) {
            const TMusic& m = Musics[static_cast<std::size_t>(i)];
            grdBookMain->setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
            grdBookMain->setItem(i, 1, new QTableWidgetItem(Q(DecodeTitle(m.Title, m.TitleCharset))));
            grdBookMain->setItem(i, 2, new QTableWidgetItem(Q(m.FileName)));
            grdBookMain->setItem(i, 3, new QTableWidgetItem(QString::number(starts[static_cast<std::size_t>(i)])));
            grdBookMain->setItem(i, 4, new QTableWidgetItem(QString::number(m.PageCount)));
        }
    }
    for (QPushButton* b : {btnSaveBook, btnPrintBook, btnDeleteMusic, btnMoveUp, btnMoveDown, btnChangeTitle,
                           btnChangeLocation})
        b->setEnabled(any && (b != btnSaveBook || BookModified));
    grdBookMain->viewport()->update();
}

int TfrmBook::CurrentRow() const {
    if (Musics.empty())
        return 0;
    const int r = grdBookMain->currentRow();
    return r < 0 ? 1 : std::min(r + 1, static_cast<int>(Musics.size()));
}

void TfrmBook::SetCurrentRow(int row) {
    if (row >= 1 && row <= static_cast<int>(Musics.size()))
        grdBookMain->setCurrentCell(row - 1, std::max(0, grdBookMain->currentColumn()));
}

void TfrmBook::ChangeMusicTitle() {
    const int row = CurrentRow();
    if (row == 0 || !OnAskMusicTitle)
        return;
    TMusic& m = Musics[static_cast<std::size_t>(row - 1)];
    const auto answer = OnAskMusicTitle(DecodeTitle(m.Title, m.TitleCharset));
    if (!answer)
        return;
    const std::string trimmed = S(Q(*answer).trimmed());
    if (!trimmed.empty()) {
        auto [bytes, charset] = EncodeTitle(trimmed, m.TitleCharset);
        if (!bytes.empty()) {
            m.Title = bytes;
            m.TitleCharset = charset;
        }
        FillGrid(row - 1, row);
    }
    SetBookModified(true);
}

void TfrmBook::ChangeMusicLocation() {
    const int row = CurrentRow();
    if (row == 0 || !OnAskChangeDir)
        return;
    TMusic& m = Musics[static_cast<std::size_t>(row - 1)];
    const std::string chosen = OnAskChangeDir(m.FileName);
    if (chosen.empty())
        return;
    m.FileName = chosen;
    {
        TMainView holder;
        RefreshMusic(m, holder);
    }
    FillGrid(0, -1);
    SetBookModified(true);
}

bool TfrmBook::WriteBook(const std::string& path) {
    TBook book;
    auto [title, charset] = EncodeTitle(S(edtBookTitle->text()), BookTitleCharset);
    book.Title = title;
    book.TitleCharset = charset;
    book.TitlePage = S(edtTitlePage->text());
    book.Musics = Musics;
    if (!WriteBookFile(path, book))
        return false;
    lblBookLocation->setText(Q(path));
    if (path != "Untitled" && History)
        History->AddFile(path);
    SetBookModified(false);
    return true;
}

bool TfrmBook::ReadBook(const std::string& path) {
    if (BookModified && MessageById(mbYesNoCancel, kBookModifiedQuestionId, "", mkWarning) != mrYes)
        return false;
    TBook book;
    if (ReadBookFile(path, book) != 0)
        return false;
    {
        TMainView holder;
        for (TMusic& m : book.Musics)
            RefreshMusic(m, holder);
    }
    lblBookLocation->setText(Q(path));
    BookTitleCharset = book.TitleCharset;
    edtBookTitle->setText(Q(DecodeTitle(book.Title, book.TitleCharset)));
    if (book.TitleCharset == csGB2312 && frmMainTQ) {
        // the main window's Chinese font
        QFont f = edtBookTitle->font();
        f.setFamily(Q(DecodeTitle(frmMainTQ->ChineseFontName, frmMainTQ->ChineseFontCharset)));
        edtBookTitle->setFont(f);
    }
    edtTitlePage->setText(Q(book.TitlePage));
    Musics = std::move(book.Musics);
    FillGrid(0, -1);
    if (path != "Untitled" && History)
        History->AddFile(path);
    SetBookModified(false);
    btnSaveBookAs->setEnabled(true);
    FormResize();
    setWindowTitle(Q(Text(1200)) + QStringLiteral(" - ") + Q(path));
    return true;
}

void TfrmBook::OpenBookFromHistoryItem(const std::string& caption) {
    const std::string path = HistoryCaptionPath(caption);
    if (FileExists(path))
        ReadBook(path);
}

void TfrmBook::FormResize() {
    const int w = width();
    const int u = (w - 200) / 3;
    const int visibleRows = grdBookMain->viewport()->height() / std::max(1, grdBookMain->verticalHeader()->defaultSectionSize());
    const int s = visibleRows < grdBookMain->rowCount() ? 25 : 0;
    grdBookMain->setColumnWidth(1, std::max(20, u));
    grdBookMain->setColumnWidth(2, std::max(20, 2 * u));
    grdBookMain->setColumnWidth(3, 70);
    grdBookMain->setColumnWidth(4, std::max(20, w - 3 * u - 130 - s));
}

void TfrmBook::btnNewBookClick() {
    if (BookModified && MessageById(mbYesNoCancel, kBookModifiedQuestionId, "", mkWarning) != mrYes)
        return;
    edtBookTitle->clear();
    BookTitleCharset = 0;
    edtTitlePage->clear();
    lblBookLocation->clear();
    Musics.clear();
    FillGrid(0, 1);
    SetBookModified(false);
    btnSaveBookAs->setEnabled(false);
    FormResize();
}

void TfrmBook::btnOpenBookClick() {
    const std::string start = BookLocation().empty() ? DialogFolder : BookLocation();
    const std::string chosen = OnAskOpenBook ? OnAskOpenBook(start) : std::string();
    if (!chosen.empty())
        ReadBook(chosen);
}

void TfrmBook::btnSaveBookClick() {
    if (!BookLocation().empty())
        WriteBook(BookLocation());
    else
        btnSaveBookAsClick();
}

void TfrmBook::btnSaveBookAsClick() {
    const std::string start = BookLocation().empty() ? DialogFolder : BookLocation();
    const std::string chosen = OnAskSaveBook ? OnAskSaveBook(start) : std::string();
    if (!chosen.empty())
        WriteBook(BookFileNameWithExtension(chosen));
}

TfrmPrintBook* TfrmBook::PrintBookDialog() {
    if (!printBook_) {
        printBook_ = new TfrmPrintBook(this);
        printBook_->OnPrintBook = [this](TfrmPrintBook& d) { PrintBookRun(d); };
        printBook_->IsPrinting = [this] { return Printing; };
    }
    return printBook_;
}

void TfrmBook::btnPrintBookClick() {
    TfrmPrintBook* d = PrintBookDialog();
    const std::string titlePage = S(edtTitlePage->text());
    d->chkIncTitlePage->setChecked(!titlePage.empty() && FileExists(titlePage));
    d->exec();
}

void TfrmBook::PrintBookRun(TfrmPrintBook& dialog) {
    Printing = true;
    btnOpenBook->setEnabled(false);
    TBookPrintOptions options = dialog.Options();
    options.CurrentRow = CurrentRow();
    TBookPrintRun run;
    run.InColor = dialog.InColor();
    run.TitleOnBottom = dialog.TitleOnBottom();
    run.FileNameOnTop = dialog.FileNameOnTop();
    run.Cancelled = [&dialog] {
        QApplication::processEvents();
        return dialog.CancelPrintRequest;
    };
    run.Progress = [&dialog](int value) { dialog.prgPrintBook->setValue(value); };
    std::unique_ptr<TPrintSink> sink = MakePrintSink ? MakePrintSink() : nullptr;
    // Into one PDF file when asked (always with no printer installed).
    const bool toPdf = sink && sink->CanPrintToFile() && dialog.chkPrintToPdf->isChecked();
    const std::string pdf = toPdf ? AskPdfTarget(dialog.OnAskPdfFile) : std::string();
    if (sink && (!toPdf || !pdf.empty())) {
        const TMainView* view = MainView();
        if (toPdf)
            sink->SetPdfTarget(pdf, view ? view->PaperWidth : 0.0, view ? view->PaperHeight : 0.0);
        const int printed = PrintBook(Musics, options, run, *sink);
        if (toPdf) {
            sink->SetPdfTarget(std::string(), 0.0, 0.0); // the printer again for the next run
            if (printed <= 0 && !dialog.CancelPrintRequest)
                MessageById(mbOK, 1043, "\n" + pdf, mkError);
        }
    }
    btnOpenBook->setEnabled(true);
    Printing = false;
}

void TfrmBook::btnOpenMusicClick() {
    const int row = CurrentRow();
    if (row == 0)
        return;
    const std::string file = Musics[static_cast<std::size_t>(row - 1)].FileName;
    if (FileExists(file) && MainView())
        MainView()->OpenFromPath(file);
}

void TfrmBook::btnAddMusicClick() {
    const std::vector<std::string> files = OnAskAddMusic ? OnAskAddMusic(DialogFolder) : std::vector<std::string>{};
    if (files.empty())
        return;
    {
        TMainView holder;
        for (const std::string& f : files)
            AddMusicFile(f, holder);
    }
    FillGrid(0, -1);
    btnSaveBookAs->setEnabled(true);
    FormResize();
}

void TfrmBook::btnDeleteMusicClick() {
    const int row = CurrentRow();
    if (row == 0)
        return;
    Musics.erase(Musics.begin() + (row - 1));
    SetBookModified(true);
    FillGrid(0, -1);
    FormResize();
}

void TfrmBook::btnMoveUpClick() {
    const int row = CurrentRow();
    if (row < 2)
        return;
    std::swap(Musics[static_cast<std::size_t>(row - 1)], Musics[static_cast<std::size_t>(row - 2)]);
    SetBookModified(true);
    FillGrid(0, -1);
    SetCurrentRow(row - 1);
}

void TfrmBook::btnMoveDownClick() {
    const int row = CurrentRow();
    if (row == 0 || row >= static_cast<int>(Musics.size()))
        return;
    std::swap(Musics[static_cast<std::size_t>(row - 1)], Musics[static_cast<std::size_t>(row)]);
    SetBookModified(true);
    FillGrid(0, -1);
    SetCurrentRow(row + 1);
}

void TfrmBook::btnAddTitlePageClick() {
    const std::string chosen = OnAskTitlePage ? OnAskTitlePage(DialogFolder) : std::string();
    if (chosen.empty())
        return;
    SetBookModified(true);
    edtTitlePage->setText(Q(chosen));
}

void TfrmBook::grdBookMainDblClick(int row, int col) {
    JustDblClicked = true;
    SetCurrentRow(row);
    switch (col) {
    case 1: ChangeMusicTitle(); break;
    case 2: ChangeMusicLocation(); break;
    case 3: btnOpenMusicClick(); break;
    default: break;
    }
}

void TfrmBook::grdBookMainMouseUp(int row, int x) {
    const int w0 = grdBookMain->columnWidth(0);
    if (row < 1 || row > static_cast<int>(Musics.size()) || x <= w0 || x >= w0 + 20)
        return;
    TMusic& m = Musics[static_cast<std::size_t>(row - 1)];
    m.Selected = !m.Selected;
    grdBookMain->viewport()->update();
}

bool TfrmBook::FormCloseQuery() {
    if (Printing)
        return false;
    if (BookModified && MessageById(mbYesNoCancel, kBookModifiedQuestionId, "", mkWarning) != mrYes)
        return false;
    return true;
}

void TfrmBook::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    grdBookMain->setHorizontalHeaderLabels({Q(Text(1218)), Q(Text(1219)), Q(Text(1220)), Q(Text(1221)), Q(Text(1222))});
    if (Language)
        Language->SetLanguage(this);
    FormResize();
}

void TfrmBook::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Coming to the front ends text entry in the main window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        if (TMainView* mv = MainView(); mv && mv->OnEndTextEntry)
            mv->OnEndTextEntry();
}

void TfrmBook::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmBook::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TfrmBook::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grdBookMain->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            JustDblClicked = false;
            const auto* e = static_cast<QMouseEvent*>(event);
            pressPos_ = e->position().toPoint();
            pressRow_ = e->button() == Qt::LeftButton ? grdBookMain->rowAt(pressPos_.y()) : -1;
        }
        if (event->type() == QEvent::MouseMove && pressRow_ >= 0 &&
            pressRow_ < static_cast<int>(Musics.size())) {
            const auto* e = static_cast<QMouseEvent*>(event);
            if ((e->buttons() & Qt::LeftButton) &&
                (e->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
                const std::string file = Musics[static_cast<std::size_t>(pressRow_)].FileName;
                pressRow_ = -1;
                if (FileExists(file)) {
                    auto* drag = new QDrag(this);
                    auto* mime = new QMimeData;
                    mime->setData(QString::fromLatin1(kBookEntryMimeType), QByteArray::fromStdString(file));
                    drag->setMimeData(mime);
                    drag->exec(Qt::CopyAction);
                    return true;
                }
            }
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* e = static_cast<QMouseEvent*>(event);
            const int row = grdBookMain->rowAt(e->position().toPoint().y());
            if (row >= 0)
                grdBookMainMouseUp(row + 1, e->position().toPoint().x());
        }
    } else if (watched == grdBookMain && event->type() == QEvent::KeyPress) {
        const auto* e = static_cast<QKeyEvent*>(event);
        if (e->key() == Qt::Key_Insert) {
            btnAddMusicClick();
            return true;
        }
        if (e->key() == Qt::Key_Delete) {
            btnDeleteMusicClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

namespace {
QPointer<TfrmBook>& TheBookWindow() {
    static QPointer<TfrmBook> book;
    return book;
}
} // namespace

TfrmBook& BookWindow(QWidget* parent) {
    QPointer<TfrmBook>& book = TheBookWindow();
    if (!book)
        book = new TfrmBook(parent);
    return *book;
}

TfrmBook* ExistingBookWindow() { return TheBookWindow().data(); }

void mitBookClick(QWidget* parent) {
    TfrmBook& book = BookWindow(parent);
    book.show();
    book.raise();
    book.activateWindow();
}
