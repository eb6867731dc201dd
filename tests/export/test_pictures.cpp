// Icons and bitmaps taken from an image list: the icon file the export
// writes, the bitmap the copy command puts on the clipboard, and the
// picture objects' own files.
#include <doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "ExportKit.h"
#include "Fixtures.h"
#include "Graphics.h"
#include "IconFile.h"
#include "ImgList.h"
#include "TestIcons.h"

using namespace Vcl;
using namespace ExportKit;

namespace {

// The colourful fixture icon, as the shell gives it.
HICON Colourful() {
  HICON h = static_cast<HICON>(
      LoadImageA(nullptr, Fixtures::Path(Fixtures::SingleIcon).c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
  REQUIRE(h != nullptr);
  return h;
}

// An image list of Size holding the colourful icon.
void FillList(TImageList& List, int Size) {
  List.SetWidth(Size);
  List.SetHeight(Size);
  TIcon source;
  source.SetHandle(Colourful());
  REQUIRE(List.AddIcon(&source) == 0);
}

std::uint32_t Le(const std::string& B, std::size_t At, int Bytes) {
  std::uint32_t v = 0;
  for (int i = Bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(B[At + i]);
  return v;
}

}  // namespace

TEST_CASE("An image-list icon saved to a file: the format's size and header, read back in the 16 colours") {
  struct Case {
    int Size;
    std::size_t Bytes;
  };
  const Case cases[] = {{16, 318}, {24, 510}, {32, 766}};
  for (const Case& c : cases) {
    CAPTURE(c.Size);
    TImageList list(nullptr);
    FillList(list, c.Size);
    TIcon icon;
    list.GetIcon(0, &icon);
    CHECK(icon.ImageSize() == c.Size);
    const std::string path = OutPath("colourful" + std::to_string(c.Size) + ".ico");
    DeleteIfThere(path);
    icon.SaveToFile(path);

    const std::string f = ReadFile(path);
    REQUIRE(f.size() == c.Bytes);
    // Directory and its one entry: 0, 1, 1; w, h; 4, 0, 0; size, offset.
    CHECK(Le(f, 0, 2) == 0);
    CHECK(Le(f, 2, 2) == 1);
    CHECK(Le(f, 4, 2) == 1);
    CHECK(Le(f, 6, 1) == static_cast<std::uint32_t>(c.Size));
    CHECK(Le(f, 7, 1) == static_cast<std::uint32_t>(c.Size));
    CHECK(Le(f, 8, 2) == 4);
    CHECK(Le(f, 10, 2) == 0);
    CHECK(Le(f, 12, 2) == 0);
    CHECK(Le(f, 14, 4) == c.Bytes - 22);
    CHECK(Le(f, 18, 4) == 22);

    // The system's own reader: every pixel is a palette colour or masked.
    HICON loaded = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, c.Size, c.Size, LR_LOADFROMFILE));
    REQUIRE(loaded != nullptr);
    const std::vector<TLook> looks = Render(loaded, c.Size);
    DestroyIcon(loaded);
    int foreign = 0, partial = 0, transparent = 0;
    for (const TLook& l : looks) {
      if (l.Shade == TShade::Partial) ++partial;
      if (l.Shade == TShade::Transparent) ++transparent;
      if (l.Shade == TShade::Opaque && !IsVgaColour(l.Colour)) ++foreign;
    }
    CHECK(foreign == 0);
    CHECK(partial == 0);
    // The picture's border is transparent, its middle is not.
    CHECK(looks[0].Shade == TShade::Transparent);
    CHECK(looks[(c.Size / 2) * c.Size + c.Size / 2].Shade == TShade::Opaque);
    CHECK(transparent > 0);
    if (c.Size == 32) {
      // At its own size each known pixel maps to the nearest palette colour.
      for (const Fixtures::TPixel& p : Fixtures::Colourful) {
        CAPTURE(p.X);
        CAPTURE(p.Y);
        const TLook& l = looks[p.Y * 32 + p.X];
        if (!p.Opaque) {
          CHECK(l.Shade == TShade::Transparent);
        } else {
          REQUIRE(l.Shade == TShade::Opaque);
          CHECK(l.Colour == IconPalette[NearestPaletteIndex(p.Colour)]);
        }
      }
    }
  }
}

TEST_CASE("Saving an icon: nothing to save, a missing folder, a file that exists") {
  const std::string path = OutPath("save_cases.ico");
  DeleteIfThere(path);
  TIcon empty;
  CHECK_THROWS_AS(empty.SaveToFile(path), EInvalidOperation);
  CHECK_FALSE(FileExists(path));

  TIcon icon;
  icon.SetHandle(Colourful());
  const std::string missing = OutPath("存在しない\\表.ico");
  CHECK_THROWS_WITH_AS(icon.SaveToFile(missing), ("ファイル " + missing + " を作成できません").c_str(),
                       EFCreateError);

  // An existing file is replaced whole, without a question.
  WriteFile(path, std::string(2000, 'x'));
  icon.SaveToFile(path);
  CHECK(ReadFile(path).size() == 766);
}

TEST_CASE("An icon read from an icon file keeps its bytes; bad data is refused and the icon kept") {
  const std::string file = ReadFile(Fixtures::Path(Fixtures::SingleIcon));
  REQUIRE(file.size() > 22);
  TIcon icon;
  icon.LoadFromFile(Fixtures::Path(Fixtures::SingleIcon));
  REQUIRE_FALSE(icon.Empty());
  CHECK(icon.ImageSize() == 32);
  TMemoryStream out;
  icon.SaveToStream(&out);
  CHECK(std::string(out.Memory(), static_cast<std::size_t>(out.DataSize())) == file);

  const HICON before = icon.Handle();
  const std::string bad[] = {"not an icon at all", file.substr(0, 100), std::string(6, '\0')};
  for (const std::string& b : bad) {
    TStringStream s(b);
    CHECK_THROWS_AS(icon.LoadFromStream(&s), EInvalidGraphic);
    CHECK(icon.Handle() == before);
  }

  // A new handle is a new picture: it is saved as the export writes it.
  icon.SetHandle(CopyIcon(icon.Handle()));
  TMemoryStream again;
  icon.SaveToStream(&again);
  CHECK(again.DataSize() == 766);
}

TEST_CASE("GetBitmap: the list's size, white where the icon is transparent, the icon elsewhere") {
  TImageList list(nullptr);
  FillList(list, 24);
  TBitmap bitmap;
  bitmap.SetSize(40, 10);
  list.GetBitmap(0, &bitmap);
  CHECK(bitmap.Width() == 24);
  CHECK(bitmap.Height() == 24);
  int w = 0, h = 0;
  const std::vector<COLORREF> px = Pixels(bitmap.Handle(), w, h);
  REQUIRE(w == 24);
  REQUIRE(h == 24);

  // The same image drawn by the list itself over white.
  HICON drawn = ImageList_GetIcon(list.Handle(), 0, ILD_NORMAL);
  const std::vector<TLook> looks = Render(drawn, 24);
  DestroyIcon(drawn);
  int white = 0, mismatched = 0;
  for (int i = 0; i < 24 * 24; ++i) {
    if (looks[i].Shade == TShade::Transparent) {
      if (px[i] == RGB(255, 255, 255)) ++white;
    } else if (looks[i].Shade == TShade::Opaque && px[i] != looks[i].Colour) {
      ++mismatched;
    }
  }
  CHECK(px[0] == RGB(255, 255, 255));
  CHECK(px[12 * 24 + 4] != RGB(255, 255, 255));
  CHECK(white > 0);
  CHECK(mismatched == 0);

  CHECK_THROWS_AS(list.GetBitmap(1, &bitmap), EInvalidOperation);
  CHECK_THROWS_AS(list.GetBitmap(-1, &bitmap), EInvalidOperation);
  CHECK_THROWS_AS(list.GetBitmap(0, nullptr), EInvalidOperation);
}

TEST_CASE("TBitmap: a new size keeps the common pixels and whitens the rest; its file reads back") {
  TBitmap bitmap;
  CHECK(bitmap.Empty());
  bitmap.SetSize(4, 4);
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap.Handle());
    SetPixel(dc, 1, 1, RGB(255, 0, 0));
    SetPixel(dc, 3, 0, RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  bitmap.SetSize(8, 6);
  int w = 0, h = 0;
  std::vector<COLORREF> px = Pixels(bitmap.Handle(), w, h);
  REQUIRE(w == 8);
  REQUIRE(h == 6);
  CHECK(px[1 * 8 + 1] == RGB(255, 0, 0));
  CHECK(px[0 * 8 + 3] == RGB(0, 0, 255));
  CHECK(px[5 * 8 + 7] == RGB(255, 255, 255));
  CHECK(px[0] == RGB(255, 255, 255));

  TMemoryStream file;
  bitmap.SaveToStream(&file);
  CHECK(file.DataSize() == 54 + 24 * 6);
  file.SetPosition(0);
  TBitmap copy;
  copy.LoadFromStream(&file);
  CHECK(Pixels(copy.Handle(), w, h) == px);

  const HBITMAP before = copy.Handle();
  const std::string whole(file.Memory(), static_cast<std::size_t>(file.DataSize()));
  const std::string bad[] = {"BM", whole.substr(0, 60), "XX" + whole.substr(2)};
  for (const std::string& b : bad) {
    TStringStream s(b);
    CHECK_THROWS_AS(copy.LoadFromStream(&s), EInvalidGraphic);
    CHECK(copy.Handle() == before);
  }
  CHECK_THROWS_AS(bitmap.SetSize(-1, 2), EInvalidGraphic);
  TBitmap none;
  TMemoryStream nothing;
  CHECK_THROWS_AS(none.SaveToStream(&nothing), EInvalidOperation);
}
