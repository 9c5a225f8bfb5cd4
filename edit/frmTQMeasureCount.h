#pragma once
// The measure-number dialog: every N measures or the beginning of each line,
// the scope, the first number and the vertical offset; Remove takes the
// numbers of the scope away instead. It lives for one command.
#include <QDialog>

#include "edit/frmTQBreakdown.h"
#include "edit/modTQMeasureCount.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TfrmMeasureCount : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMeasureCount(QWidget* parent = nullptr);

    TMeasureCount Logic;

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton *rbtEvery = nullptr, *rbtBegLine = nullptr;
    QSpinBox* spnMeasureInc = nullptr;
    QLabel* Label2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton *rbtEntirePeice = nullptr, *rbtCurrentToEnd = nullptr, *rbtSelectedLine = nullptr;
    QLabel *Label1 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QSpinBox *spnStartNo = nullptr, *spnPosOff = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr, *btnRemoveMsure = nullptr;

    void FormShow();
    void FormActivate();
    // Asks by scope; Yes closes the dialog with OK in remove mode.
    void btnRemoveMsureClick();
    void rbtEveryClick() {}
    void rbtBegLineClick() {}
    // The controls into Logic.Options.
    void TakeOptions();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

// The Tool menu's "Add Measure Numbers" command. Returns whether it ran.
bool mitAddMeasureCountClick(QWidget* parent, const TDialogRunner& run = {});
