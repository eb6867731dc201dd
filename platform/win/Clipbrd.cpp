#include "Clipbrd.h"

#include "Forms.h"

#undef RegisterClass

namespace Vcl {

VCL_PUBLISH(TClipboard, TPersistent, Object) {}

TClipboard::~TClipboard() {
  if (FOpenCount > 0) CloseClipboard();
}

void TClipboard::Open() {
  if (FOpenCount == 0) {
    // The application's window: the system remembers it as the one that
    // put the data there.
    HWND owner = Application ? Application->Handle() : nullptr;
    if (!OpenClipboard(owner)) throw Exception("クリップボードを開くことができません");
    FEmptied = false;
  }
  ++FOpenCount;
}

void TClipboard::Close() {
  if (FOpenCount == 0) return;
  if (--FOpenCount == 0) CloseClipboard();
}

void TClipboard::Adding() {
  if (!FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  FEmptied = true;
  Close();
}

void TClipboard::SetAsHandle(UINT Format, HANDLE Value) {
  Open();
  try {
    Adding();
    if (!SetClipboardData(Format, Value)) throw EOSError("クリップボードにデータを置けません.");
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

HANDLE TClipboard::GetAsHandle(UINT Format) {
  Open();
  HANDLE data = GetClipboardData(Format);
  Close();
  return data;
}

bool TClipboard::HasFormat(UINT Format) const { return IsClipboardFormatAvailable(Format) != FALSE; }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

}  // namespace Vcl
