#pragma once
// The Preferences command of the main window: the preferences dialog, then
// the running window brought in line with what changed.
#include "edit/frmTQBreakdown.h"
#include "edit/modTQPrefCommand.h"
#include "lang/modTQPref.h"

class QWidget;

// Shows the preferences dialog (modal); after OK applies the changes
// (ApplyPreferenceChanges). False when the dialog was cancelled or a smaller
// grid was refused.
bool mitPreferenceClick(TPrefParts& parts, QWidget* parent, const TPreferenceHooks& hooks = {},
                        const TDialogRunner& run = {});
