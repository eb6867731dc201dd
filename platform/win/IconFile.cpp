#include "IconFile.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Vcl {

const COLORREF IconPalette[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};

int NearestPaletteIndex(COLORREF Colour) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 16; ++i) {
    const long dr = static_cast<long>(GetRValue(Colour)) - GetRValue(IconPalette[i]);
    const long dg = static_cast<long>(GetGValue(Colour)) - GetGValue(IconPalette[i]);
    const long db = static_cast<long>(GetBValue(Colour)) - GetBValue(IconPalette[i]);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

namespace {

// A Size by Size, 32 bits per pixel, top-down drawing surface.
class TSurface {
 public:
  explicit TSurface(int Size) : FSize(Size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = Size;
    bi.bmiHeader.biHeight = -Size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    FDC = CreateCompatibleDC(nullptr);
    if (!FBitmap || !FDC || !bits) {
      Release();
      throw EOutOfMemory("アイコンを描く領域を確保できません.");
    }
    FBits = static_cast<std::uint32_t*>(bits);
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TSurface() { Release(); }
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;

  // Draws Icon over a background of one colour (0x00RRGGBB).
  bool Draw(HICON Icon, std::uint32_t Background) {
    std::fill(FBits, FBits + static_cast<std::size_t>(FSize) * FSize, Background);
    GdiFlush();
    const bool ok = DrawIconEx(FDC, 0, 0, Icon, FSize, FSize, 0, nullptr, DI_NORMAL) != FALSE;
    GdiFlush();
    return ok;
  }
  // Pixel (X, Y), Y from the top, as 0x00RRGGBB.
  std::uint32_t At(int X, int Y) const { return FBits[static_cast<std::size_t>(Y) * FSize + X] & 0xFFFFFF; }

 private:
  void Release() {
    if (FDC && FOld) SelectObject(FDC, FOld);
    if (FDC) DeleteDC(FDC);
    if (FBitmap) DeleteObject(FBitmap);
    FDC = nullptr;
    FBitmap = nullptr;
    FOld = nullptr;
  }

  int FSize;
  HBITMAP FBitmap = nullptr;
  HDC FDC = nullptr;
  HGDIOBJ FOld = nullptr;
  std::uint32_t* FBits = nullptr;
};

// One pixel as the icon shows it: drawn over black it gives a*C, over white
// a*C + (1-a)*255, which yields the coverage a and the colour C. That holds
// for icons with an alpha channel and for mask icons alike.
struct TPixel {
  bool Opaque;
  COLORREF Colour;
};

TPixel Resolve(std::uint32_t OnBlack, std::uint32_t OnWhite) {
  int cover = 0;
  int black[3], white[3];
  for (int c = 0; c < 3; ++c) {
    black[c] = (OnBlack >> (8 * c)) & 0xFF;
    white[c] = (OnWhite >> (8 * c)) & 0xFF;
    // A pixel that inverts the background gives a negative difference: it
    // counts as drawn.
    cover += 255 - std::clamp(white[c] - black[c], 0, 255);
  }
  cover /= 3;
  if (cover < 128) return {false, 0};
  int rgb[3];
  for (int c = 0; c < 3; ++c) rgb[c] = std::min(255, black[c] * 255 / cover);
  // Surface bytes are blue, green, red from the low end.
  return {true, RGB(rgb[2], rgb[1], rgb[0])};
}

void Put16(std::string& S, unsigned V) {
  S += static_cast<char>(V & 0xFF);
  S += static_cast<char>((V >> 8) & 0xFF);
}
void Put32(std::string& S, std::uint32_t V) {
  Put16(S, V & 0xFFFF);
  Put16(S, V >> 16);
}

}  // namespace

std::string EncodeIconFile(HICON Icon, int Size) {
  if (!Icon) throw EInvalidOperation("アイコンがありません.");
  if (Size < 1 || Size > 256) throw EInvalidOperation("イメージサイズが正しくありません");

  const int w = Size, h = Size;
  const std::uint32_t colourRow = (4 * w + 31) / 32 * 4, maskRow = (w + 31) / 32 * 4;
  const std::uint32_t colourBytes = colourRow * h, maskBytes = maskRow * h;

  TSurface onBlack(Size), onWhite(Size);
  if (!onBlack.Draw(Icon, 0x000000) || !onWhite.Draw(Icon, 0xFFFFFF))
    throw EInvalidOperation("アイコンを描画できません.");

  std::string colour(colourBytes, '\0'), mask(maskBytes, '\0');
  for (int y = 0; y < h; ++y) {
    // Rows are stored bottom row first.
    const std::size_t row = static_cast<std::size_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const TPixel p = Resolve(onBlack.At(x, y), onWhite.At(x, y));
      if (p.Opaque) {
        const int index = NearestPaletteIndex(p.Colour);
        char& b = colour[row * colourRow + x / 2];
        b = static_cast<char>(b | (x % 2 == 0 ? index << 4 : index));
      } else {
        char& b = mask[row * maskRow + x / 8];
        b = static_cast<char>(b | (0x80 >> (x % 8)));
      }
    }
  }

  std::string out;
  out.reserve(22 + 40 + 64 + colourBytes + maskBytes);
  // Directory: reserved, type 1 (icon), one image.
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  // The entry: width and height (low 8 bits), then 4 (planes times bits per
  // pixel of the image) and zeros where readers expect colour count,
  // reserved, planes and bit count; then size and offset of the image.
  out += static_cast<char>(w & 0xFF);
  out += static_cast<char>(h & 0xFF);
  Put16(out, 4);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 40 + 64 + colourBytes + maskBytes);
  Put32(out, 22);
  // Bitmap header: the height counts colour and mask together.
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(2 * h));
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, 0);
  Put32(out, colourBytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (COLORREF c : IconPalette) {
    out += static_cast<char>(GetBValue(c));
    out += static_cast<char>(GetGValue(c));
    out += static_cast<char>(GetRValue(c));
    out += '\0';
  }
  out += colour;
  out += mask;
  return out;
}

void WriteWholeFile(const AnsiString& FileName, const std::string& Bytes) {
  HANDLE file = CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) throw EFCreateError(FormatMsg("ファイル %s を作成できません", FileName));
  DWORD written = 0;
  const bool wrote =
      WriteFile(file, Bytes.data(), static_cast<DWORD>(Bytes.size()), &written, nullptr) && written == Bytes.size();
  // Closing may be where a delayed write fails.
  const bool closed = CloseHandle(file) != FALSE;
  if (!wrote || !closed) {
    // Part of a file is no file: leave nothing that looks saved.
    DeleteFileA(FileName.c_str());
    throw EWriteError(FormatMsg("ファイル %s に書き込めません.", FileName));
  }
}

void SaveIconFile(HICON Icon, int Size, const AnsiString& FileName) {
  WriteWholeFile(FileName, EncodeIconFile(Icon, Size));
}

}  // namespace Vcl
