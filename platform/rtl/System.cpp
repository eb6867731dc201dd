#include "System.h"

namespace Vcl {

const char* CmdLine = "";

namespace {

// Reads the argument that starts at P into Param; returns where the next
// search starts. Mirrors the platform's own splitting, byte by byte: quotes
// and blanks never occur as trail bytes of code page 932.
const char* NextParam(const char* P, AnsiString& Param) {
  Param.clear();
  for (;;) {
    while (*P != 0 && static_cast<unsigned char>(*P) <= ' ') ++P;
    if (P[0] == '"' && P[1] == '"')
      P += 2;
    else
      break;
  }
  while (static_cast<unsigned char>(*P) > ' ') {
    if (*P == '"') {
      ++P;
      while (*P != 0 && *P != '"') Param += *P++;
      if (*P != 0) ++P;
    } else {
      Param += *P++;
    }
  }
  return P;
}

}  // namespace

int ParamCount(const char* CommandLine) {
  if (!CommandLine) return 0;
  AnsiString s;
  const char* p = NextParam(CommandLine, s);
  int count = 0;
  for (;;) {
    p = NextParam(p, s);
    if (s.empty()) break;
    ++count;
  }
  return count;
}

AnsiString ParamStr(const char* CommandLine, int Index) {
  if (!CommandLine || Index < 0) return AnsiString();
  AnsiString s;
  const char* p = CommandLine;
  for (int i = 0; i <= Index; ++i) p = NextParam(p, s);
  return s;
}

int ParamCount() { return ParamCount(CmdLine); }
AnsiString ParamStr(int Index) { return ParamStr(CmdLine, Index); }

}  // namespace Vcl
