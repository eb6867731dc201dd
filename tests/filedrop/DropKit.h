// Drops and shortcuts made as the shell makes them, for the file drop tests.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "SysUtils.h"

namespace DropKit {

using Vcl::AnsiString;

// A drop handle laid out as the shell lays it out: a DROPFILES header
// (names at pFiles, 8-bit names, the point Pt in client coordinates), then
// each name zero-terminated, then one more zero.
HDROP MakeDrop(const std::vector<AnsiString>& Names, POINT Pt = {0, 0});
// True while Drop is still an allocated memory block (not yet released).
bool Allocated(HDROP Drop);
// Sends WM_DROPFILES with Drop to Wnd from our code: an exception raised
// while the window handles it comes back here.
LRESULT SendDrop(HWND Wnd, HDROP Drop);

// Writes a shell link at LinkPath pointing to Target, through the shell's
// link object (CLSID_ShellLink) and IPersistFile::Save.
void MakeShortcut(const AnsiString& LinkPath, const AnsiString& Target);
// A shell link to the shell's "My Computer", which has no file-system path.
void MakeShortcutToComputer(const AnsiString& LinkPath);

// A fresh folder in the temporary folder of the Wine prefix; removed with
// its files at the end.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const AnsiString& Path() const { return FPath; }
  // The full name of Name in the folder.
  AnsiString operator/(const AnsiString& Name) const { return FPath + "\\" + Name; }
  // Writes a small file and returns its full name.
  AnsiString WriteFile(const AnsiString& Name, const AnsiString& Text = "x");

 private:
  AnsiString FPath;
};

// The full name of this program.
AnsiString ProgramPath();

}  // namespace DropKit
