// File drop: a window that accepts files dragged from the shell, with shell
// links replaced by the files they point to.
#pragma once

#include "SnatcherUser.h"

#include "Lists.h"
#include "Types.h"

namespace Orvik {

using Vcl::AnsiString;

// The path of the target of the shell link FileName, read through the
// shell's link object. FileName itself when it cannot be resolved: not a
// link, damaged, or its target gone. A link to something that has no
// file-system path gives the empty string. Raises nothing.
ORVIK_API AnsiString ResolveShortcutFile(AnsiString FileName);

// Lets the target window (Control's, or the window MessageSnatcher hooks)
// accept files dropped from the shell while Active. At each drop, Files gets
// the names in the shell's order, a name ending in ".lnk" replaced by its
// target when FollowLink is set, DropPoint the place of the drop in client
// coordinates; then OnDropFiles runs, and the target window is brought to
// the front when ActivateWindow is set.
//
// Several file drops on one snatcher all read each drop; its handle is
// released once, by the last of them.
class ORVIK_API TFileDrop : public TSnatcherUser {
  VCL_CLASS(TFileDrop)
 public:
  explicit TFileDrop(TComponent* AOwner);
  ~TFileDrop() override;

  bool ActivateWindow() const { return FActivateWindow; }
  void SetActivateWindow(bool Value) { FActivateWindow = Value; }
  bool FollowLink() const { return FFollowLink; }
  void SetFollowLink(bool Value) { FFollowLink = Value; }
  // The names of the last drop, replaced as a whole by the next one. Read
  // only.
  Vcl::TStrings* Files() const { return FFiles; }
  // Where the last drop happened, in client coordinates.
  Vcl::TPoint DropPoint() const { return FDropPoint; }

  const Vcl::TNotifyEvent& OnDropFiles() const { return FOnDropFiles; }
  void SetOnDropFiles(const Vcl::TNotifyEvent& Value) { FOnDropFiles = Value; }

 protected:
  // Registers the target window with the shell, or takes it off.
  void DoActivate(bool Value) override;
  // One handler: WM_DROPFILES to DropHandler.
  void DefineHandlers() override;
  // Reads the drop whose handle is in WParam; see the class comment.
  void DropHandler(TObject* Sender, TMessage& AMessage, bool& Handled);

 private:
  struct TCall {
    TCall* Outer;
    bool Gone;
  };
  // How many times this component's DropHandler is registered under
  // WM_DROPFILES with D now.
  int ReadsOn(TObject* D) const;
  void BringToFront();

  bool FActivateWindow = true;
  bool FFollowLink = true;
  Vcl::TStringList* FFiles = nullptr;
  Vcl::TPoint FDropPoint;
  Vcl::TNotifyEvent FOnDropFiles;
  TCall* FCalls = nullptr;
};

}  // namespace Orvik
