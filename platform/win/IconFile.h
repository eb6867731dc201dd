// Icon files of one 16-colour image, as the icon export writes them.
#pragma once

#include <windows.h>

#include <string>

#include "SysUtils.h"

namespace Vcl {

// The colour table of the files: the standard 16-colour VGA palette.
extern const COLORREF IconPalette[16];

// The palette index nearest to a colour (straight-line distance in RGB;
// the lower index on a tie).
int NearestPaletteIndex(COLORREF Colour);

// The bytes of an icon file holding Icon drawn at Size by Size: one image,
// 4 bits per pixel on the VGA palette (each colour mapped to the nearest
// entry), mask bit 1 where the icon is transparent. The directory entry
// carries 4, 0, 0, 0 in bytes 8 to 13; readers take the format from the
// bitmap header. Raises EInvalidOperation for a missing icon, one that
// cannot be drawn, or a size outside 1 to 256.
std::string EncodeIconFile(HICON Icon, int Size);

// Creates FileName, or empties an existing one, and writes Bytes. Raises
// EFCreateError "ファイル %s を作成できません" when the file cannot be
// created, and EWriteError when it cannot be written whole, after removing
// what was written: a file that exists afterwards is complete.
void WriteWholeFile(const AnsiString& FileName, const std::string& Bytes);

// Writes EncodeIconFile(Icon, Size) to FileName, replacing an existing file.
// Raises EFCreateError "ファイル %s を作成できません" when the file cannot
// be created, EWriteError when it cannot be written whole (the partial file
// is removed first); encoding errors come before the file is touched.
void SaveIconFile(HICON Icon, int Size, const AnsiString& FileName);

}  // namespace Vcl
