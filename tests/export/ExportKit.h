// Helpers of the export tests: files in the output folder, and pixels of
// bitmaps.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ExportKit {

// A path in this test's output folder (the build tree), where the native
// checks with icotool look afterwards.
std::string OutPath(const std::string& Name);
// A fresh, empty folder in the output folder; its path.
std::string FreshFolder(const std::string& Name);
// A fresh, empty folder in the system's temporary folder; its path. The
// shell's folder dialog can be pointed at these (it cannot find folders of
// the drive that maps the build tree under Wine).
std::string FreshTempFolder(const std::string& Name);

std::string ReadFile(const std::string& Path);
void WriteFile(const std::string& Path, const std::string& Bytes);
bool FileExists(const std::string& Path);

// The pixels of a bitmap, row by row from the top, as COLORREF.
std::vector<COLORREF> Pixels(HBITMAP Bitmap, int& Width, int& Height);

// The 16 colours of the standard VGA palette.
bool IsVgaColour(COLORREF Colour);

// Another program's window holding the clipboard open while this lives.
class TClipboardHolder {
 public:
  TClipboardHolder();
  ~TClipboardHolder();
  TClipboardHolder(const TClipboardHolder&) = delete;
  TClipboardHolder& operator=(const TClipboardHolder&) = delete;
  bool Opened() const { return FOpened; }

 private:
  HANDLE FReady, FDone;
  bool FOpened = false;
  std::thread FThread;
};

// Text on the clipboard, put there as another program would.
void PutClipboardText(const char* Text);
// The formats on the clipboard now.
std::vector<UINT> ClipboardFormats();

// Watches this thread for popup menus while it lives: each one that opens
// is recorded (its screen rectangle) and then answered with the keys of
// Answer (VK_ESCAPE: closed; VK_DOWN, VK_RETURN: the first item chosen).
class TMenuWatcher {
 public:
  explicit TMenuWatcher(std::vector<WORD> Answer);
  ~TMenuWatcher();
  TMenuWatcher(const TMenuWatcher&) = delete;
  TMenuWatcher& operator=(const TMenuWatcher&) = delete;
  const std::vector<RECT>& Menus() const { return FMenus; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  std::vector<WORD> FAnswer;
  std::vector<RECT> FMenus;
  HWND FCurrent = nullptr;
  UINT_PTR FTimer = 0;
};

// Presses the keys in order and releases them in reverse, through the
// system's input queue: {VK_CONTROL, 'S'} is Ctrl+S.
void PressKeys(std::initializer_list<WORD> Keys);
// Moves the pointer to a client point of Wnd and clicks there.
void Click(HWND Wnd, POINT Client, bool Right);

// Runs the application's message loop as Run does (an exception of a
// command goes to the error box) until Done() holds or Ms milliseconds
// have passed; returns Done().
bool RunUntil(const std::function<bool()>& Done, int Ms = 5000);
void RunFor(int Ms);

}  // namespace ExportKit
