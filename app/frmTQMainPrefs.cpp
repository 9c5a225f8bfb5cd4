#include "app/frmTQMainPrefs.h"

#include <QCheckBox>
#include <QSpinBox>

#include "edit/modTQPrefCommand.h"
#include "model/modTQCellAccess.h"
#include "palettes/frmTQShrinkRate.h"

bool mitSpecifyCompClick(QWidget* parent, const std::function<int(QDialog&)>& run) {
    TCell cell;
    GetCursorCell(cell);
    TfrmShrinkRate dialog(parent);
    dialog.PresetCompression(cell.shrinkRate);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    ApplySpecifiedCompression(cell, dialog.spnShrinkRate->value() - 65, dialog.chkSetDefShrinkRate->isChecked());
    return true;
}
