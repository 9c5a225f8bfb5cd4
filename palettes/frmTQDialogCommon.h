#pragma once
// What the small property dialogs share: the fixed border, the OK and Cancel
// buttons, localisation by Tag and the end of a text entry in progress.
#include <QString>
#include <string>

class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;

// Makes the dialog's size fixed and adds OK (string 1009) and Cancel (1010) at
// the bottom of box; OK accepts, Cancel rejects.
void AddOkCancel(QDialog* dialog, QBoxLayout* box, QPushButton*& ok, QPushButton*& cancel);
// Takes the captions of the form's tagged controls from the loaded string table.
void LocaliseDialog(QWidget* form);
// Ends a text entry in progress in the main window.
void EndMainTextEntry();
// The string of an id, or fallback while no string table is loaded.
QString DialogString(int id, const char* fallback);
