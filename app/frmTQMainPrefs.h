#pragma once
// Specify Compression of the main window: the compression-rate dialog preset
// with the cursor cell's rate, then that rate for the selected cells.
#include <functional>

class QDialog;
class QWidget;

// Returns whether a rate was applied. run stands in for the modal loop (tests
// answer the dialog through it).
bool mitSpecifyCompClick(QWidget* parent, const std::function<int(QDialog&)>& run = {});
