#pragma once
// The about box: program name, version, author and where to get the program.
#include <QDialog>

#include <string>

class QLabel;
class QPushButton;

// The version line: "Release 5.2" in English, string 1001 + " " + version in
// Chinese.
std::string AboutVersionLine(bool chinese, const std::string& versionWord);
// "5.2000" style text with its trailing zeros cut (at least one decimal stays).
std::string TrimVersionZeros(const std::string& fixed);

class TfrmAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblAuthorCaption = nullptr;
    QLabel* lblAuthor = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblAllRight = nullptr;
    QLabel* lblFontLicence = nullptr;
    QPushButton* OKButton = nullptr;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
};
