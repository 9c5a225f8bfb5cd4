#pragma once
// The symbol bitmaps of the drawing object, made by the program itself.
//
// The drawers load symbol pictures by name: the 30 names of the symbol table
// ("ij", "GClef", ... "Rest128th"), the note heads "noteS", "noteH", "noteF",
// the flags "UpTail", "DnTail" with the suffixes "1" (last flag) and "2" (the
// others), and the nine instrument pictures. Here they are rendered from the
// music font (Bravura) or drawn, once per run, and kept in memory.
//
// Every picture is black ink on a white background, with no grey: white is the
// transparent colour, and recolouring (every pixel whose red, green and blue are
// all below 100 takes the new colour) reaches all of the ink. The pictures are
// large (a staff space is kSymbolImageStaffSpace pixels) and are stretched by
// the drawers to the size they need; each is cropped to its ink, so its top-left
// corner is the ink's top-left corner, except the note heads, whose pictures
// keep the margin the note drawer expects left of the head.
#include <QImage>

#include <string>
#include <vector>

// Pixels per staff space of the rendered music symbols.
constexpr int kSymbolImageStaffSpace = 48;

// True when SymbolImage(name) gives a picture. Names ignore case. The pictures
// that come from the music font need LoadProgramFonts to have loaded it.
bool HasSymbolImage(const std::string& name);

// The picture for a name (a shared, implicitly copied QImage); a null image when
// the name is unknown or its font is not loaded.
QImage SymbolImage(const std::string& name);

// Every name SymbolImage knows, in a fixed order.
std::vector<std::string> SymbolImageNames();

// Instrument picture 0..8 (the name "Instrument" + index); null outside 0..8.
QImage InstrumentImage(int index);
