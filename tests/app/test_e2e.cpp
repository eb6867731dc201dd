// pelmora.exe itself, started under Wine and watched from this process:
// found by its caption, its list read across the process boundary, then
// closed as a user would.
#include <doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Fixtures.h"
#include "WinText.h"

#ifndef PELMORA_EXE
#error "PELMORA_EXE names the program under test"
#endif

using namespace Vcl;

namespace {

const char* const OpenTitle = "アイコンが含まれているファイルを開く";

// Visible top-level windows of a process, with a class and caption filter.
struct TFind {
  DWORD Pid;
  std::wstring ClassName;
  std::wstring Caption;
  bool VisibleOnly;
  HWND Found = nullptr;
};

BOOL CALLBACK FindProc(HWND Wnd, LPARAM Param) {
  auto* f = reinterpret_cast<TFind*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid != f->Pid) return TRUE;
  if (f->VisibleOnly && !IsWindowVisible(Wnd)) return TRUE;
  wchar_t cls[64] = {}, text[512] = {};
  GetClassNameW(Wnd, cls, 64);
  GetWindowTextW(Wnd, text, 512);
  if (!f->ClassName.empty() && f->ClassName != cls) return TRUE;
  if (!f->Caption.empty() && f->Caption != text) return TRUE;
  f->Found = Wnd;
  return FALSE;
}

HWND FindOf(DWORD Pid, const std::wstring& ClassName, const std::wstring& Caption, bool VisibleOnly) {
  TFind f{Pid, ClassName, Caption, VisibleOnly};
  EnumWindows(&FindProc, reinterpret_cast<LPARAM>(&f));
  return f.Found;
}

template <class F>
bool WaitFor(F Done, int Ms = 30000) {
  const DWORD start = GetTickCount();
  while (!Done()) {
    if (static_cast<int>(GetTickCount() - start) > Ms) return false;
    Sleep(50);
  }
  return true;
}

class TPelmora {
 public:
  explicit TPelmora(const AnsiString& Arguments) {
    std::wstring cmd = L"\"" + ToWide(PELMORA_EXE) + L"\"";
    if (!Arguments.empty()) cmd += L" " + ToWide(Arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    REQUIRE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FInfo));
  }
  ~TPelmora() {
    if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(FInfo.hProcess, 99);
      WaitForSingleObject(FInfo.hProcess, 10000);
    }
    CloseHandle(FInfo.hThread);
    CloseHandle(FInfo.hProcess);
  }
  DWORD Pid() const { return FInfo.dwProcessId; }

  // The main window once it is on screen (its first load done).
  HWND MainWindow() {
    HWND wnd = nullptr;
    WaitFor([&] { return (wnd = FindOf(Pid(), L"TPelmoraFm", L"", true)) != nullptr; });
    return wnd;
  }
  HWND List(HWND Main) { return FindWindowExW(Main, nullptr, L"TListView", nullptr); }

  // The item texts of a list view of the other process: the text travels
  // through a buffer in that process.
  std::vector<AnsiString> Items(HWND List) {
    const int n = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0));
    std::vector<AnsiString> result;
    const std::size_t textBytes = 64 * sizeof(wchar_t);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(FInfo.hProcess, nullptr, sizeof(LVITEMW) + textBytes, MEM_COMMIT, PAGE_READWRITE));
    REQUIRE(remote != nullptr);
    for (int i = 0; i < n; ++i) {
      LVITEMW item{};
      item.iSubItem = 0;
      item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
      item.cchTextMax = 64;
      SIZE_T done = 0;
      WriteProcessMemory(FInfo.hProcess, remote, &item, sizeof item, &done);
      SendMessageW(List, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
      wchar_t text[64] = {};
      ReadProcessMemory(FInfo.hProcess, remote + sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t), &done);
      result.push_back(FromWide(text, wcslen(text)));
    }
    VirtualFreeEx(FInfo.hProcess, remote, 0, MEM_RELEASE);
    return result;
  }

  // The exit code, once the program has ended (STILL_ACTIVE if it does not).
  DWORD ExitCode(int Ms = 30000) {
    WaitForSingleObject(FInfo.hProcess, static_cast<DWORD>(Ms));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(FInfo.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION FInfo{};
};

std::vector<AnsiString> Numbered(int Count) {
  std::vector<AnsiString> v;
  for (int i = 0; i < Count; ++i) v.push_back(IntToStr(i));
  return v;
}

void ExitByMenu(HWND Main) { PostMessageW(Main, WM_SYSCOMMAND, SC_KEYMENU, 'q'); }
void ExitByClose(HWND Main) { PostMessageW(Main, WM_CLOSE, 0, 0); }

}  // namespace

TEST_CASE("pelmora.exe with the fixture library: found by its caption, three items, exit code 0") {
  const AnsiString lib = Fixtures::Path(Fixtures::IconLibrary);
  for (auto exit : {&ExitByMenu, &ExitByClose}) {
    TPelmora app(lib);
    const std::wstring caption = ToWide("Pelmora [" + lib + "]");
    HWND main = nullptr;
    REQUIRE(WaitFor([&] { return (main = FindWindowW(nullptr, caption.c_str())) != nullptr && IsWindowVisible(main); }));
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    CHECK(pid == app.Pid());
    CHECK(app.Items(app.List(main)) == Numbered(3));
    exit(main);
    CHECK(app.ExitCode() == 0);
  }
}

TEST_CASE("pelmora.exe with Wine's shell32.dll lists every icon group the shell counts") {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const AnsiString shell32 = AnsiString(system) + "\\shell32.dll";
  const int count = static_cast<int>(
      reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleW(nullptr), shell32.c_str(), static_cast<UINT>(-1))));
  REQUIRE(count > 10);
  TPelmora app(shell32);
  HWND main = app.MainWindow();
  REQUIRE(main != nullptr);
  CHECK(GetWindowTextAnsi(main) == "Pelmora [" + shell32 + "]");
  CHECK(app.Items(app.List(main)) == Numbered(count));
  ExitByClose(main);
  CHECK(app.ExitCode() == 0);
}

TEST_CASE("pelmora.exe without a file: the open dialog comes before the window; Cancel leaves it empty") {
  TPelmora app("");
  HWND dialog = nullptr;
  REQUIRE(WaitFor([&] { return (dialog = FindOf(app.Pid(), L"#32770", ToWide(OpenTitle), true)) != nullptr; }));
  CHECK(FindOf(app.Pid(), L"TPelmoraFm", L"", true) == nullptr);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  HWND main = app.MainWindow();
  REQUIRE(main != nullptr);
  CHECK(GetWindowTextAnsi(main) == "Pelmora");
  CHECK(app.Items(app.List(main)).empty());
  ExitByMenu(main);
  CHECK(app.ExitCode() == 0);
}

TEST_CASE("pelmora.exe command lines: quoted blanks, two arguments, a missing file") {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const AnsiString folder = AnsiString(temp) + "pelmora e2e 表";
  CreateDirectoryA(folder.c_str(), nullptr);
  const AnsiString spaced = folder + "\\icon lib.dll";
  const AnsiString lib = Fixtures::Path(Fixtures::IconLibrary);
  REQUIRE(CopyFileA(lib.c_str(), spaced.c_str(), FALSE));
  const AnsiString missing = folder + "\\nothere.dll";
  struct Case {
    const char* name;
    AnsiString arguments;
    AnsiString file;
    int count;
  };
  const Case cases[] = {
      {"quoted with blanks", "\"" + spaced + "\"", spaced, 3},
      {"two arguments", lib + " " + Fixtures::Path(Fixtures::SingleIcon), lib, 3},
      {"a missing file", "\"" + missing + "\"", missing, 0},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    TPelmora app(c.arguments);
    HWND main = app.MainWindow();
    REQUIRE(main != nullptr);
    CHECK(GetWindowTextAnsi(main) == "Pelmora [" + c.file + "]");
    CHECK(app.Items(app.List(main)) == Numbered(c.count));
    // No message came up.
    CHECK(FindOf(app.Pid(), L"#32770", L"", true) == nullptr);
    ExitByClose(main);
    CHECK(app.ExitCode() == 0);
  }
  DeleteFileA(spaced.c_str());
  RemoveDirectoryA(folder.c_str());
}
