#pragma once
// The image export dialog: JPEG or BMP files of a chosen width, or one PDF
// file, in colour or black and white, of the selected cells, the current page
// or all pages, with the page footer.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

class TfrmSaveImage : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSaveImage(QWidget* parent = nullptr);

    QRadioButton *rbtJPEG = nullptr, *rbtBMP = nullptr, *rbtPDF = nullptr;
    QLabel *lblImgName = nullptr, *lblImgWidth = nullptr, *lblPixel = nullptr;
    QSpinBox* spnImgWidth = nullptr;
    QGroupBox *gbxColor = nullptr, *gbxPage = nullptr;
    QRadioButton *rbtBW = nullptr, *rbtColor = nullptr;
    QRadioButton *rbtSelectedArea = nullptr, *rbtCurrentPage = nullptr, *rbtAllPage = nullptr;
    QCheckBox *chkIncludeTitle = nullptr, *chkIncludePageN = nullptr;
    QLineEdit* edtTitle = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

    // Asks for the file to write (filter as in a save dialog); "" when
    // cancelled. Tests answer it; the default is a save dialog.
    std::function<std::string(const QString& filter)> OnAskFileName;

    // Title, localisation, the stored [Pref] keys.
    void FormShow();
    void rbtJPEGClick();
    void rbtBMPClick();
    void rbtPDFClick();
    // Runs the export; the dialog stays open (CanCloseDialog false) when the
    // file dialog was cancelled or an overwrite refused.
    void btnOKClick();
    // Closing either way: writes the [Pref] keys.
    void FormClose();

    bool CanCloseDialog = true;
    int ExportPageCount = 0;
    std::vector<std::string> Written; // files of the last export

protected:
    void done(int result) override;
};

// The File menu's Save as Image: the dialog over the current score; the view's
// page, zoom and grid flag are put back and the page redrawn.
void mitSavetoBMPClick(QWidget* parent);
// The same on a given dialog, exec answering it (for tests).
int RunSaveImageCommand(TfrmSaveImage& dialog, const std::function<int(TfrmSaveImage&)>& exec);
