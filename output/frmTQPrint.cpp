#include "output/frmTQPrint.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>

#include "lang/modTQLanguage.h"
#include "lang/modTQMainSettings.h"
#include "lang/modTQPref.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"
#include <QFont>
#include "render/modTQMainView.h"

namespace {

constexpr const char* kPrintSection = "Print";

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

void MakePdfTargetControls(QWidget* parent, QCheckBox*& check, QLabel*& noPrinter) {
    check = new QCheckBox(QStringLiteral("Print to a PDF file"), parent);
    check->setObjectName(QStringLiteral("chkPrintToPdf"));
    SetTag(check, 2225);
    noPrinter = new QLabel(QStringLiteral("No printer is installed: the pages can be printed to a PDF file."), parent);
    noPrinter->setObjectName(QStringLiteral("lblNoPrinter"));
    noPrinter->setWordWrap(true);
    SetTag(noPrinter, 2226);
    noPrinter->hide();
}

void ShowPdfTargetState(QCheckBox* check, QLabel* noPrinter, QPushButton* printSetup) {
    const bool none = QPrinterInfo::availablePrinterNames().isEmpty();
    if (none)
        check->setChecked(true);
    check->setEnabled(!none);
    noPrinter->setVisible(none);
    printSetup->setEnabled(!none);
}

std::string AskPdfFileName(QWidget* parent) {
    const std::string title = Language ? Language->GetString(2225) : std::string();
    return QFileDialog::getSaveFileName(parent, title.empty() ? QStringLiteral("Print to a PDF file") : Q(title),
                                        QString(), QStringLiteral("PDF Files (*.pdf)"), nullptr,
                                        QFileDialog::DontConfirmOverwrite)
        .toStdString();
}

TfrmPrint::TfrmPrint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrint"));
    SetTag(this, 2213);
    setWindowTitle(QStringLiteral("Print"));

    rgpPrintPage = new QGroupBox(QStringLiteral("Print"), this);
    rgpPrintPage->setObjectName(QStringLiteral("rgpPrintPage"));
    rgpPrintPage->setProperty("RadioGroup", true);
    SetTag(rgpPrintPage, 2101);
    rbtAllPages = new QRadioButton(QStringLiteral("All Pages"), rgpPrintPage);
    rbtCurrentPage = new QRadioButton(QStringLiteral("Current Page Only"), rgpPrintPage);
    rbtAllPages->setChecked(true);
    auto* pageBox = new QVBoxLayout(rgpPrintPage);
    pageBox->addWidget(rbtAllPages);
    pageBox->addWidget(rbtCurrentPage);

    lblNoCopies = new QLabel(QStringLiteral("Copies"), this);
    SetTag(lblNoCopies, 2110);
    spnPrintCopies = new QSpinBox(this);
    spnPrintCopies->setObjectName(QStringLiteral("spnPrintCopies"));
    spnPrintCopies->setRange(1, 500);
    spnPrintCopies->setValue(1);

    chkGrid = new QCheckBox(QStringLiteral("Print Grid"), this);
    SetTag(chkGrid, 2104);
    cbxPrintInColor = new QCheckBox(QStringLiteral("Print in Color"), this);
    SetTag(cbxPrintInColor, 2224);

    lblHeadFoot = new QLabel(QStringLiteral("Header and Footer"), this);
    SetTag(lblHeadFoot, 2105);
    chkIncludePageN = new QCheckBox(QStringLiteral("Include Page Number"), this);
    SetTag(chkIncludePageN, 2106);
    chkIncludePageN->setChecked(true);
    lblPageStart = new QLabel(QStringLiteral("Start"), this);
    SetTag(lblPageStart, 2108);
    spnPageN = new QSpinBox(this);
    spnPageN->setObjectName(QStringLiteral("spnPageN"));
    spnPageN->setRange(1, 1000);
    spnPageN->setValue(1);
    chkIncludeTitle = new QCheckBox(QStringLiteral("Include Music Title"), this);
    SetTag(chkIncludeTitle, 2107);
    chkIncludeTitle->setChecked(true);
    edtTitle = new QLineEdit(this);
    edtTitle->setObjectName(QStringLiteral("edtTitle"));
    chkIncludeFileName = new QCheckBox(QStringLiteral("Include File Name"), this);
    SetTag(chkIncludeFileName, 2211);
    chkIncludeFileName->setChecked(false);

    MakePdfTargetControls(this, chkPrintToPdf, lblNoPrinter);

    OnAskPdfFile = [this] { return AskPdfFileName(this); };

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    SetTag(btnOk, 1009);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnCancel, 1010);
    btnPrintSetup = new QPushButton(QStringLiteral("Printer Setup"), this);
    SetTag(btnPrintSetup, 2109);

    auto* grid = new QGridLayout(this);
    grid->addWidget(rgpPrintPage, 0, 0, 2, 1);
    auto* copies = new QHBoxLayout;
    copies->addWidget(lblNoCopies);
    copies->addWidget(spnPrintCopies);
    grid->addLayout(copies, 0, 1);
    grid->addWidget(chkGrid, 1, 1);
    grid->addWidget(cbxPrintInColor, 2, 1);
    grid->addWidget(lblHeadFoot, 3, 0, 1, 2);
    auto* pageN = new QHBoxLayout;
    pageN->addWidget(chkIncludePageN);
    pageN->addWidget(lblPageStart);
    pageN->addWidget(spnPageN);
    grid->addLayout(pageN, 4, 0, 1, 2);
    auto* title = new QHBoxLayout;
    title->addWidget(chkIncludeTitle);
    title->addWidget(edtTitle, 1);
    grid->addLayout(title, 5, 0, 1, 2);
    grid->addWidget(chkIncludeFileName, 6, 0, 1, 2);
    grid->addWidget(chkPrintToPdf, 7, 0, 1, 2);
    grid->addWidget(lblNoPrinter, 8, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPrintSetup);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 9, 0, 1, 2);

    connect(btnOk, &QPushButton::clicked, this, [this] {
        btnOkClick();
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnPrintSetup, &QPushButton::clicked, this, [this] { btnPrintSetupClick(); });
}

void TfrmPrint::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TfrmPrint::FormShow() {
    if (Language)
        Language->SetLanguage(this);
    const TMainView* mv = MainView();
    spnPageN->setValue(mv && mv->PageNumberStart >= 1 ? mv->PageNumberStart : 1);
    ShowPrinterInCaption();
    const TIniFile ini(PrefFileName());
    const bool current = ini.ReadInteger(kPrintSection, "PrintPage", 0) == 1;
    rbtCurrentPage->setChecked(current);
    rbtAllPages->setChecked(!current);
    cbxPrintInColor->setChecked(ini.ReadBool(kPrintSection, "printInColor", false));
    chkIncludePageN->setChecked(ini.ReadBool(kPrintSection, "IncludePageN", true));
    chkIncludeTitle->setChecked(ini.ReadBool(kPrintSection, "IncludeTitle", true));
    chkIncludeFileName->setChecked(ini.ReadBool(kPrintSection, "IncludeFileName", false));
    ShowPdfTargetState(chkPrintToPdf, lblNoPrinter, btnPrintSetup);
}

std::string TfrmPrint::ChoosePdfFile() {
    if (!chkPrintToPdf->isChecked() || !OnAskPdfFile)
        return std::string();
    return AskPdfTarget(OnAskPdfFile);
}

std::string AskPdfTarget(const std::function<std::string()>& ask) {
    std::string chosen = ask ? ask() : std::string();
    if (chosen.empty())
        return chosen;
    if (std::filesystem::path(chosen).extension().empty())
        chosen += ".pdf";
    if (FileExists(chosen) && MessageById(mbYesNo, 2701, "\n" + chosen, mkConfirmation) != mrYes)
        return std::string();
    return chosen;
}

void TfrmPrint::ShowPrinterInCaption() {
    const std::string caption = Language ? Language->GetString(2213) : std::string();
    QString text = caption.empty() ? QStringLiteral("Print") : Q(caption);
    const std::string printer = MainPrinterName();
    if (!printer.empty())
        text += QStringLiteral(" - ") + Q(printer);
    setWindowTitle(text);
}

void TfrmPrint::btnOkClick() {
    TMainView* mv = MainView();
    if (!mv)
        return;
    if (chkIncludeTitle->isChecked()) {
        // The footer title is score text in the Chinese code page; a title
        // that code page cannot hold is printed without its foreign characters
        // rather than not at all.
        mv->PrintTitle = FooterTitleBytes(edtTitle->text().trimmed());
    } else {
        mv->PrintTitle.clear();
    }
    mv->PageNumberStart = chkIncludePageN->isChecked() ? spnPageN->value() : 0;
}

void TfrmPrint::FormClose() {
    TIniFile(PrefFileName())
        .WriteValues(kPrintSection, {{"PrintPage", rbtCurrentPage->isChecked() ? "1" : "0"},
                                     {"printInColor", cbxPrintInColor->isChecked() ? "1" : "0"},
                                     {"IncludePageN", chkIncludePageN->isChecked() ? "1" : "0"},
                                     {"IncludeTitle", chkIncludeTitle->isChecked() ? "1" : "0"},
                                     {"IncludeFileName", chkIncludeFileName->isChecked() ? "1" : "0"}});
}

void TfrmPrint::btnPrintSetupClick() {
    if (mitPrinterSetupClick(this))
        ShowPrinterInCaption();
}

TPrintOptions TfrmPrint::Options() const {
    TPrintOptions o;
    o.AllPages = !rbtCurrentPage->isChecked();
    o.Copies = spnPrintCopies->value();
    o.ShowGrid = chkGrid->isChecked();
    o.InColor = cbxPrintInColor->isChecked();
    o.PageNumberBase = chkIncludePageN->isChecked() ? spnPageN->value() : 0;
    o.IncludeFileName = chkIncludeFileName->isChecked();
    return o;
}

TfrmPrint& PrintDialog(QWidget* parent) {
    // Made once, owned by the window it belongs to.
    static QPointer<TfrmPrint> dialog;
    if (!dialog)
        dialog = new TfrmPrint(parent);
    return *dialog;
}

QPrinter& MainPrinter() {
    static std::unique_ptr<QPrinter> printer;
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        const TMainSettings* s = MainSettings();
        const QStringList names = QPrinterInfo::availablePrinterNames();
        QString chosen;
        if (s && !s->PrinterName.empty() && names.contains(Q(s->PrinterName)))
            chosen = Q(s->PrinterName);
        else if (s && s->PrinterIndex >= 0 && s->PrinterIndex < names.size())
            chosen = names.at(s->PrinterIndex);
        else
            chosen = QPrinterInfo::defaultPrinterName();
        if (!chosen.isEmpty())
            printer->setPrinterName(chosen);
        // The paper a new score is laid out for, until the user chooses
        // another in the printer setup.
        const TMainScore defaults;
        const TMainScore* score = frmMainTQ ? frmMainTQ : &defaults;
        printer->setPageSize(QPageSize(QSizeF(score->PaperWidth, score->PaperHeight), QPageSize::Inch, QString(),
                                       QPageSize::FuzzyMatch));
    }
    return *printer;
}

std::string MainPrinterName() {
    QPrinter& p = MainPrinter();
    if (p.outputFormat() != QPrinter::NativeFormat)
        return std::string();
    return p.printerName().toStdString();
}

bool mitPrinterSetupClick(QWidget* parent) {
    QPrinter& printer = MainPrinter();
    QPageSetupDialog dialog(&printer, parent);
    if (Language)
        Language->LocalisePrinterSetupDialog(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (TMainSettings* s = MainSettings()) {
        s->PrinterName = MainPrinterName();
        s->PrinterIndex = static_cast<int>(QPrinterInfo::availablePrinterNames().indexOf(Q(s->PrinterName)));
    }
    return true;
}

bool RunPrintCommand(TMainView& view, TfrmPrint& dialog, TPrintSink& sink,
                     const std::function<int(TfrmPrint&)>& exec) {
    const decltype(view.Zoom) zoom = view.Zoom;
    const int page = view.CurPage;
    const bool grid = view.ShowGrid;
    TCanvas* canvas = view.OutCanvas;

    TMusic title;
    GetMusicTitle(view, title);
    dialog.edtTitle->setText(Q(DecodeForDisplay(title.Title, title.TitleCharset).value_or(title.Title)));
    QFont font = dialog.edtTitle->font();
    if (title.TitleCharset == csGB2312)
        font.setFamily(Q(view.ChineseFontName));
    dialog.edtTitle->setFont(font);

    dialog.FormShow();
    bool printed = false;
    if (exec(dialog) == QDialog::Accepted) {
        const TMainSettings* s = MainSettings();
        const bool toPdf = sink.CanPrintToFile() && dialog.chkPrintToPdf->isChecked();
        const std::string pdf = toPdf ? dialog.ChoosePdfFile() : std::string();
        if (!toPdf || !pdf.empty()) {
            sink.SetPdfTarget(pdf, view.PaperWidth, view.PaperHeight);
            // A PDF file is the page itself, drawn straight: vectors and text.
            printed = PrintPages(view, sink, dialog.Options(), pdf.empty() && (!s || s->PrintByBmp));
            if (!pdf.empty()) {
                sink.SetPdfTarget(std::string(), 0.0, 0.0); // the printer again for the next run
                if (!printed)
                    MessageById(mbOK, 1043, "\n" + pdf, mkError);
            }
        }
    }
    view.OutputInColor = false;
    view.OutputKind = 0;
    view.GoToPage(page);
    view.Zoom = zoom;
    view.ShowGrid = grid;
    view.OutCanvas = canvas;
    view.RedrawPage();
    return printed;
}

void btnPrintClick(QWidget* parent) {
    TMainView* view = MainView();
    if (!view)
        return;
    QPrinter& printer = MainPrinter();
    printer.setPageOrientation(view->PaperOri == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
    TQPrinterSink sink(printer);
    RunPrintCommand(*view, PrintDialog(parent), sink, [](TfrmPrint& d) { return d.exec(); });
}

bool PrintScoreOnPrinter() {
    TMainView* view = MainView();
    if (!view)
        return false;
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        MessageById(mbOK, 2226, "", mkInformation);
        return false;
    }
    QPrinter& printer = MainPrinter();
    printer.setPageOrientation(QPageLayout::Portrait);
    const decltype(view->Zoom) zoom = view->Zoom;
    const int page = view->CurPage;
    TCanvas* canvas = view->OutCanvas;
    TQPrinterSink sink(printer);
    const bool ok = PrintScore(*view, sink);
    view->GoToPage(page);
    view->Zoom = zoom;
    view->OutCanvas = canvas;
    view->RedrawPage();
    return ok;
}
