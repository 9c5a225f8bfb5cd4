#pragma once
// The time-signature dialog: numerator over a denominator from a list, and on
// a Western row for 4/4 and 2/2 the choice of the "C" sign.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

class TfrmTimeSignature : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTimeSignature(QWidget* parent = nullptr);
    QSpinBox* spnUp = nullptr;   // 1 .. 128
    QComboBox* cbxDn = nullptr;  // "1" "2" "4" "8" "16" "32"
    QCheckBox* chkUseCSymbol = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    // Shows the "C" check box only where the sign may be used.
    void chkUseCSymbolClick();
    // Picks the list entry whose text is the denominator (entry 2, "4", when none is).
    void SetDenominator(int denominator);
    int Denominator() const;
    // The "C" sign is chosen: the box is offered and checked.
    bool UseCSymbol() const;

protected:
    void showEvent(QShowEvent* e) override;
};

struct TTimeSignatureAnswer {
    int numerator = 4;
    int denominator = 4;
    bool useCSymbol = false;
};
// Shows the dialog modally with numerator and denominator of answer (a
// numerator outside 1..128 shows 4); on OK stores the choice and returns true.
bool AskTimeSignature(QWidget* parent, TTimeSignatureAnswer& answer);
