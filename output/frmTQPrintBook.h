#pragma once
// The print-book dialog: two pages (options, then which scores and progress)
// and a button bar. Its Print button runs the book window's printing; its
// Cancel button asks a running print to stop.
#include <QDialog>
#include <functional>

#include "output/modTQBookPrint.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

class TfrmPrintBook : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPrintBook(QWidget* parent = nullptr);

    QStackedWidget* nbkPrintBook = nullptr;
    QGroupBox *rgpPrinterType = nullptr, *rgpPrintSide = nullptr, *rgpPrintMusic = nullptr,
              *gbxStartPage = nullptr;
    QRadioButton *rbtOneSide = nullptr, *rbtTwoSides = nullptr;
    QRadioButton *rbtBothSides = nullptr, *rbtFrontSide = nullptr, *rbtBackSide = nullptr;
    QRadioButton *rbtAllMusics = nullptr, *rbtCurrentMusic = nullptr, *rbtSelectedMusics = nullptr,
                 *rbtSpecifiedPages = nullptr;
    QCheckBox *chkTableContent = nullptr, *chkIncTitlePage = nullptr, *chkIncludeMusic = nullptr,
              *chkFileNameOnTop = nullptr, *chkTitleOnBottom = nullptr, *cbxPrintInColor = nullptr;
    QSpinBox *spnFromPage = nullptr, *spnToPage = nullptr;
    QLabel *lblHeadFoot = nullptr, *lblFromPage = nullptr, *lblToPage = nullptr;
    QProgressBar* prgPrintBook = nullptr;
    // The book into one PDF file instead of onto the printer; with no printer
    // installed always, and the label says why.
    QCheckBox* chkPrintToPdf = nullptr;
    QLabel* lblNoPrinter = nullptr;
    // Asks for the PDF file; tests answer it. The default is a save dialog.
    std::function<std::string()> OnAskPdfFile;
    QPushButton *btnPrintSetup = nullptr, *btnPrevious = nullptr, *btnNext = nullptr, *btnPrint = nullptr,
                *btnCancel = nullptr;

    bool CancelPrintRequest = false;
    // The book printing run by Print; the book window sets it.
    std::function<void(TfrmPrintBook&)> OnPrintBook;
    // Whether the book window is printing (Cancel then only asks to stop).
    std::function<bool()> IsPrinting;

    void FormShow();
    void chkIncludeMusicClick();
    void chkTableContentClick();
    void rgpPrinterTypeClick();
    void rgpPrintMusicClick();
    void btnNextClick();
    void btnPreviousClick();
    void btnPrintClick();
    void btnCancelClick();

    // The choices as options of a book run (CurrentRow is the caller's).
    TBookPrintOptions Options() const;
    bool InColor() const;
    bool TitleOnBottom() const;
    bool FileNameOnTop() const;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
};
