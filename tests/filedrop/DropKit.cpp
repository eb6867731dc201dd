#include "DropKit.h"

#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "Boundary.h"

namespace DropKit {

namespace {

std::wstring Wide(const AnsiString& S) {
  const int n = MultiByteToWideChar(CP_ACP, 0, S.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, S.c_str(), -1, w.data(), n);
  w.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return w;
}

void Check(HRESULT Hr, const char* What) {
  if (FAILED(Hr)) throw std::runtime_error(std::string(What) + " failed: " + std::to_string(static_cast<long>(Hr)));
}

// COM for the length of one shortcut's making.
struct TCom {
  HRESULT Init = CoInitialize(nullptr);
  ~TCom() {
    if (SUCCEEDED(Init)) CoUninitialize();
  }
};

template <class F>
void WithLink(const AnsiString& LinkPath, F&& Fill) {
  TCom com;
  IShellLinkA* link = nullptr;
  Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void**>(&link)),
        "CoCreateInstance(CLSID_ShellLink)");
  IPersistFile* file = nullptr;
  HRESULT hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(hr)) hr = Fill(link);
  if (SUCCEEDED(hr)) hr = file->Save(Wide(LinkPath).c_str(), TRUE);
  if (file) file->Release();
  link->Release();
  Check(hr, "saving the shortcut");
}

}  // namespace

HDROP MakeDrop(const std::vector<AnsiString>& Names, POINT Pt) {
  std::size_t size = sizeof(DROPFILES);
  for (const AnsiString& n : Names) size += n.size() + 1;
  size += Names.empty() ? 2 : 1;  // the list ends with an empty name
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!mem) throw std::runtime_error("GlobalAlloc failed");
  auto* header = static_cast<DROPFILES*>(GlobalLock(mem));
  header->pFiles = sizeof(DROPFILES);
  header->pt = Pt;
  header->fNC = FALSE;
  header->fWide = FALSE;
  char* p = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
  for (const AnsiString& n : Names) {
    std::memcpy(p, n.c_str(), n.size() + 1);
    p += n.size() + 1;
  }
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

bool Allocated(HDROP Drop) { return GlobalSize(static_cast<HGLOBAL>(Drop)) != 0; }

LRESULT SendDrop(HWND Wnd, HDROP Drop) {
  return Vcl::CallCapturing(
      [&] { return SendMessageA(Wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(Drop), 0); });
}

void MakeShortcut(const AnsiString& LinkPath, const AnsiString& Target) {
  WithLink(LinkPath, [&](IShellLinkA* link) { return link->SetPath(Target.c_str()); });
}

void MakeShortcutToComputer(const AnsiString& LinkPath) {
  WithLink(LinkPath, [&](IShellLinkA* link) {
    LPITEMIDLIST pidl = nullptr;
    HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl);
    if (SUCCEEDED(hr)) hr = link->SetIDList(pidl);
    CoTaskMemFree(pidl);
    return hr;
  });
}

TTempFolder::TTempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  static int serial = 0;
  FPath = AnsiString(temp) + "pelmora-filedrop-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++serial);
  if (!CreateDirectoryA(FPath.c_str(), nullptr)) throw std::runtime_error("cannot make " + FPath);
}

namespace {
void RemoveTree(const AnsiString& Path) {
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA((Path + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const AnsiString name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(Path + "\\" + name);
      else
        DeleteFileA((Path + "\\" + name).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(Path.c_str());
}
}  // namespace

TTempFolder::~TTempFolder() { RemoveTree(FPath); }

AnsiString TTempFolder::WriteFile(const AnsiString& Name, const AnsiString& Text) {
  const AnsiString path = *this / Name;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
  DWORD written = 0;
  ::WriteFile(h, Text.data(), static_cast<DWORD>(Text.size()), &written, nullptr);
  CloseHandle(h);
  return path;
}

AnsiString ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace DropKit
