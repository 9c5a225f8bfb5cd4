#pragma once
// The faces of the palette buttons: each symbol drawn by the score's own
// drawers on a private page, cut out and fitted to the button.
#include <QImage>
#include <map>
#include <vector>

#include "model/modTQCell.h"

enum TPaletteFaceKind {
    pfSpecial,     // special-symbol codes (a symbol cell)
    pfDynMark,     // mark kinds (a mark over three columns)
    pfGongche,     // Gongche Tags 1..35, -1..-9 and marks 101..105
    pfTextSymbol,  // text-symbol ids
};

// The pictures of the tags, each at most size x size pixels; a tag whose
// drawing leaves no ink gets no entry. The current score is left as it was.
std::map<int, QImage> DrawPaletteFaces(TPaletteFaceKind kind, const std::vector<int>& tags, int size);

// The pictures of the given cells, each drawn alone on a private page and
// fitted into size x size pixels; a cell that leaves no ink gives a null image.
std::vector<QImage> DrawCellFaces(const std::vector<TCell>& cells, int size);
