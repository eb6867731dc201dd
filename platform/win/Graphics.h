// Colours, fonts, device contexts and the icon object.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

#include <string>

#include "Streams.h"

namespace Vcl {

// A colour: an RGB value (0x00BBGGRR), or a system colour index with the
// high byte set.
using TColor = int;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour (system colours looked up now).
COLORREF ColorToRGB(TColor Color);
// Names of colours in form files ("clBtnFace"); false when unknown.
bool ColorToIdent(TColor Color, AnsiString& Ident);
bool IdentToColor(const AnsiString& Ident, TColor& Color);
// Names of character sets in form files ("SHIFTJIS_CHARSET").
bool CharsetToIdent(int Charset, AnsiString& Ident);
bool IdentToCharset(const AnsiString& Ident, int& Charset);
// The same names for published properties.
const TIdentMap& ColorIdentMap();
const TIdentMap& CharsetIdentMap();

using TNotifyEvent = Closure<void(TObject*)>;

// Base of the drawing objects: tells its owner when it changes.
class TGraphicsObject : public TPersistent {
  VCL_CLASS(TGraphicsObject)
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed() { OnChange(this); }
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = unsigned;  // bit n = TFontStyle n
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// A logical font; the system font object is made when first asked for.
class TFont : public TGraphicsObject {
  VCL_CLASS(TFont)
 public:
  TFont();
  ~TFont() override;

  AnsiString GetName() const { return FName; }
  void SetName(const AnsiString& Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Size in points at the screen's resolution.
  int Size() const;
  void SetSize(int Value);
  int Charset() const { return FCharset; }
  void SetCharset(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);

  // The system font; it belongs to this object.
  HFONT Handle();
  void Assign(TPersistent* Source) override;

 private:
  void Change();

  AnsiString FName = "ＭＳ Ｐゴシック";
  int FHeight = -12;
  int FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
  TFontPitch FPitch = fpDefault;
  HFONT FHandle = nullptr;
};

// A device context to draw on. It does not own the handle it is given.
class TCanvas : public TPersistent {
  VCL_CLASS(TCanvas)
 public:
  TCanvas() = default;
  explicit TCanvas(HDC DC) : FHandle(DC) {}
  HDC Handle() const { return FHandle; }
  void SetHandle(HDC Value) { FHandle = Value; }

 private:
  HDC FHandle = nullptr;
};

VCL_EXCEPTION(EInvalidGraphic, Exception)

// A picture that can be drawn and saved.
class TGraphic : public TPersistent {
  VCL_CLASS(TGraphic)
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;

  // Reads the picture from the rest of Stream; raises EInvalidGraphic for
  // data that is not such a picture (the object keeps what it held).
  virtual void LoadFromStream(TStream* Stream) = 0;
  // Writes the picture in its file format.
  virtual void SaveToStream(TStream* Stream) = 0;
  void LoadFromFile(const AnsiString& FileName);
  // Creates FileName, or empties an existing one, and writes the picture.
  // The picture is made before the file is touched. Raises EFCreateError
  // "ファイル %s を作成できません" when the file cannot be created, and
  // EWriteError when it cannot be written whole (nothing is left of it).
  virtual void SaveToFile(const AnsiString& FileName);
  // Draws the picture into Rect.
  virtual void Draw(HDC DC, const RECT& Rect) = 0;
};

// The icon object. It owns its icon handle: giving it a new one destroys
// the one it held. Its size is always the system's large-icon size.
class TIcon : public TGraphic {
  VCL_CLASS(TIcon)
 public:
  TIcon() = default;
  ~TIcon() override;

  HICON Handle() const { return FHandle; }
  void SetHandle(HICON Value);
  // Gives up the handle without destroying it; the caller owns it now.
  HICON ReleaseHandle();

  int Width() const override;
  int Height() const override;
  bool Empty() const override { return FHandle == nullptr; }
  // The edge length of the icon the handle holds (0 without one).
  int ImageSize() const;

  // An icon file: the image nearest the large-icon size is used, and the
  // file's bytes are kept, so that saving writes them back unchanged.
  void LoadFromStream(TStream* Stream) override;
  // The loaded file, or else the icon file of one 16-colour image at
  // ImageSize (see IconFile.h). Raises EInvalidOperation without an icon.
  void SaveToStream(TStream* Stream) override;
  void Draw(HDC DC, const RECT& Rect) override;

 private:
  HICON FHandle = nullptr;
  std::string FData;  // the file the icon was read from, if it was
};

// A device-dependent bitmap, as the screen shows pictures. It owns its
// handle.
class TBitmap : public TGraphic {
  VCL_CLASS(TBitmap)
 public:
  TBitmap() = default;
  ~TBitmap() override;

  // The bitmap (null while it has no pixels).
  HBITMAP Handle() const { return FHandle; }
  void SetHandle(HBITMAP Value);
  // Gives up the handle without deleting it; the caller owns it now.
  HBITMAP ReleaseHandle();

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int Value) { SetSize(Value, FHeight); }
  void SetHeight(int Value) { SetSize(FWidth, Value); }
  // Keeps the pixels both sizes share and fills the new area white.
  void SetSize(int AWidth, int AHeight);
  bool Empty() const override { return FHandle == nullptr; }

  // A bitmap file (any format the system reads).
  void LoadFromStream(TStream* Stream) override;
  // A 24-bit bitmap file.
  void SaveToStream(TStream* Stream) override;
  void Draw(HDC DC, const RECT& Rect) override;

 private:
  HBITMAP FHandle = nullptr;
  int FWidth = 0, FHeight = 0;
};

}  // namespace Vcl
