// Controls: TControl (position, text, mouse events) and TWinControl (a
// control that owns a window, reached through an object thunk).
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

#include <string>
#include <vector>

#include "Graphics.h"
#include "Messages.h"
#include "ObjectInstance.h"

namespace Vcl {

class TWinControl;
class TPopupMenu;
class TCustomForm;

// Notifications that a parent reflects back to the child that sent them;
// the child handles them through Perform, so they never leave the process.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
// Enter or Esc, offered by the form to each of its controls (WParam: the
// key) until one takes it (Result 1): default and cancel buttons.
constexpr UINT CM_DIALOGKEY = 0xB000 + 0x05;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The shift state from the MK_ flags of a mouse message (and the Alt key).
TShiftState KeysToShiftState(WPARAM Keys);
// The shift state of the keyboard now (as of the message being handled).
TShiftState KeyboardShiftState();

using TMouseEvent = Closure<void(TObject*, TMouseButton, TShiftState, int, int)>;

// What a control's window is made of.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  // The system class this control's class is based on, or empty for a
  // class of our own with the default procedure.
  std::wstring SysClassName;
  // Our window class: named after the control's class.
  std::wstring WinClassName;
  UINT ClassStyle = CS_DBLCLKS;
  HICON Icon = nullptr;
  HCURSOR Cursor = nullptr;
};

class TControl : public TComponent {
  VCL_CLASS(TControl)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  virtual int ClientWidth() { return FWidth; }
  virtual int ClientHeight() { return FHeight; }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  // The window text: a form's caption, a control's text (code page 932).
  AnsiString Caption() const { return GetText(); }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  virtual AnsiString GetText() const { return FText; }
  virtual void SetText(const AnsiString& Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);

  // The control's popup menu (named with Get, so that a form may have a
  // published field called PopupMenu).
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  // Hands a message to WindowProc directly, as if the window got it.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  // Every message of the control goes through here; replace it to
  // intercept, and call the previous one to pass messages on.
  TWndMethod WindowProc;

  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 protected:
  virtual void WndProc(TMessage& Message);
  // What a message comes to when the control does not handle it.
  virtual void DefaultHandler(TMessage& Message) {}
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // The control's font or colour changed.
  virtual void FontChanged() {}
  virtual void ColorChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void TextChanged() {}
  // The parent's font changed.
  void ParentFontChanged();

  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  AnsiString FText;
  TColor FColor = clWindow;

 private:
  friend class TWinControl;
  void FontChange(TObject* Sender);

  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  TFont* FFont;
  bool FParentFont = true;
  TPopupMenu* FPopupMenu = nullptr;
};

class TWinControl : public TControl {
  VCL_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The control's window, created (with its parents') when missing.
  // Raises when the window cannot be made.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the control's window (and its children's); they are made
  // again when next needed, or at once for a visible control.
  void RecreateWnd();
  // Destroys the window now; the control keeps its state.
  void DestroyHandle();
  // The procedure our thunk passes unhandled messages to.
  WNDPROC DefWndProc() const { return FDefWndProc; }

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;

  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);

  bool CanFocus() const;
  bool Focused() const;
  void SetFocus();

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  int ClientWidth() override;
  int ClientHeight() override;
  void SetVisible(bool Value) override;
  AnsiString GetText() const override;

  // Lays out the aligned children in the client area.
  void Realign();

  // The control of ours whose window this is, or null.
  static TWinControl* FindControl(HWND Wnd);

 protected:
  virtual void CreateParams(TCreateParams& Params);
  // Makes the window (CreateWindowHandle), then the visible children's.
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // Saves what lives only in the window, then destroys it.
  virtual void DestroyWnd();
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  virtual void AlignControls(RECT& Rect);
  // A key going to this control: true when a menu shortcut took it.
  virtual bool IsMenuKey(TMessage& Message);
  void FontChanged() override;
  void TextChanged() override;
  void EnabledChanged() override;
  // Makes the window's procedure our thunk; used while the window is made.
  void AttachHandle(HWND Wnd);
  // The window is gone: forget it (and nothing else).
  virtual void HandleDestroyed();
  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;

 private:
  friend class TControl;
  friend LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);
  void MainWndProc(TMessage& Message);
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void UpdateBoundsFromWindow();

  WNDPROC FObjectInstance = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  bool FAligning = false;
};

// The form a control sits on, or null.
TCustomForm* GetParentForm(TControl* Control);

// The module whose resources the program reads (the executable).
HINSTANCE MainInstance();

}  // namespace Vcl
