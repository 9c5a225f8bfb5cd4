#include "lang/frmTQPref.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "lang/frmTQFont.h"
#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

struct TPreset {
    double width, height;
};
const TPreset kPresets[4] = {{8.5, 11.0}, {8.5, 13.0}, {8.27, 11.69}, {8.5, 11.0}};

// Fixed-point text with the given decimals.
QString Fixed(double v, int decimals) { return QString::number(v, 'f', decimals); }

// A whole edit text as a number; false when it is not one.
bool ParseNumber(const QString& text, double& out) {
    const std::string s = S(text.trimmed());
    if (s.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end && *end == '\0' && std::isfinite(out);
}

QSpinBox* Spin(QWidget* parent, const char* name, int lo, int hi) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(lo, hi);
    return s;
}

QLabel* Caption(QWidget* parent, const char* text, int tag) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    SetTag(l, tag);
    return l;
}

// A slider with the words for its two ends below it.
QVBoxLayout* SliderWithEnds(QWidget* parent, QSlider* slider, const char* low, int lowTag, const char* high,
                            int highTag) {
    auto* box = new QVBoxLayout;
    box->addWidget(slider);
    auto* ends = new QHBoxLayout;
    ends->addWidget(Caption(parent, low, lowTag));
    ends->addStretch();
    ends->addWidget(Caption(parent, high, highTag));
    box->addLayout(ends);
    return box;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* text, int tag) {
    auto* c = new QCheckBox(QString::fromUtf8(text), parent);
    c->setObjectName(QString::fromLatin1(name));
    SetTag(c, tag);
    return c;
}

// Windows colour 0x00BBGGRR as a Qt colour and back.
QColor ToQColor(int c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
int FromQColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

} // namespace

double ToInches(double value, int unit) {
    if (unit != 1)
        return value;
    return std::ceil(value * 100.0 * 0.03937007874015748) * 0.01;
}

double ImageQualityFactor(int p) { return p < 10 ? 0.2 + 0.08 * p : 1.0 + 0.2 * (p - 10); }

std::string PageUnitSizeText(int value, double paperWidthInches, int unit) {
    const double f = paperWidthInches * (unit == 1 ? 25.4 : 1.0) * 0.001;
    char buf[64];
    if (unit == 1)
        std::snprintf(buf, sizeof buf, "%.2f mm", value * f);
    else
        std::snprintf(buf, sizeof buf, "%.3f\"", value * f);
    return buf;
}

TfrmPref::TfrmPref(TPrefParts& parts, QWidget* parent) : QDialog(parent), parts_(parts) {
    setObjectName(QStringLiteral("frmPref"));
    SetTag(this, 2000);
    setWindowTitle(QStringLiteral("Settings"));
    auto* outer = new QVBoxLayout(this);
    pagPref = new QTabWidget(this);
    outer->addWidget(pagPref);

    // Appearance
    auto* appearance = new QWidget;
    SetTag(appearance, 2001);
    pagPref->addTab(appearance, QStringLiteral("Appearance"));
    auto* ap = new QVBoxLayout(appearance);
    auto* gbxCellSuze = new QGroupBox(QStringLiteral("Cell Size and Margins"), appearance);
    SetTag(gbxCellSuze, 2003);
    auto* cells = new QGridLayout(gbxCellSuze);
    spnCellWidth = Spin(gbxCellSuze, "spnCellWidth", 6, 25);
    spnLeftMargin = Spin(gbxCellSuze, "spnLeftMargin", 0, 100);
    spnRightMargin = Spin(gbxCellSuze, "spnRightMargin", 0, 100);
    spnTopMargin = Spin(gbxCellSuze, "spnTopMargin", 0, 200);
    spnBottomMargin = Spin(gbxCellSuze, "spnBottomMargin", 0, 200);
    QSpinBox* spins[] = {spnCellWidth, spnLeftMargin, spnRightMargin, spnTopMargin, spnBottomMargin};
    QLabel** sizeLabels[] = {&lblCellW, &lblML, &lblMR, &lblMT, &lblMB};
    const char* captions[] = {"Cell Width", "Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 5; ++i) {
        cells->addWidget(Caption(gbxCellSuze, captions[i], 2004 + i), i, 0);
        cells->addWidget(spins[i], i, 1);
        *sizeLabels[i] = new QLabel(gbxCellSuze);
        cells->addWidget(*sizeLabels[i], i, 2);
        connect(spins[i], &QSpinBox::valueChanged, this, [this] { spnCellWidthChange(); });
    }
    ap->addWidget(gbxCellSuze);
    auto* gbxPaperSize = new QGroupBox(QStringLiteral("Paper Size"), appearance);
    SetTag(gbxPaperSize, 2026);
    auto* paper = new QGridLayout(gbxPaperSize);
    cbxPaperSize = new QComboBox(gbxPaperSize);
    cbxPaperSize->setObjectName(QStringLiteral("cbxPaperSize"));
    SetTag(cbxPaperSize, 2033);
    cbxPaperSize->addItems({QStringLiteral("Letter"), QStringLiteral("Legal"), QStringLiteral("A4"),
                            QStringLiteral("User Defined")});
    paper->addWidget(cbxPaperSize, 0, 0, 1, 3);
    edtWidth = new QLineEdit(gbxPaperSize);
    edtHeight = new QLineEdit(gbxPaperSize);
    lblWidth = Caption(gbxPaperSize, "Width", 2027);
    lblHeight = Caption(gbxPaperSize, "Height", 2028);
    lblWUnit = new QLabel(gbxPaperSize);
    lblHUnit = new QLabel(gbxPaperSize);
    paper->addWidget(lblWidth, 1, 0);
    paper->addWidget(edtWidth, 1, 1);
    paper->addWidget(lblWUnit, 1, 2);
    paper->addWidget(lblHeight, 2, 0);
    paper->addWidget(edtHeight, 2, 1);
    paper->addWidget(lblHUnit, 2, 2);
    auto* rgbPaperOri = new QGroupBox(QStringLiteral("Orientation"), gbxPaperSize);
    rgbPaperOri->setObjectName(QStringLiteral("rgbPaperOri"));
    rgbPaperOri->setProperty("RadioGroup", true);
    SetTag(rgbPaperOri, 2030);
    auto* ori = new QVBoxLayout(rgbPaperOri);
    rbtPortrait = new QRadioButton(QStringLiteral("Portrait"), rgbPaperOri);
    rbtLandscape = new QRadioButton(QStringLiteral("Landscape"), rgbPaperOri);
    ori->addWidget(rbtPortrait);
    ori->addWidget(rbtLandscape);
    paper->addWidget(rgbPaperOri, 3, 0, 1, 2);
    auto* rgbUnit = new QGroupBox(QStringLiteral("Unit"), gbxPaperSize);
    rgbUnit->setObjectName(QStringLiteral("rgbUnit"));
    rgbUnit->setProperty("RadioGroup", true);
    SetTag(rgbUnit, 2414);
    auto* unit = new QVBoxLayout(rgbUnit);
    rbtInches = new QRadioButton(QStringLiteral("Inches"), rgbUnit);
    rbtMillimetres = new QRadioButton(QStringLiteral("Millimetres"), rgbUnit);
    unit->addWidget(rbtInches);
    unit->addWidget(rbtMillimetres);
    paper->addWidget(rgbUnit, 3, 2);
    ap->addWidget(gbxPaperSize);
    connect(cbxPaperSize, &QComboBox::activated, this, [this] { cbxPaperSizeChange(); });
    connect(rbtPortrait, &QRadioButton::clicked, this, [this] { rgbPaperOriClick(); });
    connect(rbtLandscape, &QRadioButton::clicked, this, [this] { rgbPaperOriClick(); });
    connect(rbtInches, &QRadioButton::clicked, this, [this] { rgbUnitClick(); });
    connect(rbtMillimetres, &QRadioButton::clicked, this, [this] { rgbUnitClick(); });

    // Font/Image
    auto* fonts = new QWidget;
    SetTag(fonts, 2009);
    pagPref->addTab(fonts, QStringLiteral("Font/Image"));
    auto* fl = new QGridLayout(fonts);
    btnNoteFont = new QPushButton(fonts);
    btnEnglishFont = new QPushButton(fonts);
    btnChineseFont = new QPushButton(fonts);
    fl->addWidget(Caption(fonts, "Note Font", 2010), 0, 0);
    fl->addWidget(btnNoteFont, 0, 1);
    fl->addWidget(Caption(fonts, "English Font", 2011), 1, 0);
    fl->addWidget(btnEnglishFont, 1, 1);
    fl->addWidget(Caption(fonts, "Chinese Font", 2012), 2, 0);
    fl->addWidget(btnChineseFont, 2, 1);
    chkUseChinese = Check(fonts, "chkUseChinese", "中文界面 (Chinese)", 1);
    chkAllowChineseFileName = Check(fonts, "chkAllowChineseFileName", "Allow Chinese file names", 2014);
    fl->addWidget(chkUseChinese, 3, 0, 1, 2);
    fl->addWidget(chkAllowChineseFileName, 4, 0, 1, 2);
    auto* grpCopy = new QGroupBox(QStringLiteral("Copied Images"), fonts);
    SetTag(grpCopy, 2044);
    auto* cl = new QGridLayout(grpCopy);
    tbrImageQuality = new QSlider(Qt::Horizontal, grpCopy);
    tbrImageQuality->setObjectName(QStringLiteral("tbrImageQuality"));
    tbrImageQuality->setRange(0, 20);
    tbrImageQuality->setTickInterval(10);
    tbrImageQuality->setTickPosition(QSlider::TicksBelow);
    lblQuality = new QLabel(grpCopy);
    chkAutoImageSize = Check(grpCopy, "chkAutoImageSize", "Adjust image size automatically", 2043);
    chkColorCopyImage = Check(grpCopy, "chkColorCopyImage", "Colour image", 2047);
    cl->addWidget(Caption(grpCopy, "Quality", 2040), 0, 0);
    cl->addLayout(SliderWithEnds(grpCopy, tbrImageQuality, "Lowest", 2041, "Highest", 2042), 0, 1);
    cl->addWidget(lblQuality, 0, 2);
    cl->addWidget(chkAutoImageSize, 1, 0, 1, 3);
    cl->addWidget(chkColorCopyImage, 2, 0, 1, 3);
    fl->addWidget(grpCopy, 5, 0, 1, 2);
    connect(tbrImageQuality, &QSlider::valueChanged, this, [this] { tbrImageQualityChange(); });
    connect(btnNoteFont, &QPushButton::clicked, this, [this] { btnNoteFontClick(); });
    connect(btnEnglishFont, &QPushButton::clicked, this, [this] { btnEnglishFontClick(); });
    connect(btnChineseFont, &QPushButton::clicked, this, [this] { btnChineseFontClick(); });

    // Printing
    auto* printing = new QWidget;
    SetTag(printing, 2002);
    pagPref->addTab(printing, QStringLiteral("Printing"));
    auto* pl = new QGridLayout(printing);
    spnPrintAdj = Spin(printing, "spnPrintAdj", 30, 200);
    spnFooterFontSize = Spin(printing, "spnFooterFontSize", 4, 20);
    spnHistoryFileNo = Spin(printing, "spnHistoryFileNo", 3, 20);
    chkPrintByBmp = Check(printing, "chkPrintByBmp", "Print through a bitmap", 2046);
    chkLoadPreFile = Check(printing, "chkLoadPreFile", "Open the last file at start-up", 2023);
    edtDefFileDir = new QLineEdit(printing);
    edtDefImgDir = new QLineEdit(printing);
    auto* btnFileDir = new QPushButton(QStringLiteral("..."), printing);
    auto* btnImageDir = new QPushButton(QStringLiteral("..."), printing);
    pl->addWidget(Caption(printing, "Print size (%)", 2016), 0, 0);
    pl->addWidget(spnPrintAdj, 0, 1);
    pl->addWidget(Caption(printing, "Footer font size", 2018), 1, 0);
    pl->addWidget(spnFooterFontSize, 1, 1);
    pl->addWidget(chkPrintByBmp, 2, 0, 1, 2);
    pl->addWidget(Caption(printing, "Score folder", 2020), 3, 0);
    pl->addWidget(edtDefFileDir, 3, 1);
    pl->addWidget(btnFileDir, 3, 2);
    pl->addWidget(Caption(printing, "Image folder", 2021), 4, 0);
    pl->addWidget(edtDefImgDir, 4, 1);
    pl->addWidget(btnImageDir, 4, 2);
    pl->addWidget(Caption(printing, "Recent files", 2022), 5, 0);
    pl->addWidget(spnHistoryFileNo, 5, 1);
    pl->addWidget(chkLoadPreFile, 6, 0, 1, 2);
    connect(btnFileDir, &QPushButton::clicked, this, [this] { btnFileDirClick(); });
    connect(btnImageDir, &QPushButton::clicked, this, [this] { btnImageDirClick(); });

    // Color
    auto* colours = new QWidget;
    SetTag(colours, 2050);
    pagPref->addTab(colours, QStringLiteral("Color"));
    auto* col = new QGridLayout(colours);
    trkGridColor = new QSlider(Qt::Horizontal, colours);
    trkGridColor->setObjectName(QStringLiteral("trkGridColor"));
    trkGridColor->setRange(10, 196);
    col->addWidget(Caption(colours, "Grid", 2051), 0, 0);
    col->addLayout(SliderWithEnds(colours, trkGridColor, "Lighter", 2052, "Darker", 2053), 0, 1);
    const int swatchTags[7] = {2054, 2055, 2056, 2057, 2060, 3671, 3672};
    const char* swatchNames[7] = {"Background", "Main layer", "Back layer", "Hidden layer", "Pressed key", "Sharp",
                                  "Flat"};
    // The sharp and flat swatches stand in their own group.
    auto* gbxBKColor = new QGroupBox(QStringLiteral("Alternative Note Colours"), colours);
    gbxBKColor->setObjectName(QStringLiteral("gbxBKColor"));
    SetTag(gbxBKColor, 2062);
    auto* alt = new QGridLayout(gbxBKColor);
    for (int i = 0; i < 7; ++i) {
        QWidget* box = i < 5 ? colours : gbxBKColor;
        QGridLayout* grid = i < 5 ? col : alt;
        const int row = i < 5 ? i + 1 : i - 5;
        swatches[i] = new QLineEdit(box);
        swatches[i]->setReadOnly(true);
        auto* change = new QPushButton(QStringLiteral("Change"), box);
        SetTag(change, 2059);
        grid->addWidget(Caption(box, swatchNames[i], swatchTags[i]), row, 0);
        grid->addWidget(swatches[i], row, 1);
        grid->addWidget(change, row, 2);
        connect(change, &QPushButton::clicked, this, [this, i] { SetColourSwatch(i); });
    }
    col->addWidget(gbxBKColor, 6, 0, 2, 3);
    auto* btnResetColor = new QPushButton(QStringLiteral("Reset Colours"), colours);
    SetTag(btnResetColor, 2058);
    col->addWidget(btnResetColor, 8, 1);
    connect(btnResetColor, &QPushButton::clicked, this, [this] { btnResetColorClick(); });

    auto* bottom = new QHBoxLayout;
    btnReset = new QPushButton(QStringLiteral("Reset"), this);
    SetTag(btnReset, 2024);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    SetTag(btnOk, 1009);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnCancel, 1010);
    bottom->addWidget(btnReset);
    bottom->addStretch();
    bottom->addWidget(btnOk);
    bottom->addWidget(btnCancel);
    outer->addLayout(bottom);
    connect(btnReset, &QPushButton::clicked, this, [this] { btnResetClick(); });
    connect(btnOk, &QPushButton::clicked, this, [this] {
        if (btnOkClick())
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // FormCreate: preset 0, applied
    cbxPaperSize->setCurrentIndex(0);
    rbtPortrait->setChecked(true);
    rbtInches->setChecked(true);
    cbxPaperSizeChange();
}

int TfrmPref::CurrentUnit() const { return rbtMillimetres->isChecked() ? 1 : 0; }

void TfrmPref::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmPref::FormActivate() {
    // text entry of the main window ends through its own hook when it exists
}

void TfrmPref::SetFontButton(QPushButton* button, const std::string& name, int charset, int style) {
    button->setText(Q(name));
    QFont f(Q(name));
    f.setBold(style & 1);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    button->setFont(f);
    (void)charset;
}

void TfrmPref::SetPaperEdits(double width, double height, int decimals, double factor) {
    edtWidth->setText(Fixed(width * factor, decimals));
    edtHeight->setText(Fixed(height * factor, decimals));
}

void TfrmPref::FormShow() {
    loading_ = true;
    Language->SetLanguage(this);
    LanguageChanged = false;
    pagPref->setCurrentIndex(0);
    const TMainScore& s = parts_.Score;
    const TMainSettings& m = parts_.Settings;
    spnCellWidth->setValue(s.CellWidth);
    spnLeftMargin->setValue(s.LeftMargin);
    spnRightMargin->setValue(s.RightMargin);
    spnTopMargin->setValue(s.TopMargin);
    spnBottomMargin->setValue(s.BottomMargin);
    (m.Unit == 1 ? rbtMillimetres : rbtInches)->setChecked(true);
    spnPrintAdj->setValue(static_cast<int>(std::lround(s.PrintZoom * 100.0)));
    NoteFontStyle = s.NoteFontStyle;
    NoteFontCharset = s.NoteFontCharset;
    EnglishFontStyle = s.EnglishFontStyle;
    EnglishFontCharset = s.EnglishFontCharset;
    ChineseFontStyle = s.ChineseFontStyle;
    ChineseFontCharset = s.ChineseFontCharset;
    SetFontButton(btnNoteFont, s.NoteFontName, NoteFontCharset, NoteFontStyle);
    SetFontButton(btnEnglishFont, s.EnglishFontName, EnglishFontCharset, EnglishFontStyle);
    SetFontButton(btnChineseFont, s.ChineseFontName, ChineseFontCharset, ChineseFontStyle);
    chkUseChinese->setChecked(parts_.UseChinese);
    edtDefFileDir->setText(Q(m.MusicFolder));
    edtDefImgDir->setText(Q(m.ImageFolder));
    spnHistoryFileNo->setValue(m.HistoryFileNo);
    chkLoadPreFile->setChecked(m.LoadPreFile);
    spnFooterFontSize->setValue(parts_.View.FooterFontSize);
    chkAllowChineseFileName->setChecked(m.AllowChineseFileName);
    chkPrintByBmp->setChecked(m.PrintByBmp);
    chkAutoImageSize->setChecked(m.AutoImageSize);
    chkColorCopyImage->setChecked(parts_.View.ColorCopyImage);
    tbrImageQuality->setValue(m.CopyImageQuality);
    // The edits show the paper size in use; a preset's size is filled in only
    // when the user picks a preset.
    cbxPaperSize->setCurrentIndex(std::max(0, std::min(3, s.PaperType)));
    (s.PaperOri == 1 ? rbtLandscape : rbtPortrait)->setChecked(true);
    tbrImageQualityChange();
    trkGridColor->setValue(255 - (parts_.View.GridColor & 0xFF));
    const int colours[7] = {parts_.View.BkColor,        parts_.View.MainLayerColor, parts_.View.BackLayerColor,
                            parts_.View.HidenLayerColor, m.KeyDownColor,            parts_.View.SharpColor,
                            parts_.View.FlatColor};
    for (int i = 0; i < 7; ++i) {
        SwatchColours[i] = colours[i];
        ShowSwatch(i);
    }
    rgbUnitClick();
    loading_ = false;
}

void TfrmPref::cbxPaperSizeChange() {
    const int i = std::max(0, std::min(3, cbxPaperSize->currentIndex()));
    const bool mm = CurrentUnit() == 1;
    SetPaperEdits(kPresets[i].width, kPresets[i].height, mm ? 0 : 1, mm ? 25.4 : 1.0);
    if (rbtLandscape->isChecked()) {
        const QString w = edtWidth->text();
        edtWidth->setText(edtHeight->text());
        edtHeight->setText(w);
    }
}

void TfrmPref::rgbPaperOriClick() {
    double w = 0, h = 0;
    if (!ParseNumber(edtWidth->text(), w) || !ParseNumber(edtHeight->text(), h))
        return;
    const bool swap = rbtLandscape->isChecked() ? h > w : w > h;
    if (swap) {
        const QString t = edtWidth->text();
        edtWidth->setText(edtHeight->text());
        edtHeight->setText(t);
    }
}

void TfrmPref::rgbUnitClick() {
    const TMainScore& s = parts_.Score;
    if (CurrentUnit() == 0) {
        SetPaperEdits(s.PaperWidth, s.PaperHeight, 2, 1.0);
        const QString sign = Q(Language->GetString(2029));
        lblWUnit->setText(sign.isEmpty() ? QStringLiteral("in") : sign);
        lblHUnit->setText(lblWUnit->text());
    } else {
        SetPaperEdits(s.PaperWidth, s.PaperHeight, 0, 25.4);
        lblWUnit->setText(QStringLiteral("mm"));
        lblHUnit->setText(QStringLiteral("mm"));
    }
    rgbPaperOriClick();
    spnCellWidthChange();
}

void TfrmPref::spnCellWidthChange() {
    const double width = parts_.Score.PaperWidth;
    const int unit = CurrentUnit();
    lblCellW->setText(Q(PageUnitSizeText(spnCellWidth->value(), width, unit)));
    lblML->setText(Q(PageUnitSizeText(spnLeftMargin->value(), width, unit)));
    lblMR->setText(Q(PageUnitSizeText(spnRightMargin->value(), width, unit)));
    lblMT->setText(Q(PageUnitSizeText(spnTopMargin->value(), width, unit)));
    lblMB->setText(Q(PageUnitSizeText(spnBottomMargin->value(), width, unit)));
}

void TfrmPref::tbrImageQualityChange() {
    lblQuality->setText(Fixed(ImageQualityFactor(tbrImageQuality->value()), 2));
}

void TfrmPref::PickFont(QPushButton* button, int mode, int& style, int& charset, int fixedCharset) {
    TfrmSetFont dialog(this);
    dialog.PreferenceFontName = S(button->text());
    dialog.PreferenceFontStyle = style;
    dialog.NormalColour = SwatchColours[1]; // the main layer's colour
    dialog.FillFontLists();
    dialog.LoadFont(mode);
    if (dialog.exec() == QDialog::Accepted) {
        charset = fixedCharset;
        style = dialog.GetStyleBits();
        SetFontButton(button, dialog.FontName(), charset, style);
    }
}

void TfrmPref::btnNoteFontClick() { PickFont(btnNoteFont, 3, NoteFontStyle, NoteFontCharset, 0); }
void TfrmPref::btnEnglishFontClick() { PickFont(btnEnglishFont, 3, EnglishFontStyle, EnglishFontCharset, 0); }
void TfrmPref::btnChineseFontClick() { PickFont(btnChineseFont, 0, ChineseFontStyle, ChineseFontCharset, 134); }

void TfrmPref::btnFileDirClick() {
    const std::string dir = SelectDirectoryDlg(this, S(edtDefFileDir->text()), Language->GetString(2020));
    if (!dir.empty())
        edtDefFileDir->setText(Q(dir).trimmed());
}

void TfrmPref::btnImageDirClick() {
    const std::string dir = SelectDirectoryDlg(this, S(edtDefImgDir->text()), Language->GetString(2021));
    if (!dir.empty())
        edtDefImgDir->setText(Q(dir).trimmed());
}

void TfrmPref::ShowSwatch(int i) {
    const QColor c = ToQColor(SwatchColours[i]);
    swatches[i]->setStyleSheet(QStringLiteral("background: %1;").arg(c.name()));
}

void TfrmPref::SetColourSwatch(int i) {
    const QColor c = QColorDialog::getColor(ToQColor(SwatchColours[i]), this);
    if (c.isValid()) {
        SwatchColours[i] = FromQColor(c);
        ShowSwatch(i);
    }
}

void TfrmPref::btnResetColorClick() {
    trkGridColor->setValue(50);
    const int defaults[7] = {16777215, 0, 4194432, 10790052, 16711680, 255, 50176};
    for (int i = 0; i < 7; ++i) {
        SwatchColours[i] = defaults[i];
        ShowSwatch(i);
    }
}

void TfrmPref::btnResetClick() {
    spnCellWidth->setValue(15);
    spnLeftMargin->setValue(60);
    spnRightMargin->setValue(30);
    spnTopMargin->setValue(50);
    spnBottomMargin->setValue(40);
    chkLoadPreFile->setChecked(true);
    chkUseChinese->setChecked(true);
    chkColorCopyImage->setChecked(false);
    tbrImageQuality->setValue(10);
    spnPrintAdj->setValue(90);
    NoteFontCharset = 0;
    NoteFontStyle = 1;
    SetFontButton(btnNoteFont, "Arial", 0, 1);
    EnglishFontCharset = 0;
    EnglishFontStyle = 1;
    SetFontButton(btnEnglishFont, "Times New Roman", 0, 1);
    ChineseFontCharset = 134;
    ChineseFontStyle = 1;
    SetFontButton(btnChineseFont, "SimSun", 134, 1);
    spnFooterFontSize->setValue(8);
    chkAllowChineseFileName->setChecked(false);
    chkPrintByBmp->setChecked(true);
    chkAutoImageSize->setChecked(true);
    spnHistoryFileNo->setValue(parts_.Settings.HistoryFileNo);
    cbxPaperSize->setCurrentIndex(0); // Letter: the paper of a first start and of the printer
    rbtPortrait->setChecked(true);
    cbxPaperSizeChange();
    btnResetColorClick();
}

bool TfrmPref::btnOkClick() {
    // Every field is checked before anything is applied.
    double typedW = 0, typedH = 0;
    const struct {
        QLineEdit* edit;
        QLabel* label;
        double* out;
    } sizes[] = {{edtWidth, lblWidth, &typedW}, {edtHeight, lblHeight, &typedH}};
    for (const auto& f : sizes)
        if (!ParseNumber(f.edit->text(), *f.out) || *f.out <= 0.0 || ToInches(*f.out, CurrentUnit()) <= 0.0) {
            Language->MessageOk(sidPaperSizeInvalid, S(f.label->text()), mkError);
            f.edit->setFocus();
            return false;
        }

    TMainScore& s = parts_.Score;
    TMainSettings& m = parts_.Settings;
    TViewPrefs& v = parts_.View;
    ChangeLevel = 0;
    ColoursChanged = false;
    // 2
    v.FooterFontSize = spnFooterFontSize->value();
    m.AllowChineseFileName = chkAllowChineseFileName->isChecked();
    m.PrintByBmp = chkPrintByBmp->isChecked();
    m.AutoImageSize = chkAutoImageSize->isChecked();
    v.ColorCopyImage = chkColorCopyImage->isChecked();
    m.Unit = CurrentUnit();
    // 3
    const int d = 255 - trkGridColor->value();
    const int grid = d | d << 8 | d << 16;
    auto colour = [&](int& target, int value) {
        if (target != value) {
            target = value;
            ColoursChanged = true;
        }
    };
    colour(v.GridColor, grid);
    colour(v.BkColor, SwatchColours[0]);
    colour(v.MainLayerColor, SwatchColours[1]);
    colour(v.BackLayerColor, SwatchColours[2]);
    colour(v.HidenLayerColor, SwatchColours[3]);
    colour(m.KeyDownColor, SwatchColours[4]);
    colour(v.SharpColor, SwatchColours[5]);
    colour(v.FlatColor, SwatchColours[6]);
    if (ColoursChanged)
        ChangeLevel = 1;
    // 4
    auto font = [&](QPushButton* b, std::string& name, int& charset, int& style, int newCharset, int newStyle,
                    bool compareStyle) {
        const std::string caption = S(b->text());
        if (caption != name || (compareStyle && style != newStyle)) {
            name = caption;
            charset = newCharset;
            style = newStyle;
            ChangeLevel = 2;
        }
    };
    font(btnNoteFont, s.NoteFontName, s.NoteFontCharset, s.NoteFontStyle, NoteFontCharset, NoteFontStyle, true);
    font(btnEnglishFont, s.EnglishFontName, s.EnglishFontCharset, s.EnglishFontStyle, EnglishFontCharset,
         EnglishFontStyle, true);
    font(btnChineseFont, s.ChineseFontName, s.ChineseFontCharset, s.ChineseFontStyle, 134, ChineseFontStyle, false);
    // 5
    const float w = static_cast<float>(ToInches(typedW, CurrentUnit()));
    const float h = static_cast<float>(ToInches(typedH, CurrentUnit()));
    if (std::fabs(s.PaperWidth - w) >= 0.1f) {
        s.PaperWidth = w;
        ChangeLevel = 3;
    }
    if (std::fabs(s.PaperHeight - h) >= 0.1f) {
        s.PaperHeight = h;
        ChangeLevel = 3;
    }
    const int type = cbxPaperSize->currentIndex();
    const int orientation = rbtLandscape->isChecked() ? 1 : 0;
    auto page = [&](int& target, int value) {
        if (target != value) {
            target = value;
            ChangeLevel = 3;
        }
    };
    page(s.PaperType, type);
    page(s.PaperOri, orientation);
    page(s.CellWidth, spnCellWidth->value());
    page(s.LeftMargin, spnLeftMargin->value());
    page(s.RightMargin, spnRightMargin->value());
    page(s.TopMargin, spnTopMargin->value());
    page(s.BottomMargin, spnBottomMargin->value());
    // 6
    if (chkUseChinese->isChecked() != parts_.UseChinese) {
        parts_.UseChinese = chkUseChinese->isChecked();
        ChangeLevel = 3;
        LanguageChanged = true;
    } else {
        LanguageChanged = false;
    }
    // 7
    s.PrintZoom = static_cast<float>(spnPrintAdj->value()) * 0.01f;
    m.LoadPreFile = chkLoadPreFile->isChecked();
    m.CopyImageQuality = tbrImageQuality->value();
    // 8
    TPrefDialogValues values;
    values.PaperType = s.PaperType;
    values.PaperWidth = s.PaperWidth;
    values.PaperHeight = s.PaperHeight;
    values.SizeInInches = true;
    values.PaperOri = s.PaperOri;
    values.Unit = m.Unit;
    values.CellSize = s.CellWidth;
    values.LeftMargin = s.LeftMargin;
    values.RightMargin = s.RightMargin;
    values.TopMargin = s.TopMargin;
    values.BottomMargin = s.BottomMargin;
    values.PrintAdj = spnPrintAdj->value();
    values.DefFileDir = S(edtDefFileDir->text());
    values.DefImgDir = S(edtDefImgDir->text());
    values.HistoryFileNo = spnHistoryFileNo->value();
    values.LoadPreFile = m.LoadPreFile;
    values.UseChinese = parts_.UseChinese;
    values.FooterFontSize = v.FooterFontSize;
    values.AllowChineseFileName = m.AllowChineseFileName;
    values.PrintByBmp = m.PrintByBmp;
    values.AutoImageSize = m.AutoImageSize;
    values.ColorCopyImage = v.ColorCopyImage;
    values.CopyImageQuality = m.CopyImageQuality;
    values.GridTrackPosition = trkGridColor->value();
    values.BkColor = v.BkColor;
    values.BackLayerColor = v.BackLayerColor;
    values.HidenLayerColor = v.HidenLayerColor;
    values.KeyDownColor = m.KeyDownColor;
    values.MainLayerColor = v.MainLayerColor;
    values.SharpColor = v.SharpColor;
    values.FlatColor = v.FlatColor;
    SavePreferences(values, parts_);
    return true;
}
