// The main window's export commands and the about box, in process, on the
// real popup menu, save and folder dialogs, clipboard and message boxes;
// and the program's version information.
#include <doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "AboutBoxFm.h"
#include "BrowseFolder.h"
#include "ExportKit.h"
#include "Fixtures.h"
#include "IconFile.h"
#include "InputQuery.h"
#include "PelmoraForm.h"
#include "System.h"
#include "TestIcons.h"
#include "WinTestKit.h"
#include "WinText.h"

using namespace Vcl;
using namespace ExportKit;
using TestKit::DialogDriver;

namespace {

const char* const SaveTitle = "アイコンファイルとして保存";
const char* const FolderTitle = "保存するフォルダを選択してください";
const char* const AboutCaption = "バージョン情報";
const char* const Copyright = "Copyright (C) 2026 Pelmora developers";

AnsiString Lib() { return Fixtures::Path(Fixtures::IconLibrary); }

AnsiString CommandLine;

// The main window as the program makes it, started with File, shown and
// active, the icon list focused.
struct TWindow {
  explicit TWindow(const AnsiString& File) {
    Application->SetTitle("Pelmora");
    CommandLine = "pelmora.exe \"" + File + "\"";
    CmdLine = CommandLine.c_str();
    Application->CreateForm(TPelmoraFm::StaticClass(), &PelmoraFm);
    REQUIRE(PelmoraFm != nullptr);
    PelmoraFm->Show();
    SetForegroundWindow(PelmoraFm->Handle());
    RunUntil([] { return GetActiveWindow() == PelmoraFm->Handle(); }, 3000);
    PelmoraFm->IconListView->SetFocus();
  }
  ~TWindow() {
    delete PelmoraFm;
    PelmoraFm = nullptr;
    CommandLine = "pelmora.exe";
    CmdLine = CommandLine.c_str();
  }
  TPelmoraFm* operator->() const { return PelmoraFm; }
};

HWND List() { return PelmoraFm->IconListView->Handle(); }

// The middle of item Index's caption, in the list's client coordinates.
POINT CaptionPoint(int Index) {
  RECT r{};
  r.left = LVIR_LABEL;
  SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A point of the list far from every item.
POINT EmptyPoint() {
  RECT r;
  GetClientRect(List(), &r);
  return POINT{r.right - 12, r.bottom - 12};
}

AnsiString SelectedCaption() {
  TListItem* item = PelmoraFm->IconListView->Selected();
  return item ? item->Caption() : AnsiString("(none)");
}

void Select(int Index) {
  TListItems* items = PelmoraFm->IconListView->Items();
  PelmoraFm->IconListView->SetSelected(Index < 0 ? nullptr : items->Item(Index));
  PelmoraFm->IconListView->SetFocus();
}

// Runs a command of the menu bar as choosing it does.
void Choose(TMenuItem* Item) { PostMessageW(PelmoraFm->Handle(), WM_COMMAND, Item->Command(), 0); }

// Replaces the name box's text by Text, typed.
TestKit::TDialogScript& TypeName(TestKit::TDialogScript& Script, const AnsiString& Text) {
  return Script.Do([](HWND) { SendMessageW(GetFocus(), EM_SETSEL, 0, -1); }).Type(0, Text);
}

// The text of the folder selected in the shell's folder dialog.
AnsiString SelectedFolderText(HWND Dlg) {
  HWND tree = FindWindowExW(Dlg, nullptr, L"SysTreeView32", nullptr);
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  wchar_t text[MAX_PATH] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return AnsiString();
  return FromWide(text, wcslen(text));
}

// The text of the top item of the folder dialog's tree.
AnsiString TreeRootText(HWND Dlg) {
  HWND tree = FindWindowExW(Dlg, nullptr, L"SysTreeView32", nullptr);
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  wchar_t text[MAX_PATH] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return AnsiString();
  return FromWide(text, wcslen(text));
}

// Chooses Folder in the shell's folder dialog and confirms it. Wine's
// dialog now and then misses a folder whose times have just changed, so
// the choice is made again until the tree shows it; when it never does,
// the dialog is cancelled, so that nothing is written elsewhere.
TestKit::TDialogScript& ChooseFolder(TestKit::TDialogScript& Script, const std::string& Folder) {
  return Script.Do([Folder](HWND Dlg) {
    const std::wstring path = ToWide(Folder);
    const AnsiString name = Folder.substr(Folder.rfind('\\') + 1);
    bool chosen = false;
    for (int attempt = 0; attempt < 5 && !chosen; ++attempt) {
      SendMessageW(Dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
      chosen = SelectedFolderText(Dlg) == name;
      if (!chosen) Sleep(500);
    }
    PostMessageW(Dlg, WM_COMMAND, chosen ? IDOK : IDCANCEL, 0);
    if (!chosen) throw Exception("フォルダ " + Folder + " を選べません.");
  });
}

int FilesIn(const std::string& Folder) {
  int n = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((Folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

// The palette index at the middle of each icon group of the library.
int MiddleIndex(int Group) {
  const Fixtures::TPixel* middles[] = {&Fixtures::RedSquare[0], &Fixtures::GreenCircle[0], &Fixtures::BlueDiagonal[2]};
  return NearestPaletteIndex(middles[Group]->Colour);
}

bool Reddish(COLORREF C) { return GetRValue(C) > 200 && GetGValue(C) < 60 && GetBValue(C) < 60; }

}  // namespace

TEST_CASE("A right-button release on a caption selects the item and opens the popup at the pointer; nothing else does") {
  TWindow w(Lib());
  REQUIRE(w->IconListView->Items()->Count() == 3);
  Select(0);
  TMenuWatcher watcher({VK_ESCAPE});

  const POINT at = CaptionPoint(2);
  Click(List(), at, true);
  RunUntil([&] { return watcher.Menus().size() == 1; }, 3000);
  REQUIRE(watcher.Menus().size() == 1);
  POINT screen = at;
  ClientToScreen(List(), &screen);
  CHECK(watcher.Menus()[0].left == screen.x);
  CHECK(watcher.Menus()[0].top == screen.y);
  CHECK(SelectedCaption() == "2");
  RunFor(200);

  // Over empty space, and with the left button: no menu.
  Click(List(), EmptyPoint(), true);
  RunFor(500);
  Click(List(), CaptionPoint(1), false);
  RunFor(500);
  CHECK(watcher.Menus().size() == 1);
  CHECK(SelectedCaption() == "1");
}

TEST_CASE("Save from the popup writes the item's image; Ctrl+S starts from the name chosen; .ico is added") {
  TWindow w(Lib());
  const std::string folder = FreshFolder("save_one");
  const std::string first = folder + "\\two.ico";
  {
    TMenuWatcher watcher({VK_DOWN, VK_RETURN});
    DialogDriver driver;
    TypeName(driver.Expect(SaveTitle), first).Press(IDOK);
    Click(List(), CaptionPoint(2), true);
    RunUntil([&] { return driver.AllDone() && FileExists(first); }, 10000);
    CHECK(watcher.Menus().size() == 1);
    CHECK(driver.Errors().empty());
  }
  const std::string f = ReadFile(first);
  REQUIRE(f.size() == 766);
  const TIconFileReader two{f, 32};
  for (const Fixtures::TPixel& p : Fixtures::BlueDiagonal) {
    CAPTURE(p.X);
    CAPTURE(p.Y);
    CHECK(two.Masked(p.X, p.Y) == !p.Opaque);
    if (p.Opaque) CHECK(two.Index(p.X, p.Y) == NearestPaletteIndex(p.Colour));
  }

  // Ctrl+S with the popup closed, on the selected item 0: the dialog starts
  // with the name of the first save; a name typed without an extension
  // gets ".ico".
  Select(0);
  {
    DialogDriver driver;
    TypeName(driver.Expect(SaveTitle), folder + "\\noext").Press(IDOK);
    PressKeys({VK_CONTROL, 'S'});
    RunUntil([&] { return driver.AllDone() && FileExists(folder + "\\noext.ico"); }, 10000);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText("two.ico"));
  }
  const std::string zero = ReadFile(folder + "\\noext.ico");
  REQUIRE(zero.size() == 766);
  CHECK(TIconFileReader{zero, 32}.Index(16, 16) == MiddleIndex(0));
  CHECK(FilesIn(folder) == 2);

  // Cancel writes nothing, and the name is kept for next time.
  {
    DialogDriver driver;
    driver.Expect(SaveTitle).Press(IDCANCEL);
    PressKeys({VK_CONTROL, 'S'});
    RunUntil([&] { return driver.AllDone(); }, 10000);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText("noext.ico"));
  }
  RunFor(100);
  CHECK(FilesIn(folder) == 2);
  CHECK(w->SaveIconFileDialog->FileName() == folder + "\\noext.ico");
}

TEST_CASE("Copy at 24 leaves exactly one 24 by 24 bitmap, white where the icon is transparent") {
  TWindow w(Lib());
  DialogDriver sizes;
  sizes.Expect("サイズの指定").SetText(InputQueryEditId, "24").Press(IDOK);
  Choose(w->SetSize);
  RunUntil([&] { return sizes.AllDone() && PelmoraFm->IconImageList->Width() == 24; }, 5000);
  REQUIRE(w->IconImageList->Width() == 24);
  REQUIRE(w->IconListView->Items()->Count() == 3);

  PutClipboardText("before");
  Select(0);
  PressKeys({VK_CONTROL, 'C'});
  RunUntil([] { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; }, 3000);
  const std::vector<UINT> formats = ClipboardFormats();
  REQUIRE_FALSE(formats.empty());
  // One picture: the bitmap, and what the system makes of it by itself.
  for (UINT f : formats) {
    CAPTURE(f);
    CHECK((f == CF_BITMAP || f == CF_DIB || f == CF_DIBV5));
  }
  CHECK(std::find(formats.begin(), formats.end(), CF_BITMAP) != formats.end());
  CHECK(GetClipboardOwner() == Application->Handle());
  REQUIRE(OpenClipboard(nullptr));
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  int width = 0, height = 0;
  const std::vector<COLORREF> px = bitmap ? Pixels(bitmap, width, height) : std::vector<COLORREF>();
  CloseClipboard();
  REQUIRE(bitmap != nullptr);
  CHECK(width == 24);
  CHECK(height == 24);
  CHECK(px[0] == RGB(255, 255, 255));
  CHECK(px[23 * 24 + 23] == RGB(255, 255, 255));
  CHECK(Reddish(px[12 * 24 + 12]));
}

TEST_CASE("Copy and save with no selected icon do nothing; a clipboard held elsewhere gives the error box") {
  TWindow w(Lib());
  Select(-1);
  PutClipboardText("kept");
  {
    DialogDriver driver;  // no dialog may come up
    PressKeys({VK_CONTROL, 'C'});
    RunFor(300);
    PressKeys({VK_CONTROL, 'S'});
    RunFor(800);
    CHECK(driver.Seen().empty());
    CHECK(IsClipboardFormatAvailable(CF_TEXT));
    CHECK_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  }

  Select(1);
  {
    TClipboardHolder holder;
    REQUIRE(holder.Opened());
    DialogDriver driver;
    driver.Expect("Pelmora").Press(IDOK);
    PressKeys({VK_CONTROL, 'C'});
    RunUntil([&] { return driver.AllDone(); }, 5000);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText("クリップボードを開くことができません."));
  }
  CHECK(IsClipboardFormatAvailable(CF_TEXT));
  CHECK_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  // The window goes on working.
  PressKeys({VK_CONTROL, 'C'});
  RunUntil([] { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; }, 3000);
  CHECK(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_CASE("Save all writes 0.ico, 1.ico, 2.ico, replacing older files; Cancel and an empty list write nothing") {
  TWindow w(Lib());
  const std::string all = FreshTempFolder("all");
  WriteFile(all + "\\1.ico", std::string(5000, 'x'));
  {
    DialogDriver driver;
    ChooseFolder(driver.Expect(""), all);
    PressKeys({VK_F12});
    RunUntil([&] { return driver.AllDone() && FileExists(all + "\\2.ico"); }, 10000);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText(FolderTitle));
  }
  CHECK(FilesIn(all) == 3);
  for (int i = 0; i < 3; ++i) {
    CAPTURE(i);
    const std::string f = ReadFile(all + "\\" + std::to_string(i) + ".ico");
    REQUIRE(f.size() == 766);
    CHECK(TIconFileReader{f, 32}.Index(16, 16) == MiddleIndex(i));
    WriteFile(OutPath("all_" + std::to_string(i) + ".ico"), f);  // for icotool
  }

  const std::string cancelled = FreshTempFolder("all_cancelled");
  {
    DialogDriver driver;
    driver.Expect("").Press(IDCANCEL);
    Choose(w->SaveAll);
    RunUntil([&] { return driver.AllDone(); }, 10000);
    RunFor(200);
    CHECK(driver.Seen().size() == 1);
  }
  CHECK(FilesIn(cancelled) == 0);

  // A file without icons: an empty list; the dialog is shown all the same.
  w->SetFileName(Fixtures::Path(Fixtures::TextFile));
  w->LoadIcons(Fixtures::Path(Fixtures::TextFile));
  REQUIRE(w->IconListView->Items()->Count() == 0);
  const std::string none = FreshTempFolder("all_empty");
  {
    DialogDriver driver;
    ChooseFolder(driver.Expect(""), none);
    Choose(w->SaveAll);
    RunUntil([&] { return driver.AllDone(); }, 10000);
    RunFor(200);
    CHECK(driver.Seen().size() == 1);
    CHECK(driver.Unexpected() == 0);
  }
  CHECK(FilesIn(none) == 0);
}

TEST_CASE("BrowseFolder: the title, the root of the tree, the chosen path; Cancel leaves the folder empty") {
  Application->Handle();
  const std::string folder = FreshTempFolder("browse_root");
  struct Case {
    const char* Name;
    WideString Root;
    bool Confirm;
  };
  const Case cases[] = {
      {"the desktop at the top, cancelled", L"", false},
      {"a folder at the top, confirmed", ToWide(folder), true},
      {"a root the shell cannot read: the desktop, cancelled", L"Q:\\\\no such\\place", false},
  };
  AnsiString desktop;
  for (const Case& c : cases) {
    CAPTURE(c.Name);
    AnsiString top;
    DialogDriver driver;
    driver.Expect("")
        .Do([&](HWND dlg) {
          top = TreeRootText(dlg);
          // The user clicks the top folder.
          HWND tree = FindWindowExW(dlg, nullptr, L"SysTreeView32", nullptr);
          const LPARAM root = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
          if (c.Confirm) SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, root);
        })
        .Press(c.Confirm ? IDOK : IDCANCEL);
    AnsiString result = "left over";
    const bool ok = BrowseFolder("フォルダを選んでください", c.Root, result);
    CHECK(driver.AllDone());
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText("フォルダを選んでください"));
    CHECK(ok == c.Confirm);
    CHECK(result == (c.Confirm ? AnsiString(folder) : AnsiString()));
    if (c.Root.empty()) desktop = top;
    CHECK_FALSE(top.empty());
    if (c.Confirm)
      CHECK(top == "browse_root");
    else
      CHECK(top == desktop);
  }
}

TEST_CASE("Save all into a folder where a file cannot be created: the error box, the icons before it kept") {
  TWindow w(Lib());
  const std::string folder = FreshTempFolder("all_blocked");
  // A folder in the way of 1.ico.
  CreateDirectoryA((folder + "\\1.ico").c_str(), nullptr);
  DialogDriver driver;
  ChooseFolder(driver.Expect(""), folder);
  driver.Expect("Pelmora").Press(IDOK);
  Choose(w->SaveAll);
  RunUntil([&] { return driver.AllDone(); }, 10000);
  REQUIRE(driver.Seen().size() == 2);
  CHECK(driver.Seen()[1].HasText("ファイル " + folder + "\\1.ico を作成できません."));
  const std::string zero = ReadFile(folder + "\\0.ico");
  CHECK(zero.size() == 766);
  WriteFile(OutPath("all_blocked_0.ico"), zero);  // for icotool
  CHECK_FALSE(FileExists(folder + "\\2.ico"));
  // The window stays usable.
  CHECK(IsWindowEnabled(w->Handle()));
}

TEST_CASE("The about box: a new box each time, centred, with the icon and texts; Enter closes it, Esc does not") {
  TWindow w(Lib());
  HICON mainIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  REQUIRE(mainIcon != nullptr);
  const std::vector<TLook> expected = Render(mainIcon, 32);
  for (int round = 0; round < 3; ++round) {
    CAPTURE(round);
    const bool byCloseBox = round == 2;
    bool fresh = false, upAfterEsc = false, mainDisabled = false, sameIcon = false;
    AnsiString texts[4];
    RECT iconBounds{};
    int clientW = 0, clientH = 0;
    DialogDriver driver;
    auto& script = driver.Expect(AboutCaption, "TAboutBox").Do([&](HWND dlg) {
      REQUIRE(AboutBox != nullptr);
      // A box made for this showing has never been marked.
      fresh = AboutBox->Tag() == 0;
      AboutBox->SetTag(1);
      mainDisabled = !IsWindowEnabled(PelmoraFm->Handle());
      texts[0] = GetWindowTextAnsi(AboutBox->ProductName->Handle());
      texts[1] = GetWindowTextAnsi(AboutBox->Version->Handle());
      texts[2] = GetWindowTextAnsi(AboutBox->Copyright->Handle());
      texts[3] = GetWindowTextAnsi(AboutBox->Comments->Handle());
      TImage* image = AboutBox->ProgramIcon;
      iconBounds = RECT{image->Left(), image->Top(), image->Width(), image->Height()};
      if (TIcon* icon = dyn_cast<TIcon>(image->Picture()->Graphic())) {
        const std::vector<TLook> got = Render(icon->Handle(), 32);
        sameIcon = got.size() == expected.size();
        for (std::size_t i = 0; sameIcon && i < got.size(); ++i)
          sameIcon = got[i].Shade == expected[i].Shade && got[i].Colour == expected[i].Colour;
      }
      RECT r;
      GetClientRect(dlg, &r);
      clientW = r.right, clientH = r.bottom;
    });
    if (byCloseBox) {
      script.Close();
    } else {
      script.Key(VK_ESCAPE).Do([&](HWND dlg) { upAfterEsc = IsWindowVisible(dlg) != FALSE; }).Key(VK_RETURN);
    }
    Choose(w->About);
    RunUntil([&] { return driver.AllDone() && AboutBox == nullptr; }, 8000);
    CHECK(driver.AllDone());
    CHECK(driver.Errors().empty());
    CHECK(AboutBox == nullptr);
    CHECK(fresh);
    if (!byCloseBox) CHECK(upAfterEsc);
    CHECK(mainDisabled);
    CHECK(IsWindowEnabled(PelmoraFm->Handle()));
    REQUIRE(driver.Seen().size() == 1);
    const RECT& at = driver.Seen()[0].Rect;
    CHECK(std::abs((at.left + at.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2) <= 1);
    CHECK(std::abs((at.top + at.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2) <= 1);
    CHECK(clientW == 298);
    CHECK(clientH == 187);
    CHECK(texts[0] == "Pelmora");
    CHECK(texts[1] == "Version 1.00");
    CHECK(texts[2] == Copyright);
    CHECK_FALSE(texts[3].empty());
    CHECK(sameIcon);
    CHECK(iconBounds.left == 24);
    CHECK(iconBounds.top == 16);
    CHECK(iconBounds.right == 32);
    CHECK(iconBounds.bottom == 32);
  }
}

TEST_CASE("The program's version information: Japanese, code page 932, version 1.0.0.0") {
  const std::wstring exe = ToWide(PELMORA_EXE);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  REQUIRE(size > 0);
  std::vector<char> data(size);
  REQUIRE(GetFileVersionInfoW(exe.c_str(), 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  REQUIRE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  CHECK(fixed->dwSignature == 0xFEEF04BDu);
  CHECK(fixed->dwFileVersionMS == 0x00010000u);
  CHECK(fixed->dwFileVersionLS == 0u);
  CHECK(fixed->dwProductVersionMS == 0x00010000u);
  CHECK(fixed->dwProductVersionLS == 0u);
  CHECK(fixed->dwFileFlagsMask == 0x3Fu);
  CHECK(fixed->dwFileFlags == 0u);
  CHECK(fixed->dwFileOS == 4u);
  CHECK(fixed->dwFileType == 1u);
  CHECK(fixed->dwFileSubtype == 0u);

  WORD* translation = nullptr;
  REQUIRE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
  REQUIRE(len == 4);
  CHECK(translation[0] == 0x0411);
  CHECK(translation[1] == 932);

  struct Field {
    const wchar_t* Name;
    AnsiString Value;
  };
  const Field fields[] = {
      {L"FileVersion", "1.0.0.0"},   {L"ProductVersion", "Ver.1.00"}, {L"Comments", "[追加機能]"},
      {L"LegalCopyright", Copyright}, {L"CompanyName", ""},           {L"FileDescription", ""},
      {L"InternalName", ""},         {L"LegalTrademarks", ""},        {L"OriginalFilename", ""},
      {L"ProductName", ""},
  };
  for (const Field& f : fields) {
    CAPTURE(FromWide(f.Name, wcslen(f.Name)));
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041103A4\\") + f.Name;
    wchar_t* value = nullptr;
    REQUIRE(VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &len));
    CHECK(FromWide(value, wcslen(value)) == f.Value);
  }

  // The resource itself is the Japanese one.
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  REQUIRE(module != nullptr);
  CHECK(FindResourceExW(module, MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1),
                        MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)) != nullptr);
  FreeLibrary(module);
}
