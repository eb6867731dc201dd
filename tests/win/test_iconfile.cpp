// Icon files of one 16-colour image: bytes, colours, mask, and readers.
#include <doctest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

#include "IconFile.h"
#include "TestIcons.h"

using namespace Vcl;

namespace {

// A 4 by 4 grid of 8 by 8 blocks at 32 by 32, each in one colour; block 9
// is transparent. Next to each colour, the palette index nearest to it.
struct TBlock {
  std::uint32_t Argb;
  int Index;
};
const TBlock Blocks[16] = {
    {0xFFFA0A0A, 9},  {0xFF788200, 3},  {0xFFC8C8BE, 7},  {0xFF141414, 0},
    {0xFF646464, 8},  {0xFF00008C, 4},  {0xFF00FAFA, 14}, {0xFFFA00FA, 13},
    {0xFF800080, 5},  {0x00000000, -1}, {0xFF0A780A, 2},  {0xFFF0F014, 11},
    {0xFF820000, 1},  {0xFF00787E, 6},  {0xFF1E1EE6, 12}, {0xFFFAFAFA, 15},
};

TPicture Grid(int Size) {
  return [Size](int X, int Y) { return Blocks[(Y * 4 / Size) * 4 + X * 4 / Size].Argb; };
}

// The output folder of this test (the build tree), for files that the
// native icotool check reads afterwards.
std::string OutPath(const std::string& Name) { return std::string(PELMORA_TEST_OUT) + "\\" + Name; }

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned U16(const std::string& S, std::size_t At) {
  return static_cast<unsigned char>(S[At]) | static_cast<unsigned char>(S[At + 1]) << 8;
}
std::uint32_t U32(const std::string& S, std::size_t At) { return U16(S, At) | U16(S, At + 2) << 16; }

struct TIconHandle {
  HICON Handle;
  explicit TIconHandle(HICON H) : Handle(H) {}
  ~TIconHandle() { if (Handle) DestroyIcon(Handle); }
  TIconHandle(const TIconHandle&) = delete;
  TIconHandle& operator=(const TIconHandle&) = delete;
};

}  // namespace

TEST_CASE("icon file size and header") {
  TIconHandle icon(MakeAlphaIcon(32, Grid(32)));
  REQUIRE(icon.Handle);
  // Sizes worked out by hand: 22 + 40 + 64 + colour rows + mask rows.
  struct Case {
    int size;
    std::size_t bytes;
  };
  const Case cases[] = {{1, 134}, {16, 318}, {24, 510}, {32, 766}, {48, 1662}, {256, 41086}};
  for (const Case& c : cases) {
    CAPTURE(c.size);
    const std::string f = EncodeIconFile(icon.Handle, c.size);
    REQUIRE(f.size() == c.bytes);
    CHECK(static_cast<unsigned char>(f[6]) == (c.size & 0xFF));
    CHECK(static_cast<unsigned char>(f[7]) == (c.size & 0xFF));
    CHECK(U32(f, 14) == c.bytes - 22);
    CHECK(U32(f, 22 + 20) == (4 * c.size + 31) / 32 * 4 * c.size);
  }

  const std::string f = EncodeIconFile(icon.Handle, 32);
  const unsigned char header[22] = {0, 0, 1, 0, 1, 0, 32, 32, 4, 0, 0, 0, 0, 0, 0xE8, 2, 0, 0, 22, 0, 0, 0};
  for (std::size_t i = 0; i < sizeof header; ++i) {
    CAPTURE(i);
    CHECK(static_cast<unsigned char>(f[i]) == header[i]);
  }
  // Bitmap header: size, width, height of colour and mask, planes, bits,
  // compression, image size, then four zeros.
  CHECK(U32(f, 22) == 40);
  CHECK(U32(f, 26) == 32);
  CHECK(U32(f, 30) == 64);
  CHECK(U16(f, 34) == 1);
  CHECK(U16(f, 36) == 4);
  CHECK(U32(f, 38) == 0);
  CHECK(U32(f, 42) == 512);
  for (std::size_t at = 46; at < 62; at += 4) CHECK(U32(f, at) == 0);
  // The colour table: blue, green, red, 0 of the 16 VGA colours.
  const unsigned char vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (int i = 0; i < 16; ++i) {
    CAPTURE(i);
    CHECK(static_cast<unsigned char>(f[62 + 4 * i]) == vga[i][2]);
    CHECK(static_cast<unsigned char>(f[63 + 4 * i]) == vga[i][1]);
    CHECK(static_cast<unsigned char>(f[64 + 4 * i]) == vga[i][0]);
    CHECK(f[65 + 4 * i] == 0);
  }
}

TEST_CASE("colours map to the nearest VGA colour; the mask follows transparency") {
  struct Case {
    const char* kind;
    int size;
    bool alpha;
  };
  const Case cases[] = {{"alpha", 32, true}, {"alpha", 16, true}, {"alpha", 24, true}, {"mask", 32, false},
                        {"mask", 16, false}};
  for (const Case& c : cases) {
    CAPTURE(c.kind);
    CAPTURE(c.size);
    TIconHandle icon(c.alpha ? MakeAlphaIcon(32, Grid(32)) : MakeMaskIcon(32, Grid(32)));
    REQUIRE(icon.Handle);
    const std::string f = EncodeIconFile(icon.Handle, c.size);
    const TIconFileReader file{f, c.size};

    // The middle of each block.
    for (int b = 0; b < 16; ++b) {
      CAPTURE(b);
      const int x = (b % 4) * c.size / 4 + c.size / 8, y = (b / 4) * c.size / 4 + c.size / 8;
      if (Blocks[b].Index < 0) {
        CHECK(file.Masked(x, y));
        CHECK(file.Index(x, y) == 0);
      } else {
        CHECK(!file.Masked(x, y));
        CHECK(file.Index(x, y) == Blocks[b].Index);
      }
    }
    // Every pixel: mask 1 exactly where the drawn icon lets the background
    // through; masked pixels carry colour 0 so they draw nothing.
    const std::vector<TLook> looks = Render(icon.Handle, c.size);
    int mismatches = 0;
    for (int y = 0; y < c.size; ++y)
      for (int x = 0; x < c.size; ++x) {
        const TLook& l = looks[y * c.size + x];
        if (l.Shade == TShade::Partial) continue;
        const bool transparent = l.Shade == TShade::Transparent;
        if (file.Masked(x, y) != transparent) ++mismatches;
        if (transparent && file.Index(x, y) != 0) ++mismatches;
        if (!transparent && file.Index(x, y) != NearestPaletteIndex(l.Colour)) ++mismatches;
      }
    CHECK(mismatches == 0);
  }
}

TEST_CASE("half-transparent pixels: drawn when mostly opaque, in their own colour") {
  // Left half light grey at alpha 160 (over black it shows as a darker grey,
  // which must not decide its colour); right half blue at alpha 60.
  TIconHandle icon(MakeAlphaIcon(32, [](int X, int) { return X < 16 ? 0xA0C8C8C8u : 0x3C0000FFu; }));
  REQUIRE(icon.Handle);
  const std::string f = EncodeIconFile(icon.Handle, 32);
  const TIconFileReader file{f, 32};
  for (int y : {0, 17, 31})
    for (int x : {0, 9, 15, 16, 24, 31}) {
      CAPTURE(x);
      CAPTURE(y);
      CHECK(file.Masked(x, y) == (x >= 16));
      CHECK(file.Index(x, y) == (x < 16 ? 7 : 0));
    }
}

TEST_CASE("a written icon file loads back with the system's reader") {
  TIconHandle icon(MakeAlphaIcon(32, Grid(32)));
  for (int size : {16, 24, 32}) {
    CAPTURE(size);
    const std::string path = OutPath("grid" + std::to_string(size) + ".ico");
    DeleteIfThere(path);
    SaveIconFile(icon.Handle, size, path);
    const std::string f = ReadFile(path);
    CHECK(f == EncodeIconFile(icon.Handle, size));

    TIconHandle loaded(static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    REQUIRE(loaded.Handle);
    ICONINFO ii{};
    REQUIRE(GetIconInfo(loaded.Handle, &ii));
    BITMAP bm{};
    GetObject(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    CHECK(bm.bmWidth == size);
    CHECK(bm.bmHeight == (ii.hbmColor ? size : 2 * size));
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);

    // Drawn by the system, the loaded icon shows the palette colour of each
    // pixel, and the background where the mask is set.
    const TIconFileReader file{f, size};
    const std::vector<TLook> looks = Render(loaded.Handle, size);
    int wrong = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const TLook& l = looks[y * size + x];
        if (file.Masked(x, y))
          wrong += l.Shade != TShade::Transparent;
        else
          wrong += l.Shade != TShade::Opaque || l.Colour != IconPalette[file.Index(x, y)];
      }
    CHECK(wrong == 0);
  }
}

TEST_CASE("bad icons, sizes and file names are refused with clear errors") {
  TIconHandle icon(MakeMaskIcon(16, Grid(16)));
  CHECK_THROWS_WITH_AS(EncodeIconFile(nullptr, 32), "アイコンがありません.", EInvalidOperation);
  for (int size : {0, -1, 257}) {
    CAPTURE(size);
    CHECK_THROWS_WITH_AS(EncodeIconFile(icon.Handle, size), "イメージサイズが正しくありません", EInvalidOperation);
  }
  CHECK_THROWS_WITH_AS(EncodeIconFile(reinterpret_cast<HICON>(static_cast<INT_PTR>(0x5A5A)), 32),
                       "アイコンを描画できません.", EInvalidOperation);

  const std::string missingFolder = OutPath("存在しない\\表.ico");
  CHECK_THROWS_WITH_AS(SaveIconFile(icon.Handle, 32, missingFolder),
                       ("ファイル " + missingFolder + " を作成できません").c_str(), EFCreateError);

  // A bad size leaves an existing file alone; a good save replaces it whole.
  const std::string path = OutPath("replaced.ico");
  {
    std::ofstream out(path, std::ios::binary);
    out << std::string(2000, 'x');
  }
  CHECK_THROWS_AS(SaveIconFile(icon.Handle, 0, path), EInvalidOperation);
  CHECK(ReadFile(path) == std::string(2000, 'x'));
  SaveIconFile(icon.Handle, 32, path);
  CHECK(ReadFile(path).size() == 766);
}
