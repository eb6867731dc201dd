// Icons with known pictures made in memory, and how an icon looks when drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A picture: the pixel at (X, Y), Y from the top, as 0xAARRGGBB; alpha 0 is
// transparent.
using TPicture = std::function<std::uint32_t(int X, int Y)>;

// An icon with an alpha channel (and the matching mask).
HICON MakeAlphaIcon(int Size, const TPicture& Picture);
// A classic icon: colour without alpha plus an AND mask.
HICON MakeMaskIcon(int Size, const TPicture& Picture);

// A pixel of an icon as drawn: the same over black and over white (Opaque,
// with that colour), or the background itself (Transparent), or neither.
enum class TShade { Opaque, Transparent, Partial };
struct TLook {
  TShade Shade;
  COLORREF Colour;  // when opaque
};
// Every pixel of Icon drawn at Size by Size, row by row from the top.
std::vector<TLook> Render(HICON Icon, int Size);

// Reads an icon file written by the export: palette index and mask bit of
// pixel (X, Y), Y from the top.
struct TIconFileReader {
  const std::string& Bytes;
  int Size;
  int Index(int X, int Y) const;
  bool Masked(int X, int Y) const;
};

// Removes the file if it exists.
void DeleteIfThere(const std::string& Path);
