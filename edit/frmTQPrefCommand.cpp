#include "edit/frmTQPrefCommand.h"

#include <QCheckBox>

#include "lang/frmTQPref.h"
#include "render/modTQMainView.h"

bool mitPreferenceClick(TPrefParts& parts, QWidget* parent, const TPreferenceHooks& hooks, const TDialogRunner& run) {
    const int oldCellWidthPx = MainView()->GetCellWidth();
    const TPageGeometry before = TakePageGeometry(parts.Score);
    TfrmPref dialog(parts, parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    TPreferenceResult change;
    change.ChangeLevel = dialog.ChangeLevel;
    change.ColoursChanged = dialog.ColoursChanged;
    change.LanguageChanged = dialog.LanguageChanged;
    change.UseChinese = dialog.chkUseChinese && dialog.chkUseChinese->isChecked();
    return ApplyPreferenceChanges(change, before, oldCellWidthPx, hooks);
}
