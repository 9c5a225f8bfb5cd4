#include "app/frmTQMain.h"
void TfrmMainTQ::BuildCommands() {}
QAction* TfrmMainTQ::CommandAction(const char*) const { return nullptr; }
