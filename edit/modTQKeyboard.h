#pragma once
// The on-screen piano: 88 keys drawn on a canvas at the bottom of the main
// window. A click sounds the key; with "Keyboard to Staff" it also writes the
// note at the cursor (a Western note spelled by the row's clef and key, or a
// Jianpu degree in the governing Jianpu key). Alt or Ctrl held builds a chord in
// one cell. Playback and click audition light the keys that sound.
//
// Keys: 52 white keys, index 0 (A0) .. 51 (C8), 23 is middle C. A black key is
// named by the boundary b (1..51) between white keys b - 1 and b and sounds
// white key b - 1 plus a semitone.
//
// The piano knows no widgets and no MIDI library: the window gives it a canvas
// and its size, and the hooks below reach the panel, the check boxes and the
// MIDI output.
#include <deque>
#include <functional>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

// A pressed key. Kind 0: a key clicked on the piano (Key is the white index or
// the black key's boundary, Black its flag). Kind 1: a note of a click
// audition in the score (Key the pitch class, Black 0). Octave and Pitch are
// the note that sounds; MidiNote is the same as a MIDI note number
// (60 + 12 x octave + pitch class).
struct TPressedKey {
    int Kind = 0;
    int Key = 0;
    int Black = 0;
    int Octave = 0;
    int Pitch = 0;
    int MidiNote = 60;
};

struct TKeyboardHooks {
    std::function<bool()> PanelVisible;         // pnlKeyboard shown
    std::function<bool()> KeyboardToStaff;      // chkKbd2Staff checked
    std::function<bool()> ChordModifier;        // Alt or Ctrl held
    std::function<int()> Volume;                // trkVol position, 0..127
    std::function<void(int octave, int pitch, int velocity)> NoteOn;
    std::function<void(int octave, int pitch)> NoteOff;
    std::function<void()> Update;               // the window shows the canvas again
    std::function<void()> ProcessEvents;
};

class TKeyboard {
public:
    static constexpr int kWhiteKeys = 52;
    static constexpr int kMiddleC = 23;
    static constexpr TColor kBlackDownColor = 0x000096;
    static constexpr TColor kPlayingColor = 0x808000;
    static constexpr double kBlackHeight = 0.65; // of the piano's height
    static constexpr double kBlackHalfWidth = 0.28; // of a white key's width

    explicit TKeyboard(TCanvas* canvas, int width = 0, int height = 0);

    TCanvas* Canvas = nullptr;
    int Width = 0;
    int Height = 0;
    TColor KeyDownColor = 0xFF0000;
    std::deque<TPressedKey> Pressed;
    TKeyboardHooks Hooks;

    // 1 a black key on the right only (C, F and A0), 2 on the left only (E, B),
    // 3 on both sides (D, G, A) and C8.
    static int WhiteKeyKind(int white);
    // (octave, pitch class) of a key; octave 0 is the octave from middle C.
    static void KeyToPitch(int white, int black, int& octave, int& pitch);
    // The key under a point: white index, or the boundary with black = 1.
    void HitTest(double x, double y, int& key, int& black) const;
    double KeyWidth() const { return Width / static_cast<double>(kWhiteKeys); }

    void Paint();
    void MouseDown(int x, int y);
    void MouseUp();
    // Draws one key: mode 0 pressed colour, 1 released, any other the playback colour.
    void HighlightKey(int pitch, int octave, int mode);
    // A note of a click audition sounds: shown pressed and kept for the release.
    void PressAuditionKey(int pitch, int octave);
    // Releases every pressed key, each by its own kind, then empties Pressed.
    void ReleaseAll();
    // Writes the note of the key at the cursor of the current page and layer.
    void EnterNote(int white, int black);

    void DrawWhiteKey(int white);
    void DrawBlackKey(int boundary);

private:
    void PressKey(int key, int black);
    void Sound(int white, int black);
    void ReleaseEntry(const TPressedKey& entry);
};

// ---- the spelling of a key as a note (no score needed) ----

// Western note of a key: staff position (yAdj before the clef cell's own
// offset) and accidental (0 none, 1 sharp, 3 natural) in a key signature
// (key code 0..14) under a clef code.
void WestNoteFromKey(int white, int black, int keyCode, int clef, int& position, int& accidental);
// Jianpu degree (0..6 for '1'..'7'), octave dots and accidental (0 none,
// 1 sharp, 2 flat) of a key in the Jianpu key of tonic pitch class tonic
// (-100: no key text, the letter step is the degree).
void JianpuNoteFromKey(int white, int black, int tonic, int& degree, int& octave, int& accidental);
// Pitch class of the governing Jianpu key text before (col, row) of the current
// page, scanning back through the row, earlier rows and earlier pages; -100 when none.
int FindGoverningJianpuKey(int col, int row);
