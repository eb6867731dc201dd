// The file drop component on real windows: WM_DROPFILES messages carrying
// drop handles laid out as the shell lays them out, real shortcuts.
#include <doctest.h>

// The platform's class registry first: <windows.h> makes RegisterClass a macro.
#include "Classes.h"

#include <cstring>
#include <functional>
#include <vector>

#include <shlobj.h>

#include "Boundary.h"
#include "ComCtrls.h"
#include "DropKit.h"
#include "FileDrop.h"
#include "Filer.h"
#include "Fixtures.h"
#include "Forms.h"

#undef RegisterClass

using DropKit::TTempFolder;
using Orvik::TFileDrop;
using Vcl::AnsiString;

namespace {

using TNames = std::vector<AnsiString>;

const char* const ControlFormText =
    "object DropForm: TDropForm\n"
    "  Left = 40\n"
    "  Top = 40\n"
    "  Width = 300\n"
    "  Height = 200\n"
    "  Caption = 'drop'\n"
    "  object List1: TListView\n"
    "    Align = alClient\n"
    "  end\n"
    "  object FileDrop1: TFileDrop\n"
    "    Active = True\n"
    "    Control = List1\n"
    "    OnDropFiles = FileDrop1DropFiles\n"
    "  end\n"
    "end\n";

// Two file drops sharing one snatcher on the list.
const char* const SnatcherFormText =
    "object DropForm: TDropForm\n"
    "  Left = 40\n"
    "  Top = 40\n"
    "  Width = 300\n"
    "  Height = 200\n"
    "  object List1: TListView\n"
    "    Align = alClient\n"
    "  end\n"
    "  object Snatcher1: TControlMessageSnatcher\n"
    "    Control = List1\n"
    "    OnMessage = Snatcher1Message\n"
    "  end\n"
    "  object FileDrop1: TFileDrop\n"
    "    Active = True\n"
    "    MessageSnatcher = Snatcher1\n"
    "    OnDropFiles = FileDrop1DropFiles\n"
    "  end\n"
    "  object FileDrop2: TFileDrop\n"
    "    Active = True\n"
    "    MessageSnatcher = Snatcher1\n"
    "    OnDropFiles = FileDrop2DropFiles\n"
    "  end\n"
    "end\n";

// What one OnDropFiles call saw.
struct TSeen {
  int Who;  // 1 or 2: which file drop
  AnsiString Files;  // joined
  Vcl::TPoint Point;
  bool DropAllocated;  // the drop handle, at that moment
};

// The names as one text, each in brackets, for readable failures.
AnsiString Joined(const TNames& Names) {
  AnsiString text;
  for (const AnsiString& n : Names) text += "[" + n + "]";
  return text;
}

AnsiString Names(Vcl::TStrings* S) {
  TNames n;
  for (int i = 0; i < S->Count(); ++i) n.push_back(S->Strings(i));
  return Joined(n);
}

}  // namespace

class TDropForm : public Vcl::TForm {
  VCL_CLASS(TDropForm)
 public:
  TDropForm(const char* Text) : Vcl::TForm(nullptr) { Vcl::ReadComponentText(Text, this); }

  Vcl::TListView* List1 = nullptr;
  Orvik::TControlMessageSnatcher* Snatcher1 = nullptr;
  TFileDrop* FileDrop1 = nullptr;
  TFileDrop* FileDrop2 = nullptr;

  HDROP Drop = nullptr;  // the drop being sent, to watch its handle
  std::vector<TSeen> Seen;
  int SnatcherDrops = 0;  // WM_DROPFILES that reached the snatcher's OnMessage
  // Run at the end of each OnDropFiles, with the file drop's number.
  std::function<void(int)> After;

  HWND ListWnd() { return List1->Handle(); }
  LRESULT SendDrop(const TNames& Files, POINT Pt = {0, 0}) {
    Drop = DropKit::MakeDrop(Files, Pt);
    return DropKit::SendDrop(ListWnd(), Drop);
  }

  void FileDrop1DropFiles(Vcl::TObject* Sender) { Record(1, Sender); }
  void FileDrop2DropFiles(Vcl::TObject* Sender) { Record(2, Sender); }
  void Snatcher1Message(Vcl::TObject*, Vcl::TMessage& M, bool&) {
    if (M.Msg == WM_DROPFILES) ++SnatcherDrops;
  }

 private:
  void Record(int Who, Vcl::TObject* Sender) {
    auto* fd = static_cast<TFileDrop*>(Sender);
    CHECK(fd == (Who == 1 ? FileDrop1 : FileDrop2));
    Seen.push_back({Who, Names(fd->Files()), fd->DropPoint(), DropKit::Allocated(Drop)});
    if (After) After(Who);
  }
};

VCL_PUBLISH(TDropForm, Vcl::TForm, Object) {
  P.Field("List1", &TDropForm::List1);
  P.Field("Snatcher1", &TDropForm::Snatcher1);
  P.Field("FileDrop1", &TDropForm::FileDrop1);
  P.Field("FileDrop2", &TDropForm::FileDrop2);
  P.Method<&TDropForm::FileDrop1DropFiles>("FileDrop1DropFiles");
  P.Method<&TDropForm::FileDrop2DropFiles>("FileDrop2DropFiles");
  P.Method<&TDropForm::Snatcher1Message>("Snatcher1Message");
}

namespace {

// Owns a form read from text.
struct TFormHolder {
  TDropForm* Form;
  explicit TFormHolder(const char* Text) : Form(new TDropForm(Text)) {}
  ~TFormHolder() { Form->Free(); }
  TDropForm* operator->() const { return Form; }
};

bool AcceptsFiles(HWND Wnd) { return (GetWindowLongA(Wnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

void Pump(int Ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (static_cast<int>(GetTickCount() - start) < Ms) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

// Shows a form and makes it the active, foreground window.
void ShowActive(Vcl::TCustomForm* Form) {
  Form->Show();
  SetForegroundWindow(Form->Handle());
  for (int i = 0; i < 100 && GetForegroundWindow() != Form->Handle(); ++i) Pump(20);
  Pump(50);
}

// The shortcuts the drops use.
struct TShortcuts {
  TTempFolder Dir;
  AnsiString Text = Fixtures::Path(Fixtures::TextFile);
  AnsiString Icon = Fixtures::Path(Fixtures::SingleIcon);
  AnsiString Program = DropKit::ProgramPath();
  AnsiString IconLink = Dir / "アイコン.lnk";
  AnsiString UpperLink = Dir / "UPPER.LNK";
  AnsiString GoneLink = Dir / "gone.lnk";
  AnsiString WideLink = Dir / "表.lnk";  // trail byte 0x5C
  AnsiString ComputerLink = Dir / "computer.lnk";
  TShortcuts() {
    DropKit::MakeShortcut(IconLink, Icon);
    DropKit::MakeShortcut(UpperLink, Icon);
    DropKit::MakeShortcut(WideLink, Icon);
    DropKit::MakeShortcutToComputer(ComputerLink);
    const AnsiString gone = Dir.WriteFile("gone.txt");
    DropKit::MakeShortcut(GoneLink, gone);
    DeleteFileA(gone.c_str());
  }
};

}  // namespace

TEST_CASE("a drop fills Files in the shell's order, following links, then raises OnDropFiles once") {
  TShortcuts s;
  TFormHolder f(ControlFormText);
  REQUIRE(f->FileDrop1->Active());
  CHECK(f->FileDrop1->Files()->Count() == 0);  // before the first drop

  const AnsiString longName = s.Dir.Path() + "\\" + AnsiString(300, 'n') + ".txt";
  struct TCase {
    const char* What;
    bool FollowLink;
    TNames Dropped;
    TNames Expected;
  };
  const TCase cases[] = {
      {"a text file, a link to an icon file, a program", true, {s.Text, s.IconLink, s.Program},
       {s.Text, s.Icon, s.Program}},
      {"the same without following links", false, {s.Text, s.IconLink, s.Program},
       {s.Text, s.IconLink, s.Program}},
      {"a link named in capitals is not followed", true, {s.UpperLink}, {s.UpperLink}},
      {"a link whose target is gone", true, {s.GoneLink}, {s.GoneLink}},
      {"a link named with a '\\' trail byte", true, {s.WideLink}, {s.Icon}},
      {"a link to something without a file-system path", true, {s.ComputerLink}, {""}},
      {"duplicates are kept", true, {s.Text, s.Text}, {s.Text, s.Text}},
      {"a name longer than 254 bytes is cut", true, {longName}, {longName.substr(0, 254)}},
      {"no file at all", true, {}, {}},
  };
  int x = 10;
  for (const TCase& c : cases) {
    INFO(AnsiString(c.What));
    f->Seen.clear();
    f->FileDrop1->SetFollowLink(c.FollowLink);
    const POINT pt{++x, 34};
    CHECK(f->SendDrop(c.Dropped, pt) == 0);
    REQUIRE(f->Seen.size() == 1);
    CHECK(f->Seen[0].Files == Joined(c.Expected));
    CHECK(f->Seen[0].Point == Vcl::TPoint{pt.x, pt.y});
    CHECK_FALSE(f->Seen[0].DropAllocated);  // released before the event
    CHECK(Names(f->FileDrop1->Files()) == Joined(c.Expected));
    CHECK(f->FileDrop1->DropPoint() == Vcl::TPoint{pt.x, pt.y});
  }
}

// A block of global memory holding Bytes.
static HDROP Block(const std::vector<unsigned char>& Bytes) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
  std::memcpy(GlobalLock(mem), Bytes.data(), Bytes.size());
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

// A DROPFILES header with pFiles at Offset, then Tail.
static std::vector<unsigned char> Header(DWORD Offset, const char* Tail, std::size_t TailSize) {
  DROPFILES h{};
  h.pFiles = Offset;
  h.pt = {3, 4};
  std::vector<unsigned char> bytes(sizeof h);
  std::memcpy(bytes.data(), &h, sizeof h);
  bytes.insert(bytes.end(), Tail, Tail + TailSize);
  return bytes;
}

TEST_CASE("a WM_DROPFILES without a proper drop is a drop of no file, and nothing crashes") {
  TFormHolder f(ControlFormText);
  struct TCase {
    const char* What;
    HDROP Drop;
    Vcl::TPoint Point;
  };
  const TCase cases[] = {
      {"no handle", nullptr, {0, 0}},
      {"a block too short for the header", Block({1, 2, 3}), {0, 0}},
      {"names that run past the block's end", Block(Header(sizeof(DROPFILES), "abc", 3)), {3, 4}},
      {"names placed past the block's end", Block(Header(4096, "a\0\0", 3)), {3, 4}},
  };
  for (const TCase& c : cases) {
    INFO(AnsiString(c.What));
    f->Seen.clear();
    f->Drop = c.Drop;
    CHECK(DropKit::SendDrop(f->ListWnd(), c.Drop) == 0);
    REQUIRE(f->Seen.size() == 1);
    CHECK(f->Seen[0].Files == "");
    CHECK(f->Seen[0].Point == c.Point);
    if (c.Drop) CHECK_FALSE(DropKit::Allocated(c.Drop));  // handed over: released
  }
  // Still working.
  f->SendDrop({Fixtures::Path(Fixtures::TextFile)});
  CHECK(Names(f->FileDrop1->Files()) == Joined({Fixtures::Path(Fixtures::TextFile)}));
}

TEST_CASE("a second drop replaces Files; switching off and on leaves it alone") {
  TShortcuts s;
  TFormHolder f(ControlFormText);
  f->SendDrop({s.Text, s.IconLink, s.Program});
  f->SendDrop({s.Program}, {5, 6});
  REQUIRE(f->Seen.size() == 2);
  CHECK(Names(f->FileDrop1->Files()) == Joined(TNames{s.Program}));
  f->FileDrop1->SetActive(false);
  f->FileDrop1->SetActive(true);
  CHECK(Names(f->FileDrop1->Files()) == Joined(TNames{s.Program}));
  CHECK(f->FileDrop1->DropPoint() == Vcl::TPoint{5, 6});
  // And it works again after switching on.
  f->SendDrop({s.Text});
  CHECK(Names(f->FileDrop1->Files()) == Joined(TNames{s.Text}));
  CHECK(f->Seen.size() == 3);
}

TEST_CASE("the window is a drop target exactly while the file drop is active, and never in design mode") {
  TFormHolder f(ControlFormText);
  HWND list = f->ListWnd();
  CHECK(AcceptsFiles(list));
  f->FileDrop1->SetActive(false);
  CHECK_FALSE(AcceptsFiles(list));
  f->FileDrop1->SetActive(true);
  CHECK(AcceptsFiles(list));

  SUBCASE("freed") {
    f->FileDrop1->Free();
    f->FileDrop1 = nullptr;
    CHECK_FALSE(AcceptsFiles(list));
  }
  SUBCASE("deleted") {
    delete f->FileDrop1;
    f->FileDrop1 = nullptr;
    CHECK_FALSE(AcceptsFiles(list));
  }
  SUBCASE("loaded in design mode and at run time") {
    f->FileDrop1->SetActive(false);
    for (bool designing : {true, false}) {
      INFO("designing: " << designing);
      auto* fd = new TFileDrop(f.Form);
      if (designing) fd->SetDesigning(true);
      fd->SetComponentState(Vcl::csLoading, true);
      fd->SetActive(true);
      fd->SetControl(f->List1);
      fd->Loaded();
      CHECK(fd->Active());
      CHECK(AcceptsFiles(list) == !designing);
      fd->Free();
      CHECK_FALSE(AcceptsFiles(list));
    }
  }
}

TEST_CASE("after the drop the target window comes to the front, unless ActivateWindow is false") {
  TShortcuts s;
  TFormHolder f(ControlFormText);
  auto* other = new Vcl::TForm(nullptr);
  other->SetBounds(400, 300, 200, 150);
  f->Show();
  ShowActive(other);
  REQUIRE(GetForegroundWindow() == other->Handle());

  SUBCASE("ActivateWindow false: nothing is activated") {
    f->FileDrop1->SetActivateWindow(false);
    f->SendDrop({s.Text});
    Pump(100);
    CHECK(f->Seen.size() == 1);
    CHECK(GetForegroundWindow() == other->Handle());
    CHECK(GetActiveWindow() == other->Handle());
  }
  SUBCASE("OnDropFiles raises: Files is filled, the window is not activated, the error reaches the sender") {
    f->After = [](int) { throw Vcl::Exception("drop failed"); };
    CHECK_THROWS_WITH_AS(f->SendDrop({s.Text, s.Program}), "drop failed", Vcl::Exception);
    Pump(100);
    CHECK(Names(f->FileDrop1->Files()) == Joined(TNames{s.Text, s.Program}));
    CHECK_FALSE(DropKit::Allocated(f->Drop));
    CHECK(GetForegroundWindow() == other->Handle());
  }
  SUBCASE("ActivateWindow true, without OnDropFiles: the list's form is brought forward") {
    f->FileDrop1->SetOnDropFiles(nullptr);
    f->SendDrop({s.Text}, {7, 8});
    Pump(100);
    CHECK(Names(f->FileDrop1->Files()) == Joined(TNames{s.Text}));
    CHECK(f->FileDrop1->DropPoint() == Vcl::TPoint{7, 8});
    CHECK(GetForegroundWindow() == f->Handle());
    CHECK(GetActiveWindow() == f->Handle());
  }
  other->Free();
}

TEST_CASE("file drops sharing a snatcher all read one drop; the handle is released once, after the last") {
  TShortcuts s;
  TFormHolder f(SnatcherFormText);
  const TNames dropped{s.Text, s.IconLink};
  const TNames expected{s.Text, s.Icon};

  SUBCASE("both read it, the second releases it") {
    HGLOBAL reused = nullptr;
    f->After = [&](int Who) {
      // A block allocated once the handle is gone; it takes the handle's
      // place if the allocator reuses it, and must then survive the drop.
      if (Who == 2) reused = GlobalAlloc(GMEM_MOVEABLE, 64);
    };
    CHECK(f->SendDrop(dropped) == 0);
    REQUIRE(f->Seen.size() == 2);
    CHECK(f->Seen[0].Who == 1);
    CHECK(f->Seen[0].Files == Joined(expected));
    CHECK(f->Seen[0].DropAllocated);  // the second has not read it yet
    CHECK(f->Seen[1].Who == 2);
    CHECK(f->Seen[1].Files == Joined(expected));
    CHECK_FALSE(f->Seen[1].DropAllocated);
    // The allocator hands the released block out again: a second release
    // would take it.
    REQUIRE(reused);
    CHECK(GlobalSize(reused) == 64);
    GlobalFree(reused);
    CHECK(f->SnatcherDrops == 0);  // handled
  }
  SUBCASE("the first raises: the handle is released, the second is not called") {
    f->After = [](int Who) {
      if (Who == 1) throw Vcl::Exception("first failed");
    };
    CHECK_THROWS_WITH_AS(f->SendDrop(dropped), "first failed", Vcl::Exception);
    CHECK(f->Seen.size() == 1);
    CHECK_FALSE(DropKit::Allocated(f->Drop));
  }
  SUBCASE("the first switches the second off: the handle goes at once") {
    bool allocatedAfterOff = true;
    f->After = [&](int Who) {
      f->FileDrop2->SetActive(false);
      allocatedAfterOff = DropKit::Allocated(f->Drop);
    };
    f->SendDrop(dropped);
    CHECK(f->Seen.size() == 1);
    CHECK_FALSE(allocatedAfterOff);
  }
  SUBCASE("the first destroys the second") {
    f->After = [&](int Who) {
      f->FileDrop2->Free();
      f->FileDrop2 = nullptr;
    };
    f->SendDrop(dropped);
    CHECK(f->Seen.size() == 1);
    CHECK_FALSE(DropKit::Allocated(f->Drop));
  }
  SUBCASE("one of them switched off: the other reads and releases alone") {
    f->FileDrop1->SetActive(false);
    f->SendDrop(dropped);
    REQUIRE(f->Seen.size() == 1);
    CHECK(f->Seen[0].Who == 2);
    CHECK_FALSE(f->Seen[0].DropAllocated);
    // A later drop is read by both again.
    f->FileDrop1->SetActive(true);
    f->Seen.clear();
    f->SendDrop({s.Program});
    REQUIRE(f->Seen.size() == 2);
    CHECK(f->Seen[0].Who == 2);  // switched on last, registered last
    CHECK(f->Seen[0].DropAllocated);
    CHECK(f->Seen[1].Files == Joined(TNames{s.Program}));
    CHECK_FALSE(DropKit::Allocated(f->Drop));
  }
}

TEST_CASE("a file drop destroyed by its own OnDropFiles") {
  TShortcuts s;
  TFormHolder f(ControlFormText);
  HWND list = f->ListWnd();
  f->After = [&](int) {
    f->FileDrop1->Free();
    f->FileDrop1 = nullptr;
  };
  CHECK(f->SendDrop({s.Text}) == 0);
  CHECK(f->Seen.size() == 1);
  CHECK_FALSE(DropKit::Allocated(f->Drop));
  CHECK_FALSE(AcceptsFiles(list));
  // The list still works as a window.
  CHECK(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0);
}

static const bool Registered = [] {
  Vcl::RegisterClass(TDropForm::StaticClass());
  return true;
}();
