#include "palettes/frmTQCellProperty.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "palettes/modTQDialogs.h"

TfrmCellProperty::TfrmCellProperty(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Cell Property"));
    auto* box = new QVBoxLayout(this);
    strCellProp = new QTableWidget(15, 4, this);
    strCellProp->horizontalHeader()->hide();
    strCellProp->verticalHeader()->hide();
    for (int c = 0; c < 4; ++c) strCellProp->setColumnWidth(c, 80);
    box->addWidget(strCellProp);
    auto* panel = new QHBoxLayout;
    auto* button = new QPushButton(QStringLiteral("debug"), this);
    edtDebug = new QLineEdit(this);
    panel->addWidget(button);
    panel->addWidget(edtDebug);
    box->addLayout(panel);
    connect(button, &QPushButton::clicked, this, [this] { Button1Click(); });
    resize(4 * 80 + 24, 15 * 24 + 60);
}

void TfrmCellProperty::FormShow() {
    TCell cell;
    GetCursorCell(cell);
    const TMainScore* s = frmMainTQ;
    setWindowTitle(QString::fromStdString(CellPropertyCaption(s ? s->SelCol0 : 0, s ? s->SelRow0 : 0)));
    const TCellPropGrid grid = CellPropertyGrid(cell);
    for (int r = 0; r < 15; ++r)
        for (int c = 0; c < 4; ++c)
            strCellProp->setItem(r, c, new QTableWidgetItem(QString::fromStdString(grid[std::size_t(r)][std::size_t(c)])));
}

void TfrmCellProperty::Button1Click() {
    TCell cell;
    GetCursorCell(cell);
    edtDebug->setText(QString::fromStdString(CellPropertyDebugText(cell)));
}

void TfrmCellProperty::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    FormShow();
}
