// The shell's folder dialog.
#pragma once

#include "SysUtils.h"

// Shows the shell's modal folder dialog, owned by the application's window,
// with Title above the tree and the folder named by Root (a path; empty,
// or a path the shell cannot read: the desktop) at the top of the tree.
// Only file-system folders can be confirmed. Returns true when the user
// confirmed one, with its path in Folder; false after Cancel, with Folder
// empty. Folder is emptied first in every case.
bool BrowseFolder(Vcl::AnsiString Title, Vcl::WideString Root, Vcl::AnsiString& Folder);
