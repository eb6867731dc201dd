#include "Forms.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "Boundary.h"
#include "Filer.h"
#include "System.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

const TEnumInfo PositionNames{{"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                               "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                               "poOwnerFormCenter"}};
const TEnumInfo FormStyleNames{{"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
const TEnumInfo BorderStyleNames{{"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
                                  "bsSizeToolWin"}};

// References written "Form2.Button1" name a form of the application.
TComponent* FindGlobalForm(const AnsiString& Name) {
  if (!Application) return nullptr;
  for (int i = 0; i < Application->ComponentCount(); ++i) {
    TComponent* c = Application->Components(i);
    if (SameText(c->Name(), Name)) return c;
  }
  return nullptr;
}

const bool Registered = [] {
  RegisterClass(TForm::StaticClass());
  SetFindGlobalComponent(&FindGlobalForm);
  return true;
}();

// Collects the visible, enabled top-level windows of the thread, which a
// modal form disables while it is up.
BOOL CALLBACK CollectEnabledWindow(HWND Wnd, LPARAM List) {
  return Guarded(
      [&] {
        if (IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) reinterpret_cast<std::vector<HWND>*>(List)->push_back(Wnd);
        return TRUE;
      },
      FALSE);
}

// Offers Enter or Esc to the visible, enabled controls of Parent and their
// children, until one takes it.
bool OfferDialogKey(TWinControl* Parent, TMessage& Message) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (!c->Visible() || !c->Enabled()) continue;
    if (c->Perform(CM_DIALOGKEY, static_cast<WPARAM>(Message.WParam), static_cast<LPARAM>(Message.LParam)))
      return true;
    if (TWinControl* w = dyn_cast<TWinControl>(c))
      if (OfferDialogKey(w, Message)) return true;
  }
  return false;
}

// The program's icon, when it carries one.
HICON MainIcon() {
  static HICON icon = [] {
    HICON h = LoadIconW(MainInstance(), L"MAINICON");
    return h ? h : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  }();
  return icon;
}

}  // namespace

// ---------------------------------------------------------------------------
// TCustomForm

VCL_PUBLISH(TControlScrollBar, TPersistent, Object) {
  P.Bool("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true);
}

VCL_PUBLISH(TCustomForm, TWinControl, Component) {}

VCL_PUBLISH(TForm, TCustomForm, Component) {
  P.Enum("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, BorderStyleNames, bsSizeable);
  P.Str("Caption", &TForm::Caption, &TForm::SetCaption);
  P.Int("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight);
  P.Int("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth);
  P.Int("Color", &TForm::Color, &TForm::SetColor, clBtnFace).WithIdents(ColorIdentMap());
  P.Object("Font", &TForm::Font, nullptr);
  P.Enum("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle, FormStyleNames, fsNormal);
  P.Object("HorzScrollBar", &TForm::HorzScrollBar, nullptr);
  P.Object("Menu", &TForm::Menu, &TForm::SetMenu);
  P.Bool("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder, false);
  P.Int("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
  P.Enum("Position", &TForm::Position, &TForm::SetPosition, PositionNames, poDesigned);
  P.Int("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight);
  P.Object("VertScrollBar", &TForm::VertScrollBar, nullptr);
  P.Bool("Visible", &TForm::Visible, &TForm::SetVisible, false);
  P.Event("OnHide", &TForm::OnHide);
  P.Event("OnShow", &TForm::OnShow);
}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(new TControlScrollBar), FVertScrollBar(new TControlScrollBar) {
  FVisible = false;
  FColor = clBtnFace;
  FLeft = FTop = 0;
  FWidth = 320, FHeight = 240;
}

TCustomForm::~TCustomForm() {
  Destroying();
  try {
    DestroyHandle();
  } catch (...) {
    DeliverException(std::current_exception());
  }
  if (FBrush) DeleteObject(FBrush);
  delete FHorzScrollBar;
  delete FVertScrollBar;
}

void TCustomForm::ReadFormResource() {
  AnsiString name = ClassName();
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  HRSRC res = FindResourceA(MainInstance(), name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  HGLOBAL data = res ? LoadResource(MainInstance(), res) : nullptr;
  const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  if (!bytes) throw EResNotFound(FormatMsg("リソース %s が見つかりません.", name));
  ReadComponentText(AnsiString(bytes, SizeofResource(MainInstance(), res)), this);
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value == FMenu) return;
  if (FMenu) FMenu->SetWindowHandle(nullptr);
  FMenu = Value;
  if (Value) {
    Value->FreeNotification(this);
    if (FHandle && FFormStyle != fsMDIChild) Value->SetWindowHandle(FHandle);
  }
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == FFormStyle) return;
  if (FHandle) throw EInvalidOperation("ウィンドウの作成後にフォームのスタイルは変更できません.");
  FFormStyle = Value;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control && GetParentForm(Control) != this)
    throw EInvalidOperation("このフォームにないコントロールはアクティブにできません.");
  FActiveControl = Control;
  if (Control && FHandle && GetActiveWindow() == FHandle && Control->CanFocus()) Control->SetFocus();
}

void TCustomForm::FocusChanged(TWinControl* Control) { FActiveControl = Control; }

void TCustomForm::ControlRemoved(TControl* Control) {
  if (FActiveControl == Control) FActiveControl = nullptr;
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) FMenu = nullptr;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
}

bool TCustomForm::IsShortCut(TShortCut Value) { return FMenu && FMenu->IsShortCut(Value); }

int TCustomForm::ClientWidth() {
  if (!FHandle && FClientWidth >= 0) return FClientWidth;
  return TWinControl::ClientWidth();
}

int TCustomForm::ClientHeight() {
  if (!FHandle && FClientHeight >= 0) return FClientHeight;
  return TWinControl::ClientHeight();
}

void TCustomForm::SetClientWidth(int Value) {
  if (FHandle)
    SetBounds(FLeft, FTop, FWidth - ClientWidth() + Value, FHeight);
  else
    FClientWidth = Value;
}

void TCustomForm::SetClientHeight(int Value) {
  if (FHandle)
    SetBounds(FLeft, FTop, FWidth, FHeight - ClientHeight() + Value);
  else
    FClientHeight = Value;
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // A window size given later wins over a client size asked for before.
  if (AWidth != FWidth) FClientWidth = -1;
  if (AHeight != FHeight) FClientHeight = -1;
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomForm::ApplyClientSize(TCreateParams* Params) {
  if (FClientWidth < 0 && FClientHeight < 0) return;
  RECT r{0, 0, std::max(FClientWidth, 0), std::max(FClientHeight, 0)};
  AdjustWindowRectEx(&r, Params->Style, FMenu && FFormStyle != fsMDIChild, Params->ExStyle);
  if (FClientWidth >= 0) FWidth = Params->Width = r.right - r.left;
  if (FClientHeight >= 0) FHeight = Params->Height = r.bottom - r.top;
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  Params.ExStyle = 0;
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX; break;
    case bsSizeable: Params.Style |= WS_OVERLAPPEDWINDOW; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  // The main form stands alone with its own taskbar button; other forms
  // belong to it (or to the application window before there is one).
  Params.WndParent = nullptr;
  if (FFormStyle == fsMDIChild) {
    // An MDI child lives in the MDI client window of the main form.
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || main->FormStyle() != fsMDIForm || !main->Handle() || !main->ClientHandle())
      throw EInvalidOperation("MDI 子フォームを作成できません. アクティブな MDI フォームがありません.");
    Params.ExStyle |= WS_EX_MDICHILD;
    Params.WndParent = main->ClientHandle();
  } else if (Application && Application->MainForm() != this) {
    TCustomForm* main = Application->MainForm();
    Params.WndParent = main && main->HandleAllocated() ? main->Handle() : Application->Handle();
  }
  ApplyClientSize(&Params);
  switch (FPosition) {
    case poDefault:
      Params.X = Params.Y = Params.Width = Params.Height = CW_USEDEFAULT;
      break;
    case poDefaultPosOnly:
      Params.X = Params.Y = CW_USEDEFAULT;
      break;
    case poDefaultSizeOnly:
      Params.Width = Params.Height = CW_USEDEFAULT;
      break;
    case poScreenCenter:
    case poDesktopCenter:
    case poMainFormCenter:
    case poOwnerFormCenter:
      Params.X = (GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2;
      Params.Y = (GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2;
      break;
    default:
      break;
  }
  Params.Icon = MainIcon();
  Params.ClassStyle = CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  // The window has the size now; later windows keep it.
  FClientWidth = FClientHeight = -1;
  if (FFormStyle == fsMDIForm) {
    CLIENTCREATESTRUCT ccs{};
    ccs.idFirstChild = 0xFF00;
    RECT r;
    GetClientRect(FHandle, &r);
    FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                                    0, 0, r.right, r.bottom, FHandle, nullptr, MainInstance(), &ccs);
    if (!FClientHandle) throw EOSError("MDI クライアントウィンドウを作成できません.");
  }
  if (FMenu && FFormStyle != fsMDIChild) FMenu->SetWindowHandle(FHandle);
  Realign();
  if (FVisible) ShowWindow(FHandle, SW_SHOWNORMAL);
}

void TCustomForm::DestroyWnd() {
  // The menu outlives the window: take it off before the window goes.
  if (FMenu) FMenu->SetWindowHandle(nullptr);
  TWinControl::DestroyWnd();
  FClientHandle = nullptr;
}

void TCustomForm::DefaultHandler(TMessage& Message) {
  if (!FHandle || (Message.Msg >= CN_BASE && Message.Msg < CN_BASE + 0x400)) return;
  HWND wnd = FHandle, client = FClientHandle;
  const WPARAM w = static_cast<WPARAM>(Message.WParam);
  const LPARAM l = static_cast<LPARAM>(Message.LParam);
  if (FFormStyle == fsMDIForm) {
    Message.Result = static_cast<std::intptr_t>(
        CallCapturing([&] { return DefFrameProcW(wnd, client, Message.Msg, w, l); }));
  } else if (FFormStyle == fsMDIChild) {
    Message.Result = static_cast<std::intptr_t>(
        CallCapturing([&] { return DefMDIChildProcW(wnd, Message.Msg, w, l); }));
  } else {
    TWinControl::DefaultHandler(Message);
  }
}

void TCustomForm::AlignControls(RECT& Rect) {
  TWinControl::AlignControls(Rect);
  // The MDI client takes what the aligned controls leave.
  if (FClientHandle)
    MoveWindow(FClientHandle, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, TRUE);
}

void TCustomForm::ColorChanged() {
  if (FBrush) {
    DeleteObject(FBrush);
    FBrush = nullptr;
  }
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomForm::FocusFirst() {
  TWinControl* target = FActiveControl && FActiveControl->CanFocus() ? FActiveControl : nullptr;
  if (!target) {
    // The control first in tab order that can take the focus.
    for (int i = 0; i < ControlCount(); ++i) {
      TWinControl* c = dyn_cast<TWinControl>(Controls(i));
      if (c && c->TabStop() && c->CanFocus() && (!target || c->TabOrder() < target->TabOrder())) target = c;
    }
  }
  if (target) ::SetFocus(target->Handle());
}

void TCustomForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COMMAND:
      // Menu commands (and their accelerators) carry no control.
      if (Message.LParam == 0 && HIWORD(Message.WParam) <= 1 && FMenu &&
          FMenu->DispatchCommand(LOWORD(Message.WParam))) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_CLOSE:
      Close();
      Message.Result = 0;
      return;
    case WM_DESTROY:
      if (FMenu) FMenu->SetWindowHandle(nullptr);
      break;
    case WM_ERASEBKGND: {
      if (!FBrush) FBrush = CreateSolidBrush(ColorToRGB(FColor));
      RECT r;
      GetClientRect(FHandle, &r);
      FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush);
      Message.Result = 1;
      return;
    }
    case WM_SETFOCUS:
      TWinControl::WndProc(Message);
      // The form passes the focus on to its control.
      FocusFirst();
      return;
    case CM_DIALOGKEY:
      Message.Result = OfferDialogKey(this, Message) ? 1 : 0;
      return;
  }
  TWinControl::WndProc(Message);
}

void TCustomForm::SetVisible(bool Value) {
  if (HasState(csLoading)) {
    FVisible = Value;
    return;
  }
  if (Value) {
    if (FVisible && FHandle && IsWindowVisible(FHandle)) return;
    // The window is made hidden; OnShow runs before it appears.
    FVisible = false;
    HandleNeeded();
    FVisible = true;
    DoShow();
    // OnShow may have closed or hidden the form again.
    if (!FVisible || !FHandle) return;
    HWND wnd = FHandle;
    CallCapturing([&] { ShowWindow(wnd, SW_SHOWNORMAL); });
    CallCapturing([&] { SetForegroundWindow(wnd); });
  } else {
    if (!FVisible) return;
    FVisible = false;
    if (FHandle) {
      DoHide();
      HWND wnd = FHandle;
      CallCapturing([&] { ShowWindow(wnd, SW_HIDE); });
    }
  }
}

void TCustomForm::DoShow() {
  // A failing OnShow is reported, and the form is shown all the same.
  try {
    OnShow(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::DoHide() {
  try {
    OnHide(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (FModal || Visible() || !Enabled())
    throw EInvalidOperation("表示されているフォームや無効なフォームはモーダルにできません.");
  if (HWND capture = GetCapture()) CallCapturing([&] { SendMessageW(capture, WM_CANCELMODE, 0, 0); });
  ReleaseCapture();
  const HWND activeBefore = GetActiveWindow();
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  for (HWND wnd : disabled) EnableWindow(wnd, FALSE);
  FModal = true;
  FModalResult = mrNone;
  const auto finish = [&] {
    // The others first, so that activation can go back to them.
    for (HWND wnd : disabled)
      if (IsWindow(wnd)) EnableWindow(wnd, TRUE);
    FModal = false;
    Hide();
    if (activeBefore && IsWindow(activeBefore)) CallCapturing([&] { SetActiveWindow(activeBefore); });
  };
  try {
    const bool terminatedBefore = Application->Terminated();
    Show();
    while (FModalResult == mrNone) {
      // Hidden or destroyed from outside: the modal state is over.
      if (!FVisible || !FHandle) {
        FModalResult = mrCancel;
        break;
      }
      try {
        Application->HandleMessage();
      } catch (...) {
        Application->HandleException(this);
      }
      if (Application->Terminated() && !terminatedBefore) FModalResult = mrCancel;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return FModalResult;
}

void TCustomForm::Close() {
  if (FModal)
    FModalResult = mrCancel;
  else if (Application && Application->MainForm() == this)
    Application->Terminate();
  else
    Hide();
}

// ---------------------------------------------------------------------------
// TApplication

namespace {

void ShowUnhandled(std::exception_ptr E) {
  if (Application) Application->ShowException(E);
}

// Destroys the forms at program end, while everything they use is alive.
void DoneApplication() {
  if (Application) Application->DestroyComponents();
}

}  // namespace

TApplication* Application = new TApplication(nullptr);

VCL_PUBLISH(TApplication, TComponent, Object) {}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  CmdLine = GetCommandLineA();
  SetUnhandledExceptionHandler(&ShowUnhandled);
}

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
  if (FHandle) DestroyWindow(FHandle);
  FreeObjectInstance(FObjectInstance);
  if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  Handle();
}

AnsiString TApplication::Title() const {
  if (!FTitle.empty()) return FTitle;
  // Without a title: the program's file name without its extension.
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  AnsiString name = ExtractFileName(path);
  const AnsiString ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

void TApplication::SetTitle(const AnsiString& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextAnsi(FHandle, Value);
}

HWND TApplication::Handle() {
  if (!FHandle) {
    static const bool classRegistered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = MainInstance();
      wc.hIcon = MainIcon();
      wc.lpszClassName = L"TApplication";
      return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!classRegistered) throw EOSError("アプリケーションのウィンドウクラスを登録できません.");
    HWND wnd = CreateWindowExW(0, L"TApplication", ToWide(Title()).c_str(),
                               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                               GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                               nullptr, nullptr, MainInstance(), nullptr);
    if (!wnd) throw EOSError("アプリケーションのウィンドウを作成できません.");
    if (!FObjectInstance) FObjectInstance = MakeObjectInstance(TWndMethod::Bind<&TApplication::WndProc>(this));
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FObjectInstance));
    FHandle = wnd;
  }
  return FHandle;
}

void TApplication::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      // Closing the application window (from its taskbar button) ends the
      // program as closing the main form does.
      if (FMainForm) FMainForm->Close();
      return;
    case WM_NCDESTROY: {
      HWND wnd = FHandle;
      FHandle = nullptr;
      Message.Result = DefWindowProcW(wnd, Message.Msg, static_cast<WPARAM>(Message.WParam),
                                      static_cast<LPARAM>(Message.LParam));
      return;
    }
  }
  HWND wnd = FHandle;
  Message.Result = static_cast<std::intptr_t>(CallCapturing([&] {
    return DefWindowProcW(wnd, Message.Msg, static_cast<WPARAM>(Message.WParam),
                          static_cast<LPARAM>(Message.LParam));
  }));
}

TComponent* TApplication::CreateFormInstance(TClass InstanceClass, TClass Required) {
  if (!InstanceClass || !InstanceClass->Create || !InstanceClass->InheritsFrom(Required) ||
      !InstanceClass->InheritsFrom(TCustomForm::StaticClass()))
    throw EInvalidOperation(
        FormatMsg("%s はフォームのクラスではありません.", InstanceClass ? InstanceClass->Name : "nil"));
  TComponent* form = InstanceClass->Create(this);
  if (!FMainForm) FMainForm = static_cast<TCustomForm*>(form);
  return form;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // The next form made becomes the main form.
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::Run() {
  static std::once_flag exitRegistered;
  std::call_once(exitRegistered, [] { std::atexit(DoneApplication); });
  FTerminated = false;
  if (!FMainForm) return;
  FMainForm->Show();
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return false;
  // The key goes to the nearest control of ours, up from the window that
  // has the focus.
  TWinControl* control = nullptr;
  for (HWND wnd = Msg.hwnd; wnd && !control; wnd = GetAncestor(wnd, GA_PARENT))
    control = TWinControl::FindControl(wnd);
  if (!control) return false;
  const UINT cn = Msg.message == WM_KEYDOWN ? CN_KEYDOWN : CN_SYSKEYDOWN;
  if (control->Perform(cn, Msg.wParam, Msg.lParam) != 0) return true;
  // Enter and Esc that the control left go to the form's buttons.
  if (Msg.message == WM_KEYDOWN && (Msg.wParam == VK_RETURN || Msg.wParam == VK_ESCAPE))
    if (TCustomForm* form = GetParentForm(control))
      return form->Perform(CM_DIALOGKEY, Msg.wParam, Msg.lParam) != 0;
  return false;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (!IsKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) WaitMessage();
}

HWND TApplication::ActiveFormHandle() {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  if (FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->Handle()))
    return FMainForm->Handle();
  return Handle();
}

void TApplication::ShowErrorText(const AnsiString& Message) {
  const std::wstring text = ToWide(ExceptionDisplayText(Message));
  const std::wstring caption = ToWide(Title());
  HWND owner = ActiveFormHandle();
  CallCapturing([&] { return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR); });
}

void TApplication::ShowException(Exception* E) { ShowErrorText(E ? E->Message() : AnsiString()); }

void TApplication::ShowException(std::exception_ptr E) {
  if (!E) return;
  try {
    std::rethrow_exception(E);
  } catch (Exception& e) {
    ShowException(&e);
  } catch (...) {
    ShowErrorText(ExceptionText(E));
  }
}

void TApplication::HandleException(TObject* Sender) { ShowException(std::current_exception()); }

}  // namespace Vcl
