#pragma once
// The compression-rate dialog, also used for the vertical rate.
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TfrmShrinkRate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmShrinkRate(QWidget* parent = nullptr);
    QSpinBox* spnShrinkRate = nullptr; // 30 .. 130 percent
    QCheckBox* chkSetDefShrinkRate = nullptr;
    QLabel* lblEnterRate = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    // The spin shows a stored compression rate (0 counts as 15) plus 65.
    void PresetCompression(int rate);
    // The spin shows a stored vertical rate plus 80; caption and label both
    // become string 921.
    void PresetVertRate(int rate);

protected:
    void showEvent(QShowEvent* e) override;
};

struct TShrinkRateAnswer {
    int percent = 80;        // the spin's value
    bool setDefault = false; // "set as default" checked
};
// Shows the dialog modally for a stored compression rate (vertical: a stored
// vertical rate); on OK fills answer and returns true.
bool AskShrinkRate(QWidget* parent, bool vertical, int storedRate, TShrinkRateAnswer& answer);
