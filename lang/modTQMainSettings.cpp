#include "lang/modTQMainSettings.h"

#include "model/modTQMainScore.h"
#include "platform/core/TQFiles.h"

void TMainSettings::SetDefaultFolders(const std::string& folder) {
    const std::string base = IncludeTrailingSeparator(folder);
    MusicFolder = base + "Music/";
    ImageFolder = base + "Image/";
    CurFileFolder = MusicFolder;
}

TMainSettings* MainSettings() { return dynamic_cast<TMainSettings*>(frmMainTQ); }
