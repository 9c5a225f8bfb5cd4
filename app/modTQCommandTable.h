#pragma once
// The main window's command table: every menu item, popup item and tool button
// that carries an editing, notation, playback, window or help command, one row
// each. The window builds a QAction from each row (object name, string id as
// its caption and "tqTag", shortcut, check mark) and connects it to the row's
// handler; several rows share one handler.
//
// Where names the container: a menu ("mitEdit", "mitStaffOptions" ...), a popup
// menu ("popMain", "popShrink", "popIncTextSize", "popDecTextSize"), a tool bar
// ("tbrlTop", "tbrLeft"), or "" for an item that is built but never shown.
#include <string>
#include <vector>

enum TCommandFlags : unsigned {
    cfNone = 0,
    cfCheck = 1,   // a check item or check button
    cfHidden = 2,  // built but not shown
    cfOpening = 4, // a menu: the handler runs when it opens
};

struct TCommandRow {
    const char* Name;     // object name
    int Tag;              // string id of the caption (0: Caption only)
    const char* Caption;  // caption when the string table has none
    const char* Shortcut; // portable key text ("Ctrl+Z"), "" none
    const char* Where;    // container
    const char* Handler;  // the window's handler
    unsigned Flags;
};

// Containers that the table creates when the window has none of that name:
// menus of the menu bar (Parent ""), submenus, and popup menus (Parent "-").
struct TCommandMenu {
    const char* Name;
    int Tag;
    const char* Caption;
    const char* Parent;
};

const std::vector<TCommandRow>& CommandTable();
const std::vector<TCommandMenu>& CommandMenus();
// The string id of the hint of a row whose Tag is a code (the left tool bar's
// buttons); 0 for the other rows.
int CommandHintId(const std::string& name);
// The row of an object name; nullptr when none.
const TCommandRow* FindCommandRow(const std::string& name);
