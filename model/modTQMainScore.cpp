#include "model/modTQMainScore.h"

TMainScore* frmMainTQ = nullptr;
int CurLayer = 0;

TMainScore::TMainScore() = default;

TMainScore::~TMainScore() {
    if (frmMainTQ == this)
        frmMainTQ = nullptr;
}

void TMainScore::SetModified(bool modified) {
    Modified = modified;
    if (OnModifiedChanged)
        OnModifiedChanged(modified);
}
