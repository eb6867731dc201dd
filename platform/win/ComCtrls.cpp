#include "ComCtrls.h"

#include <windowsx.h>

#include "Boundary.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

const TEnumInfo ViewStyleNames{{"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
const TEnumInfo ArrangementNames{{"iaTop", "iaLeft"}};
const TEnumInfo HotTrackStyleNames{{"htHandPoint", "htUnderlineCold", "htUnderlineHot"}};
const TEnumInfo BorderStyleNames{{"bsNone", "bsSingle"}};
const TEnumInfo AlignNames{{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};

const bool Registered = [] {
  RegisterClass(TListView::StaticClass());
  return true;
}();

AnsiString IndexError(int Index) {
  return FormatMsg("リストのインデックスが範囲を超えています (%s).", IntToStr(Index));
}

}  // namespace

// ---------------------------------------------------------------------------
// TListItem

VCL_PUBLISH(TListItem, TPersistent, Object) {}

TCustomListView* TListItem::ListView() const { return FOwner->Owner(); }

int TListItem::Index() const { return FOwner->IndexOf(this); }

void TListItem::SetCaption(const AnsiString& Value) {
  FCaption = Value;
  if (ListView()->HandleAllocated()) ListView()->UpdateItemWindow(Index(), this);
}

void TListItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (ListView()->HandleAllocated()) ListView()->UpdateItemWindow(Index(), this);
}

bool TListItem::Selected() const {
  TCustomListView* lv = ListView();
  if (!lv->HandleAllocated()) return FSelected;
  return (lv->Send(LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TListItem::SetSelected(bool Value) {
  TCustomListView* lv = ListView();
  if (Value && !lv->MultiSelect())
    for (const auto& other : FOwner->FItems) other->FSelected = false;
  FSelected = Value;
  if (!lv->HandleAllocated()) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | (Value ? LVIS_FOCUSED : 0);
  item.state = Value ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
  lv->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&item));
}

void TListItem::Delete() { FOwner->Delete(Index()); }

// ---------------------------------------------------------------------------
// TListItems

VCL_PUBLISH(TListItems, TPersistent, Object) {}

TListItems::~TListItems() = default;

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(IndexError(Index));
  return FItems[static_cast<std::size_t>(Index)].get();
}

int TListItems::IndexOf(const TListItem* Item) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == Item) return static_cast<int>(i);
  return -1;
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index) {
  if (Index < 0 || Index > Count()) throw EListError(IndexError(Index));
  FItems.insert(FItems.begin() + Index, std::unique_ptr<TListItem>(new TListItem(this)));
  TListItem* item = FItems[static_cast<std::size_t>(Index)].get();
  if (FOwner->HandleAllocated()) {
    try {
      FOwner->InsertItemWindow(Index, item);
    } catch (...) {
      FItems.erase(FItems.begin() + Index);
      throw;
    }
  }
  return item;
}

void TListItems::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(IndexError(Index));
  if (FOwner->HandleAllocated()) FOwner->Send(LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
  FItems.erase(FItems.begin() + Index);
}

void TListItems::Clear() {
  if (FOwner->HandleAllocated()) FOwner->Send(LVM_DELETEALLITEMS, 0, 0);
  FItems.clear();
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) FOwner->Send(WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && FOwner->HandleAllocated()) {
    FOwner->Send(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FOwner->Handle(), nullptr, TRUE);
  }
}

// ---------------------------------------------------------------------------
// TListColumn, TListColumns

VCL_PUBLISH(TListColumn, TCollectionItem, Item) {
  P.Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
  P.Int("Width", &TListColumn::Width, &TListColumn::SetWidth, 50);
}

void TListColumn::SetCaption(const AnsiString& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed(false);
}

void TListColumn::SetWidth(int Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Changed(false);
}

AnsiString TListColumn::GetDisplayName() const {
  return FCaption.empty() ? TCollectionItem::GetDisplayName() : FCaption;
}

VCL_PUBLISH(TListColumns, TOwnedCollection, Object) {}

TListColumns::TListColumns(TCustomListView* AOwner)
    : TOwnedCollection(AOwner, TListColumn::StaticClass()), FListView(AOwner) {}

void TListColumns::Update(TCollectionItem*) {
  if (FListView->HandleAllocated()) FListView->ApplyColumns();
}

// ---------------------------------------------------------------------------
// TIconOptions

VCL_PUBLISH(TIconOptions, TPersistent, Object) {
  P.Enum("Arrangement", &TIconOptions::Arrangement, &TIconOptions::SetArrangement, ArrangementNames, iaTop);
  P.Bool("AutoArrange", &TIconOptions::AutoArrange, &TIconOptions::SetAutoArrange, false);
  P.Bool("WrapText", &TIconOptions::WrapText, &TIconOptions::SetWrapText, true);
}

void TIconOptions::SetArrangement(TIconArrangement Value) {
  if (Value == FArrangement) return;
  FArrangement = Value;
  FOwner->StyleChanged();
}

void TIconOptions::SetAutoArrange(bool Value) {
  if (Value == FAutoArrange) return;
  FAutoArrange = Value;
  FOwner->StyleChanged();
}

void TIconOptions::SetWrapText(bool Value) {
  if (Value == FWrapText) return;
  FWrapText = Value;
  FOwner->StyleChanged();
}

// ---------------------------------------------------------------------------
// TCustomListView

VCL_PUBLISH(TCustomListView, TWinControl, Component) {}

VCL_PUBLISH(TListView, TCustomListView, Component) {
  P.Enum("Align", &TListView::Align, &TListView::SetAlign, AlignNames, alNone);
  P.Enum("BorderStyle", &TListView::BorderStyle, &TListView::SetBorderStyle, BorderStyleNames,
         bsSingleBorder);
  P.Int("Color", &TListView::Color, &TListView::SetColor, clWindow).WithIdents(ColorIdentMap());
  P.Object("Columns", &TListView::Columns, nullptr);
  P.Bool("Enabled", &TListView::Enabled, &TListView::SetEnabled, true);
  P.Object("Font", &TListView::Font, nullptr).Stored = [](TObject* o) {
    return !static_cast<TListView*>(o)->ParentFont();
  };
  P.Bool("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection, true);
  P.Bool("HotTrack", &TListView::HotTrack, &TListView::SetHotTrack, false);
  P.Set("HotTrackStyles", &TListView::HotTrackStyles, &TListView::SetHotTrackStyles, HotTrackStyleNames, 0);
  P.Object("IconOptions", &TListView::IconOptions, nullptr);
  P.Object("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages);
  P.Bool("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect, false);
  P.Bool("ParentFont", &TListView::ParentFont, &TListView::SetParentFont, true);
  P.Object("PopupMenu", &TListView::GetPopupMenu, &TListView::SetPopupMenu);
  P.Bool("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly, false);
  P.Object("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages);
  P.Int("TabOrder", &TListView::TabOrder, &TListView::SetTabOrder, -1);
  P.Bool("TabStop", &TListView::TabStop, &TListView::SetTabStop, true);
  P.Enum("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle, ViewStyleNames, vsIcon);
  P.Bool("Visible", &TListView::Visible, &TListView::SetVisible, true);
  P.Event("OnMouseDown", &TListView::OnMouseDown);
  P.Event("OnMouseUp", &TListView::OnMouseUp);
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner),
      FItems(new TListItems(this)),
      FColumns(new TListColumns(this)),
      FIconOptions(new TIconOptions(this)) {
  static const bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;
  FColor = clWindow;
  FWidth = 250, FHeight = 150;
  SetTabStop(true);
  FLargeChangeLink.OnChange = TNotifyEvent::Bind<&TCustomListView::ImageListChange>(this);
  FSmallChangeLink.OnChange = TNotifyEvent::Bind<&TCustomListView::ImageListChange>(this);
}

TCustomListView::~TCustomListView() {
  Destroying();
  try {
    DestroyHandle();
  } catch (...) {
    DeliverException(std::current_exception());
  }
  delete FItems;
  FItems = nullptr;
  delete FColumns;
  delete FIconOptions;
}

LRESULT TCustomListView::Send(UINT Msg, WPARAM WParam, LPARAM LParam) {
  HWND wnd = Handle();
  return CallCapturing([&] { return SendMessageW(wnd, Msg, WParam, LParam); });
}

void TCustomListView::StyleChanged() {
  if (!HasState(csLoading)) RecreateWnd();
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (Value == FViewStyle) return;
  FViewStyle = Value;
  StyleChanged();
}

void TCustomListView::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  StyleChanged();
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (Value == FMultiSelect) return;
  FMultiSelect = Value;
  StyleChanged();
}

void TCustomListView::SetHideSelection(bool Value) {
  if (Value == FHideSelection) return;
  FHideSelection = Value;
  StyleChanged();
}

void TCustomListView::SetHotTrack(bool Value) {
  if (Value == FHotTrack) return;
  FHotTrack = Value;
  StyleChanged();
}

void TCustomListView::SetHotTrackStyles(THotTrackStyles Value) {
  if (Value == FHotTrackStyles) return;
  FHotTrackStyles = Value;
  StyleChanged();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  StyleChanged();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
  if (Value == FLargeImages) return;
  if (FLargeImages) FLargeImages->UnRegisterChanges(&FLargeChangeLink);
  FLargeImages = Value;
  if (Value) {
    Value->RegisterChanges(&FLargeChangeLink);
    Value->FreeNotification(this);
  }
  if (HandleAllocated()) ApplyImageLists();
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
  if (Value == FSmallImages) return;
  if (FSmallImages) FSmallImages->UnRegisterChanges(&FSmallChangeLink);
  FSmallImages = Value;
  if (Value) {
    Value->RegisterChanges(&FSmallChangeLink);
    Value->FreeNotification(this);
  }
  if (HandleAllocated()) ApplyImageLists();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FLargeImages) {
    FLargeImages = nullptr;
    if (HandleAllocated() && !HasState(csDestroying)) ApplyImageLists();
  }
  if (AComponent == FSmallImages) {
    FSmallImages = nullptr;
    if (HandleAllocated() && !HasState(csDestroying)) ApplyImageLists();
  }
}

void TCustomListView::Loaded() { TWinControl::Loaded(); }

void TCustomListView::ImageListChange(TObject* Sender) {
  if (!HandleAllocated()) return;
  // A new image size changes the spacing of the icons: hand the list over
  // again so that the control measures it anew.
  if (Sender == FLargeImages && (FLargeImages->Width() != FAppliedLargeSize.cx ||
                                 FLargeImages->Height() != FAppliedLargeSize.cy)) {
    ApplyImageLists();
    return;
  }
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomListView::ApplyImageLists() {
  FAppliedLargeSize = FLargeImages ? SIZE{FLargeImages->Width(), FLargeImages->Height()} : SIZE{0, 0};
  Send(LVM_SETIMAGELIST, LVSIL_NORMAL,
       reinterpret_cast<LPARAM>(FLargeImages ? FLargeImages->Handle() : nullptr));
  Send(LVM_SETIMAGELIST, LVSIL_SMALL,
       reinterpret_cast<LPARAM>(FSmallImages ? FSmallImages->Handle() : nullptr));
}

void TCustomListView::ApplyColors() {
  const COLORREF back = ColorToRGB(FColor);
  Send(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
  Send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
  Send(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
}

void TCustomListView::ApplyColumns() {
  // The window's columns are made again from the collection.
  HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0));
  int existing = header ? Header_GetItemCount(header) : 0;
  while (existing-- > 0) Send(LVM_DELETECOLUMN, 0, 0);
  for (int i = 0; i < FColumns->Count(); ++i) {
    TListColumn* column = FColumns->Items(i);
    std::wstring text = ToWide(column->Caption());
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH;
    lvc.pszText = text.data();
    lvc.cx = column->Width();
    Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lvc));
  }
}

void TCustomListView::ColorChanged() {
  if (HandleAllocated()) {
    ApplyColors();
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TCustomListView::FontChanged() {
  TWinControl::FontChanged();
  if (HandleAllocated()) ApplyColors();
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SysClassName = WC_LISTVIEWW;
  static const DWORD viewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= viewStyles[FViewStyle] | LVS_SHAREIMAGELISTS;
  Params.Style |= FIconOptions->Arrangement() == iaLeft ? LVS_ALIGNLEFT : LVS_ALIGNTOP;
  if (FIconOptions->AutoArrange()) Params.Style |= LVS_AUTOARRANGE;
  if (!FIconOptions->WrapText()) Params.Style |= LVS_NOLABELWRAP;
  if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
  if (!FMultiSelect) Params.Style |= LVS_SINGLESEL;
  if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
  if (FBorderStyle == bsSingleBorder) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  DWORD ex = 0;
  if (FHotTrack) ex |= LVS_EX_TRACKSELECT;
  if (FHotTrackStyles & (1u << htHandPoint)) ex |= LVS_EX_ONECLICKACTIVATE;
  if (FHotTrackStyles & ((1u << htUnderlineHot) | (1u << htUnderlineCold))) ex |= LVS_EX_UNDERLINEHOT;
  if (FHotTrackStyles & (1u << htUnderlineCold)) ex |= LVS_EX_UNDERLINECOLD;
  if (ex) Send(LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  ApplyImageLists();
  ApplyColors();
  ApplyColumns();
  // Items outlive the window: put them back.
  for (int i = 0; i < FItems->Count(); ++i) InsertItemWindow(i, FItems->Item(i));
}

void TCustomListView::DestroyWnd() {
  // The selection lives in the window; keep it for the next one.
  if (FItems)
    for (int i = 0; i < FItems->Count(); ++i) {
      TListItem* item = FItems->Item(i);
      item->FSelected = (SendMessageW(FHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) &
                         LVIS_SELECTED) != 0;
    }
  TWinControl::DestroyWnd();
}

void TCustomListView::InsertItemWindow(int Index, TListItem* Item) {
  std::wstring text = ToWide(Item->FCaption);
  LVITEMW lvi{};
  lvi.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  lvi.iItem = Index;
  lvi.pszText = text.data();
  lvi.iImage = Item->FImageIndex;
  lvi.lParam = reinterpret_cast<LPARAM>(Item);
  lvi.stateMask = LVIS_SELECTED;
  lvi.state = Item->FSelected ? LVIS_SELECTED : 0;
  if (Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) < 0)
    throw EOutOfMemory("リストビューに項目を追加できません.");
}

void TCustomListView::UpdateItemWindow(int Index, TListItem* Item) {
  std::wstring text = ToWide(Item->FCaption);
  LVITEMW lvi{};
  lvi.mask = LVIF_TEXT | LVIF_IMAGE;
  lvi.iItem = Index;
  lvi.pszText = text.data();
  lvi.iImage = Item->FImageIndex;
  Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
}

TListItem* TCustomListView::GetItemAt(int X, int Y) {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO info{};
  info.pt = POINT{X, Y};
  const int index = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  if (index < 0 || index >= FItems->Count() || !(info.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)))
    return nullptr;
  return FItems->Item(index);
}

TListItem* TCustomListView::Selected() {
  if (!HandleAllocated()) {
    for (const auto& item : FItems->FItems)
      if (item->FSelected) return item.get();
    return nullptr;
  }
  const int index = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return index >= 0 && index < FItems->Count() ? FItems->Item(index) : nullptr;
}

void TCustomListView::SetSelected(TListItem* Item) {
  if (Item && Item->Owner() != FItems) throw EInvalidOperation("別のリストビューの項目は選択できません.");
  if (!Item || !FMultiSelect) {
    for (const auto& other : FItems->FItems) other->FSelected = false;
    if (HandleAllocated()) {
      LVITEMW none{};
      none.stateMask = LVIS_SELECTED;
      Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    }
  }
  if (Item) Item->SetSelected(true);
}

namespace {

unsigned ButtonBit(UINT Msg) {
  switch (Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP: return 1u << mbLeft;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_RBUTTONUP: return 1u << mbRight;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MBUTTONUP: return 1u << mbMiddle;
  }
  return 0;
}

bool ButtonHeld(TMouseButton Button) {
  static const int keys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  return GetKeyState(keys[Button]) < 0;
}

}  // namespace

void TCustomListView::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: {
      const unsigned bit = ButtonBit(Message.Msg);
      const TMouseButton button = bit == (1u << mbLeft) ? mbLeft : bit == (1u << mbRight) ? mbRight : mbMiddle;
      FButtonsDown |= bit;
      TWinControl::WndProc(Message);
      // The control follows the mouse in a loop of its own while a button
      // is down, and that loop swallows the release. When the button is up
      // and its release never came here, the release happened in there:
      // report it now, where the last message said it was.
      if ((FButtonsDown & bit) && !ButtonHeld(button) && HandleAllocated()) {
        FButtonsDown &= ~bit;
        const DWORD pos = GetMessagePos();
        POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
        ScreenToClient(FHandle, &pt);
        MouseUp(button, KeyboardShiftState(), pt.x, pt.y);
      }
      return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      FButtonsDown &= ~ButtonBit(Message.Msg);
      break;
    case CN_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(Message.LParam);
      if (hdr->code == LVN_BEGINLABELEDITW || hdr->code == LVN_BEGINLABELEDITA) {
        Message.Result = FReadOnly ? TRUE : FALSE;
        return;
      }
      if (hdr->code == LVN_ENDLABELEDITW) {
        const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(hdr);
        if (info->item.pszText && info->item.iItem >= 0 && info->item.iItem < FItems->Count()) {
          FItems->Item(info->item.iItem)->FCaption = FromWide(info->item.pszText, wcslen(info->item.pszText));
          Message.Result = TRUE;
        }
        return;
      }
      break;
    }
  }
  TWinControl::WndProc(Message);
}

}  // namespace Vcl
