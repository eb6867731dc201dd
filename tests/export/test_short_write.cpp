// Run with a limit on file sizes (run_limited.sh): a save that the file
// system cuts short is an error, and leaves no file behind.
#include <doctest.h>

#include <windows.h>

#include "ExportKit.h"
#include "Graphics.h"
#include "TestIcons.h"

using namespace Vcl;
using namespace ExportKit;

TEST_CASE("A save cut short fails and leaves no file; one that fits is written whole") {
  const auto blue = [](int, int) { return 0xFF0000FFu; };
  // 256 by 256: 41086 bytes, more than the run allows.
  TIcon big;
  big.SetHandle(MakeMaskIcon(256, blue));
  const std::string path = OutPath("cut_short.ico");
  WriteFile(path, "an older file");
  CHECK_THROWS_WITH_AS(big.SaveToFile(path), ("ファイル " + path + " に書き込めません.").c_str(), EWriteError);
  CHECK_FALSE(FileExists(path));

  TIcon small;
  small.SetHandle(MakeMaskIcon(32, blue));
  const std::string fits = OutPath("fits.ico");
  small.SaveToFile(fits);
  CHECK(ReadFile(fits).size() == 766);
}
