#pragma once
// Small helpers for tool windows and palettes: button sizing and extent, the
// quick-key labels of palette buttons, Escape to close, and the folder chooser.
//
// Speed buttons are QToolButtons, bitmap buttons QPushButtons.
#include <string>

class QAbstractButton;
class QPoint;
class QWidget;

// Every speed and bitmap button of the owner takes the width (when above 0) and
// the height (when above 0).
void ResizeToolButtons(QWidget* owner, int width, int height);

// The extent a palette needs for its visible buttons: the largest right and
// bottom edges (both from -1) plus margins from the caption-button height.
void GetButtonsExtent(QPoint& out, QWidget* form);
// The same with the caption-button height given (the system's by default).
void GetButtonsExtent(QPoint& out, QWidget* form, int captionButtonHeight);

// The system's caption-button height in pixels.
int CaptionButtonHeight();

// Sets the quick-key label of a palette button (the "KeyHintText" property that
// the palette draws on the button), or empties it when show is false.
void SetKeyHintText(QAbstractButton* button, bool show, const std::string& text);

// Escape closes the window (a tool window, as it closes the program's dialogs).
void CloseOnEscape(QWidget* window);

// Shows the folder chooser starting at the folder; returns the chosen folder with
// a trailing '/', or "" when cancelled.
std::string SelectDirectoryDlg(QWidget* parent, const std::string& folder, const std::string& caption);
