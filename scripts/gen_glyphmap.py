#!/usr/bin/env python3
"""Generates platform/gui/TQGlyphTable.inc, the table of legacy music-font codes
drawn with Bravura.

Run by hand after changing a rule below, with Bravura's SMuFL metadata.json:

    python3 scripts/gen_glyphmap.py third_party/npm/node_modules/@vexflow-fonts/bravura/metadata.json

Units. Everything is in em of the font size the drawer asked for (E). The legacy
text origin is the top-left corner of the character cell; the table gives where
Bravura's glyph origin (on its baseline) goes from there. Bravura's em is four
staff spaces; its bounding boxes are in staff spaces.

The drawers place every legacy glyph with its reference point (the line a note
or accidental sits on, the foot of a mark) on the legacy baseline, which lies
BASE em below the top of the cell for "MusicalSymbols" and TOCCATA_BASE em for
"Toccata"; the values come from the key-signature, note-head and rest offsets,
which put the glyphs on known staff lines. Rules per glyph:

    x: ("o", v)  glyph origin at v em right of the legacy origin
       ("l", v)  left edge of the ink at v em
    y: ("o", v)  glyph origin (baseline) at v em below the legacy origin
       ("t", v)  top of the ink at v
       ("b", v)  bottom of the ink at v
       ("c", v)  middle of the ink at v
    scale:   glyph size / requested size
    stretch: extra horizontal scale (narrow legacy shapes)
    angle:   extra rotation, tenths of a degree counter-clockwise
"""
import json
import sys

BASE = 1.39          # legacy "MusicalSymbols" baseline below the cell top
TOCCATA_BASE = 0.95  # legacy "Toccata" baseline below the cell top

MS = "MusicalSymbols"
TO = "Toccata"

# (face, code, code point, SMuFL name, role, scale, x rule, y rule, extras)
RULES = [
    # Clefs: the G clef's curl on the second line, the F clef's dots round the
    # fourth line, the C clef's middle on the middle line, each at staff size
    # for the factor the staff header asks (1.5, 1.4, 1.45).
    (MS, 38, 0xE050, "gClef", "G clef", 1.0, ("l", 0.0), ("o", 1.15)),
    (MS, 63, 0xE062, "fClef", "F clef", 1.5 / 1.4, ("l", 0.0), ("o", 0.621)),
    (MS, 66, 0xE05C, "cClef", "C clef", 1.5 / 1.45, ("l", 0.0), ("o", 0.848)),
    # Accidentals: the note's line on the baseline.
    (MS, 35, 0xE262, "accidentalSharp", "sharp", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 98, 0xE260, "accidentalFlat", "flat", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 110, 0xE261, "accidentalNatural", "natural", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 220, 0xE263, "accidentalDoubleSharp", "double sharp", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 186, 0xE264, "accidentalDoubleFlat", "double flat", 1.0, ("l", 0.0), ("o", BASE)),
    # Rests: the middle line at the glyph origin, from the rest drawer's offsets
    # (the row's middle line lies 0.5 row below the row top).
    (MS, 206, 0xE4E5, "restQuarter", "quarter rest", 1.0, ("l", 0.0143), ("o", 0.9643)),
    (MS, 228, 0xE4E6, "rest8th", "eighth rest", 1.5 / 1.4, ("l", 0.027), ("o", 1.447)),
    (MS, 197, 0xE4E7, "rest16th", "16th rest", 1.5 / 1.4, ("l", -0.011), ("o", 1.286)),
    (MS, 168, 0xE4E8, "rest32nd", "32nd rest", 1.5 / 1.4, ("l", -0.011), ("o", 1.179)),
    (MS, 244, 0xE4E9, "rest64th", "64th rest", 1.5 / 1.4, ("l", 0.0), ("o", 1.018)),
    (MS, 229, 0xE4EA, "rest128th", "128th rest", 1.5 / 1.4, ("l", 0.011), ("o", 0.889)),
    # Articulations, at the size of their drawn twins.
    (MS, 62, 0xE4A0, "articAccentAbove", "accent", 1.1, ("l", 0.1), ("o", BASE)),
    (MS, 94, 0xE4AC, "articMarcatoAbove", "marcato above", 1.1, ("l", 0.03), ("b", 1.367)),
    (MS, 118, 0xE4AD, "articMarcatoBelow", "marcato below", 1.1, ("l", 0.03), ("t", 1.056)),
    (MS, 174, 0xE4A6, "articStaccatissimoAbove", "staccatissimo wedge", 0.45, ("l", 0.055), ("o", 1.46),
     {"stretch": 2.0}),
    (MS, 177, 0xE873, "csymMajorSeventh", "hollow triangle", 0.5, ("l", 0.03), ("b", 1.45)),
    (MS, 209, 0xE0BE, "noteheadTriangleUpBlack", "filled triangle", 1.0, ("l", 0.0), ("o", BASE)),
    # Dynamics sit on the baseline like the text they replace.
    (MS, 184, 0xE52A, "dynamicPPP", "ppp", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 185, 0xE52B, "dynamicPP", "pp", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 112, 0xE520, "dynamicPiano", "p", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 80, 0xE52C, "dynamicMP", "mp", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 236, 0xE530, "dynamicFFF", "fff", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 196, 0xE52F, "dynamicFF", "ff", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 102, 0xE522, "dynamicForte", "f", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 70, 0xE52D, "dynamicMF", "mf", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 83, 0xE536, "dynamicSforzando1", "sf", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 90, 0xE535, "dynamicForzando", "fz", 1.0, ("l", 0.0), ("o", BASE)),
    # Ornaments.
    (MS, 217, 0xE566, "ornamentTrill", "trill", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 126, 0xEAA4, "wiggleTrill", "trill wiggle", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 109, 0xE56C, "ornamentShortTrill", "short trill", 0.75, ("l", 0.0), ("o", BASE)),
    (MS, 77, 0xE56D, "ornamentMordent", "mordent", 0.75, ("l", 0.0), ("o", BASE)),
    (MS, 181, 0xE56E, "ornamentTremblement", "tremblement", 0.7, ("l", 0.1), ("o", BASE)),
    (MS, 84, 0xE567, "ornamentTurn", "turn", 1.3, ("l", 0.0), ("o", BASE)),
    (MS, 85, 0xE4C0, "fermataAbove", "fermata above", 1.24, ("l", -0.05), ("o", 1.35)),
    (MS, 117, 0xE4C1, "fermataBelow", "fermata below", 1.24, ("l", -0.05), ("o", 1.31)),
    (MS, 179, 0xE610, "stringsDownBow", "down-bow", 0.75, ("l", 0.043), ("b", 1.383)),
    (MS, 99, 0xE08A, "timeSigCommon", "common time", 1.0, ("l", 0.0), ("o", BASE)),
    (MS, 222, 0xE048, "coda", "coda", 0.4, ("l", -0.06), ("c", 1.386)),
    (MS, 37, 0xE047, "segno", "segno", 0.8, ("l", 0.0), ("c", 1.35)),
    (MS, 212, 0xE500, "repeat1Bar", "one-bar repeat", 1.2, ("l", 0.0), ("c", 1.361)),
    (MS, 190, 0xE222, "tremolo3", "three tremolo strokes", 1.0, ("o", 0.1425), ("c", 1.17)),
    # Note heads: centre on the baseline. The black and the half head keep
    # Bravura's size (1.18 by 1 space); their ink begins where the note
    # drawer's head box, on whose edges the stems stand, begins (the half head
    # is drawn from 0.02 column further right). The note drawer asks the black
    # head at 1.55 and the half head at 1.5.
    (MS, 192, 0xE0A9, "noteheadXBlack", "x note head", 1.0, ("l", 0.014), ("o", BASE)),
    (MS, 246, 0xE0A4, "noteheadBlack", "black note head", 1.5 / 1.55, ("l", 0.0), ("o", BASE)),
    (MS, 250, 0xE0A3, "noteheadHalf", "half note head", 1.0, ("l", -0.01), ("o", BASE)),
    (MS, 119, 0xE0A2, "noteheadWhole", "whole note head", 1.0, ("l", -0.01), ("o", 1.38)),
    (MS, 87, 0xE0A0, "noteheadDoubleWhole", "breve", 1.0, ("l", 0.0), ("o", 1.38)),
    (MS, 225, 0xE0DD, "noteheadDiamondWhite", "white diamond head", 1.0, ("l", 0.021), ("o", BASE)),
    # Flags hang from the stem end: the drawer puts the stem end 0.42 column
    # right of and 0.4 row below an up flag's origin, and 1.83 rows below a
    # down flag's origin.
    (MS, 106, 0xE240, "flag8thUp", "eighth flag up", 1.0, ("o", 0.2625), ("o", 0.5)),
    (MS, 107, 0xE242, "flag16thUp", "16th flags up", 1.0, ("o", 0.2625), ("o", 0.5)),
    (MS, 74, 0xE241, "flag8thDown", "eighth flag down", 1.0, ("o", 0.0), ("o", 2.2875)),
    (MS, 75, 0xE243, "flag16thDown", "16th flags down", 1.0, ("o", 0.0), ("o", 2.2875)),
    (MS, 251, 0xE250, "flagInternalUp", "extra flag piece", 1.0, ("o", 0.2625), ("o", 0.5)),
    # Pedal marks, plus, caesura, arpeggio.
    (MS, 161, 0xE650, "keyboardPedalPed", "pedal", 0.82, ("l", 0.0), ("o", BASE)),
    (MS, 42, 0xE655, "keyboardPedalUp", "pedal up", 0.95, ("l", -0.03), ("b", 1.45)),
    (MS, 43, 0xE5E5, "brassMuteClosed", "plus", 0.85, ("l", -0.144), ("c", 1.327)),
    (MS, 34, 0xE4D1, "caesura", "caesura", 0.45, ("l", 0.0), ("o", BASE)),
    # One arpeggio segment, turned upright and rising from the baseline: the
    # drawer stacks them every half row at factor 1.4, so each is half a row
    # (its advance) long.
    (MS, 103, 0xEAA9, "wiggleArpeggiatoUp", "arpeggio segment", 2.1, ("o", 0.27), ("o", BASE), {"angle": 900}),
    # Grand-staff brace: code 167 draws the whole brace over both halves of the
    # span (0.427 to 4.7 em below the cell top of the upper half, whatever the
    # number of rows) at the glyph's own width; the lower half, 234, then has
    # nothing left to draw.
    (MS, 167, 0xE000, "brace", "grand-staff brace", 4.27, ("l", 0.0), ("b", 4.7)),
    # Single palette symbols drawn from a glyph alone: the quarter-tone sharp
    # with its foot on the baseline like the other accidentals, the staccato
    # marcato pair, the treble clef with the octave above at clef size, and
    # the square breve head.
    (MS, 36, 0xE47E, "accidentalQuarterToneSharp4", "quarter-tone sharp, figure 4", 1.0, ("l", 0.0),
     ("o", BASE)),
    (MS, 172, 0xE4AE, "articMarcatoStaccatoAbove", "marcato-staccato above", 1.1, ("l", 0.03), ("b", 1.367)),
    (MS, 232, 0xE4AF, "articMarcatoStaccatoBelow", "marcato-staccato below", 1.1, ("l", 0.03), ("t", 0.9)),
    (MS, 160, 0xE053, "gClef8va", "G clef, octave above", 1.0, ("l", 0.0), ("t", 0.02)),
    (MS, 221, 0xE0A1, "noteheadDoubleWholeSquare", "square breve head", 1.0, ("l", 0.0), ("c", 1.2)),
]
for d in range(10):
    RULES.append((MS, 48 + d, 0xE080 + d, "timeSig%d" % d, "digit %d" % d, 1.0, ("l", 0.0), ("o", BASE)))

RULES += [
    # Quarter-tone accidentals: the note's line on the "Toccata" baseline.
    (TO, 135, 0xE282, "accidentalQuarterToneSharpStein", "quarter-tone sharp", 1.2, ("l", 0.0), ("o", TOCCATA_BASE)),
    (TO, 136, 0xE283, "accidentalThreeQuarterTonesSharpStein", "three-quarter-tone sharp", 1.0, ("l", 0.0),
     ("o", TOCCATA_BASE)),
    (TO, 137, 0xE280, "accidentalQuarterToneFlatStein", "reversed flat", 1.06, ("l", 0.0), ("o", 1.07)),
    (TO, 36, 0xE634, "arpeggiatoUp", "arpeggio arrow head", 0.4, ("l", 0.05), ("t", 0.0)),
    # One wave segment; its advance is the legacy one (a trill line of n
    # glyphs spans n x 0.27 of the row height at factor 1).
    # It hangs lower than the other "Toccata" glyphs: the trill line's arrow
    # head, drawn 0.86 row below the wave's origin, meets it there.
    (TO, 177, 0xEAA4, "wiggleTrill", "wavy segment", 0.855, ("l", 0.0), ("c", 1.45)),
    (TO, 104, 0xEB60, "arrowBlackUp", "arrow up", 1.14, ("l", 0.02), ("o", 1.05)),
    (TO, 108, 0xEB64, "arrowBlackDown", "arrow down", 1.14, ("l", 0.02), ("o", 1.05)),
    (TO, 102, 0xEB66, "arrowBlackLeft", "arrow left", 1.05, ("l", -0.015), ("c", 0.9)),
    (TO, 106, 0xEB62, "arrowBlackRight", "arrow right", 1.05, ("l", -0.015), ("c", 0.9)),
    (TO, 105, 0xEB61, "arrowBlackUpRight", "arrow up-right", 1.17, ("l", -0.06), ("b", 1.05)),
    (TO, 107, 0xEB63, "arrowBlackDownRight", "arrow down-right", 1.17, ("l", -0.06), ("b", 1.05)),
    (TO, 180, 0xEAB4, "wiggleWavyNarrow", "wave sign", 1.0, ("l", 0.0), ("c", 0.794), {"stretch": 1.7}),
    (TO, 46, 0xE1E7, "augmentationDot", "Gongche beat dot", 1.0, ("l", 0.0), ("o", TOCCATA_BASE)),
    # Single palette symbols: a tick breath mark, a curved caesura, the
    # natural raised and lowered by a quarter tone, and two arrow heads.
    (TO, 70, 0xE4CF, "breathMarkTick", "tick breath mark", 0.6, ("l", 0.0), ("b", TOCCATA_BASE)),
    (TO, 81, 0xE4D4, "caesuraCurved", "curved caesura", 0.5, ("l", 0.0), ("b", TOCCATA_BASE)),
    (TO, 72, 0xE272, "accidentalQuarterToneSharpNaturalArrowUp", "natural raised a quarter tone", 0.8, ("l", 0.0),
     ("c", TOCCATA_BASE)),
    (TO, 78, 0xE273, "accidentalQuarterToneFlatNaturalArrowDown", "natural lowered a quarter tone", 0.8, ("l", 0.0),
     ("c", TOCCATA_BASE)),
    (TO, 85, 0xEB78, "arrowheadBlackUp", "arrow head up", 1.5, ("l", 0.0), ("b", TOCCATA_BASE)),
    (TO, 86, 0xEB7C, "arrowheadBlackDown", "arrow head down", 1.5, ("l", 0.0), ("b", TOCCATA_BASE)),
]

# Codes the drawers write whose shape no drawer describes, and the curved
# arrows whose vector drawers stand in for them: left missing.
MISSING = {
    MS: [116, 234],
    TO: [230, 231, 232, 233, 237, 245, 246, 247, 248, 249, 250, 251, 252, 253,
         254, 255],
}


def main():
    meta = json.load(open(sys.argv[1], encoding="utf-8"))
    boxes, advances = meta["glyphBBoxes"], meta["glyphAdvanceWidths"]
    out = []
    out.append("// Generated by scripts/gen_glyphmap.py from Bravura's metadata.json; do not edit.")
    out.append("// {face, code, {code point, family, dx, dy, scale, advance, role, stretch, angle}}")
    out.append("static const TLegacyGlyphEntry kGlyphTable[] = {")
    for rule in RULES:
        face, code, cp, name, role, scale, xr, yr = rule[:8]
        extra = rule[8] if len(rule) > 8 else {}
        stretch = extra.get("stretch", 1.0)
        angle = extra.get("angle", 0)
        box = boxes[name]
        k = scale / 4.0  # staff spaces -> em of the requested size
        (x0, y0), (x1, y1) = box["bBoxSW"], box["bBoxNE"]
        kind, v = xr
        dx = v if kind == "o" else v - x0 * k * stretch
        kind, v = yr
        if kind == "o":
            dy = v
        elif kind == "t":
            dy = v + y1 * k
        elif kind == "b":
            dy = v + y0 * k
        else:
            dy = v + (y0 + y1) / 2 * k
        adv = advances.get(name, x1) * k * stretch
        out.append('    {"%s", %d, {0x%04X, "Bravura", %.4ff, %.4ff, %.4ff, %.4ff, "%s", %.3ff, %d}},'
                   % (face, code, cp, dx, dy, scale, adv, role, stretch, angle))
    # Wingdings 3 arrow heads come from a text font.
    for code, cp, role in ((133, 0x25C4, "arrowhead left"), (134, 0x25BA, "arrowhead right")):
        out.append('    {"Wingdings 3", %d, {0x%04X, "Liberation Sans", 0.0f, 0.905f, 1.0f, 1.0f, "%s", 1.0f, 0}},'
                   % (code, cp, role))
    out.append("};")
    out.append("")
    out.append("static const TMissingCode kMissingCodes[] = {")
    for face, codes in MISSING.items():
        out.append("    " + " ".join('{"%s", %d},' % (face, c) for c in codes))
    out.append("};")
    print("\n".join(out))


if __name__ == "__main__":
    main()
