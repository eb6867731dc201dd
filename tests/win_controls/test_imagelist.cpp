// The image list and the icon object, on the system's image lists and icons.
#include <doctest.h>

#include "Fixtures.h"
#include "Graphics.h"
#include "ImgList.h"

#include <shellapi.h>

using namespace Vcl;

namespace {

// Icon i of a fixture, as the shell gives it (system icon size).
HICON FixtureIcon(const char* File, UINT Index) {
  HICON h = ExtractIconA(GetModuleHandleW(nullptr), Fixtures::Path(File).c_str(), Index);
  REQUIRE(h != nullptr);
  REQUIRE(h != reinterpret_cast<HICON>(1));
  return h;
}

// A white bitmap of Size by Size to draw on, read back pixel by pixel.
class TPaper {
 public:
  explicit TPaper(int Size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = Size;
    bi.bmiHeader.biHeight = -Size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
    FSize = Size;
    for (int i = 0; i < Size * Size; ++i) FBits[i] = 0xFFFFFF;
  }
  ~TPaper() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  HDC DC() const { return FDC; }
  COLORREF At(int X, int Y) const {
    GdiFlush();
    const DWORD p = FBits[Y * FSize + X];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
  DWORD* FBits = nullptr;
  int FSize;
};

bool Near(COLORREF A, COLORREF B) {
  auto d = [](int x, int y) { return x > y ? x - y : y - x; };
  return d(GetRValue(A), GetRValue(B)) < 40 && d(GetGValue(A), GetGValue(B)) < 40 &&
         d(GetBValue(A), GetBValue(B)) < 40;
}

bool IconAlive(HICON Icon) {
  ICONINFO info{};
  if (!GetIconInfo(Icon, &info)) return false;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return true;
}

int IconWidth(HICON Icon) {
  ICONINFO info{};
  REQUIRE(GetIconInfo(Icon, &info));
  BITMAP bm{};
  GetObjectW(info.hbmMask, sizeof bm, &bm);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bm.bmWidth;
}

}  // namespace

TEST_CASE("TIcon owns its handle and reports the system icon size") {
  HICON first = FixtureIcon(Fixtures::IconLibrary, 0);
  HICON second = FixtureIcon(Fixtures::IconLibrary, 1);
  {
    TIcon icon;
    CHECK(icon.Empty());
    CHECK(icon.Width() == GetSystemMetrics(SM_CXICON));
    CHECK(icon.Height() == GetSystemMetrics(SM_CYICON));
    icon.SetHandle(first);
    CHECK(icon.Handle() == first);
    // A new handle destroys the one held before.
    icon.SetHandle(second);
    CHECK_FALSE(IconAlive(first));
    CHECK(IconAlive(second));
    CHECK(icon.Width() == GetSystemMetrics(SM_CXICON));
  }
  // So does the end of the object.
  CHECK_FALSE(IconAlive(second));

  HICON kept = FixtureIcon(Fixtures::IconLibrary, 2);
  {
    TIcon icon;
    icon.SetHandle(kept);
    CHECK(icon.ReleaseHandle() == kept);
    CHECK(icon.Empty());
  }
  CHECK(IconAlive(kept));
  DestroyIcon(kept);
}

TEST_CASE("TImageList: a new size empties the list; Clear and Count") {
  TImageList list(nullptr);
  CHECK(list.Width() == 16);
  CHECK(list.Height() == 16);
  list.SetWidth(32);
  list.SetHeight(32);
  TIcon icon;
  for (UINT i = 0; i < 3; ++i) {
    icon.SetHandle(FixtureIcon(Fixtures::IconLibrary, i));
    CHECK(list.AddIcon(&icon) == static_cast<int>(i));
  }
  CHECK(list.Count() == 3);
  int cx = 0, cy = 0;
  REQUIRE(ImageList_GetIconSize(list.Handle(), &cx, &cy));
  CHECK(cx == 32);
  CHECK(cy == 32);

  // The same size changes nothing.
  list.SetWidth(32);
  CHECK(list.Count() == 3);

  list.SetWidth(16);
  CHECK(list.Count() == 0);
  REQUIRE(ImageList_GetIconSize(list.Handle(), &cx, &cy));
  CHECK(cx == 16);
  CHECK(cy == 32);
  icon.SetHandle(FixtureIcon(Fixtures::IconLibrary, 0));
  list.AddIcon(&icon);
  CHECK(list.Count() == 1);
  list.SetHeight(16);
  CHECK(list.Count() == 0);

  icon.SetHandle(FixtureIcon(Fixtures::IconLibrary, 0));
  list.AddIcon(&icon);
  list.AddIcon(&icon);
  CHECK(list.Count() == 2);
  list.Clear();
  CHECK(list.Count() == 0);
}

TEST_CASE("TImageList: AddIcon refuses icons smaller than the list") {
  struct Case {
    int width, height;
    bool accepted;
  };
  const int system = GetSystemMetrics(SM_CXICON);
  const Case cases[] = {
      {system, system, true},          {16, 16, true},           {1, 1, true},
      {system + 16, system + 16, false}, {system + 1, system, false}, {system, system + 1, false},
  };
  for (const Case& c : cases) {
    CAPTURE(c.width);
    CAPTURE(c.height);
    TImageList list(nullptr);
    list.SetWidth(c.width);
    list.SetHeight(c.height);
    TIcon icon;
    icon.SetHandle(FixtureIcon(Fixtures::IconLibrary, 0));
    if (c.accepted) {
      CHECK(list.AddIcon(&icon) == 0);
      CHECK(list.Count() == 1);
    } else {
      try {
        list.AddIcon(&icon);
        FAIL("no exception");
      } catch (const EInvalidOperation& e) {
        CHECK(e.Message() == "イメージサイズが正しくありません");
      }
      CHECK(list.Count() == 0);
    }
  }
}

TEST_CASE("TImageList: sizes below 1 are refused and the list keeps its size") {
  for (int bad : {0, -1, -32}) {
    CAPTURE(bad);
    TImageList list(nullptr);
    list.SetWidth(24);
    CHECK_THROWS_AS(list.SetWidth(bad), EInvalidOperation);
    CHECK_THROWS_AS(list.SetHeight(bad), EInvalidOperation);
    CHECK(list.Width() == 24);
    CHECK(list.Height() == 16);
  }
}

TEST_CASE("TImageList: Draw shows each icon scaled to the list's size, through its mask") {
  struct Case {
    int size;
    UINT index;
    POINT inside;
    COLORREF colour;
    POINT outside;
  };
  const Case cases[] = {
      {32, 0, {16, 16}, RGB(255, 0, 0), {2, 2}},   // red square 8..23
      {16, 0, {8, 8}, RGB(255, 0, 0), {1, 1}},     // the same at half size
      {32, 1, {16, 5}, RGB(0, 160, 0), {1, 1}},    // green disc
      {16, 2, {15, 15}, RGB(0, 0, 255), {10, 2}},  // blue diagonal
  };
  for (const Case& c : cases) {
    CAPTURE(c.size);
    CAPTURE(c.index);
    TImageList list(nullptr);
    list.SetWidth(c.size);
    list.SetHeight(c.size);
    TIcon icon;
    icon.SetHandle(FixtureIcon(Fixtures::IconLibrary, c.index));
    list.AddIcon(&icon);
    TPaper paper(c.size);
    TCanvas canvas(paper.DC());
    list.Draw(&canvas, 0, 0, 0);
    CHECK(Near(paper.At(c.inside.x, c.inside.y), c.colour));
    CHECK(paper.At(c.outside.x, c.outside.y) == RGB(255, 255, 255));
  }
}

TEST_CASE("TImageList: GetIcon gives an icon of the list's size; bad indexes are refused") {
  TImageList list(nullptr);
  list.SetWidth(16);
  list.SetHeight(16);
  TIcon icon;
  icon.SetHandle(FixtureIcon(Fixtures::IconLibrary, 0));
  list.AddIcon(&icon);
  TIcon out;
  list.GetIcon(0, &out);
  REQUIRE_FALSE(out.Empty());
  CHECK(IconWidth(out.Handle()) == 16);
  CHECK_THROWS_AS(list.GetIcon(1, &out), EInvalidOperation);
  CHECK_THROWS_AS(list.GetIcon(-1, &out), EInvalidOperation);
}
