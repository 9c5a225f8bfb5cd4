#pragma once
// Text symbols, text cells, images, the page background, time signatures,
// tempo marks, instrument marks and Gongche cells.
#include <string>

#include "model/modTQCell.h"

class TDrawEngine;

// The cell is a copy; its size factor may be changed in it.
void DrawTextSymbol(TDrawEngine* d, float x, float y, TCell cell);
// (col, row) place the cell on the current page: a syllable under a Jianpu note
// (a lyric) is centred under it and set to fit its room; -1 draws any text cell
// where it stands.
void DrawTextCell(TDrawEngine* d, float x, float y, const TCell& cell, int col = -1, int row = -1);
void DrawTempoMark(TDrawEngine* d, float x, float y, int col, int row);
void DrawInsertedImage(TDrawEngine* d, float x, float y, const TCell& cell);
// Draws the page's background image; true when the page has one.
bool DrawPageBackground(TDrawEngine* d);
// On a Jianpu row the fraction's bar stands this share of the row height
// below the row's top, level with the middle of the digits of a note row;
// key texts stand level with it.
constexpr float kTimeSignatureBar = 0.45f;
void DrawTimeSignature(TDrawEngine* d, float x, float y, const TCell& cell, bool westRow);
void DrawInstrumentMark(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawGongcheCell(TDrawEngine* d, float x, float y, const TCell& cell);

// The picture file an image cell names: the stored path (either separator),
// else a file of its base name in the saved-image folder, the score's folder or
// the program folder. "" when there is none.
std::string FindPictureFile(const std::string& stored);
// Instrument picture (0..8) of an instrument number 0..128; -1 for others.
int InstrumentImageIndex(int instrument);
// The note a tempo cell draws: note kind 1, 2, 4 (anything else 2) as a half,
// quarter or eighth note with its stem up; shift is 0.4 for the eighth, else 0.
TCell TempoNoteCell(const TCell& tempo, float& shift);
