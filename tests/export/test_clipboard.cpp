// The clipboard object: counted opening, emptying on the first write, and
// a clipboard that another program holds open.
#include <doctest.h>

#include <windows.h>

#include <thread>

#include "Clipbrd.h"
#include "ExportKit.h"
#include "Forms.h"

using namespace Vcl;
using ExportKit::PutClipboardText;
using ExportKit::TClipboardHolder;

namespace {

// True when some other thread can open the clipboard now.
bool OthersCanOpen() {
  bool opened = false;
  std::thread t([&] {
    opened = OpenClipboard(nullptr) != FALSE;
    if (opened) CloseClipboard();
  });
  t.join();
  return opened;
}

HBITMAP SmallBitmap() {
  HDC screen = GetDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(screen, 3, 2);
  ReleaseDC(nullptr, screen);
  return b;
}

}  // namespace

TEST_CASE("Clipboard: nested opens reach the system once; the first write empties it; the data is the system's") {
  Application->Handle();
  TClipboard* clip = Clipboard();
  REQUIRE(clip == Clipboard());
  PutClipboardText("before");
  REQUIRE(IsClipboardFormatAvailable(CF_TEXT));

  clip->Open();
  clip->Open();
  CHECK(clip->OpenCount() == 2);
  CHECK(GetOpenClipboardWindow() == Application->Handle());
  // Opening alone changes nothing.
  CHECK(IsClipboardFormatAvailable(CF_TEXT));
  clip->SetAsHandle(CF_BITMAP, SmallBitmap());
  CHECK_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  // A second write in the same opening adds to the first.
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 4);
  memcpy(GlobalLock(mem), "abc", 4);
  GlobalUnlock(mem);
  clip->SetAsHandle(CF_TEXT, mem);
  CHECK(CountClipboardFormats() >= 2);
  clip->Close();
  CHECK(clip->OpenCount() == 1);
  CHECK_FALSE(OthersCanOpen());
  clip->Close();
  CHECK(clip->OpenCount() == 0);
  CHECK(OthersCanOpen());
  clip->Close();  // one too many: nothing happens
  CHECK(clip->OpenCount() == 0);

  CHECK(clip->HasFormat(CF_BITMAP));
  HBITMAP onClip = static_cast<HBITMAP>(clip->GetAsHandle(CF_BITMAP));
  REQUIRE(onClip != nullptr);
  BITMAP bm{};
  GetObjectW(onClip, sizeof bm, &bm);
  CHECK(bm.bmWidth == 3);
  CHECK(bm.bmHeight == 2);

  // Writing outside an opening opens and closes by itself, and empties.
  clip->SetAsHandle(CF_BITMAP, SmallBitmap());
  CHECK(clip->OpenCount() == 0);
  CHECK_FALSE(clip->HasFormat(CF_TEXT));
  clip->Clear();
  CHECK(CountClipboardFormats() == 0);
}

TEST_CASE("Clipboard: held open by another window, it cannot be opened; nothing changes") {
  Application->Handle();
  PutClipboardText("kept");
  TClipboardHolder holder;
  REQUIRE(holder.Opened());
  TClipboard* clip = Clipboard();
  CHECK_THROWS_WITH_AS(clip->Open(), "クリップボードを開くことができません", Exception);
  CHECK(clip->OpenCount() == 0);
  HBITMAP bitmap = SmallBitmap();
  CHECK_THROWS_WITH_AS(clip->SetAsHandle(CF_BITMAP, bitmap), "クリップボードを開くことができません", Exception);
  CHECK(clip->OpenCount() == 0);
  // The handle is still ours.
  BITMAP bm{};
  CHECK(GetObjectW(bitmap, sizeof bm, &bm) != 0);
  DeleteObject(bitmap);
  CHECK(IsClipboardFormatAvailable(CF_TEXT));
  CHECK_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
}
