#include "Menus.h"

#include <algorithm>

#include "Boundary.h"
#include "Controls.h"
#include "Forms.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

const bool Registered = [] {
  RegisterClass(TMenuItem::StaticClass());
  RegisterClass(TMainMenu::StaticClass());
  RegisterClass(TPopupMenu::StaticClass());
  return true;
}();

// Command numbers of menu items, unique in the process. Numbers from
// 0xF000 up are the system's; MDI children take 0xFF00 and above.
constexpr UINT FirstCommand = 0x0100, LastCommand = 0xEFFF;
std::vector<bool>& UsedCommands() {
  static std::vector<bool> used(LastCommand + 1, false);
  return used;
}
UINT NextCommand = FirstCommand;

UINT AllocateCommand() {
  auto& used = UsedCommands();
  for (UINT n = 0; n <= LastCommand - FirstCommand; ++n) {
    UINT c = NextCommand;
    NextCommand = NextCommand == LastCommand ? FirstCommand : NextCommand + 1;
    if (!used[c]) {
      used[c] = true;
      return c;
    }
  }
  throw EOutOfMemory("メニューのコマンド番号が足りません.");
}

void ReleaseCommand(UINT Command) {
  if (Command >= FirstCommand && Command <= LastCommand) UsedCommands()[Command] = false;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut result = Key;
  if (Shift.Contains(ssShift)) result |= scShift;
  if (Shift.Contains(ssCtrl)) result |= scCtrl;
  if (Shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

AnsiString ShortCutToText(TShortCut Value) {
  const WORD key = Value & 0xFF;
  AnsiString name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    name = AnsiString(1, static_cast<char>(key));
  } else if (key >= VK_F1 && key <= VK_F24) {
    name = "F" + IntToStr(key - VK_F1 + 1);
  } else {
    static const struct {
      WORD Key;
      const char* Name;
    } names[] = {{VK_BACK, "BkSp"}, {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"},
                 {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},  {VK_END, "End"},
                 {VK_HOME, "Home"},  {VK_LEFT, "Left"},   {VK_UP, "Up"},      {VK_RIGHT, "Right"},
                 {VK_DOWN, "Down"},  {VK_INSERT, "Ins"},  {VK_DELETE, "Del"}};
    for (const auto& n : names)
      if (n.Key == key) name = n.Name;
    if (name.empty() && key != 0) {
      wchar_t buf[64] = {};
      const LONG scan = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
      if (scan && GetKeyNameTextW(scan, buf, 64) > 0) name = FromWide(buf, wcslen(buf));
    }
  }
  if (name.empty()) return AnsiString();
  AnsiString prefix;
  if (Value & scShift) prefix += "Shift+";
  if (Value & scCtrl) prefix += "Ctrl+";
  if (Value & scAlt) prefix += "Alt+";
  return prefix + name;
}

// ---------------------------------------------------------------------------
// TMenuItem

VCL_PUBLISH(TMenuItem, TComponent, Component) {
  P.Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  P.Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false);
  P.Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true);
  P.Int<TShortCut>("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut, scNone);
  P.Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true);
  P.Event<void(TObject*)>("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(AllocateCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  if (FParent) FParent->Remove(this);
  while (!FItems.empty()) delete FItems.back();  // each takes itself out
  ReleaseCommand(FCommand);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError(FormatMsg("メニューのインデックスが範囲を超えています (%s).", IntToStr(Index)));
  return FItems[Index];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EInvalidOperation("メニュー項目は既に別のメニューに入っています.");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EInvalidOperation("メニュー項目を自分自身の中に入れることはできません.");
  if (Index < 0 || Index > Count())
    throw EListError(FormatMsg("メニューのインデックスが範囲を超えています (%s).", IntToStr(Index)));
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  Changed();
}

int TMenuItem::MenuIndex() const {
  if (!FParent) return -1;
  auto& v = FParent->FItems;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent) item = item->FParent;
  return item->FMenu;
}

void TMenuItem::SetCaption(const AnsiString& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  Changed();
}

void TMenuItem::Click() {
  if (FEnabled) OnClick(this);
}

void TMenuItem::Changed() {
  TMenu* menu = GetParentMenu();
  if (menu && !menu->HasState(csDestroying)) menu->MenuChanged();
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (TMenu* menu = dyn_cast<TMenu>(Value))
    menu->Items()->Add(this);
  else if (TMenuItem* item = dyn_cast<TMenuItem>(Value))
    item->Add(this);
}

void TMenuItem::GetChildren(std::vector<TComponent*>& Children, TComponent* Root) {
  for (TMenuItem* item : FItems)
    if (item->Owner() == Root) Children.push_back(item);
}

void TMenuItem::Populate(HMENU Menu) {
  for (TMenuItem* item : FItems) {
    if (!item->FVisible) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    mii.wID = item->FCommand;
    std::wstring text;
    if (item->IsLine()) {
      mii.fType = MFT_SEPARATOR;
    } else {
      mii.fType = MFT_STRING;
      mii.fMask |= MIIM_STRING;
      AnsiString caption = item->FCaption;
      if (item->FShortCut != scNone) caption += "\t" + ShortCutToText(item->FShortCut);
      text = ToWide(caption);
      mii.dwTypeData = text.data();
      mii.cch = static_cast<UINT>(text.size());
      mii.fState = (item->FEnabled ? MFS_ENABLED : MFS_GRAYED) | (item->FChecked ? MFS_CHECKED : 0);
    }
    if (!item->FItems.empty()) {
      item->FHandle = CreatePopupMenu();
      item->Populate(item->FHandle);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = item->FHandle;
    }
    InsertMenuItemW(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &mii);
  }
}

void TMenuItem::ForgetHandles() {
  FHandle = nullptr;
  for (TMenuItem* item : FItems) item->ForgetHandles();
}

TMenuItem* TMenuItem::FindCommand(UINT Command) {
  for (TMenuItem* item : FItems) {
    if (item->FCommand == Command) return item;
    if (TMenuItem* found = item->FindCommand(Command)) return found;
  }
  return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Value) {
  for (TMenuItem* item : FItems) {
    // A disabled or hidden item takes its submenu out of reach too.
    if (!item->FEnabled || !item->FVisible) continue;
    if (item->FShortCut == Value) return item;
    if (TMenuItem* found = item->FindShortCut(Value)) return found;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TMenu

VCL_PUBLISH(TMenu, TComponent, Object) {}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  DestroyMenuHandle();
  delete FItems;
}

HMENU TMenu::Handle() {
  if (!FHandle) {
    FHandle = MakeHandle();
    if (!FHandle) throw EOutOfMemory("メニューを作成できません.");
    FItems->Populate(FHandle);
  }
  return FHandle;
}

void TMenu::DestroyMenuHandle() {
  if (!FHandle) return;
  DestroyMenu(FHandle);
  FHandle = nullptr;
  FItems->ForgetHandles();
}

void TMenu::MenuChanged() { DestroyMenuHandle(); }

bool TMenu::IsShortCut(TShortCut Value) {
  if (Value == scNone) return false;
  TMenuItem* item = FItems->FindShortCut(Value);
  if (!item) return false;
  item->Click();
  return true;
}

TMenuItem* TMenu::FindItemByCommand(UINT Command) const { return FItems->FindCommand(Command); }

bool TMenu::DispatchCommand(UINT Command) {
  TMenuItem* item = FindItemByCommand(Command);
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(std::vector<TComponent*>& Children, TComponent* Root) {
  FItems->GetChildren(Children, Root);
}

// ---------------------------------------------------------------------------
// TMainMenu

VCL_PUBLISH(TMainMenu, TMenu, Component) {}

TMainMenu::~TMainMenu() {
  Destroying();
  if (FWindowHandle && IsWindow(FWindowHandle) && GetMenu(FWindowHandle) == FHandle)
    SetMenu(FWindowHandle, nullptr);
  FWindowHandle = nullptr;
}

HMENU TMainMenu::MakeHandle() { return CreateMenu(); }

void TMainMenu::SetWindowHandle(HWND Wnd) {
  if (Wnd == FWindowHandle) return;
  if (FWindowHandle && IsWindow(FWindowHandle) && FHandle && GetMenu(FWindowHandle) == FHandle)
    SetMenu(FWindowHandle, nullptr);
  FWindowHandle = Wnd;
  if (Wnd) {
    SetMenu(Wnd, Handle());
    DrawMenuBar(Wnd);
  }
}

void TMainMenu::MenuChanged() {
  if (!FHandle) return;
  if (!FWindowHandle || !IsWindow(FWindowHandle)) {
    DestroyMenuHandle();
    return;
  }
  // The window must never show a destroyed menu: build the new one first.
  HMENU old = FHandle;
  FHandle = nullptr;
  Handle();
  SetMenu(FWindowHandle, FHandle);
  DrawMenuBar(FWindowHandle);
  DestroyMenu(old);
}

// ---------------------------------------------------------------------------
// TPopupMenu

VCL_PUBLISH(TPopupMenu, TMenu, Component) {
  P.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
  P.Event<void(TObject*)>("OnPopup", &TPopupMenu::OnPopup);
}

HMENU TPopupMenu::MakeHandle() { return CreatePopupMenu(); }

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  OnPopup(this);
  HMENU menu = Handle();
  HWND owner = Application->ActiveFormHandle();
  // The menu closes properly only when its owner is in the foreground.
  SetForegroundWindow(owner);
  const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY;
  const UINT command = static_cast<UINT>(
      CallCapturing([&] { return TrackPopupMenu(menu, flags, X, Y, 0, owner, nullptr); }));
  PostMessageW(owner, WM_NULL, 0, 0);
  if (command) DispatchCommand(command);
}

}  // namespace Vcl
