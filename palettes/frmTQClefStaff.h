#pragma once
// The clef-and-staff dialog: a clef tab with the twelve common keys, or the
// "Other" page with the drum and tablature staves and the keys C flat, F sharp
// and C sharp on each of the four clefs.
#include <QDialog>
#include <array>

#include "palettes/modTQDialogs.h"

class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;

class TfrmClefStaff : public QDialog {
    Q_OBJECT
public:
    explicit TfrmClefStaff(QWidget* parent = nullptr);
    QTabBar* tabStaff = nullptr; // G, F, C3, C4, "Other"
    QStackedWidget* pages = nullptr; // 0 the keys of a clef, 1 "Other"
    // rbtC .. rbtGb in key-code order 0..11.
    std::array<QRadioButton*, 12> keyButtons{};
    QRadioButton *rbtDrumStaff = nullptr, *rbtTabStaff = nullptr;
    // C flat, F sharp, C sharp on the G, F, C3 and C4 staves.
    std::array<QRadioButton*, 12> otherButtons{};
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

    // Shows the tab of the clef and checks the button of the key.
    void SetKeyClef(int key, int clef);
    // The key; the clef in clef.
    int GetKeyClef(int& clef) const;
    void tabStaffChange(int tab);

protected:
    void showEvent(QShowEvent* e) override;

private:
    TClefStaffChoice Choice() const;
};

// The picture of a key signature (key code 0..14) on a five-line staff of
// that clef (-1, -2, -3, -5), drawn with the music font.
QPixmap KeySignaturePicture(int key, int clef, int height);

// Shows the dialog modally with key and clef; on OK stores the choice in them
// and returns true.
bool AskClefStaff(QWidget* parent, int& key, int& clef);
