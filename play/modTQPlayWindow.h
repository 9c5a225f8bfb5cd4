#pragma once
// What the play window does, without its widgets: play, folder play, the
// Advanced page's appliers and the sound-effect cell. The window (frmTQPlay)
// copies its controls into the play state and calls these.
#include <functional>
#include <string>
#include <vector>

class TPlayState;

// Links to the main window; unset links do nothing (or fail, for OpenScore).
struct TPlayWindowHooks {
    // Before a play's list is built (the main window may move the cursor back
    // to where the last play started).
    std::function<void()> BeforeBuild;
    // Builds the play list (the play state's BuildPlayList by default).
    std::function<bool(bool showMessages)> BuildPlayList;
    // The main window's player start: plays PlayList from startIndex and returns
    // when it ends or is stopped.
    std::function<void(int startIndex, int mode)> StartPlayer;
    // Enables or disables the main window's controls while a play runs.
    std::function<void(bool enable)> EnableMainControls;
    // Opens a score for folder play; false when it cannot be opened.
    std::function<bool(const std::string& fileName)> OpenScore;
    // The main window repaints (after a play, after an applier).
    std::function<void()> Refresh;
    // Closes the main window (a close asked for while a piece played).
    std::function<void()> CloseMainWindow;
};
TPlayWindowHooks& PlayWindowHooks();

// The main window is being closed: true when it may close now. While a piece
// plays the player is asked to stop (StopRequest 1) and false is returned; the
// window is closed through CloseMainWindow once the player has returned, so
// nothing the player uses goes away inside its loop.
bool MainWindowMayClose(TPlayState* play);

// Build and play. False when nothing was played (nothing to play, or already playing).
bool PlayScore(TPlayState& play);

// The score files (".mus" in any case) of a folder, in the order the folder lists them.
std::vector<std::string> ListScoreFiles(const std::string& folder);

// Plays the files of the folder in turn, cycles times; a file that cannot be
// opened is passed over. StopRequest 1 ends everything, 2 only the current piece.
void PlayFolder(TPlayState& play, const std::string& folder, const std::vector<std::string>& files, int cycles);

// The Advanced page for the cell at (col, row) of the current page and layer:
// the play state's RitArpAdj, CredAdj, NotesVolAdj, PlayDurIndex and PlayDot take
// the cell's values, and the flags tell which appliers apply to it.
struct TCellAdjEnabled {
    bool RitArp = false;
    bool Cred = false;
    bool Notes = false; // volume and play duration
};
TCellAdjEnabled LoadCellAdj(TPlayState& play, int col, int row);

// One undo step each; the changed cells are redrawn and the score is modified.
// The play-duration value is index + 10 x dots.
void ApplyPlayDuration(int index, int dots);
void ApplyAdvVolume(int percent);
void ApplyRitArpAdj(int percent);
void ApplyCredAdj(int percent);

// The sound-effect cell at the cursor: symbol 146 whose third code slot holds the index.
void PutSoundEffectCell(int soundIndex);

// Western when the current page of layer 0 has a clef cell, else Jianpu; play rule "All Staffs".
void SetDefaultPlayOptions(TPlayState& play);

// "0/-112": the division's two bytes as signed 8-bit numbers.
std::string MIDIDivisionText(unsigned char high, unsigned char low);
