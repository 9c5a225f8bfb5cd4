#pragma once
// The part-breakdown dialog: the rule, the parts, the lines taken with each
// staff and system, and the empty rows between systems. It lives for one
// command.
#include <QDialog>

#include <functional>

#include "edit/modTQBreakdown.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TfrmBreakdown : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBreakdown(QWidget* parent = nullptr);

    TBreakdown Logic;

    QLabel* lblRule = nullptr;
    QComboBox* cbxRule = nullptr;
    QLabel* lblPartToPick = nullptr;
    QLineEdit* edtPick = nullptr;
    QLabel* lblExample = nullptr;
    QLabel* lblLineCount = nullptr;
    QCheckBox *chkTop = nullptr, *chkPre = nullptr, *chkFollow = nullptr;
    QSpinBox *spnTop = nullptr, *spnPre = nullptr, *spnFollow = nullptr, *spnSpace = nullptr;
    QLabel* lblSpaceBtw = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr;

    void FormShow();
    void FormActivate();
    void cbxRuleChange();
    void btnOkClick();
    // The controls into Logic.Options.
    void TakeOptions();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

// Runs a modal dialog; tests answer it instead of a user.
using TDialogRunner = std::function<int(QDialog&)>;

// The Tool menu's "Part Breakdown" command. Returns whether the score changed.
bool BreakDown1Click(QWidget* parent, const TDialogRunner& run = {});
