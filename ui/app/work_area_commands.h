#pragma once
// The "Edit" menu's commands and the link list's file commands in the main
// window, each run by the work area it applies to: Find, Find Next, Select
// All, Invert Selection, Up and Down by the selected tab's list; Cut by the
// link list; Copy by the link list and the PPC list; "Import Links From File"
// and "Output Links  To File" by the link list, also from the other tabs.

namespace larkspur::ui {

class CommandHost;

void installWorkAreaCommands(CommandHost& host);

}  // namespace larkspur::ui
