#pragma once
// The print dialog and the print command: which pages, how many copies, grid,
// colour and the page footer (page numbers from a chosen start, the title, the
// file name). The dialog is made once and shown again for every print.
#include <QDialog>
#include <functional>
#include <string>

#include "output/modTQPrint.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;
class TMainView;

class TfrmPrint : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget* parent = nullptr);

    QGroupBox* rgpPrintPage = nullptr;
    QRadioButton *rbtAllPages = nullptr, *rbtCurrentPage = nullptr;
    QSpinBox* spnPrintCopies = nullptr;
    QLabel *lblNoCopies = nullptr, *lblPageStart = nullptr, *lblHeadFoot = nullptr;
    QCheckBox *chkGrid = nullptr, *cbxPrintInColor = nullptr, *chkIncludePageN = nullptr,
              *chkIncludeTitle = nullptr, *chkIncludeFileName = nullptr;
    // The pages go to a PDF file instead of a printer; the only target, and
    // said so, when no printer is installed.
    QCheckBox* chkPrintToPdf = nullptr;
    QLabel* lblNoPrinter = nullptr;
    // Asks the PDF file's name; "" when cancelled.
    std::function<std::string()> OnAskPdfFile;
    QSpinBox* spnPageN = nullptr;
    QLineEdit* edtTitle = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr, *btnPrintSetup = nullptr;

    // Localises, shows the score's page-number start, the printer in the
    // caption, and reads the [Print] keys. Without an installed printer the
    // PDF target is chosen and cannot be left.
    void FormShow();
    // Before closing with OK: the footer title and the page-number start go to
    // the score.
    void btnOkClick();
    // Closing either way: writes the [Print] keys.
    void FormClose();
    void btnPrintSetupClick();
    // The caption: string 2213, and " - " + the printer's name when one is chosen.
    void ShowPrinterInCaption();

    // The choices as print options.
    TPrintOptions Options() const;
    // With the PDF target chosen: asks the file (".pdf" added when it has no
    // extension; an existing file only when the user agrees to replace it).
    // "" when cancelled or when a printer is the target.
    std::string ChoosePdfFile();

protected:
    void done(int result) override;
};

// The dialog of the main window (made on first use).
TfrmPrint& PrintDialog(QWidget* parent = nullptr);

// The printer the program prints on: the one named in the preferences when it
// is installed, else the one at the stored index, else the system's default.
QPrinter& MainPrinter();
// Name of the chosen printer; "" when there is none.
std::string MainPrinterName();
// The PDF target of a print dialog: its check box (2225) and the label that
// says no printer is installed (2226, hidden), made on parent.
void MakePdfTargetControls(QWidget* parent, QCheckBox*& check, QLabel*& noPrinter);
// With no printer installed the PDF target is on and cannot be turned off, the
// label shows and the printer setup is off; with one, the user chooses.
void ShowPdfTargetState(QCheckBox* check, QLabel* noPrinter, QPushButton* printSetup);
// A save dialog for a PDF file ("" when cancelled).
std::string AskPdfFileName(QWidget* parent);
// The PDF file to print into: ask's answer with ".pdf" added when it has no
// extension; an existing file only when the user agrees to replace it (2701).
// "" when cancelled or refused.
std::string AskPdfTarget(const std::function<std::string()>& ask);
// Printer setup (paper, orientation); keeps the printer's name in the
// preferences. False when cancelled.
bool mitPrinterSetupClick(QWidget* parent);

// The print command on a view and a sink: the title into the dialog, the
// dialog (exec answers it), the PDF file when that is the target, then
// printing by bitmap or directly as the preferences say. The view's page, zoom, grid and canvas are put back and the
// page redrawn in every case. True when something was printed.
bool RunPrintCommand(TMainView& view, TfrmPrint& dialog, TPrintSink& sink,
                     const std::function<int(TfrmPrint&)>& exec);
// The File menu's Print: the command on the main printer.
void btnPrintClick(QWidget* parent);
// Prints every page of the current score on the main printer without the dialog.
bool PrintScoreOnPrinter();
