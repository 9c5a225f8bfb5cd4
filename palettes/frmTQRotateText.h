#pragma once
// The rotate-text dialog: an angle in degrees, with five preset angles.
#include <QDialog>

class QPushButton;
class QRadioButton;
class QSpinBox;

class TfrmRotateText : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRotateText(QWidget* parent = nullptr);
    QSpinBox* spnRotText = nullptr; // -180 .. 180
    // Their Tags are their angles: 45, 90, -45, -90, 0.
    QRadioButton *rbt45 = nullptr, *rbt90 = nullptr, *rbtN45 = nullptr, *rbtN90 = nullptr, *rbt0 = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    // Sets the angle to the clicked preset's Tag.
    void rbt45Click(QRadioButton* sender);

protected:
    void showEvent(QShowEvent* e) override;
};

// Shows the dialog modally starting at degrees; on OK stores the chosen angle
// (degrees) and returns true.
bool AskRotateText(QWidget* parent, int& degrees);
