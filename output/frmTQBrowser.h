#pragma once
// The score browser: the scores of one folder with their titles and page
// counts; the chosen one opens in the main window.
#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QTableWidget;

class TfrmBrowser : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBrowser(QWidget* parent = nullptr);

    QLineEdit* edtBrowserDir = nullptr;
    QTableWidget* grdBookMain = nullptr;
    QPushButton *btnEdit = nullptr, *BitBtn1 = nullptr, *BitBtn2 = nullptr;
    // The folder chooser of "New Dir ..."; "" when cancelled. Tests answer it.
    std::function<std::string(const std::string& start)> OnSelectDirectory;

    // Lists the ".mus" files of the folder (any letter case), each loaded
    // quietly into a holder for its title and page count.
    void FillList();
    void btnEditClick();
    // Opens the current row's file in the main window and closes; nothing
    // when the file is gone.
    void OpenCurrent();
    void FormResize();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// The main window's Browser command: the browser over the current file folder;
// afterwards that folder is the one the browser ended in, however it closed.
// exec answers the modal browser (tests); by default it is shown modally.
void mitBrowserClick(QWidget* parent, const std::function<int(TfrmBrowser&)>& exec = nullptr);
