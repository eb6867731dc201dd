#include "ExportKit.h"

#include <fstream>
#include <iterator>

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

}  // namespace ExportKit
