// The fixtures the build makes, as the shell's icon extraction sees them;
// and a colourful fixture icon exported and read back.
#include <doctest.h>
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "Fixtures.h"
#include "IconFile.h"
#include "TestIcons.h"

using namespace Vcl;

namespace {

UINT_PTR CountIcons(const std::string& Path) {
  return reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleW(nullptr), Path.c_str(), static_cast<UINT>(-1)));
}

// Checks the picture of Icon (32 by 32) at the given points.
template <std::size_t N>
void CheckPicture(HICON Icon, const Fixtures::TPixel (&Points)[N]) {
  const std::vector<TLook> looks = Render(Icon, 32);
  for (const Fixtures::TPixel& p : Points) {
    CAPTURE(p.X);
    CAPTURE(p.Y);
    const TLook& l = looks[p.Y * 32 + p.X];
    if (p.Opaque) {
      CHECK(l.Shade == TShade::Opaque);
      CHECK(l.Colour == p.Colour);
    } else {
      CHECK(l.Shade == TShade::Transparent);
    }
  }
}

}  // namespace

TEST_CASE("the fixture library holds three icon groups in order") {
  const std::string lib = Fixtures::Path(Fixtures::IconLibrary);
  REQUIRE(CountIcons(lib) == 3);
  HICON icons[3];
  for (UINT i = 0; i < 3; ++i) {
    icons[i] = ExtractIconA(GetModuleHandleW(nullptr), lib.c_str(), i);
    REQUIRE(icons[i]);
  }
  CheckPicture(icons[0], Fixtures::RedSquare);
  CheckPicture(icons[1], Fixtures::GreenCircle);
  CheckPicture(icons[2], Fixtures::BlueDiagonal);
  for (HICON h : icons) DestroyIcon(h);
  CHECK(ExtractIconA(GetModuleHandleW(nullptr), lib.c_str(), 3) == nullptr);
}

TEST_CASE("an icon file counts one, other files none") {
  const std::string single = Fixtures::Path(Fixtures::SingleIcon);
  CHECK(CountIcons(single) == 1);
  HICON icon = ExtractIconA(GetModuleHandleW(nullptr), single.c_str(), 0);
  REQUIRE(icon);
  CheckPicture(icon, Fixtures::Colourful);
  DestroyIcon(icon);

  CHECK(CountIcons(Fixtures::Path(Fixtures::TextFile)) == 0);
  CHECK(CountIcons(Fixtures::Path("missing.dll")) == 0);
}

TEST_CASE("a colourful icon exported and read back shows only VGA colours") {
  HICON icon = ExtractIconA(GetModuleHandleW(nullptr), Fixtures::Path(Fixtures::SingleIcon).c_str(), 0);
  REQUIRE(icon);
  const std::string path = std::string(PELMORA_TEST_OUT) + "\\colourful32.ico";
  DeleteFileA(path.c_str());
  SaveIconFile(icon, 32, path);
  DestroyIcon(icon);

  HICON loaded = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
  REQUIRE(loaded);
  const std::vector<TLook> looks = Render(loaded, 32);
  DestroyIcon(loaded);
  int foreign = 0;
  for (const TLook& l : looks)
    if (l.Shade == TShade::Opaque && std::find(std::begin(IconPalette), std::end(IconPalette), l.Colour) ==
                                         std::end(IconPalette))
      ++foreign;
  CHECK(foreign == 0);
  // Each region became the VGA colour nearest to it.
  struct Expect {
    int x, y;
    COLORREF colour;
  };
  const Expect expected[] = {{5, 5, RGB(255, 255, 0)},   {25, 5, RGB(128, 0, 128)},    {5, 25, RGB(0, 128, 128)},
                             {25, 25, RGB(128, 128, 0)}, {15, 15, RGB(255, 255, 255)}};
  for (const Expect& e : expected) {
    CAPTURE(e.x);
    CAPTURE(e.y);
    CHECK(looks[e.y * 32 + e.x].Shade == TShade::Opaque);
    CHECK(looks[e.y * 32 + e.x].Colour == e.colour);
  }
  CHECK(looks[0].Shade == TShade::Transparent);
  CHECK(looks[15 * 32 + 31].Shade == TShade::Transparent);
}
