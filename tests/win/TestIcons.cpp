#include "TestIcons.h"

namespace {

HBITMAP MakeDib(int Size, int Bits, void** Pixels) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = Size;
  bi.bmiHeader.biHeight = -Size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = static_cast<WORD>(Bits);
  bi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, Pixels, nullptr, 0);
}

// The AND mask: bit 1 where the picture is transparent.
HBITMAP MakeMask(int Size, const TPicture& Picture) {
  const int row = (Size + 15) / 16 * 2;
  std::vector<unsigned char> bits(static_cast<std::size_t>(row) * Size, 0);
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x)
      if ((Picture(x, y) >> 24) < 128) bits[static_cast<std::size_t>(y) * row + x / 8] |= 0x80 >> (x % 8);
  return CreateBitmap(Size, Size, 1, 1, bits.data());
}

HICON MakeIcon(int Size, const TPicture& Picture, bool Alpha) {
  void* pixels = nullptr;
  HBITMAP colour = MakeDib(Size, 32, &pixels);
  auto* p = static_cast<std::uint32_t*>(pixels);
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) {
      std::uint32_t v = Picture(x, y);
      if ((v >> 24) < 128 && !Alpha) v = 0;  // transparent: black under the mask
      if (!Alpha) v &= 0xFFFFFF;
      p[y * Size + x] = v;
    }
  HBITMAP mask = MakeMask(Size, Picture);
  ICONINFO ii{};
  ii.fIcon = TRUE;
  ii.hbmColor = colour;
  ii.hbmMask = mask;
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

}  // namespace

HICON MakeAlphaIcon(int Size, const TPicture& Picture) { return MakeIcon(Size, Picture, true); }
HICON MakeMaskIcon(int Size, const TPicture& Picture) { return MakeIcon(Size, Picture, false); }

std::vector<TLook> Render(HICON Icon, int Size) {
  std::vector<std::uint32_t> over[2];
  for (int pass = 0; pass < 2; ++pass) {
    void* pixels = nullptr;
    HBITMAP dib = MakeDib(Size, 32, &pixels);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    auto* p = static_cast<std::uint32_t*>(pixels);
    std::fill(p, p + Size * Size, pass == 0 ? 0x000000u : 0xFFFFFFu);
    GdiFlush();
    DrawIconEx(dc, 0, 0, Icon, Size, Size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    over[pass].assign(p, p + Size * Size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
  }
  std::vector<TLook> looks;
  for (int i = 0; i < Size * Size; ++i) {
    const std::uint32_t b = over[0][i] & 0xFFFFFF, w = over[1][i] & 0xFFFFFF;
    if (b == w)
      looks.push_back({TShade::Opaque, RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF)});
    else if (b == 0 && w == 0xFFFFFF)
      looks.push_back({TShade::Transparent, 0});
    else
      looks.push_back({TShade::Partial, 0});
  }
  return looks;
}

int TIconFileReader::Index(int X, int Y) const {
  const int row = (4 * Size + 31) / 32 * 4;
  const unsigned char b = static_cast<unsigned char>(Bytes.at(126 + (Size - 1 - Y) * row + X / 2));
  return X % 2 == 0 ? b >> 4 : b & 0x0F;
}

bool TIconFileReader::Masked(int X, int Y) const {
  const int colourBytes = (4 * Size + 31) / 32 * 4 * Size;
  const int row = (Size + 31) / 32 * 4;
  const unsigned char b = static_cast<unsigned char>(Bytes.at(126 + colourBytes + (Size - 1 - Y) * row + X / 8));
  return (b & (0x80 >> (X % 8))) != 0;
}

void DeleteIfThere(const std::string& Path) { DeleteFileA(Path.c_str()); }
