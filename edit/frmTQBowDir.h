#pragma once
// The "Bow Direction" tool window: where signs go, how far, arrows or
// symbols, the first direction and the line rule; Add, Clear, Reverse. It is
// created once, stays on top and keeps its settings while the program runs;
// the sign type persists in TQ.ini.
#include <QWidget>

#include "edit/modTQBowDir.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TfrmBowDir : public QWidget {
    Q_OBJECT
public:
    // FormCreate: the sign type from the preferences.
    explicit TfrmBowDir(QWidget* parent = nullptr);
    // FormDestroy: the sign type back to the preferences.
    ~TfrmBowDir() override;

    TBowDir Bow;

    QGroupBox* gbxBowMeasure = nullptr;
    QRadioButton *rbtEveryNote = nullptr, *rbtEveryMeasure = nullptr, *rbtEveryOther = nullptr;
    QGroupBox* rgpApplyTo = nullptr;
    QRadioButton* rgpApplyToItems[3] = {};
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton *rbtArrow = nullptr, *rbtSymbol = nullptr;
    QLabel *imgBowPull1 = nullptr, *imgBowPush1 = nullptr, *imgBowPull2 = nullptr, *imgBowPush2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton *rbtPull = nullptr, *rbtPush = nullptr;
    QLabel *imgStartPull1 = nullptr, *imgStartPush1 = nullptr, *imgStartPull2 = nullptr, *imgStartPush2 = nullptr;
    QLabel* lblLineRule = nullptr;
    QComboBox* cbxLineRule = nullptr;
    QPushButton *btnOk = nullptr, *btmClearBowSign = nullptr, *btnReverse = nullptr, *btnCancel = nullptr;

    void FormShow();
    void FormActivate();
    void rbtArrowClick();
    void rbtSymbolClick();
    bool btnOkClick();
    bool btmClearBowSignClick();
    bool btnReverseClick();
    void btnCancelClick();
    // The controls into Bow.Options.
    void TakeOptions();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowStartImages();
};

// The main window's "Bow Direction ..." item: the window (made on first use,
// owned by the main window) shown beside it, centred on it.
TfrmBowDir* mitBowDirectionClick(QWidget* mainWindow);
