#pragma once
// The music-title dialog of the book window.
#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

class TfrmMusicTitle : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMusicTitle(QWidget* parent = nullptr);
    QLineEdit* edtMusicTitle = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

// Shows the dialog modally with title (UTF-8); on OK stores the edited title
// and returns true.
bool AskMusicTitle(QWidget* parent, std::string& title);
