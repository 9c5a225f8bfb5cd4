#pragma once
// The Jianpu key dialog: a key letter with its sign, or the fixed key with the
// original key it stands for. Its answer is a key text such as "1=bE".
#include <QDialog>
#include <string>

#include "palettes/modTQDialogs.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TKeySignature : public QDialog {
    Q_OBJECT
public:
    explicit TKeySignature(QWidget* parent = nullptr);
    QComboBox* cbxKeyLetter = nullptr;
    QRadioButton *rbtSharp = nullptr, *rbtFlat = nullptr, *rbtNatural = nullptr;
    QComboBox* cbxOrignaldKey = nullptr; // the 15 key names, index = key code
    QLabel* lblOrignalKey = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

    // "G", natural, the fixed-key item as the eighth letter, original key "C".
    void FormShow();
    void cbxKeyLetterChange();
    std::string BuildKeyText() const;
    // What the controls show.
    TKeySignChoice Choice() const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void ShowChoice(const TKeySignChoice& k);
    bool showing_ = false;
};

struct TKeySignAnswer {
    std::string keyText;   // "1=" ...
    bool fixedKey = false; // the eighth item was chosen
    int originalKey = 0;   // key code chosen in the original-key list
};
// Shows the dialog modally; on OK stores the choice and returns true.
bool AskKeySign(QWidget* parent, TKeySignAnswer& answer);
