// The command line and its arguments.
#pragma once

#include "SysUtils.h"

namespace Vcl {

// The whole command line of the process; the system's start-up code sets it.
extern const char* CmdLine;

// Arguments after the program's own name, split as the platform splits them:
// blanks (bytes 1 to 32) separate, adjacent quote pairs between arguments are
// skipped, a double quote toggles quoting and is dropped.
int ParamCount();
// Argument Index (0 is the program itself); empty when out of range.
AnsiString ParamStr(int Index);

// The same, on a given command line.
int ParamCount(const char* CommandLine);
AnsiString ParamStr(const char* CommandLine, int Index);

}  // namespace Vcl
