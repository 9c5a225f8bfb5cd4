#pragma once
// The text-line dialog: every non-blank line becomes a text cell in the cursor
// row, one after the other.
#include <QDialog>

class QPlainTextEdit;

class TfrmText : public QDialog {
    Q_OBJECT
public:
    explicit TfrmText(QWidget* parent = nullptr);
    QPlainTextEdit* edtText = nullptr;
    // Writes the lines (GBK for lines with Chinese characters) and accepts.
    void btnOKClick();

protected:
    void showEvent(QShowEvent* e) override;
};
