// Save all on a large library: the icons of a file listed at 32 by 32 are
// each taken from the image list and saved as an icon file, as the save-all
// command does, and the time per icon is printed. scripts/bench times
// icoutils extracting the same icon groups beside it.
//
// Usage: bench_saveall [FILE [ROUNDS]] (default: the system's shell32.dll)
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Graphics.h"
#include "ImgList.h"

using namespace Vcl;

namespace {

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  const std::size_t n = V.size();
  return n % 2 ? V[n / 2] : (V[n / 2 - 1] + V[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string file = argc > 1 ? argv[1] : std::string(system) + "\\shell32.dll";
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "pelmora-bench-saveall";
  CreateDirectoryA(folder.c_str(), nullptr);

  try {
    // The icons as the program lists them: every icon group, at 32 by 32.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const UINT groups = static_cast<UINT>(
        reinterpret_cast<UINT_PTR>(ExtractIconA(instance, file.c_str(), static_cast<UINT>(-1))));
    TImageList list(nullptr);
    list.SetWidth(32);
    list.SetHeight(32);
    for (UINT i = 0; i < groups; ++i) {
      HICON h = ExtractIconA(instance, file.c_str(), i);
      if (!h || h == reinterpret_cast<HICON>(1)) continue;
      TIcon icon;
      icon.SetHandle(h);
      list.AddIcon(&icon);
    }
    const int count = list.Count();
    if (count == 0) {
      std::fprintf(stderr, "bench: no icons in %s\n", file.c_str());
      return 1;
    }

    // Save all, as the command does it, several rounds (files replaced);
    // beside each round, the same icons only taken and encoded, to tell the
    // picture's share from the file system's.
    std::vector<double> perIcon, encodeOnly;
    std::size_t bytes = 0;
    for (int r = 0; r < rounds; ++r) {
      double start = Now();
      for (int i = 0; i < count; ++i) {
        TIcon icon;
        list.GetIcon(i, &icon);
        icon.SaveToFile(folder + "\\" + std::to_string(i) + ".ico");
      }
      perIcon.push_back((Now() - start) * 1e6 / count);
      start = Now();
      for (int i = 0; i < count; ++i) {
        TIcon icon;
        list.GetIcon(i, &icon);
        TMemoryStream stream;
        icon.SaveToStream(&stream);
        bytes += static_cast<std::size_t>(stream.DataSize());
      }
      encodeOnly.push_back((Now() - start) * 1e6 / count);
    }
    WIN32_FILE_ATTRIBUTE_DATA last{};
    GetFileAttributesExA((folder + "\\" + std::to_string(count - 1) + ".ico").c_str(), GetFileExInfoStandard, &last);
    std::printf("save all, %s: %u icon groups, %d icons at 32 by 32, %d rounds\n", file.c_str(), groups, count,
                rounds);
    std::printf("  per icon (median):             %8.1f us  (min %.1f, max %.1f; %lu bytes each)\n",
                Median(perIcon), *std::min_element(perIcon.begin(), perIcon.end()),
                *std::max_element(perIcon.begin(), perIcon.end()), last.nFileSizeLow);
    std::printf("  of which taking and encoding:  %8.1f us  (%zu bytes made)\n", Median(encodeOnly), bytes);
    std::printf("PELMORA_SAVEALL_US_PER_ICON=%.1f\n", Median(perIcon));
    std::printf("PELMORA_SAVEALL_GROUPS=%u\n", groups);
    return last.nFileSizeLow == 766 ? 0 : 2;
  } catch (Exception& e) {
    std::fprintf(stderr, "bench: %s\n", e.Message().c_str());
    return 1;
  }
}
