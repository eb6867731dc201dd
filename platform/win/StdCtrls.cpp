#include "StdCtrls.h"

#include <string>

#include "Boundary.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

const TEnumInfo AlignmentNames{{"taLeftJustify", "taRightJustify", "taCenter"}};

const bool Registered = [] {
  RegisterClass(TLabel::StaticClass());
  RegisterClass(TButton::StaticClass());
  return true;
}();

}  // namespace

// ---------------------------------------------------------------------------
// TLabel

VCL_PUBLISH(TLabel, TWinControl, Component) {
  P.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, AlignmentNames, taLeftJustify);
  P.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
  P.Str("Caption", &TLabel::Caption, &TLabel::SetCaption);
  P.Int("Color", &TLabel::Color, &TLabel::SetColor, clBtnFace).WithIdents(ColorIdentMap()).Stored =
      [](TObject* o) { return !static_cast<TLabel*>(o)->ParentColor(); };
  P.Bool("Enabled", &TLabel::Enabled, &TLabel::SetEnabled, true);
  P.Object("Font", &TLabel::Font, nullptr).Stored = [](TObject* o) { return !static_cast<TLabel*>(o)->ParentFont(); };
  P.Bool("ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor, true);
  P.Bool("ParentFont", &TLabel::ParentFont, &TLabel::SetParentFont, true);
  P.Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true);
  P.Bool("Visible", &TLabel::Visible, &TLabel::SetVisible, true);
  P.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);
}

TLabel::TLabel(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 65, FHeight = 17;
  FColor = clBtnFace;
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetShowAccelChar(bool Value) {
  if (Value == FShowAccelChar) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetParentColor(bool Value) {
  FParentColor = Value;
  SyncParentColor();
}

void TLabel::SetColor(TColor Value) {
  FParentColor = false;
  TWinControl::SetColor(Value);
  Invalidate();
}

void TLabel::SyncParentColor() {
  if (FParentColor && Parent() && Color() != Parent()->Color()) {
    TWinControl::SetColor(Parent()->Color());
    Invalidate();
  }
}

void TLabel::SetParent(TWinControl* AParent) {
  TWinControl::SetParent(AParent);
  SyncParentColor();
}

void TLabel::Loaded() {
  TWinControl::Loaded();
  SyncParentColor();
  AdjustBounds();
}

void TLabel::TextChanged() {
  TWinControl::TextChanged();
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  TWinControl::FontChanged();
  AdjustBounds();
  Invalidate();
}

void TLabel::Invalidate() {
  if (HandleAllocated()) InvalidateRect(FHandle, nullptr, TRUE);
}

UINT TLabel::DrawFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || HasState(csLoading)) return;
  std::wstring text = ToWide(FText);
  // An empty label keeps the height of one line.
  if (text.empty() || (FShowAccelChar && text == L"&")) text += L' ';
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  RECT r{0, 0, FWordWrap ? FWidth : 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags() | DT_CALCRECT);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  // A right-justified label keeps its right edge.
  const int left = FAlignment == taRightJustify && !FWordWrap ? FLeft + FWidth - r.right : FLeft;
  SetBounds(left, FTop, FWordWrap ? FWidth : r.right, r.bottom);
}

void TLabel::Paint(HDC DC) {
  SyncParentColor();
  RECT r;
  GetClientRect(FHandle, &r);
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(DC, &r, brush);
  DeleteObject(brush);
  const std::wstring text = ToWide(FText);
  SetBkMode(DC, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(DC, Font()->Handle());
  if (Enabled()) {
    SetTextColor(DC, ColorToRGB(Font()->Color()));
    DrawTextW(DC, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
  } else {
    // Disabled text: engraved, as the system draws it.
    RECT lit = r;
    OffsetRect(&lit, 1, 1);
    SetTextColor(DC, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(DC, text.c_str(), static_cast<int>(text.size()), &lit, DrawFlags());
    SetTextColor(DC, GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(DC, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
  }
  SelectObject(DC, oldFont);
}

void TLabel::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      // Paint fills the background itself, without flicker.
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
// TButton

VCL_PUBLISH(TButton, TWinControl, Component) {
  P.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
  P.Str("Caption", &TButton::Caption, &TButton::SetCaption);
  P.Bool("Default", &TButton::Default, &TButton::SetDefault, false);
  P.Bool("Enabled", &TButton::Enabled, &TButton::SetEnabled, true);
  P.Object("Font", &TButton::Font, nullptr).Stored = [](TObject* o) {
    return !static_cast<TButton*>(o)->ParentFont();
  };
  P.Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone);
  P.Bool("ParentFont", &TButton::ParentFont, &TButton::SetParentFont, true);
  P.Int("TabOrder", &TButton::TabOrder, &TButton::SetTabOrder, -1);
  P.Bool("TabStop", &TButton::TabStop, &TButton::SetTabStop, true);
  P.Bool("Visible", &TButton::Visible, &TButton::SetVisible, true);
  P.Event("OnClick", &TButton::OnClick);
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 75, FHeight = 25;
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SysClassName = L"BUTTON";
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  if (HandleAllocated()) {
    HWND wnd = FHandle;
    CallCapturing([&] { SendMessageW(wnd, BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE); });
  }
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  OnClick(this);
}

bool TButton::TakesEnter() const {
  HWND focus = GetFocus();
  if (focus && focus == FHandle) return true;
  if (dyn_cast<TButton>(FindControl(focus))) return false;
  return FDefault;
}

void TButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) {
        Click();
        Message.Result = 0;
        return;
      }
      break;
    case CM_DIALOGKEY: {
      const WPARAM key = static_cast<WPARAM>(Message.WParam);
      const TShiftState shift = KeyboardShiftState();
      if (shift.Empty() && CanFocus() && ((key == VK_RETURN && TakesEnter()) || (key == VK_ESCAPE && FCancel))) {
        Click();
        Message.Result = 1;
        return;
      }
      Message.Result = 0;
      return;
    }
  }
  TWinControl::WndProc(Message);
}

}  // namespace Vcl
