#pragma once
// Routines of the main window that the palettes and dialogs call but that
// belong to other parts of the program. A hook that is set replaces the main
// window's own state or routine (tests set them); the accessors below fall
// back to the main window when it is unset.
#include <functional>

struct TCell;

struct TModifierKeys {
    bool shift = false, alt = false, ctrl = false;
};

struct TPaletteHooks {
    // The modifier keys held with the click or key that runs a command.
    std::function<TModifierKeys()> HeldModifiers;
    // Advances the cursor after a one-cell entry (two columns in Gongche mode).
    std::function<void()> AdvanceCursor;
    // The small or chord note the held modifier keys choose: 0 none, else from 1.
    std::function<int()> ChosenNote;
    // Shifts the selected Western notes by staff steps (the main window's note shift).
    std::function<void(int steps)> ShiftSelectedNotes;
    // The play window's selected sound-effect index (symbol code 146).
    std::function<int()> SelectedSoundEffect;
    // Prints pages [from, to] of the current score (1-based), copies times.
    std::function<void(int from, int to, int copies)> PrintScore;
    // The main window's switches of the palettes' quick keys (mitEnableSpKey,
    // mitEnableDynKey): the palettes show their key labels while they are on.
    std::function<bool()> SpecialKeysEnabled;
    std::function<bool()> DynKeysEnabled;
};

TPaletteHooks& PaletteHooks();

// The held modifier keys: the hook's, else the main window's key flags
// (AltDown, ShiftDown, CtrlDown).
TModifierKeys HeldModifiers();
// The note of cell that the held modifier keys choose, counted from 1; 0 when
// none is chosen (the command applies to all notes).
int ChosenNote(const TCell& cell);
// The main window's chosen chord-note index (1 the main note, 2 the first
// chord note ...).
int ChosenChordIndex();
// The selected Western notes shifted by staff steps (the main window's
// ShiftNotes with its own undo item).
void ShiftSelectedNotes(int steps);
