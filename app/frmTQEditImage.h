#pragma once
// The image-size dialog: an image cell's x and y offsets and its scale, shown
// for the Edit Property command and read back when it closes with OK.
#include <QDialog>

#include "model/modTQCell.h"

class QLineEdit;

class TfrmEditImage : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditImage(QWidget* parent = nullptr);
    QLineEdit *edtXOffset = nullptr, *edtYOffset = nullptr, *edtScale = nullptr;
    // The edits from a cell: offsets and size factor with two decimals.
    void LoadCell(const TCell& cell);

protected:
    void showEvent(QShowEvent* e) override;
};
