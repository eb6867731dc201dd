// Shortcut resolution through the shell's link object, on real .lnk files.
#include <doctest.h>

#include <objbase.h>

#include <thread>

#include "DropKit.h"
#include "FileDrop.h"
#include "Fixtures.h"

using DropKit::TTempFolder;
using Orvik::ResolveShortcutFile;
using Vcl::AnsiString;

TEST_CASE("a shortcut resolves to its target; anything else comes back as it was") {
  TTempFolder dir;
  const AnsiString icon = Fixtures::Path(Fixtures::SingleIcon);
  const AnsiString text = Fixtures::Path(Fixtures::TextFile);

  DropKit::MakeShortcut(dir / "icon.lnk", icon);
  // 表 is 0x95 0x5C in code page 932: its trail byte is a backslash.
  DropKit::MakeShortcut(dir / "表.lnk", icon);
  REQUIRE(CreateDirectoryA((dir / "ソ表").c_str(), nullptr));
  DropKit::MakeShortcut(dir / "ソ表\\表示.lnk", text);

  const AnsiString gone = dir.WriteFile("gone.txt");
  DropKit::MakeShortcut(dir / "gone.lnk", gone);
  REQUIRE(DeleteFileA(gone.c_str()));

  DropKit::MakeShortcut(dir / "inner.lnk", text);
  DropKit::MakeShortcut(dir / "outer.lnk", dir / "inner.lnk");

  const AnsiString damaged = dir.WriteFile("damaged.lnk", "not a shell link at all");
  const AnsiString tooLong = dir.Path() + "\\" + AnsiString(300, 'a') + ".lnk";

  struct TCase {
    const char* What;
    AnsiString Name;
    AnsiString Expected;
  };
  const TCase cases[] = {
      {"a link to an icon file", dir / "icon.lnk", icon},
      {"a link whose name ends in a double-byte character with a '\\' trail byte", dir / "表.lnk", icon},
      {"a link in a folder named with such characters", dir / "ソ表\\表示.lnk", text},
      {"a plain file", text, text},
      {"a file that does not exist", dir / "missing.lnk", dir / "missing.lnk"},
      {"a damaged link", damaged, damaged},
      {"a link whose target is gone", dir / "gone.lnk", dir / "gone.lnk"},
      {"a link to a link: one level only", dir / "outer.lnk", dir / "inner.lnk"},
      {"a name too long for the shell's buffer", tooLong, tooLong},
      {"an empty name", "", ""},
  };
  for (const TCase& c : cases) {
    INFO(c.What);
    CHECK(ResolveShortcutFile(c.Name) == c.Expected);
  }
}

TEST_CASE("a link to something without a file-system path gives the empty string") {
  TTempFolder dir;
  DropKit::MakeShortcutToComputer(dir / "computer.lnk");
  CHECK(ResolveShortcutFile(dir / "computer.lnk") == "");
}

// Whether COM is initialised on the calling thread, asked without changing
// that: a second initialisation in the same model answers S_FALSE.
static bool ComInitialised(DWORD Model) {
  const HRESULT hr = CoInitializeEx(nullptr, Model);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE || hr == RPC_E_CHANGED_MODE;
}

TEST_CASE("COM on the calling thread is as it was before the call") {
  TTempFolder dir;
  const AnsiString icon = Fixtures::Path(Fixtures::SingleIcon);
  DropKit::MakeShortcut(dir / "icon.lnk", icon);

  struct TCase {
    const char* What;
    bool Init;
    DWORD Model;
  };
  const TCase cases[] = {
      {"a thread without COM", false, COINIT_APARTMENTTHREADED},
      {"a thread in a single-threaded apartment", true, COINIT_APARTMENTTHREADED},
      // CoInitialize fails there; COM must stay for the thread's own code.
      {"a thread in the multithreaded apartment", true, COINIT_MULTITHREADED},
  };
  for (const TCase& c : cases) {
    INFO(c.What);
    AnsiString resolved;
    bool before = false, after = false;
    std::thread worker([&] {
      if (c.Init) CoInitializeEx(nullptr, c.Model);
      before = ComInitialised(c.Model);
      resolved = ResolveShortcutFile(dir / "icon.lnk");
      after = ComInitialised(c.Model);
      if (c.Init) CoUninitialize();
    });
    worker.join();
    CHECK(resolved == icon);
    CHECK(before == c.Init);
    CHECK(after == c.Init);
  }
}
