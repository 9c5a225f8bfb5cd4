#pragma once
// The exercise-sheet window: start page, pages to print, the answer page, a
// fresh sheet, print and close. A fixed tool dialog that stays on top.
#include <QDialog>

#include "palettes/modTQMath.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TfrmMath : public QDialog, public TMathSheet {
    Q_OBJECT
public:
    explicit TfrmMath(QWidget* parent = nullptr);
    QLineEdit *edtPageN = nullptr, *edtPrintN = nullptr;
    QCheckBox* chkAns = nullptr;
    QPushButton *btnDoMath = nullptr, *btnPrintMath = nullptr, *btnClose = nullptr;

    void FormShow();
    void btnDoMathClick();
    void edtPageNExit();
    void edtPrintNExit();
    void chkAnsClick();
    void btnPrintMathClick();
    void btnCloseClick();

protected:
    void showEvent(QShowEvent* e) override;
};
