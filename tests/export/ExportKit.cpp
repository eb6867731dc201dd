#include "ExportKit.h"

#include <fstream>
#include <iterator>

#include "Forms.h"
#include "IconFile.h"

namespace ExportKit {

std::string OutPath(const std::string& Name) { return std::string(PELMORA_TEST_OUT) + "\\" + Name; }

namespace {
void RemoveTree(const std::string& Path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((Path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = Path + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(Path.c_str());
}
}  // namespace

std::string FreshFolder(const std::string& Name) {
  const std::string path = OutPath(Name);
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

std::string FreshTempFolder(const std::string& Name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string base = std::string(temp) + "pelmora-export";
  CreateDirectoryA(base.c_str(), nullptr);
  const std::string path = base + "\\" + Name;
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary);
  out << Bytes;
}

bool FileExists(const std::string& Path) { return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<COLORREF> Pixels(HBITMAP Bitmap, int& Width, int& Height) {
  BITMAP bm{};
  GetObjectW(Bitmap, sizeof bm, &bm);
  Width = bm.bmWidth, Height = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = Width;
  bi.bmiHeader.biHeight = -Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> raw(static_cast<std::size_t>(Width) * Height);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, Bitmap, 0, static_cast<UINT>(Height), raw.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  std::vector<COLORREF> out;
  for (DWORD v : raw) out.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  return out;
}

bool IsVgaColour(COLORREF Colour) {
  for (COLORREF c : Vcl::IconPalette)
    if (c == Colour) return true;
  return false;
}

TClipboardHolder::TClipboardHolder()
    : FReady(CreateEventW(nullptr, TRUE, FALSE, nullptr)), FDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  FThread = std::thread([this] {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    FOpened = OpenClipboard(wnd) != FALSE;
    SetEvent(FReady);
    WaitForSingleObject(FDone, INFINITE);
    if (FOpened) CloseClipboard();
    DestroyWindow(wnd);
  });
  WaitForSingleObject(FReady, INFINITE);
}

TClipboardHolder::~TClipboardHolder() {
  SetEvent(FDone);
  FThread.join();
  CloseHandle(FReady);
  CloseHandle(FDone);
}

void PutClipboardText(const char* Text) {
  // Data can only be placed by a window that owns the clipboard.
  static HWND other =
      CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!OpenClipboard(other)) return;
  EmptyClipboard();
  const std::size_t n = strlen(Text) + 1;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, n);
  memcpy(GlobalLock(mem), Text, n);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
}

std::vector<UINT> ClipboardFormats() {
  std::vector<UINT> formats;
  if (!OpenClipboard(nullptr)) return formats;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) formats.push_back(f);
  CloseClipboard();
  return formats;
}

namespace {
thread_local TMenuWatcher* Watcher = nullptr;

BOOL CALLBACK FindMenu(HWND Wnd, LPARAM Found) {
  wchar_t cls[16] = {};
  GetClassNameW(Wnd, cls, 16);
  if (wcscmp(cls, L"#32768") == 0 && IsWindowVisible(Wnd)) {
    *reinterpret_cast<HWND*>(Found) = Wnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

TMenuWatcher::TMenuWatcher(std::vector<WORD> Answer) : FAnswer(std::move(Answer)) {
  Watcher = this;
  FTimer = SetTimer(nullptr, 0, 40, &Tick);
}

TMenuWatcher::~TMenuWatcher() {
  KillTimer(nullptr, FTimer);
  Watcher = nullptr;
}

void CALLBACK TMenuWatcher::Tick(HWND, UINT, UINT_PTR, DWORD) {
  TMenuWatcher* w = Watcher;
  if (!w) return;
  HWND menu = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMenu, reinterpret_cast<LPARAM>(&menu));
  if (!menu) {
    w->FCurrent = nullptr;
    return;
  }
  if (menu == w->FCurrent) return;  // answered already, still closing
  w->FCurrent = menu;
  RECT r;
  GetWindowRect(menu, &r);
  w->FMenus.push_back(r);
  std::vector<INPUT> inputs;
  for (WORD k : w->FAnswer)
    for (DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = k;
      in.ki.dwFlags = flags;
      inputs.push_back(in);
    }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKeys(std::initializer_list<WORD> Keys) {
  std::vector<INPUT> inputs;
  for (WORD k : Keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = k;
    inputs.push_back(in);
  }
  for (auto it = std::rbegin(Keys); it != std::rend(Keys); ++it) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Click(HWND Wnd, POINT Client, bool Right) {
  POINT pt = Client;
  ClientToScreen(Wnd, &pt);
  SetCursorPos(pt.x, pt.y);
  RunFor(50);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

bool RunUntil(const std::function<bool()>& Done, int Ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    // As the application's loop: a failing command is reported and the
    // loop goes on with the next message.
    for (bool done = false; !done;) {
      try {
        Vcl::Application->ProcessMessages();
        done = true;
      } catch (...) {
        Vcl::Application->HandleException(nullptr);
      }
    }
    if (Done()) return true;
    if (static_cast<int>(GetTickCount() - start) > Ms) return Done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void RunFor(int Ms) {
  RunUntil([] { return false; }, Ms);
}

}  // namespace ExportKit
