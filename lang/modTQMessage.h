#pragma once
// Message boxes by string id.
//
// A box has one of three button sets (Yes and Cancel, Yes and No, OK alone) and
// one of four kinds; its caption is the kind's caption string, " - " and the id,
// so a user's report names the message exactly in either language. The entry
// points are members of TLanguage (lang/modTQLanguage.h); this unit holds the
// kind table and routes the lower layers' MessageById through the language
// object.
#include "platform/core/TQMessage.h"

// Caption string of a kind: 1048 warning, 1051 error, 1049 information,
// 1050 confirmation.
int KindCaptionId(TMsgKind kind);
// Icon page of a kind: 0 warning, 1 confirmation, 2 information, 3 error.
int KindIconPage(TMsgKind kind);

// Default text of the "do not show again" check box.
inline constexpr int kDontShowAgainId = 2700;
// The overwrite question of save dialogs.
inline constexpr int kOverwriteQuestionId = 2701;

// Makes MessageById (platform/core/TQMessage.h) speak through the program-wide
// language object. LoadLanguageDll calls it; calling it again does no harm.
void InstallMessageByIdHandler();
