#pragma once
// The preferences dialog: page geometry, fonts, printing, folders, copied
// images and display colours. It reads the main window's parts when shown and
// writes them, and TQ.ini, only on OK.
#include <QDialog>

#include <string>

#include "lang/modTQPref.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

// A paper size typed in the unit shown, as inches: millimetres are rounded up
// to hundredths of an inch (210 mm gives 8.27).
double ToInches(double value, int unit);
// The factor of an image-quality step: 0.2 + 0.08 p below 10, else 1 + 0.2 (p - 10).
double ImageQualityFactor(int position);
// The physical size of a value in page units on paper of that width:
// 3 decimals and '"' in inches, 2 decimals and " mm" in millimetres.
std::string PageUnitSizeText(int value, double paperWidthInches, int unit);

class TfrmPref : public QDialog {
    Q_OBJECT
public:
    TfrmPref(TPrefParts& parts, QWidget* parent = nullptr);

    // --- what the window reads after OK ---
    int ChangeLevel = 0; // 0 nothing, 1 colours, 2 fonts, 3 page geometry or language
    bool ColoursChanged = false;
    bool LanguageChanged = false;

    // --- handlers ---
    void FormShow();
    void FormActivate();
    // Checks every field, then applies and saves; false (nothing applied) when a
    // field cannot be used: the dialog stays open.
    bool btnOkClick();
    void btnResetClick();
    void btnResetColorClick();
    void cbxPaperSizeChange();
    void rgbPaperOriClick();
    void rgbUnitClick();
    void spnCellWidthChange();
    void tbrImageQualityChange();
    void btnNoteFontClick();
    void btnChineseFontClick();
    void btnEnglishFontClick();
    void btnFileDirClick();
    void btnImageDirClick();
    // The colour dialog for swatch i (0 background .. 6 flat).
    void SetColourSwatch(int swatch);

    int CurrentUnit() const;

    // --- components ---
    QTabWidget* pagPref = nullptr;
    QSpinBox *spnCellWidth = nullptr, *spnLeftMargin = nullptr, *spnRightMargin = nullptr, *spnTopMargin = nullptr,
             *spnBottomMargin = nullptr;
    QLabel *lblCellW = nullptr, *lblML = nullptr, *lblMR = nullptr, *lblMT = nullptr, *lblMB = nullptr;
    QComboBox* cbxPaperSize = nullptr;
    QLineEdit *edtWidth = nullptr, *edtHeight = nullptr;
    QLabel *lblWidth = nullptr, *lblHeight = nullptr, *lblWUnit = nullptr, *lblHUnit = nullptr;
    QRadioButton *rbtPortrait = nullptr, *rbtLandscape = nullptr, *rbtInches = nullptr, *rbtMillimetres = nullptr;
    QPushButton *btnNoteFont = nullptr, *btnChineseFont = nullptr, *btnEnglishFont = nullptr;
    QCheckBox *chkUseChinese = nullptr, *chkAllowChineseFileName = nullptr, *chkAutoImageSize = nullptr,
              *chkColorCopyImage = nullptr, *chkPrintByBmp = nullptr, *chkLoadPreFile = nullptr;
    QSlider* tbrImageQuality = nullptr;
    QLabel* lblQuality = nullptr;
    QSpinBox *spnPrintAdj = nullptr, *spnFooterFontSize = nullptr, *spnHistoryFileNo = nullptr;
    QLineEdit *edtDefFileDir = nullptr, *edtDefImgDir = nullptr;
    QSlider* trkGridColor = nullptr;
    QLineEdit* swatches[7] = {};
    QPushButton *btnReset = nullptr, *btnOk = nullptr, *btnCancel = nullptr;

    // Style bits (1 bold, 2 italic, 4 underline, 8 strikeout) and charsets of
    // the three font buttons.
    int NoteFontStyle = 1, EnglishFontStyle = 1, ChineseFontStyle = 0;
    int NoteFontCharset = 0, EnglishFontCharset = 0, ChineseFontCharset = 134;
    int SwatchColours[7] = {};

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetFontButton(QPushButton* button, const std::string& name, int charset, int style);
    void PickFont(QPushButton* button, int mode, int& style, int& charset, int fixedCharset);
    void ShowSwatch(int swatch);
    void SetPaperEdits(double width, double height, int decimals, double factor);

    TPrefParts& parts_;
    bool loading_ = false;
};
