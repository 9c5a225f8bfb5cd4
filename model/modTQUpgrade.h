#pragma once
// Upgrades of cells read from older score files.
//
// Older versions stored accidentals, dots and note styles in Attr as small
// numbers, and some Western rest and bar-line codes under other numbers. Both
// score readers pass what they read through these steps, chosen by the file's
// version V (binary version, or text version x 100). Current files pass
// through unchanged.
#include <cstdint>

#include "model/modTQCell.h"

// Attr of a Western chord note of files below 360.
uint32_t UpgradeChordAttr(int version, uint32_t attr);

// Dot flags kept in Attr by files below 401; owner is the cell the values belong to.
void UpgradeDotFlags(const TCell& owner, uint32_t& attr, uint32_t& option, int version);

// Attr codes of files below 405 (cells, small notes, chord notes from 360 on).
// May change the owning cell's cellType and Note.
uint32_t UpgradeAttrCode(TCell& cell, uint32_t attr, uint32_t& option, int version);

// Western rest and Jianpu bar-line codes of files of version 405 and below.
void UpgradeCellCodes(TCell& cell);
