#pragma once
// The folder play-list dialog: a folder, its score files to check, and how
// many times the checked files are played in turn.
#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

class TfrmPlayList : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPlayList(QWidget* parent = nullptr);

    QLineEdit* lstFold = nullptr;      // the folder
    QToolButton* btnBrowse = nullptr;  // chooses the folder
    QSpinBox* spnCycleTimes = nullptr; // 1..100
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QListWidget* lstPlayFiles = nullptr;
    QPushButton* btnSelAll = nullptr;
    QPushButton* btnUnselAll = nullptr;

    // Folder of the score file name (when it has one), then FillFileList.
    void FormShow(const std::string& scoreFileName);
    // Lists the folder's score files, every one checked.
    void FillFileList();
    void btnSelAllClick();
    void btnUnselAllClick();
    // Checked entries, in list order (names without folder).
    std::vector<std::string> CheckedFiles() const;
    std::string Folder() const;
    int CycleTimes() const;
};
