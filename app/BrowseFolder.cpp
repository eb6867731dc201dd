#include "BrowseFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "Boundary.h"
#include "Forms.h"
#include "WinText.h"

#undef RegisterClass

using namespace Vcl;

namespace {

// Releases a COM object at the end of a scope.
template <class T>
struct TReleased {
  T* Object = nullptr;
  ~TReleased() {
    if (Object) Object->Release();
  }
};

// Memory of the shell's allocator, given back at the end of a scope.
struct TShellMemory {
  IMalloc* Allocator;
  void* Block;
  ~TShellMemory() {
    if (Block) Allocator->Free(Block);
  }
};

}  // namespace

bool BrowseFolder(AnsiString Title, WideString Root, AnsiString& Folder) {
  Folder.clear();
  TReleased<IMalloc> allocator;
  if (FAILED(SHGetMalloc(&allocator.Object)) || !allocator.Object) return false;
  // The display name the dialog writes: a path's length in characters.
  TShellMemory buffer{allocator.Object, allocator.Object->Alloc(MAX_PATH * sizeof(wchar_t))};
  if (!buffer.Block) throw EOutOfMemory("フォルダ名の領域を確保できません.");
  HWND owner = Application->Handle();

  TReleased<IShellFolder> desktop;
  TShellMemory root{allocator.Object, nullptr};
  if (!Root.empty() && SUCCEEDED(SHGetDesktopFolder(&desktop.Object)) && desktop.Object) {
    ULONG eaten = 0, attributes = 0;
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(CallCapturing([&] {
          return desktop.Object->ParseDisplayName(owner, nullptr, Root.data(), &eaten, &list, &attributes);
        })))
      root.Block = list;
  }

  // The title is text for the user: it goes to the system in UTF-16, so it
  // reads right whatever the system's code page.
  const std::wstring title = ToWide(Title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = static_cast<LPCITEMIDLIST>(root.Block);
  info.pszDisplayName = static_cast<wchar_t*>(buffer.Block);
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  TShellMemory chosen{allocator.Object, CallCapturing([&] { return SHBrowseForFolderW(&info); })};
  if (!chosen.Block) return false;
  // File names travel in the system's code page, as the A calls give them.
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(static_cast<LPCITEMIDLIST>(chosen.Block), path) || !path[0]) return false;
  Folder = path;
  return true;
}
