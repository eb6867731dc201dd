// Menus: items with captions, shortcuts and click events; the menu bar of
// a form and popup menus.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

#include <vector>

#include "Graphics.h"

namespace Vcl {

class TMenu;

// A key with its modifiers: the key code plus these bits.
using TShortCut = unsigned short;
enum : TShortCut { scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };

// The shortcut of a key pressed with the given shift state (only Shift,
// Ctrl and Alt count).
TShortCut ShortCut(WORD Key, TShiftState Shift);
// The text shown beside a menu item: "Ctrl+O", "F12".
AnsiString ShortCutToText(TShortCut Value);

class TMenuItem : public TComponent {
  VCL_CLASS(TMenuItem)
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  AnsiString Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  // A caption of "-" makes the item a separator line.
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out of this one; it is not destroyed.
  void Remove(TMenuItem* Item);
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;
  // The menu this item belongs to, or null.
  TMenu* GetParentMenu() const;

  // The number WM_COMMAND carries for this item.
  UINT Command() const { return FCommand; }
  // The submenu of an item that has items of its own (null otherwise).
  HMENU Handle() const { return FHandle; }

  // Runs OnClick when the item is enabled.
  virtual void Click();
  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(std::vector<TComponent*>& Children, TComponent* Root) override;

 private:
  friend class TMenu;
  void Changed();
  void Populate(HMENU Menu);
  void ForgetHandles();
  TMenuItem* FindCommand(UINT Command);
  TMenuItem* FindShortCut(TShortCut Value);

  AnsiString FCaption;
  TShortCut FShortCut = scNone;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  UINT FCommand = 0;
  HMENU FHandle = nullptr;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item only
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
  VCL_CLASS(TMenu)
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item; the menu's items are its items.
  TMenuItem* Items() const { return FItems; }
  // The system menu, built when first asked for and again after changes.
  HMENU Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // Runs the enabled item with this shortcut; false when there is none.
  bool IsShortCut(TShortCut Value);
  // Runs the item with this command number; false when there is none.
  bool DispatchCommand(UINT Command);
  TMenuItem* FindItemByCommand(UINT Command) const;

  void GetChildren(std::vector<TComponent*>& Children, TComponent* Root) override;

 protected:
  friend class TMenuItem;
  virtual HMENU MakeHandle() = 0;
  // The items changed: the system menu is built again.
  virtual void MenuChanged();
  void DestroyMenuHandle();
  HMENU FHandle = nullptr;

 private:
  TMenuItem* FItems;
};

// The menu bar of a form.
class TMainMenu : public TMenu {
  VCL_CLASS(TMainMenu)
 public:
  using TMenu::TMenu;
  ~TMainMenu() override;
  // The window showing this menu bar (set by the form), or null.
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND Wnd);

 protected:
  HMENU MakeHandle() override;
  void MenuChanged() override;

 private:
  HWND FWindowHandle = nullptr;
};

class TPopupMenu : public TMenu {
  VCL_CLASS(TPopupMenu)
 public:
  using TMenu::TMenu;

  // When true the control's context-menu message opens the menu by itself.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

  // Opens the menu with its top-left corner at the screen point (X, Y) and
  // runs the item chosen; returns when the menu has closed.
  virtual void Popup(int X, int Y);
  TNotifyEvent OnPopup;

  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  HMENU MakeHandle() override;

 private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
};

}  // namespace Vcl
