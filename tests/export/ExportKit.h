// Helpers of the export tests: files in the output folder, and pixels of
// bitmaps.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ExportKit {

// A path in this test's output folder (the build tree), where the native
// checks with icotool look afterwards.
std::string OutPath(const std::string& Name);
// A fresh, empty folder in the output folder; its path.
std::string FreshFolder(const std::string& Name);

std::string ReadFile(const std::string& Path);
void WriteFile(const std::string& Path, const std::string& Bytes);
bool FileExists(const std::string& Path);

// The pixels of a bitmap, row by row from the top, as COLORREF.
std::vector<COLORREF> Pixels(HBITMAP Bitmap, int& Width, int& Height);

// The 16 colours of the standard VGA palette.
bool IsVgaColour(COLORREF Colour);

}  // namespace ExportKit
