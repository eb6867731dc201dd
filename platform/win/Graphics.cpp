#include "Graphics.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>

#include "IconFile.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

TIdentMap MakeMap(std::initializer_list<TIdentMap::Entry> Entries) {
  TIdentMap map;
  map.Entries.assign(Entries.begin(), Entries.end());
  return map;
}

const TEnumInfo FontStyleNames{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TEnumInfo FontPitchNames{{"fpDefault", "fpVariable", "fpFixed"}};

}  // namespace

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color) & 0xFFFFFF;
}

const TIdentMap& ColorIdentMap() {
  static const TIdentMap map = MakeMap({
      {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
      {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
      {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
      {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
      {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
      {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
      {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
      {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
      {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
      {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
      {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
      {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
      {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
      {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clNone, "clNone"}, {clDefault, "clDefault"},
  });
  return map;
}

const TIdentMap& CharsetIdentMap() {
  static const TIdentMap map = MakeMap({
      {ANSI_CHARSET, "ANSI_CHARSET"}, {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
      {SYMBOL_CHARSET, "SYMBOL_CHARSET"}, {MAC_CHARSET, "MAC_CHARSET"},
      {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
      {JOHAB_CHARSET, "JOHAB_CHARSET"}, {GB2312_CHARSET, "GB2312_CHARSET"},
      {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
      {TURKISH_CHARSET, "TURKISH_CHARSET"}, {HEBREW_CHARSET, "HEBREW_CHARSET"},
      {ARABIC_CHARSET, "ARABIC_CHARSET"}, {BALTIC_CHARSET, "BALTIC_CHARSET"},
      {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"}, {THAI_CHARSET, "THAI_CHARSET"},
      {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"}, {OEM_CHARSET, "OEM_CHARSET"},
  });
  return map;
}

bool ColorToIdent(TColor Color, AnsiString& Ident) { return ColorIdentMap().IntToIdent(Color, Ident); }
bool IdentToColor(const AnsiString& Ident, TColor& Color) {
  long long v = 0;
  if (!ColorIdentMap().IdentToInt(Ident, v)) return false;
  Color = static_cast<TColor>(v);
  return true;
}
bool CharsetToIdent(int Charset, AnsiString& Ident) { return CharsetIdentMap().IntToIdent(Charset, Ident); }
bool IdentToCharset(const AnsiString& Ident, int& Charset) {
  long long v = 0;
  if (!CharsetIdentMap().IdentToInt(Ident, v)) return false;
  Charset = static_cast<int>(v);
  return true;
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TGraphicsObject, TPersistent, Object) {}

VCL_PUBLISH(TFont, TGraphicsObject, Object) {
  P.Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET).WithIdents(CharsetIdentMap());
  P.Int("Color", &TFont::Color, &TFont::SetColor, clWindowText).WithIdents(ColorIdentMap());
  P.Int("Height", &TFont::Height, &TFont::SetHeight);
  P.Str("Name", &TFont::GetName, &TFont::SetName);
  P.Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, FontPitchNames, fpDefault);
  P.Int("Size", &TFont::Size, &TFont::SetSize).NotStored();
  P.Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleNames, 0);
}

TFont::TFont() = default;

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

void TFont::Change() {
  if (FHandle) {
    DeleteObject(FHandle);
    FHandle = nullptr;
  }
  Changed();
}

void TFont::SetName(const AnsiString& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Change();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Change();
}

namespace {
int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  const int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return ppi > 0 ? ppi : 96;
}
}  // namespace

int TFont::Size() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, ScreenPixelsPerInch(), 72)); }

void TFont::SetCharset(int Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Change();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // The colour is not part of the system font.
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Change();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Change();
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = (FStyle & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (FStyle & (1u << fsItalic)) ? TRUE : FALSE;
    lf.lfUnderline = (FStyle & (1u << fsUnderline)) ? TRUE : FALSE;
    lf.lfStrikeOut = (FStyle & (1u << fsStrikeOut)) ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(FCharset);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    const std::wstring face = ToWide(FName);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    FHandle = CreateFontIndirectW(&lf);
    if (!FHandle) FHandle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return FHandle;
}

void TFont::Assign(TPersistent* Source) {
  if (TFont* f = dyn_cast<TFont>(Source)) {
    if (f == this) return;
    FName = f->FName;
    FHeight = f->FHeight;
    FCharset = f->FCharset;
    FColor = f->FColor;
    FStyle = f->FStyle;
    FPitch = f->FPitch;
    Change();
    return;
  }
  TGraphicsObject::Assign(Source);
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TCanvas, TPersistent, Object) {}
VCL_PUBLISH(TGraphic, TPersistent, Object) {}
VCL_PUBLISH(TIcon, TGraphic, Object) {}
VCL_PUBLISH(TBitmap, TGraphic, Object) {}

namespace {

// The bytes from the stream's position to its end.
std::string ReadRest(TStream* Stream) {
  const long long n = Stream->Size() - Stream->Position();
  if (n <= 0) return std::string();
  if (n > 0x7FFFFFFF) throw EInvalidGraphic("画像のデータが大きすぎます.");
  std::string data(static_cast<std::size_t>(n), '\0');
  Stream->ReadBuffer(data.data(), static_cast<int>(n));
  return data;
}

std::uint32_t Get16(const std::string& D, std::size_t At) {
  return static_cast<unsigned char>(D[At]) | static_cast<unsigned char>(D[At + 1]) << 8;
}
std::uint32_t Get32(const std::string& D, std::size_t At) {
  return Get16(D, At) | Get16(D, At + 2) << 16;
}
void Put16(std::string& D, std::uint32_t V) {
  D += static_cast<char>(V & 0xFF);
  D += static_cast<char>(V >> 8 & 0xFF);
}
void Put32(std::string& D, std::uint32_t V) {
  Put16(D, V & 0xFFFF);
  Put16(D, V >> 16);
}

// An icon made from the image of an icon file nearest the large-icon size.
HICON IconFromFile(const std::string& Data) {
  const auto bad = [] { return EInvalidGraphic("アイコンのデータが正しくありません."); };
  if (Data.size() < 6 || Get16(Data, 0) != 0 || Get16(Data, 2) != 1) throw bad();
  const std::size_t count = Get16(Data, 4);
  if (count == 0 || 6 + 16 * count > Data.size()) throw bad();
  const int want = GetSystemMetrics(SM_CXICON);
  std::size_t best = 0;
  int bestDistance = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int w = static_cast<unsigned char>(Data[6 + 16 * i]);
    const int distance = std::abs((w ? w : 256) - want);
    if (i == 0 || distance < bestDistance) best = i, bestDistance = distance;
  }
  const std::size_t entry = 6 + 16 * best;
  const int w = static_cast<unsigned char>(Data[entry]), h = static_cast<unsigned char>(Data[entry + 1]);
  const std::uint32_t size = Get32(Data, entry + 8), offset = Get32(Data, entry + 12);
  if (size == 0 || offset > Data.size() || size > Data.size() - offset) throw bad();
  // The system reads only the bytes it is given.
  std::string image = Data.substr(offset, size);
  HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()), size, TRUE, 0x00030000,
                                        w ? w : 256, h ? h : 256, LR_DEFAULTCOLOR);
  if (!icon) throw bad();
  return icon;
}

// A memory device context with a bitmap selected while it lives.
class TBitmapDC {
 public:
  explicit TBitmapDC(HBITMAP Bitmap) : FDC(CreateCompatibleDC(nullptr)) {
    if (!FDC) throw EOutOfMemory("デバイスコンテキストを作成できません.");
    FOld = SelectObject(FDC, Bitmap);
  }
  ~TBitmapDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  TBitmapDC(const TBitmapDC&) = delete;
  TBitmapDC& operator=(const TBitmapDC&) = delete;
  HDC Handle() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

}  // namespace

// ---------------------------------------------------------------------------
// TGraphic

void TGraphic::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName) {
  TMemoryStream stream;
  SaveToStream(&stream);
  WriteWholeFile(FileName, std::string(stream.Memory(), static_cast<std::size_t>(stream.DataSize())));
}

// ---------------------------------------------------------------------------
// TIcon

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::SetHandle(HICON Value) {
  FData.clear();
  if (Value == FHandle) return;
  HICON old = FHandle;
  FHandle = Value;
  if (old) DestroyIcon(old);
}

HICON TIcon::ReleaseHandle() {
  FData.clear();
  HICON h = FHandle;
  FHandle = nullptr;
  return h;
}

int TIcon::ImageSize() const {
  if (!FHandle) return 0;
  ICONINFO info{};
  if (!GetIconInfo(FHandle, &info)) return 0;
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bm.bmWidth;
}

void TIcon::LoadFromStream(TStream* Stream) {
  std::string data = ReadRest(Stream);
  SetHandle(IconFromFile(data));
  FData = std::move(data);
}

void TIcon::SaveToStream(TStream* Stream) {
  const std::string data = FData.empty() ? EncodeIconFile(FHandle, ImageSize()) : FData;
  Stream->WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TIcon::Draw(HDC DC, const RECT& Rect) {
  if (FHandle)
    DrawIconEx(DC, Rect.left, Rect.top, FHandle, Rect.right - Rect.left, Rect.bottom - Rect.top, 0, nullptr,
               DI_NORMAL);
}

// ---------------------------------------------------------------------------
// TBitmap

TBitmap::~TBitmap() {
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  if (FHandle) DeleteObject(FHandle);
  FHandle = Value;
  BITMAP bm{};
  if (Value && GetObjectW(Value, sizeof bm, &bm))
    FWidth = bm.bmWidth, FHeight = bm.bmHeight;
  else
    FWidth = FHeight = 0;
}

HBITMAP TBitmap::ReleaseHandle() {
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  return h;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth < 0 || AHeight < 0) throw EInvalidGraphic("ビットマップの大きさが正しくありません.");
  if (AWidth == FWidth && AHeight == FHeight) return;
  HBITMAP made = nullptr;
  if (AWidth > 0 && AHeight > 0) {
    HDC screen = GetDC(nullptr);
    made = CreateCompatibleBitmap(screen, AWidth, AHeight);
    ReleaseDC(nullptr, screen);
    if (!made) throw EOutOfMemory("ビットマップを作成できません.");
    TBitmapDC to(made);
    PatBlt(to.Handle(), 0, 0, AWidth, AHeight, WHITENESS);
    if (FHandle) {
      TBitmapDC from(FHandle);
      BitBlt(to.Handle(), 0, 0, std::min(AWidth, FWidth), std::min(AHeight, FHeight), from.Handle(), 0, 0,
             SRCCOPY);
    }
  }
  if (FHandle) DeleteObject(FHandle);
  FHandle = made;
  FWidth = AWidth, FHeight = AHeight;
}

void TBitmap::LoadFromStream(TStream* Stream) {
  const std::string data = ReadRest(Stream);
  const auto bad = [] { return EInvalidGraphic("ビットマップのデータが正しくありません."); };
  // File header, then an information header of 40 bytes or more.
  if (data.size() < 14 + 40 || data[0] != 'B' || data[1] != 'M') throw bad();
  const std::uint32_t bitsAt = Get32(data, 10), infoSize = Get32(data, 14);
  const std::int32_t width = static_cast<std::int32_t>(Get32(data, 18));
  const std::int32_t height = static_cast<std::int32_t>(Get32(data, 22));
  const std::uint32_t bits = Get16(data, 28), compression = Get32(data, 30), imageSize = Get32(data, 34);
  const std::uint32_t used = Get32(data, 46);
  if (infoSize < 40 || infoSize > data.size() - 14 || width <= 0 || height == 0 || height == INT32_MIN ||
      width > 0x7FFF || std::abs(height) > 0x7FFF)
    throw bad();
  // What the system will read: the colour table (or masks) before the
  // pixels, and the pixels themselves.
  std::uint64_t table = 0;
  if (bits <= 8) table = 4ull * (used ? used : 1u << bits);
  if (compression == BI_BITFIELDS && infoSize == 40) table = 12;
  std::uint64_t pixels = 0;
  if (compression == BI_RGB || compression == BI_BITFIELDS) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) throw bad();
    pixels = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4 * static_cast<std::uint64_t>(std::abs(height));
  } else {
    pixels = imageSize;
  }
  if (pixels == 0 || 14ull + infoSize + table > bitsAt || bitsAt > data.size() || pixels > data.size() - bitsAt)
    throw bad();
  const auto* info = reinterpret_cast<const BITMAPINFO*>(data.data() + 14);
  HDC screen = GetDC(nullptr);
  HBITMAP made = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, data.data() + bitsAt, info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (!made) throw bad();
  SetHandle(made);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (!FHandle) throw EInvalidOperation("ビットマップがありません.");
  const std::uint32_t stride = (static_cast<std::uint32_t>(FWidth) * 3 + 3) & ~3u;
  const std::uint32_t size = stride * static_cast<std::uint32_t>(FHeight);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = FWidth;
  info.bmiHeader.biHeight = FHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  std::string pixels(size, '\0');
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, FHandle, 0, static_cast<UINT>(FHeight), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != FHeight) throw EInvalidGraphic("ビットマップを読み取れません.");
  std::string out;
  out.reserve(54 + size);
  out += "BM";
  Put32(out, 54 + size);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(FWidth));
  Put32(out, static_cast<std::uint32_t>(FHeight));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, BI_RGB);
  Put32(out, size);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  out += pixels;
  Stream->WriteBuffer(out.data(), static_cast<int>(out.size()));
}

void TBitmap::Draw(HDC DC, const RECT& Rect) {
  if (!FHandle) return;
  TBitmapDC from(FHandle);
  StretchBlt(DC, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, from.Handle(), 0, 0, FWidth,
             FHeight, SRCCOPY);
}

int TIcon::Width() const { return GetSystemMetrics(SM_CXICON); }
int TIcon::Height() const { return GetSystemMetrics(SM_CYICON); }

}  // namespace Vcl
