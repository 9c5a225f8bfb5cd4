#pragma once
// The program's one door to sound: binds the MIDI output library TQ_MIDI beside
// the program, sounds single notes (clicked notes, the on-screen piano) and runs
// the player loop that sounds a play list while the main window follows the music.
//
// Notes travel as (octave, pitch class); no MIDI note number is formed here.
//
// The player keeps time against absolute deadlines: item i starts at the play's
// start plus the exact sum of the waits before it, so the time spent sounding,
// following the music and processing events never adds up. While it waits it
// keeps the event loop alive in slices of at most 10 ms (the last part is slept
// precisely), so Stop and Next act after the current item's wait.
//
// The main window and the on-screen piano are reached through PlayerHooks(); the
// clock and the sleeper are hooks too, so tests run a play on a fake clock.
#include <functional>
#include <string>
#include <vector>

#include "platform/core/TQLibrary.h"
#include "play/modTQPlayList.h"

// Base name of the MIDI output library in the program folder.
inline constexpr const char* kMidiLibraryName = "TQ_MIDI";
// The sound library's fixed messages: it cannot be loaded (its path follows),
// or it lacks an entry point (its path, kLacksFunction and the name follow).
inline constexpr const char* kCannotLoadDll = "Cannot load the sound library ";
inline constexpr const char* kLacksFunction = " lacks the function ";

struct TPlayerHooks {
    // main window
    std::function<void(int page, bool redraw)> ShowPage;
    std::function<void(int col, int row, int rows, bool redraw, int scrollFlags)> SelectAndShowCell;
    std::function<void(int rows)> SetScrollAheadRows; // rows kept visible below the selection
    // on-screen piano
    std::function<bool()> KeyboardExists;      // the piano was created
    std::function<bool()> KeyboardVisible;     // its panel is shown
    std::function<bool()> StaffToKeyboard;     // "staff to keyboard" is checked
    std::function<int()> MainVolume;           // position of the main volume track bar
    std::function<void()> RepaintKeyboard;
    std::function<void(int pitch, int octave, int mode)> HighlightKey; // mode 0 pressed, 1 released, 2 playing
    // A clicked note's key: the piano adds it to its pressed keys and lights it;
    // its release on mouse-up sends the note-off.
    std::function<void(int pitch, int octave)> PressKey;
    // event loop and time
    std::function<void()> ProcessEvents;       // default: QCoreApplication::processEvents when an application runs
    std::function<double()> NowMs;             // default: steady clock, milliseconds
    std::function<void(double ms)> SleepMs;    // default: sleeps precisely
};
TPlayerHooks& PlayerHooks();
void ResetPlayerHooks();

// Entry points of TQ_MIDI (plain 32-bit int arguments; results ignored).
using TExtNoteOn = int (*)(int octave, int pitch, int velocity, int channel);
using TExtNoteOff = int (*)(int octave, int pitch, int channel);
using TExtOpen = int (*)();
using TExtClose = int (*)();
using TExtChangeIns = int (*)(int program, int channel);
// Optional: stamps the calls that follow with their time on the play's time line
// (ms from the play's start; -1 ends the time line). Only a library that renders
// into a file needs it; a device sounds calls as they come.
using TExtPlayTime = int (*)(int ms);

class TfrmMIDI {
public:
    // Binds <folder>/TQ_MIDI.so (the program folder by default) and opens the
    // device when all five entry points are bound.
    explicit TfrmMIDI(const std::string& folder = std::string());
    virtual ~TfrmMIDI();
    TfrmMIDI(const TfrmMIDI&) = delete;
    TfrmMIDI& operator=(const TfrmMIDI&) = delete;

    TQLibrary LibHandle;
    std::string LibPath;
    int MaxChannel = 0;   // highest channel that got a note-on during the current play
    int TempoBase = 60;
    float SpeedScale = 1.0f; // 100 / speed percent

    TExtNoteOn Ext_NoteOn = nullptr;
    TExtNoteOff Ext_NoteOff = nullptr;
    TExtOpen Ext_OpenMIDIOutputDevice = nullptr;
    TExtClose Ext_CloseMIDIOutputDevice = nullptr;
    TExtChangeIns Ext_ChangeIns = nullptr;
    TExtPlayTime Ext_PlayTime = nullptr; // optional; not part of Ready()

    void LoadMidiLibrary();
    // The library is loaded and all five entry points are bound.
    bool Ready() const;

    // A single note on channel 0; string 3311 with the library path when not ready.
    void MidiNoteOn(int octave, int pitch, int velocity);
    void MidiNoteOff(int octave, int pitch);
    // After 200 ms: note-off for every octave -4..4, pitch class 0..11 and channel
    // 0..MaxChannel. Nothing when not ready.
    void MidiAllNotesOff();
    // Sounds the list from startIndex (out of range: 0); highlightRows is the
    // starting height of the follow-the-music highlight.
    void MidiPlayList(const std::vector<TPlayItem>& list, int startIndex, int highlightRows);

    // Wait of an item of `duration` play units at the current speed, ms (not truncated).
    double ItemWaitMs(int duration) const;

private:
    void WaitUntil(double deadlineMs);
    // Stamps the next calls with ms on the play's time line when the library takes stamps.
    void StampPlayTime(double ms);
    double playStartMs_ = -1; // the running play's start on the player's clock; -1 between plays
};

// The MIDI output of the program.
extern TfrmMIDI* frmMIDI;

// The program's MIDI output for the whole run: the first call binds
// <folder>/TQ_MIDI (the program folder when empty) and opens its device; every
// call makes it frmMIDI again and answers it. It is never unloaded.
TfrmMIDI& ProgramMidi(const std::string& folder = std::string());
