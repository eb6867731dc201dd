// The list view on the system's list view control: items, styles, hit
// tests, selection, and mouse events from real input.
#include <doctest.h>

#include <cstdlib>
#include <vector>

#include "ComCtrls.h"
#include "Fixtures.h"
#include "Forms.h"
#include "TestApp.h"
#include "WinText.h"

#include <shellapi.h>

using namespace Vcl;

namespace {

struct TMouseRecord {
  TMouseButton Button;
  TShiftState Shift;
  int X, Y;
};

// A form holding a list view with three icons of the fixture library.
class TListForm {
 public:
  TListForm() {
    Form = new TForm(nullptr);
    Form->SetBounds(60, 60, 420, 320);
    Images = new TImageList(Form);
    Images->SetWidth(32);
    Images->SetHeight(32);
    List = new TListView(Form);
    List->SetParent(Form);
    List->SetAlign(alClient);
    List->IconOptions()->SetAutoArrange(true);
    List->SetReadOnly(true);
    List->SetLargeImages(Images);
    List->OnMouseUp = TMouseEvent::Bind<&TListForm::MouseUp>(this);
    TIcon icon;
    for (int i = 0; i < 3; ++i) {
      icon.SetHandle(ExtractIconA(GetModuleHandleW(nullptr), Fixtures::Path(Fixtures::IconLibrary).c_str(), i));
      Images->AddIcon(&icon);
      TListItem* item = List->Items()->Add();
      item->SetCaption(IntToStr(i));
      item->SetImageIndex(i);
    }
  }
  ~TListForm() { delete Form; }

  void MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    CHECK(Sender == List);
    Ups.push_back({Button, Shift, X, Y});
  }
  HWND Wnd() { return List->Handle(); }
  AnsiString WindowItemText(int Index) {
    wchar_t buf[64] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buf;
    item.cchTextMax = 64;
    SendMessageW(Wnd(), LVM_GETITEMTEXTW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
    return FromWide(buf, wcslen(buf));
  }
  int WindowCount() { return static_cast<int>(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0)); }
  POINT ItemPoint(int Index, int Part) {
    RECT r{};
    r.left = Part;
    SendMessageW(Wnd(), LVM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  TForm* Form;
  TImageList* Images;
  TListView* List;
  std::vector<TMouseRecord> Ups;
};

}  // namespace

TEST_CASE("TListView: items live in the window, in the order added") {
  TListForm f;
  // Items added before the window existed are there once it does.
  REQUIRE(f.WindowCount() == 3);
  for (int i = 0; i < 3; ++i) {
    CHECK(f.WindowItemText(i) == IntToStr(i));
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = i;
    SendMessageW(f.Wnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    CHECK(item.iImage == i);
    CHECK(f.List->Items()->Item(i)->Index() == i);
  }
  TListItem* added = f.List->Items()->Add();
  added->SetCaption("表示");
  CHECK(f.WindowCount() == 4);
  CHECK(f.WindowItemText(3) == "表示");
  f.List->Items()->Item(1)->SetCaption("10");
  CHECK(f.WindowItemText(1) == "10");
  CHECK_THROWS_AS(f.List->Items()->Item(4), EListError);
  f.List->Items()->Clear();
  CHECK(f.List->Items()->Count() == 0);
  CHECK(f.WindowCount() == 0);
}

TEST_CASE("TListView: icon view, auto-arranged, one selection, read-only captions, shared images") {
  TListForm f;
  const LONG_PTR style = GetWindowLongPtrW(f.Wnd(), GWL_STYLE);
  CHECK((style & LVS_TYPEMASK) == LVS_ICON);
  CHECK((style & LVS_AUTOARRANGE) != 0);
  CHECK((style & LVS_SINGLESEL) != 0);
  CHECK((style & LVS_EDITLABELS) == 0);
  CHECK((style & LVS_SHAREIMAGELISTS) != 0);
  CHECK(reinterpret_cast<HIMAGELIST>(SendMessageW(f.Wnd(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0)) ==
        f.Images->Handle());
  // Read-only: the control refuses to edit a caption.
  f.Form->Show();
  f.List->SetFocus();
  CHECK(SendMessageW(f.Wnd(), LVM_EDITLABELW, 0, 0) == 0);
  // An editable list takes edits, and the item keeps what was typed.
  f.List->SetReadOnly(false);
  CHECK((GetWindowLongPtrW(f.Wnd(), GWL_STYLE) & LVS_EDITLABELS) != 0);
  f.List->SetFocus();
  HWND edit = reinterpret_cast<HWND>(SendMessageW(f.Wnd(), LVM_EDITLABELW, 0, 0));
  REQUIRE(edit != nullptr);
  SetWindowTextW(edit, L"x7");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  TestApp::Pump([&] { return f.List->Items()->Item(0)->Caption() == "x7"; }, 2000);
  CHECK(f.List->Items()->Item(0)->Caption() == "x7");
  // The form fills its client area with the list.
  RECT client{};
  GetClientRect(f.Form->Handle(), &client);
  CHECK(f.List->Width() == client.right);
  CHECK(f.List->Height() == client.bottom);
}

TEST_CASE("TListView: GetItemAt finds items by icon or caption, and nothing between them") {
  TListForm f;
  f.Form->Show();
  for (int i = 0; i < 3; ++i) {
    CAPTURE(i);
    const POINT icon = f.ItemPoint(i, LVIR_ICON);
    const POINT label = f.ItemPoint(i, LVIR_LABEL);
    CHECK(f.List->GetItemAt(icon.x, icon.y) == f.List->Items()->Item(i));
    CHECK(f.List->GetItemAt(label.x, label.y) == f.List->Items()->Item(i));
  }
  CHECK(f.List->GetItemAt(f.List->Width() - 10, f.List->Height() - 10) == nullptr);
  CHECK(f.List->GetItemAt(-5, -5) == nullptr);
}

TEST_CASE("TListView: Selected is the one selected item") {
  TListForm f;
  f.Form->Show();
  auto selectedCount = [&] { return SendMessageW(f.Wnd(), LVM_GETSELECTEDCOUNT, 0, 0); };
  CHECK(f.List->Selected() == nullptr);
  TListItem* second = f.List->Items()->Item(1);
  f.List->SetSelected(second);
  CHECK(f.List->Selected() == second);
  CHECK(second->Selected());
  CHECK(selectedCount() == 1);
  f.List->SetSelected(f.List->Items()->Item(2));
  CHECK(f.List->Selected() == f.List->Items()->Item(2));
  CHECK_FALSE(second->Selected());
  CHECK(selectedCount() == 1);
  // The selection survives a new window.
  HWND before = f.Wnd();
  f.List->RecreateWnd();
  CHECK(f.Wnd() != before);
  CHECK(f.WindowCount() == 3);
  CHECK(f.List->Selected() == f.List->Items()->Item(2));
  f.List->SetSelected(nullptr);
  CHECK(f.List->Selected() == nullptr);
  CHECK(selectedCount() == 0);
}

TEST_CASE("TListView: OnMouseUp fires once for each release, right button included") {
  TListForm f;
  TestApp::ShowActive(f.Form);
  struct Case {
    const char* name;
    bool right;
    int item;  // -1: empty space
  };
  const Case cases[] = {
      {"right on an icon", true, 1}, {"left on an icon", false, 2},
      {"right on empty space", true, -1}, {"left on empty space", false, -1},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    f.Ups.clear();
    const POINT at = c.item >= 0 ? f.ItemPoint(c.item, LVIR_ICON) : POINT{f.List->Width() - 30, f.List->Height() - 30};
    TestApp::Click(f.Wnd(), at, c.right);
    TestApp::Pump([&] { return !f.Ups.empty(); }, 3000);
    TestApp::PumpFor(100);
    REQUIRE(f.Ups.size() == 1);
    CHECK(f.Ups[0].Button == (c.right ? mbRight : mbLeft));
    CHECK(std::abs(f.Ups[0].X - at.x) <= 2);
    CHECK(std::abs(f.Ups[0].Y - at.y) <= 2);
    CHECK(f.List->GetItemAt(f.Ups[0].X, f.Ups[0].Y) ==
          (c.item >= 0 ? f.List->Items()->Item(c.item) : nullptr));
  }
}

TEST_CASE("TListView: a new image size is taken up by the control") {
  TListForm f;
  f.Form->Show();
  auto spacing = [&] { return LOWORD(SendMessageW(f.Wnd(), LVM_GETITEMSPACING, FALSE, 0)); };
  const int wide = spacing();
  f.List->Items()->Clear();
  f.Images->SetWidth(16);
  f.Images->SetHeight(16);
  CHECK(reinterpret_cast<HIMAGELIST>(SendMessageW(f.Wnd(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0)) ==
        f.Images->Handle());
  CHECK(spacing() < wide);
  // Removing the image list from the form leaves the list without one.
  delete f.Images;
  f.Images = nullptr;
  CHECK(f.List->LargeImages() == nullptr);
  CHECK(SendMessageW(f.Wnd(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0) == 0);
}
