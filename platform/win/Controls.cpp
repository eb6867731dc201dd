#include "Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

#include "Boundary.h"
#include "Forms.h"
#include "Menus.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

// The window property that leads from a window to its control.
const wchar_t* const ControlProp = L"PelmoraControl";

// The control whose window is being made on this thread: the first
// message of the new window binds the two (see InitWndProc).
thread_local TWinControl* CreatingControl = nullptr;

// The procedure each of our window classes passes unhandled messages to.
std::map<std::wstring, WNDPROC>& ClassDefProcs() {
  static std::map<std::wstring, WNDPROC> procs;
  return procs;
}

}  // namespace

HINSTANCE MainInstance() { return GetModuleHandleW(nullptr); }

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s << ssShift;
  if (Keys & MK_CONTROL) s << ssCtrl;
  if (Keys & MK_LBUTTON) s << ssLeft;
  if (Keys & MK_RBUTTON) s << ssRight;
  if (Keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

namespace {
TShiftState WithDouble(TShiftState Shift, bool Double) {
  if (Double) Shift << ssDouble;
  return Shift;
}
}  // namespace

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

TCustomForm* GetParentForm(TControl* Control) {
  while (Control && Control->Parent()) Control = Control->Parent();
  return dyn_cast<TCustomForm>(Control);
}

// The class procedure of all our windows. It runs for the first message
// of a new window only: it binds the window to the control being made and
// hands the window over to the control's thunk.
LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* control = CreatingControl;
  if (!control) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  CreatingControl = nullptr;
  control->AttachHandle(Wnd);
  return CallWindowProcW(control->FObjectInstance, Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------
// TControl

VCL_PUBLISH(TControl, TComponent, Component) {
  P.Int<int>("Left", &TControl::Left, &TControl::SetLeft);
  P.Int<int>("Top", &TControl::Top, &TControl::SetTop);
  P.Int<int>("Width", &TControl::Width, &TControl::SetWidth);
  P.Int<int>("Height", &TControl::Height, &TControl::SetHeight);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont) {
  WindowProc = TWndMethod::Bind<&TControl::WndProc>(this);
  FFont->OnChange = TNotifyEvent::Bind<&TControl::FontChange>(this);
}

TControl::~TControl() {
  Destroying();
  if (FParent) FParent->RemoveControl(this);
  delete FFont;
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (TWinControl* parent = dyn_cast<TWinControl>(Value)) SetParent(parent);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  for (TControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation("コントロールを自分自身の子にすることはできません.");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft, FTop = ATop, FWidth = AWidth, FHeight = AHeight;
  if (FAlign != alNone && FParent) FParent->Realign();
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  VisibleChanged();
  if (FParent) FParent->Realign();
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  EnabledChanged();
}

void TControl::SetText(const AnsiString& Value) {
  if (Value == FText) return;
  FText = Value;
  TextChanged();
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  ColorChanged();
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FFont->Assign(FParent->Font());
  // Taking the parent's font is not a choice of this control's own.
  FParentFont = true;
}

void TControl::FontChange(TObject*) {
  FParentFont = false;
  FontChanged();
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Loaded() { TComponent::Loaded(); }

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = static_cast<std::intptr_t>(WParam);
  m.LParam = static_cast<std::intptr_t>(LParam);
  WindowProc(m);
  return static_cast<LRESULT>(m.Result);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::WndProc(TMessage& Message) {
  const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  const WPARAM keys = static_cast<WPARAM>(Message.WParam);
  switch (Message.Msg) {
    // The control's own handling first (a click may select), then the event.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      DefaultHandler(Message);
      MouseDown(mbLeft, WithDouble(KeysToShiftState(keys), Message.Msg == WM_LBUTTONDBLCLK), x, y);
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      DefaultHandler(Message);
      MouseDown(mbRight, WithDouble(KeysToShiftState(keys), Message.Msg == WM_RBUTTONDBLCLK), x, y);
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      DefaultHandler(Message);
      MouseDown(mbMiddle, WithDouble(KeysToShiftState(keys), Message.Msg == WM_MBUTTONDBLCLK), x, y);
      return;
    case WM_LBUTTONUP:
      DefaultHandler(Message);
      MouseUp(mbLeft, KeysToShiftState(keys), x, y);
      return;
    case WM_RBUTTONUP:
      DefaultHandler(Message);
      MouseUp(mbRight, KeysToShiftState(keys), x, y);
      return;
    case WM_MBUTTONUP:
      DefaultHandler(Message);
      MouseUp(mbMiddle, KeysToShiftState(keys), x, y);
      return;
    case WM_CONTEXTMENU:
      if (FPopupMenu && FPopupMenu->AutoPopup()) {
        POINT pt{x, y};
        if (Message.LParam == -1) {
          // From the keyboard: open at the control's corner.
          pt = POINT{0, 0};
          if (TWinControl* w = dyn_cast<TWinControl>(this)) ClientToScreen(w->Handle(), &pt);
        }
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(pt.x, pt.y);
        Message.Result = 1;
        return;
      }
      break;
  }
  DefaultHandler(Message);
}

// ---------------------------------------------------------------------------
// TWinControl

VCL_PUBLISH(TWinControl, TControl, Component) {}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  Destroying();
  // Controls placed on this one go with it.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
  try {
    DestroyHandle();
  } catch (...) {
    DeliverException(std::current_exception());
  }
  if (FHandle) HandleDestroyed();
  FreeObjectInstance(FObjectInstance);
  FObjectInstance = nullptr;
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError(FormatMsg("リストのインデックスが範囲を超えています (%s).", IntToStr(Index)));
  return FControls[Index];
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (TWinControl* w = dyn_cast<TWinControl>(AControl)) FTabList.push_back(w);
  AControl->ParentFontChanged();
  if (FHandle)
    if (TWinControl* w = dyn_cast<TWinControl>(AControl))
      if (w->Visible()) w->HandleNeeded();
  Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (TWinControl* w = dyn_cast<TWinControl>(AControl)) {
    if (w->FHandle) w->DestroyHandle();
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  }
  FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  AControl->FParent = nullptr;
  if (TCustomForm* form = GetParentForm(this)) form->ControlRemoved(AControl);
  if (TCustomForm* self = dyn_cast<TCustomForm>(this)) self->ControlRemoved(AControl);
  Realign();
}

int TWinControl::TabOrder() const {
  TWinControl* p = Parent();
  if (!p) return -1;
  auto it = std::find(p->FTabList.begin(), p->FTabList.end(), this);
  return it == p->FTabList.end() ? -1 : static_cast<int>(it - p->FTabList.begin());
}

void TWinControl::SetTabOrder(int Value) {
  TWinControl* p = Parent();
  if (!p) return;
  auto& list = p->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  const int pos = std::clamp(Value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + pos, this);
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == FTabStop) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    style = Value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(FHandle, GWL_STYLE, style);
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("非表示または無効なウィンドウにフォーカスを設定できません.");
  HWND wnd = Handle();
  CallCapturing([&] { ::SetFocus(wnd); });
}

HWND TWinControl::Handle() {
  if (!FHandle) {
    if (FParent) FParent->HandleNeeded();
    // Making the parent may have made this one too.
    if (!FHandle) CreateWnd();
  }
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = ToWide(FText);
  Params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft, Params.Y = FTop, Params.Width = FWidth, Params.Height = FHeight;
  if (Parent()) Params.WndParent = Parent()->Handle();
  Params.WinClassName = ToWide(ClassName());
  Params.Cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

namespace {

// Registers the window class of Params once; answers the procedure that
// gets the messages our controls leave alone.
WNDPROC EnsureWindowClass(const TCreateParams& Params) {
  auto& procs = ClassDefProcs();
  auto found = procs.find(Params.WinClassName);
  if (found != procs.end()) return found->second;

  WNDCLASSW wc{};
  WNDPROC defProc = DefWindowProcW;
  if (!Params.SysClassName.empty()) {
    // A class of ours built on the system's: same look and extra bytes, our
    // procedure first.
    if (!GetClassInfoW(MainInstance(), Params.SysClassName.c_str(), &wc) &&
        !GetClassInfoW(nullptr, Params.SysClassName.c_str(), &wc))
      throw EOSError(FormatMsg("ウィンドウクラス %s が見つかりません.", FromWide(Params.SysClassName)));
    defProc = wc.lpfnWndProc;
  } else {
    wc.style = Params.ClassStyle;
    wc.hCursor = Params.Cursor;
    wc.hIcon = Params.Icon;
  }
  wc.lpfnWndProc = InitWndProc;
  wc.hInstance = MainInstance();
  wc.lpszClassName = Params.WinClassName.c_str();
  if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EOSError(FormatMsg("ウィンドウクラス %s を登録できません.", FromWide(Params.WinClassName)));
  procs[Params.WinClassName] = defProc;
  return defProc;
}

}  // namespace

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation(FormatMsg("コントロール '%s' には親ウィンドウがありません.", Name()));
  FDefWndProc = EnsureWindowClass(params);
  if (!FObjectInstance) FObjectInstance = MakeObjectInstance(TWndMethod::Bind<&TWinControl::MainWndProc>(this));
  CreateWindowHandle(params);
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
  UpdateBoundsFromWindow();
  for (TWinControl* child : FTabList)
    if (child->Visible() && !child->FHandle) child->CreateWnd();
  Realign();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  CreatingControl = this;
  HWND wnd = nullptr;
  try {
    wnd = CallCapturing([&] {
      return CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                             Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                             Params.WndParent, nullptr, MainInstance(), nullptr);
    });
  } catch (...) {
    CreatingControl = nullptr;
    if (FHandle) DestroyWindow(FHandle);
    if (FHandle) HandleDestroyed();
    throw;
  }
  CreatingControl = nullptr;
  if (!wnd || !FHandle)
    throw EOSError(FormatMsg("コントロール '%s' のウィンドウを作成できません.", Name()));
}

void TWinControl::AttachHandle(HWND Wnd) {
  FHandle = Wnd;
  SetPropW(Wnd, ControlProp, this);
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FObjectInstance));
}

void TWinControl::HandleDestroyed() {
  if (FHandle) RemovePropW(FHandle, ControlProp);
  FHandle = nullptr;
}

void TWinControl::DestroyWnd() {
  HWND wnd = FHandle;
  CallCapturing([&] { DestroyWindow(wnd); });
  // A procedure above ours may have kept WM_NCDESTROY from us.
  if (FHandle == wnd) HandleDestroyed();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* child : FTabList) child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  const bool shown = IsWindowVisible(FHandle) != FALSE;
  DestroyHandle();
  if (Parent() ? Parent()->HandleAllocated() : shown) HandleNeeded();
}

TWinControl* TWinControl::FindControl(HWND Wnd) {
  if (!Wnd) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropW(Wnd, ControlProp));
}

void TWinControl::MainWndProc(TMessage& Message) {
  if (Message.Msg == WM_NCDESTROY) {
    struct TForget {
      TWinControl* Self;
      ~TForget() { Self->HandleDestroyed(); }
    } forget{this};
    WindowProc(Message);
    return;
  }
  WindowProc(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  // Our own notifications never reach Windows.
  if (Message.Msg >= CN_BASE && Message.Msg < CN_BASE + 0x400) return;
  if (!FHandle) return;
  HWND wnd = FHandle;
  Message.Result = static_cast<std::intptr_t>(CallCapturing([&] {
    return CallWindowProcW(FDefWndProc, wnd, Message.Msg, static_cast<WPARAM>(Message.WParam),
                           static_cast<LPARAM>(Message.LParam));
  }));
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!FHandle) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  if (HWND parent = GetParent(FHandle); parent && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  FLeft = r.left, FTop = r.top, FWidth = r.right - r.left, FHeight = r.bottom - r.top;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FHandle) {
    if (ALeft != FLeft || ATop != FTop || AWidth != FWidth || AHeight != FHeight) {
      HWND wnd = FHandle;
      CallCapturing([&] { SetWindowPos(wnd, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE); });
    }
    if (Align() != alNone && Parent()) Parent()->Realign();
    return;
  }
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

int TWinControl::ClientWidth() {
  if (!FHandle) return FWidth;
  RECT r;
  GetClientRect(FHandle, &r);
  return r.right;
}

int TWinControl::ClientHeight() {
  if (!FHandle) return FHeight;
  RECT r;
  GetClientRect(FHandle, &r);
  return r.bottom;
}

void TWinControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  if (FHandle) {
    HWND wnd = FHandle;
    CallCapturing([&] { ShowWindow(wnd, Value ? SW_SHOW : SW_HIDE); });
  } else if (Value && Parent() && Parent()->HandleAllocated()) {
    HandleNeeded();
  }
  VisibleChanged();
  if (Parent()) Parent()->Realign();
}

AnsiString TWinControl::GetText() const { return FHandle ? GetWindowTextAnsi(FHandle) : FText; }

void TWinControl::TextChanged() {
  if (FHandle) {
    HWND wnd = FHandle;
    const std::wstring text = ToWide(FText);
    CallCapturing([&] { SetWindowTextW(wnd, text.c_str()); });
  }
}

void TWinControl::EnabledChanged() {
  if (FHandle) {
    HWND wnd = FHandle;
    CallCapturing([&] { EnableWindow(wnd, FEnabled); });
  }
}

void TWinControl::FontChanged() {
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
  for (TControl* c : FControls) c->ParentFontChanged();
}

void TWinControl::Realign() {
  if (!FHandle || FAligning) return;
  RECT r;
  GetClientRect(FHandle, &r);
  FAligning = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FAligning};
  AlignControls(r);
}

void TWinControl::AlignControls(RECT& Rect) {
  // Edges first, in the platform's order; the client control takes the rest.
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : FControls) {
      if (c->Align() != kind || !c->Visible()) continue;
      const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
      switch (kind) {
        case alTop:
          c->SetBounds(Rect.left, Rect.top, w, c->Height());
          Rect.top += c->Height();
          break;
        case alBottom:
          c->SetBounds(Rect.left, Rect.bottom - c->Height(), w, c->Height());
          Rect.bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(Rect.left, Rect.top, c->Width(), h);
          Rect.left += c->Width();
          break;
        case alRight:
          c->SetBounds(Rect.right - c->Width(), Rect.top, c->Width(), h);
          Rect.right -= c->Width();
          break;
        case alClient:
          c->SetBounds(Rect.left, Rect.top, std::max(w, 0), std::max(h, 0));
          break;
        default:
          break;
      }
    }
  }
}

bool TWinControl::IsMenuKey(TMessage& Message) {
  const TShortCut shortCut = ShortCut(static_cast<WORD>(Message.WParam), KeyboardShiftState());
  if (shortCut == scNone) return false;
  // The popup menus of the focused control and of its parents first, then
  // the form's own menu.
  for (TControl* c = this; c; c = c->Parent())
    if (TPopupMenu* popup = c->GetPopupMenu())
      if (popup->IsShortCut(shortCut)) return true;
  TCustomForm* form = GetParentForm(this);
  return form && form->IsShortCut(shortCut);
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      Message.Result = IsMenuKey(Message) ? 1 : 0;
      return;
    case WM_SETFOCUS:
      TControl::WndProc(Message);
      if (TCustomForm* form = GetParentForm(this); form && form != this) form->FocusChanged(this);
      return;
    case WM_NOTIFY: {
      // Notifications go back to the control that sent them.
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(Message.LParam);
      if (hdr && hdr->hwndFrom != FHandle)
        if (TWinControl* child = FindControl(hdr->hwndFrom)) {
          Message.Result = child->Perform(CN_NOTIFY, static_cast<WPARAM>(Message.WParam),
                                          static_cast<LPARAM>(Message.LParam));
          return;
        }
      break;
    }
    case WM_COMMAND:
      if (Message.LParam != 0)
        if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam)); child && child != this) {
          Message.Result = child->Perform(CN_COMMAND, static_cast<WPARAM>(Message.WParam),
                                          static_cast<LPARAM>(Message.LParam));
          return;
        }
      break;
    case WM_WINDOWPOSCHANGED:
      TControl::WndProc(Message);
      UpdateBoundsFromWindow();
      return;
    case WM_SIZE:
      TControl::WndProc(Message);
      UpdateBoundsFromWindow();
      Realign();
      return;
  }
  TControl::WndProc(Message);
}

}  // namespace Vcl
