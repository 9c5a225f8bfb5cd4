#include "render/modTQDrawWest.h"

#include "model/modTQMainScore.h"
#include "render/modTQDrawBase.h"
#include "render/modTQMainView.h"

TColor GetHighlightColor(const TDrawBaseObj* d) {
    return CurLayer == MainView()->btnLayerImageIndex - 60 ? d->EditLayerHighlightColor
                                                              : d->OtherLayerHighlightColor;
}
