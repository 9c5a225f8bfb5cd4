#include "output/frmTQSaveImage.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QPointer>
#include <filesystem>

#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "output/modTQImageExport.h"
#include "output/modTQPrint.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"
#include "render/modTQMainView.h"

namespace {

constexpr const char* kPrefSection = "Pref";
constexpr int kExportReportCountId = 3676;
constexpr int kExportReportFilesId = 3677;

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Text(int id) { return Language ? Language->GetString(id) : std::string(); }

} // namespace

TfrmSaveImage::TfrmSaveImage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSaveImage"));
    SetTag(this, 2300);
    setWindowTitle(QStringLiteral("Save as Image"));

    lblImgName = new QLabel(QStringLiteral("Image Format"), this);
    SetTag(lblImgName, 2310);
    rbtJPEG = new QRadioButton(QStringLiteral("JPEG"), this);
    rbtBMP = new QRadioButton(QStringLiteral("BMP"), this);
    rbtPDF = new QRadioButton(QStringLiteral("PDF"), this);
    rbtJPEG->setChecked(true);

    lblImgWidth = new QLabel(QStringLiteral("Image Width"), this);
    SetTag(lblImgWidth, 2301);
    spnImgWidth = new QSpinBox(this);
    spnImgWidth->setObjectName(QStringLiteral("spnImgWidth"));
    spnImgWidth->setRange(500, 3000);
    spnImgWidth->setSingleStep(200);
    spnImgWidth->setValue(3000);
    lblPixel = new QLabel(QStringLiteral("Pixels"), this);
    SetTag(lblPixel, 2302);

    gbxColor = new QGroupBox(QStringLiteral("Color"), this);
    SetTag(gbxColor, 2303);
    rbtBW = new QRadioButton(QStringLiteral("Black and White"), gbxColor);
    SetTag(rbtBW, 2304);
    rbtColor = new QRadioButton(QStringLiteral("Color"), gbxColor);
    SetTag(rbtColor, 2305);
    rbtColor->setChecked(true);
    auto* colorBox = new QVBoxLayout(gbxColor);
    colorBox->addWidget(rbtBW);
    colorBox->addWidget(rbtColor);

    gbxPage = new QGroupBox(QStringLiteral("Pages"), this);
    SetTag(gbxPage, 2306);
    rbtSelectedArea = new QRadioButton(QStringLiteral("Selected Area"), gbxPage);
    SetTag(rbtSelectedArea, 2307);
    rbtCurrentPage = new QRadioButton(QStringLiteral("Current Page"), gbxPage);
    SetTag(rbtCurrentPage, 2308);
    rbtAllPage = new QRadioButton(QStringLiteral("All Pages"), gbxPage);
    SetTag(rbtAllPage, 2309);
    rbtAllPage->setChecked(true);
    auto* pageBox = new QVBoxLayout(gbxPage);
    pageBox->addWidget(rbtSelectedArea);
    pageBox->addWidget(rbtCurrentPage);
    pageBox->addWidget(rbtAllPage);

    chkIncludeTitle = new QCheckBox(QStringLiteral("Include Music Title"), this);
    SetTag(chkIncludeTitle, 2107);
    chkIncludeTitle->setChecked(true);
    edtTitle = new QLineEdit(this);
    edtTitle->setObjectName(QStringLiteral("edtTitle"));
    chkIncludePageN = new QCheckBox(QStringLiteral("Include Page Number"), this);
    SetTag(chkIncludePageN, 2106);
    chkIncludePageN->setChecked(true);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    SetTag(btnOK, 1009);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnCancel, 1010);

    auto* grid = new QGridLayout(this);
    auto* formats = new QHBoxLayout;
    formats->addWidget(lblImgName);
    formats->addWidget(rbtJPEG);
    formats->addWidget(rbtBMP);
    formats->addWidget(rbtPDF);
    grid->addLayout(formats, 0, 0, 1, 2);
    auto* width = new QHBoxLayout;
    width->addWidget(lblImgWidth);
    width->addWidget(spnImgWidth);
    width->addWidget(lblPixel);
    grid->addLayout(width, 1, 0, 1, 2);
    grid->addWidget(gbxColor, 2, 0);
    grid->addWidget(gbxPage, 2, 1);
    auto* title = new QHBoxLayout;
    title->addWidget(chkIncludeTitle);
    title->addWidget(edtTitle, 1);
    grid->addLayout(title, 3, 0, 1, 2);
    grid->addWidget(chkIncludePageN, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 5, 0, 1, 2);

    connect(rbtJPEG, &QRadioButton::clicked, this, [this] { rbtJPEGClick(); });
    connect(rbtBMP, &QRadioButton::clicked, this, [this] { rbtBMPClick(); });
    connect(rbtPDF, &QRadioButton::clicked, this, [this] { rbtPDFClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        btnOKClick();
        if (CanCloseDialog)
            accept();
        CanCloseDialog = true;
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    OnAskFileName = [this](const QString& filter) {
        QFileDialog dialog(this, Q(Text(1233)));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(filter);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (Language)
            Language->LocaliseFileDialog(&dialog, true);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::string();
        return dialog.selectedFiles().front().toStdString();
    };
}

void TfrmSaveImage::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TfrmSaveImage::rbtJPEGClick() {
    spnImgWidth->setMaximum(3000);
    spnImgWidth->setSingleStep(200);
    spnImgWidth->setValue(3000);
}

void TfrmSaveImage::rbtBMPClick() {
    spnImgWidth->setMaximum(30000);
    spnImgWidth->setSingleStep(1000);
    spnImgWidth->setValue(7000);
}

void TfrmSaveImage::rbtPDFClick() { rbtBMPClick(); }

void TfrmSaveImage::FormShow() {
    if (const TMainView* mv = MainView()) {
        TMusic title;
        GetMusicTitle(*mv, title);
        edtTitle->setText(Q(DecodeForDisplay(title.Title, title.TitleCharset).value_or(title.Title)));
    }
    if (Language)
        Language->SetLanguage(this);
    const TIniFile ini(PrefFileName());
    // A format that becomes selected acts as if clicked: its range and default
    // width replace the stored width.
    spnImgWidth->setValue(ini.ReadInteger(kPrefSection, "SaveImageWidth", 3000));
    const auto restore = [&](QRadioButton* button, const char* key, bool def, void (TfrmSaveImage::*click)()) {
        const bool on = ini.ReadBool(kPrefSection, key, def);
        if (on && !button->isChecked()) {
            button->setChecked(true);
            (this->*click)();
        }
    };
    restore(rbtJPEG, "rbtJPEG", true, &TfrmSaveImage::rbtJPEGClick);
    restore(rbtPDF, "rbtPDF", false, &TfrmSaveImage::rbtPDFClick);
    restore(rbtBMP, "rbtBMP", false, &TfrmSaveImage::rbtBMPClick);
    // Always one format: keys that name none (all 0) give JPEG.
    if (!rbtJPEG->isChecked() && !rbtBMP->isChecked() && !rbtPDF->isChecked()) {
        rbtJPEG->setChecked(true);
        rbtJPEGClick();
    }
    const bool bw = ini.ReadBool(kPrefSection, "rbtBW", true);
    const bool colour = ini.ReadBool(kPrefSection, "rbtColor", false);
    // one of a group of radio buttons is checked by checking it
    (colour && !bw ? rbtColor : rbtBW)->setChecked(true);
    rbtAllPage->setChecked(true);
}

void TfrmSaveImage::FormClose() {
    TIniFile(PrefFileName())
        .WriteValues(kPrefSection, {{"SaveImageWidth", std::to_string(spnImgWidth->value())},
                                    {"rbtJPEG", rbtJPEG->isChecked() ? "1" : "0"},
                                    {"rbtPDF", rbtPDF->isChecked() ? "1" : "0"},
                                    {"rbtBMP", rbtBMP->isChecked() ? "1" : "0"},
                                    {"rbtBW", rbtBW->isChecked() ? "1" : "0"},
                                    {"rbtColor", rbtColor->isChecked() ? "1" : "0"}});
}

void TfrmSaveImage::btnOKClick() {
    TMainView* mv = MainView();
    if (!mv)
        return;
    Written.clear();
    const TExportFormat format = rbtPDF->isChecked() ? efPdf : rbtBMP->isChecked() ? efBmp : efJpeg;
    const std::string chosen = OnAskFileName(format == efJpeg  ? QStringLiteral("JPEG Image Files (*.jpg)")
                                             : format == efBmp ? QStringLiteral("Bitmap Image Files (*.bmp)")
                                                               : QStringLiteral("PDF Files (*.pdf)"));
    if (chosen.empty()) {
        CanCloseDialog = false;
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    mv->PageNumberBase = chkIncludePageN->isChecked() ? 1 : 0;
    mv->PrintTitle = chkIncludeTitle->isChecked()
                         ? FooterTitleBytes(edtTitle->text().split(QLatin1Char('\n')).front().trimmed())
                         : std::string();
    TExportOptions options;
    options.Width = spnImgWidth->value();
    options.InColor = rbtColor->isChecked();
    options.Range = rbtSelectedArea->isChecked() ? erSelectedArea : rbtCurrentPage->isChecked() ? erCurrentPage
                                                                                                 : erAllPages;
    options.Format = format;
    options.PageNumberBase = mv->PageNumberBase;
    ExportPageCount = CountExportPages();
    bool declined = false;
    QApplication::processEvents();
    Written = ExportImages(*mv, chosen, options, &declined);
    QApplication::restoreOverrideCursor();
    if (declined) {
        CanCloseDialog = false;
        return;
    }
    CanCloseDialog = true;
    if (Written.size() > 1) {
        std::string report = Text(kExportReportCountId) + std::to_string(Written.size()) + Text(kExportReportFilesId);
        for (const std::string& file : Written)
            report += "\n" + file;
        MessageById(mbOK, 0, report, mkInformation);
    }
}

int RunSaveImageCommand(TfrmSaveImage& dialog, const std::function<int(TfrmSaveImage&)>& exec) {
    TMainView& view = *MainView();
    const decltype(view.Zoom) zoom = view.Zoom;
    const int page = view.CurPage;
    const bool grid = view.ShowGrid;
    TCanvas* canvas = view.OutCanvas;
    view.ShowGrid = false;
    dialog.FormShow();
    const int result = exec(dialog);
    view.OutCanvas = canvas;
    view.GoToPage(page);
    view.Zoom = zoom;
    view.ShowGrid = grid;
    view.RedrawPage();
    return result;
}

void mitSavetoBMPClick(QWidget* parent) {
    if (!MainView())
        return;
    // Made once, owned by the window it belongs to.
    static QPointer<TfrmSaveImage> dialog;
    if (!dialog)
        dialog = new TfrmSaveImage(parent);
    RunSaveImageCommand(*dialog, [](TfrmSaveImage& d) { return d.exec(); });
}
