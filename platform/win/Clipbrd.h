// The clipboard, opened for the application's window.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

namespace Vcl {

class TClipboard : public TPersistent {
  VCL_CLASS(TClipboard)
 public:
  TClipboard() = default;
  // Closes the system clipboard if it is still open.
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Opens the system clipboard for the application's window. Opens nest:
  // only the outermost Open and Close reach the system. Raises Exception
  // "クリップボードを開くことができません" when the system refuses.
  void Open();
  // Ends one Open; extra calls do nothing.
  void Close();
  int OpenCount() const { return FOpenCount; }

  // Empties the clipboard.
  void Clear();
  // Places Value under Format. The first write while the clipboard is open
  // empties it. On success Value belongs to the system; on failure (an
  // EOSError) it stays the caller's.
  void SetAsHandle(UINT Format, HANDLE Value);
  // The data under Format (owned by the system), or null.
  HANDLE GetAsHandle(UINT Format);
  bool HasFormat(UINT Format) const;

 private:
  // Before each write: empties the clipboard once per opening.
  void Adding();

  int FOpenCount = 0;
  bool FEmptied = false;
};

// The application's one clipboard object.
TClipboard* Clipboard();

}  // namespace Vcl
