#include "Graphics.h"

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

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  HICON old = FHandle;
  FHandle = Value;
  if (old) DestroyIcon(old);
}

HICON TIcon::ReleaseHandle() {
  HICON h = FHandle;
  FHandle = nullptr;
  return h;
}

int TIcon::Width() const { return GetSystemMetrics(SM_CXICON); }
int TIcon::Height() const { return GetSystemMetrics(SM_CYICON); }

}  // namespace Vcl
