#include "ExtCtrls.h"

#include <cstdint>
#include <memory>
#include <string>

#include "Filer.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

const TEnumInfo AlignmentNames{{"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo AlignNames{{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
const TEnumInfo BevelCutNames{{"bvNone", "bvLowered", "bvRaised", "bvSpace"}};

const bool Registered = [] {
  RegisterClass(TPanel::StaticClass());
  RegisterClass(TImage::StaticClass());
  return true;
}();

void FillColour(HDC DC, const RECT& Rect, COLORREF Colour) {
  HBRUSH brush = CreateSolidBrush(Colour);
  FillRect(DC, &Rect, brush);
  DeleteObject(brush);
}

// Width lines around the inside of Rect, Top on the top and left edges and
// Bottom on the others; Rect shrinks by the lines drawn.
void Frame3D(HDC DC, RECT& Rect, COLORREF Top, COLORREF Bottom, int Width) {
  for (int i = 0; i < Width && Rect.right - Rect.left > 1 && Rect.bottom - Rect.top > 1; ++i) {
    FillColour(DC, RECT{Rect.left, Rect.top, Rect.right - 1, Rect.top + 1}, Top);
    FillColour(DC, RECT{Rect.left, Rect.top, Rect.left + 1, Rect.bottom - 1}, Top);
    FillColour(DC, RECT{Rect.left, Rect.bottom - 1, Rect.right, Rect.bottom}, Bottom);
    FillColour(DC, RECT{Rect.right - 1, Rect.top, Rect.right, Rect.bottom}, Bottom);
    InflateRect(&Rect, -1, -1);
  }
}

// A copy of a picture of a kind we know.
std::unique_ptr<TGraphic> CopyGraphic(TGraphic* Source) {
  if (TIcon* icon = dyn_cast<TIcon>(Source)) {
    auto copy = std::make_unique<TIcon>();
    if (icon->Handle()) {
      HICON h = CopyIcon(icon->Handle());
      if (!h) throw EOutOfMemory("アイコンを複製できません.");
      copy->SetHandle(h);
    }
    return copy;
  }
  if (TBitmap* bitmap = dyn_cast<TBitmap>(Source)) {
    auto copy = std::make_unique<TBitmap>();
    if (bitmap->Handle()) {
      HANDLE h = CopyImage(bitmap->Handle(), IMAGE_BITMAP, 0, 0, 0);
      if (!h) throw EOutOfMemory("ビットマップを複製できません.");
      copy->SetHandle(static_cast<HBITMAP>(h));
    }
    return copy;
  }
  throw EConvertError(FormatMsg("%s を画像に代入できません.", Source ? Source->ClassName() : "nil"));
}

}  // namespace

// ---------------------------------------------------------------------------
// TPanel

VCL_PUBLISH(TPanel, TWinControl, Component) {
  P.Enum("Align", &TPanel::Align, &TPanel::SetAlign, AlignNames, alNone);
  P.Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, AlignmentNames, taCenter);
  P.Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, BevelCutNames, bvNone);
  P.Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, BevelCutNames, bvRaised);
  P.Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1);
  P.Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0);
  P.Str("Caption", &TPanel::Caption, &TPanel::SetCaption);
  P.Int("Color", &TPanel::Color, &TPanel::SetColor, clBtnFace).WithIdents(ColorIdentMap()).Stored =
      [](TObject* o) { return !static_cast<TPanel*>(o)->ParentColor(); };
  P.Bool("Enabled", &TPanel::Enabled, &TPanel::SetEnabled, true);
  P.Object("Font", &TPanel::Font, nullptr).Stored = [](TObject* o) { return !static_cast<TPanel*>(o)->ParentFont(); };
  P.Bool("ParentColor", &TPanel::ParentColor, &TPanel::SetParentColor, false);
  P.Bool("ParentFont", &TPanel::ParentFont, &TPanel::SetParentFont, true);
  P.Int("TabOrder", &TPanel::TabOrder, &TPanel::SetTabOrder, -1);
  P.Bool("Visible", &TPanel::Visible, &TPanel::SetVisible, true);
}

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 185, FHeight = 41;
  FColor = clBtnFace;
}

void TPanel::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  // The bevels follow the edges: a new size repaints it all.
  Params.ClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}

void TPanel::Changed() {
  if (HandleAllocated()) InvalidateRect(FHandle, nullptr, TRUE);
}

void TPanel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed();
}

void TPanel::SetBevelInner(TBevelCut Value) {
  FBevelInner = Value;
  Realign();
  Changed();
}

void TPanel::SetBevelOuter(TBevelCut Value) {
  FBevelOuter = Value;
  Realign();
  Changed();
}

void TPanel::SetBevelWidth(int Value) {
  if (Value < 1) Value = 1;
  FBevelWidth = Value;
  Realign();
  Changed();
}

void TPanel::SetBorderWidth(int Value) {
  if (Value < 0) Value = 0;
  FBorderWidth = Value;
  Realign();
  Changed();
}

void TPanel::SetParentColor(bool Value) {
  FParentColor = Value;
  SyncParentColor();
}

void TPanel::SetColor(TColor Value) {
  FParentColor = false;
  TWinControl::SetColor(Value);
  Changed();
}

void TPanel::SyncParentColor() {
  if (FParentColor && Parent() && Color() != Parent()->Color()) {
    TWinControl::SetColor(Parent()->Color());
    Changed();
  }
}

void TPanel::SetParent(TWinControl* AParent) {
  TWinControl::SetParent(AParent);
  SyncParentColor();
}

void TPanel::Loaded() {
  TWinControl::Loaded();
  SyncParentColor();
}

void TPanel::TextChanged() {
  TWinControl::TextChanged();
  Changed();
}

int TPanel::FrameWidth() const {
  return (FBevelOuter != bvNone ? FBevelWidth : 0) + FBorderWidth + (FBevelInner != bvNone ? FBevelWidth : 0);
}

void TPanel::AlignControls(RECT& Rect) {
  InflateRect(&Rect, -FrameWidth(), -FrameWidth());
  TWinControl::AlignControls(Rect);
}

void TPanel::Paint(HDC DC) {
  SyncParentColor();
  RECT r;
  GetClientRect(FHandle, &r);
  const COLORREF face = ColorToRGB(Color());
  FillColour(DC, r, face);
  const auto bevel = [&](TBevelCut Cut) {
    if (Cut == bvNone) return;
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    if (Cut == bvSpace)
      Frame3D(DC, r, face, face, FBevelWidth);
    else
      Frame3D(DC, r, Cut == bvLowered ? dark : light, Cut == bvLowered ? light : dark, FBevelWidth);
  };
  bevel(FBevelOuter);
  InflateRect(&r, -FBorderWidth, -FBorderWidth);
  bevel(FBevelInner);
  const std::wstring text = ToWide(FText);
  if (text.empty()) return;
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(Font()->Color()));
  HGDIOBJ oldFont = SelectObject(DC, Font()->Handle());
  const UINT align = FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  DrawTextW(DC, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | align);
  SelectObject(DC, oldFont);
}

void TPanel::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FHandle, &ps);
      struct TEnd {
        HWND Wnd;
        PAINTSTRUCT* Ps;
        ~TEnd() { EndPaint(Wnd, Ps); }
      } end{FHandle, &ps};
      Paint(dc);
      Message.Result = 0;
      return;
    }
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TPicture

VCL_PUBLISH(TPicture, TPersistent, Object) {}

TPicture::~TPicture() { delete FGraphic; }

void TPicture::Take(TGraphic* Value) {
  if (Value == FGraphic) return;
  delete FGraphic;
  FGraphic = Value;
}

TIcon* TPicture::Icon() {
  if (!dyn_cast<TIcon>(FGraphic)) {
    Take(new TIcon);
    Changed();
  }
  return static_cast<TIcon*>(FGraphic);
}

TBitmap* TPicture::Bitmap() {
  if (!dyn_cast<TBitmap>(FGraphic)) {
    Take(new TBitmap);
    Changed();
  }
  return static_cast<TBitmap*>(FGraphic);
}

void TPicture::Clear() {
  if (!FGraphic) return;
  Take(nullptr);
  Changed();
}

void TPicture::Changed() { OnChange(this); }

void TPicture::LoadFromFile(const AnsiString& FileName) {
  const AnsiString ext = ExtractFileExt(FileName);
  std::unique_ptr<TGraphic> graphic;
  if (SameText(ext, ".ico"))
    graphic = std::make_unique<TIcon>();
  else if (SameText(ext, ".bmp"))
    graphic = std::make_unique<TBitmap>();
  else
    throw EInvalidGraphic(FormatMsg("拡張子 %s の画像は読めません.", ext));
  graphic->LoadFromFile(FileName);
  Take(graphic.release());
  Changed();
}

void TPicture::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    Clear();
    return;
  }
  if (TPicture* picture = dyn_cast<TPicture>(Source)) {
    if (!picture->FGraphic) {
      Clear();
      return;
    }
    Source = picture->FGraphic;
  }
  if (TGraphic* graphic = dyn_cast<TGraphic>(Source)) {
    Take(CopyGraphic(graphic).release());
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TPicture::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); },
      FGraphic && !FGraphic->Empty());
}

void TPicture::ReadData(TStream* Stream) {
  unsigned char length = 0;
  Stream->ReadBuffer(&length, 1);
  AnsiString name(length, '\0');
  if (length) Stream->ReadBuffer(name.data(), length);
  std::unique_ptr<TGraphic> graphic;
  if (SameText(name, "TIcon")) {
    graphic = std::make_unique<TIcon>();
    graphic->LoadFromStream(Stream);
  } else if (SameText(name, "TBitmap")) {
    std::uint32_t size = 0;
    Stream->ReadBuffer(&size, 4);
    if (size > Stream->Size() - Stream->Position()) throw EInvalidGraphic("ビットマップのデータが途中で終わっています.");
    TMemoryStream bits;
    bits.CopyFrom(Stream, size);
    bits.SetPosition(0);
    graphic = std::make_unique<TBitmap>();
    graphic->LoadFromStream(&bits);
  } else {
    throw EInvalidGraphic(FormatMsg("画像のクラス %s は読めません.", name));
  }
  Take(graphic.release());
  Changed();
}

void TPicture::WriteData(TStream* Stream) {
  const AnsiString name = FGraphic->ClassName();
  const unsigned char length = static_cast<unsigned char>(name.size());
  Stream->WriteBuffer(&length, 1);
  Stream->WriteBuffer(name.data(), length);
  if (dyn_cast<TBitmap>(FGraphic)) {
    TMemoryStream bits;
    FGraphic->SaveToStream(&bits);
    const std::uint32_t size = static_cast<std::uint32_t>(bits.DataSize());
    Stream->WriteBuffer(&size, 4);
    Stream->WriteBuffer(bits.Memory(), static_cast<int>(size));
  } else {
    FGraphic->SaveToStream(Stream);
  }
}

// ---------------------------------------------------------------------------
// TImage

VCL_PUBLISH(TImage, TWinControl, Component) {
  P.Enum("Align", &TImage::Align, &TImage::SetAlign, AlignNames, alNone);
  P.Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false);
  P.Bool("Center", &TImage::Center, &TImage::SetCenter, false);
  P.Object("Picture", &TImage::Picture, &TImage::SetPicture);
  P.Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false);
  P.Bool("Visible", &TImage::Visible, &TImage::SetVisible, true);
}

TImage::TImage(TComponent* AOwner) : TWinControl(AOwner), FPicture(new TPicture) {
  FWidth = 105, FHeight = 105;
  FPicture->OnChange = TNotifyEvent::Bind<&TImage::PictureChanged>(this);
}

TImage::~TImage() {
  Destroying();
  delete FPicture;
  FPicture = nullptr;
}

void TImage::Invalidate() {
  if (HandleAllocated()) InvalidateRect(FHandle, nullptr, TRUE);
}

void TImage::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustSize();
}

void TImage::SetStretch(bool Value) {
  FStretch = Value;
  Invalidate();
}

void TImage::SetCenter(bool Value) {
  FCenter = Value;
  Invalidate();
}

void TImage::PictureChanged(TObject*) {
  AdjustSize();
  Invalidate();
}

void TImage::AdjustSize() {
  if (!FAutoSize || HasState(csLoading) || !FPicture) return;
  TGraphic* g = FPicture->Graphic();
  if (g && !g->Empty()) SetBounds(FLeft, FTop, g->Width(), g->Height());
}

void TImage::Loaded() {
  TWinControl::Loaded();
  AdjustSize();
}

RECT TImage::DestRect() {
  const int cw = ClientWidth(), ch = ClientHeight();
  if (FStretch) return RECT{0, 0, cw, ch};
  const int w = FPicture->Width(), h = FPicture->Height();
  if (FCenter) return RECT{(cw - w) / 2, (ch - h) / 2, (cw - w) / 2 + w, (ch - h) / 2 + h};
  return RECT{0, 0, w, h};
}

void TImage::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FHandle, &ps);
      struct TEnd {
        HWND Wnd;
        PAINTSTRUCT* Ps;
        ~TEnd() { EndPaint(Wnd, Ps); }
      } end{FHandle, &ps};
      RECT r;
      GetClientRect(FHandle, &r);
      FillColour(dc, r, ColorToRGB(Parent() ? Parent()->Color() : Color()));
      if (TGraphic* g = FPicture ? FPicture->Graphic() : nullptr; g && !g->Empty()) g->Draw(dc, DestRect());
      Message.Result = 0;
      return;
    }
  }
  TWinControl::WndProc(Message);
}

}  // namespace Vcl
