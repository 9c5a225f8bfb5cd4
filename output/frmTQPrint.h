#pragma once
// File menu entry points of printing and image export: the system print
// dialog (printer or PDF file) and a save dialog for JPEG, BMP or PDF pages.
class QWidget;

// Prints the current score's pages on the printer chosen in the print dialog.
void btnPrintClick(QWidget* parent);
// Writes the current score's pages as JPEG or BMP files, or as one PDF file.
void mitSavetoBMPClick(QWidget* parent);
