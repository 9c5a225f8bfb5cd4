#include "output/frmTQPrintBook.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "output/frmTQPrint.h"

namespace {

QRadioButton* Radio(QGroupBox* group, const char* text, QVBoxLayout* box) {
    auto* r = new QRadioButton(QString::fromLatin1(text), group);
    box->addWidget(r);
    return r;
}

QGroupBox* RadioGroup(QWidget* parent, const char* name, int tag, const char* title) {
    auto* g = new QGroupBox(QString::fromLatin1(title), parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setProperty("RadioGroup", true);
    SetTag(g, tag);
    return g;
}

QCheckBox* Check(QWidget* parent, int tag, const char* text, bool on) {
    auto* c = new QCheckBox(QString::fromLatin1(text), parent);
    SetTag(c, tag);
    c->setChecked(on);
    return c;
}

} // namespace

TfrmPrintBook::TfrmPrintBook(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrintBook"));
    SetTag(this, 2200);
    setWindowTitle(QStringLiteral("Print Book"));
    nbkPrintBook = new QStackedWidget(this);

    // page 1: options
    auto* page1 = new QWidget;
    auto* p1 = new QVBoxLayout(page1);
    rgpPrinterType = RadioGroup(page1, "rgpPrinterType", 2201, "Printer");
    auto* typeBox = new QVBoxLayout(rgpPrinterType);
    rbtOneSide = Radio(rgpPrinterType, "One Side", typeBox);
    rbtTwoSides = Radio(rgpPrinterType, "Two Sides", typeBox);
    rbtOneSide->setChecked(true);
    rgpPrintSide = RadioGroup(page1, "rgpPrintSide", 2204, "Print");
    auto* sideBox = new QVBoxLayout(rgpPrintSide);
    rbtBothSides = Radio(rgpPrintSide, "Both Sides", sideBox);
    rbtFrontSide = Radio(rgpPrintSide, "Front Side", sideBox);
    rbtBackSide = Radio(rgpPrintSide, "Back Side", sideBox);
    rbtBothSides->setChecked(true);
    chkTableContent = Check(page1, 2208, "Table of Contents", true);
    chkIncTitlePage = Check(page1, 2209, "Including Title Page", true);
    chkIncludeMusic = Check(page1, 2210, "Including Music", true);
    lblHeadFoot = new QLabel(QStringLiteral("Header and Footer"), page1);
    SetTag(lblHeadFoot, 2105);
    chkFileNameOnTop = Check(page1, 2211, "Include File Name", false);
    chkTitleOnBottom = Check(page1, 2107, "Include Music Title", true);
    cbxPrintInColor = Check(page1, 2224, "Print in Color", true);
    btnPrintSetup = new QPushButton(QStringLiteral("Printer Setup"), page1);
    SetTag(btnPrintSetup, 258);
    MakePdfTargetControls(page1, chkPrintToPdf, lblNoPrinter);
    OnAskPdfFile = [this] { return AskPdfFileName(this); };
    for (QWidget* w : std::initializer_list<QWidget*>{rgpPrinterType, rgpPrintSide, chkTableContent, chkIncTitlePage,
                                                      chkIncludeMusic, lblHeadFoot, chkFileNameOnTop, chkTitleOnBottom,
                                                      cbxPrintInColor, btnPrintSetup, chkPrintToPdf, lblNoPrinter})
        p1->addWidget(w);
    nbkPrintBook->addWidget(page1);

    // page 2: which scores, progress
    auto* page2 = new QWidget;
    auto* p2 = new QVBoxLayout(page2);
    rgpPrintMusic = RadioGroup(page2, "rgpPrintMusic", 2216, "Print");
    auto* musicBox = new QVBoxLayout(rgpPrintMusic);
    rbtAllMusics = Radio(rgpPrintMusic, "All Musics", musicBox);
    rbtCurrentMusic = Radio(rgpPrintMusic, "Current Music", musicBox);
    rbtSelectedMusics = Radio(rgpPrintMusic, "Selected Musics", musicBox);
    rbtSpecifiedPages = Radio(rgpPrintMusic, "Specified Pages", musicBox);
    rbtAllMusics->setChecked(true);
    gbxStartPage = new QGroupBox(QStringLiteral("Pages"), page2);
    SetTag(gbxStartPage, 2221);
    auto* range = new QHBoxLayout(gbxStartPage);
    lblFromPage = new QLabel(QStringLiteral("From"), gbxStartPage);
    SetTag(lblFromPage, 2222);
    spnFromPage = new QSpinBox(gbxStartPage);
    spnFromPage->setRange(1, 1000);
    lblToPage = new QLabel(QStringLiteral("To"), gbxStartPage);
    SetTag(lblToPage, 2223);
    spnToPage = new QSpinBox(gbxStartPage);
    spnToPage->setRange(1, 1000);
    range->addWidget(lblFromPage);
    range->addWidget(spnFromPage);
    range->addWidget(lblToPage);
    range->addWidget(spnToPage);
    prgPrintBook = new QProgressBar(page2);
    prgPrintBook->setRange(0, 1000);
    prgPrintBook->setValue(0);
    p2->addWidget(rgpPrintMusic);
    p2->addWidget(gbxStartPage);
    p2->addWidget(prgPrintBook);
    nbkPrintBook->addWidget(page2);

    btnPrevious = new QPushButton(QStringLiteral("< Previous"), this);
    SetTag(btnPrevious, 2214);
    btnNext = new QPushButton(QStringLiteral("Next >"), this);
    SetTag(btnNext, 2215);
    btnPrint = new QPushButton(QStringLiteral("Print"), this);
    SetTag(btnPrint, 2213);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnCancel, 1010);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    for (QPushButton* b : {btnPrevious, btnNext, btnPrint, btnCancel})
        bar->addWidget(b);
    auto* all = new QVBoxLayout(this);
    all->addWidget(nbkPrintBook);
    all->addLayout(bar);

    connect(chkIncludeMusic, &QCheckBox::clicked, this, [this] { chkIncludeMusicClick(); });
    connect(cbxPrintInColor, &QCheckBox::clicked, this, [this] { chkIncludeMusicClick(); });
    connect(chkTableContent, &QCheckBox::clicked, this, [this] { chkTableContentClick(); });
    for (QRadioButton* r : {rbtOneSide, rbtTwoSides})
        connect(r, &QRadioButton::clicked, this, [this] { rgpPrinterTypeClick(); });
    for (QRadioButton* r : {rbtAllMusics, rbtCurrentMusic, rbtSelectedMusics, rbtSpecifiedPages})
        connect(r, &QRadioButton::clicked, this, [this] { rgpPrintMusicClick(); });
    connect(btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
    connect(btnPrevious, &QPushButton::clicked, this, [this] { btnPreviousClick(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnPrintSetup, &QPushButton::clicked, this, [this] { mitPrinterSetupClick(this); });
}

void TfrmPrintBook::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmPrintBook::FormShow() {
    if (Language)
        Language->SetLanguage(this);
    chkIncludeMusicClick();
    rgpPrinterTypeClick();
    rgpPrintMusicClick();
    btnPreviousClick();
    ShowPdfTargetState(chkPrintToPdf, lblNoPrinter, btnPrintSetup);
}

void TfrmPrintBook::chkIncludeMusicClick() {
    const bool music = chkIncludeMusic->isChecked();
    chkFileNameOnTop->setEnabled(music);
    chkTitleOnBottom->setEnabled(music);
    rgpPrintMusic->setEnabled(music);
    chkTableContentClick();
}

void TfrmPrintBook::chkTableContentClick() {
    btnNext->setEnabled(chkTableContent->isChecked() || chkIncludeMusic->isChecked());
}

void TfrmPrintBook::rgpPrinterTypeClick() {
    const bool oneSide = rbtOneSide->isChecked();
    rgpPrintSide->setVisible(oneSide);
    if (!oneSide)
        rbtBothSides->setChecked(true);
}

void TfrmPrintBook::rgpPrintMusicClick() { gbxStartPage->setVisible(rbtSpecifiedPages->isChecked()); }

void TfrmPrintBook::btnNextClick() {
    if (!btnNext->isEnabled())
        return;
    nbkPrintBook->setCurrentIndex(1);
    btnPrint->setVisible(true);
    btnPrevious->setVisible(true);
    btnNext->setVisible(false);
}

void TfrmPrintBook::btnPreviousClick() {
    nbkPrintBook->setCurrentIndex(0);
    btnPrint->setVisible(false);
    btnPrevious->setVisible(false);
    btnNext->setVisible(true);
}

void TfrmPrintBook::btnPrintClick() {
    CancelPrintRequest = false;
    if (OnPrintBook)
        OnPrintBook(*this);
    accept();
}

void TfrmPrintBook::btnCancelClick() {
    if (IsPrinting && IsPrinting()) {
        CancelPrintRequest = true;
        return;
    }
    QDialog::reject();
}

void TfrmPrintBook::reject() { btnCancelClick(); }

TBookPrintOptions TfrmPrintBook::Options() const {
    TBookPrintOptions o;
    o.IncludeMusic = chkIncludeMusic->isChecked();
    o.Music = rbtCurrentMusic->isChecked()     ? bmCurrent
              : rbtSelectedMusics->isChecked() ? bmSelected
              : rbtSpecifiedPages->isChecked() ? bmSpecifiedPages
                                               : bmAll;
    o.FromPage = spnFromPage->value();
    o.ToPage = spnToPage->value();
    o.PrinterType = rbtTwoSides->isChecked() ? bpTwoSides : bpOneSide;
    o.PrintSide = rbtFrontSide->isChecked() ? bsFront : rbtBackSide->isChecked() ? bsBack : bsBoth;
    return o;
}

bool TfrmPrintBook::InColor() const { return cbxPrintInColor->isChecked(); }
bool TfrmPrintBook::TitleOnBottom() const { return chkTitleOnBottom->isChecked(); }
bool TfrmPrintBook::FileNameOnTop() const { return chkFileNameOnTop->isChecked(); }
