#pragma once
// The cell property view: the fields of the cursor cell in a 4 x 15 grid.
#include <QWidget>

class QLineEdit;
class QTableWidget;

class TfrmCellProperty : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCellProperty(QWidget* parent = nullptr);
    QTableWidget* strCellProp = nullptr;
    QLineEdit* edtDebug = nullptr;
    // Fills the grid from the cursor cell of the current page and layer.
    void FormShow();
    void Button1Click();

protected:
    void showEvent(QShowEvent* e) override;
};
