#include "edit/modTQEditContext.h"

#include "model/modTQMainScore.h"
#include "model/modTQUndo.h"

const TMainSettings& EditSettings() {
    if (const auto* settings = dynamic_cast<const TMainSettings*>(frmMainTQ))
        return *settings;
    static const TMainSettings defaults;
    return defaults;
}

void SaveLayerBlock(int x1, int y1, int x2, int y2) {
    const bool both = Undo.BothLayers;
    Undo.BothLayers = false;
    Undo.SaveBlock(x1, y1, x2, y2, -1);
    Undo.BothLayers = both;
}
