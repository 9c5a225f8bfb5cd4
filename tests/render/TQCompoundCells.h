#pragma once
// Compound Jianpu notes and Gongche cells for the drawing tests, and the texts a
// drawer wrote in a created font (the digits of shrunk, grace and chord cells).
#include <cstdint>
#include <vector>

#include "model/modTQCell.h"
#include "platform/gui/TQRecordingCanvas.h"

// One small note of a compound cell: digit code, underlines, octave, marks and
// option bits.
inline TCompressNote SmallNote(int code, int lines = 0, int octave = 0, uint32_t attr = 0, uint32_t option = 0) {
    TCompressNote n;
    n.code = code;
    n.value = lines;
    n.octave = octave;
    n.attr = attr;
    n.option = option;
    return n;
}

// A Gongche cell of a degree with its octave dots, marks and size.
inline TCell GongcheCell(int note, int dot, uint32_t attr = 0, float size = 1.0f) {
    TCell c;
    c.cellType = ctGongche;
    c.Note = note;
    c.dot = dot;
    c.Attr = attr;
    c.fontSizeR = size;
    return c;
}

// The texts drawn in a created font, in drawing order.
inline std::vector<const TCanvasCall*> Digits(const TRecordingCanvas& rc) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->LogFont)
            out.push_back(t);
    return out;
}

// The octave dots: filled circles, in drawing order.
inline std::vector<const TCanvasCall*> OctaveDots(const TRecordingCanvas& rc) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* e : rc.OfOp(TCanvasOp::Ellipse))
        if (e->Brush.Style == bsSolid)
            out.push_back(e);
    return out;
}
