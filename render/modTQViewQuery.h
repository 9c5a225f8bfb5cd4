#pragma once
// Questions about the main window's view state that editing, conversion and the
// drawers ask: the fixed-doh menu item, the layer button, highlighted staffs.
#include <vector>

// The "Fixed-doh" menu item is checked.
bool IsFixedDoMode();
// The layer button shows the picture of this layer (61 for layer 1, 60 for layer 0).
bool IsLayerButtonShowing(int layer);
// Empties rows, then adds each row of row1..row2 that carries a whole-row
// highlight on the current page (the highlighted staffs).
void CollectMarkedRows(int row1, int row2, std::vector<int>& rows);
