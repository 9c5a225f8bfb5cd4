#include "notation/modTQNotationApi.h"

#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"

void DrawDotGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float factor, TColor color) {
    SetBrushStyle(bsClear);
    SetFontColor(color == -1 ? d->CurColor : color);
    d->DrawTimesText(x, y, ".", cell, factor);
}
