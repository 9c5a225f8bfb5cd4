#pragma once
// Text symbols, text cells, images, the page background, time signatures,
// tempo marks, instrument marks and Gongche cells.
#include "model/modTQCell.h"

class TDrawEngine;

// The cell is a copy; its size factor may be changed in it.
void DrawTextSymbol(TDrawEngine* d, float x, float y, TCell cell);
void DrawTextCell(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawTempoMark(TDrawEngine* d, float x, float y, int col, int row);
void DrawInsertedImage(TDrawEngine* d, float x, float y, const TCell& cell);
// Draws the page's background image; true when the page has one.
bool DrawPageBackground(TDrawEngine* d);
void DrawTimeSignature(TDrawEngine* d, float x, float y, const TCell& cell, bool westRow);
void DrawInstrumentMark(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawGongcheCell(TDrawEngine* d, float x, float y, const TCell& cell);
