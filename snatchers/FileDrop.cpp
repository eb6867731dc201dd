// File drop and shortcut resolution.
#include "FileDrop.h"

#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <vector>

#include "Boundary.h"
#include "Controls.h"
#include "Forms.h"

#undef RegisterClass

namespace Orvik {

// ---------------------------------------------------------------------------
// Shortcut resolution

namespace {

// The owner of a dialog the shell may show while it looks for a target.
HWND LinkDialogOwner() noexcept {
  try {
    return Vcl::Application ? Vcl::Application->Handle() : nullptr;
  } catch (...) {
    return nullptr;  // no application window: the shell's dialog has no owner
  }
}

bool PathExists(const char* Path) { return GetFileAttributesA(Path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

AnsiString ResolveShortcutFile(AnsiString FileName) {
  AnsiString result = FileName;
  // Only a successful CoInitialize (S_OK or S_FALSE) is ours to balance: one
  // that failed (the thread already runs another apartment model) must not
  // take COM away from the thread's owner.
  const HRESULT init = CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link));
  if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  WCHAR wide[MAX_PATH];
  if (SUCCEEDED(hr) && MultiByteToWideChar(CP_ACP, 0, FileName.c_str(), -1, wide, MAX_PATH) == 0)
    hr = E_FAIL;  // does not fit: left as it is
  if (SUCCEEDED(hr)) hr = file->Load(wide, STGM_READ);
  if (SUCCEEDED(hr)) hr = link->Resolve(LinkDialogOwner(), SLR_ANY_MATCH);
  char path[MAX_PATH] = {};
  WIN32_FIND_DATAA found{};
  if (SUCCEEDED(hr)) hr = link->GetPath(path, MAX_PATH, &found, 0);
  if (SUCCEEDED(hr)) {
    // A resolver that does not look for moved targets (Wine's) answers the
    // recorded path even when nothing is there any more; a target that is
    // gone leaves the link as it is.
    if (path[0] == '\0' || PathExists(path)) result = path;
  }
  if (file) file->Release();
  if (link) link->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  return result;
}

// ---------------------------------------------------------------------------
// Drops read by several file drops

namespace {

// Every file drop of the program: the readers of a drop are found here.
// Never destroyed: components may outlive the statics at program exit.
std::vector<TFileDrop*>& LiveFileDrops() {
  static auto* drops = new std::vector<TFileDrop*>;
  return *drops;
}

// A drop handle that file drops still read in a running dispatch. It is
// released once no reader is to come and none is between its first and last
// use of the handle.
struct TOpenDrop {
  HDROP Drop;
  bool Owned;  // a block of memory, handed over with the message
  std::vector<const TFileDrop*> Pending;  // once per registration still to be called
  int Reading = 0;
};

std::vector<TOpenDrop>& OpenDrops() {
  static auto* drops = new std::vector<TOpenDrop>;
  return *drops;
}

TOpenDrop* FindOpenDrop(HDROP Drop) {
  auto& drops = OpenDrops();
  auto it = std::find_if(drops.begin(), drops.end(), [Drop](const TOpenDrop& d) { return d.Drop == Drop; });
  return it == drops.end() ? nullptr : &*it;
}

// Releases the drop when nobody needs it any more; true when released.
bool ReleaseIfDone(HDROP Drop) {
  TOpenDrop* open = FindOpenDrop(Drop);
  if (!open || !open->Pending.empty() || open->Reading > 0) return false;
  auto& drops = OpenDrops();
  const bool owned = open->Owned;
  drops.erase(drops.begin() + (open - drops.data()));
  if (owned) DragFinish(Drop);
  return true;
}

// Reader R will not come: switched off, gone, or its dispatch ended.
void NoLongerPending(const TFileDrop* R) {
  std::vector<HDROP> touched;
  for (TOpenDrop& d : OpenDrops()) {
    auto end = std::remove(d.Pending.begin(), d.Pending.end(), R);
    if (end != d.Pending.end()) {
      d.Pending.erase(end, d.Pending.end());
      touched.push_back(d.Drop);
    }
  }
  for (HDROP drop : touched) ReleaseIfDone(drop);
}

// The dispatch of Drop ended early: whoever is still to come will not be
// called, so the handle goes as soon as nobody is reading it.
void AbandonDrop(HDROP Drop) {
  if (TOpenDrop* open = FindOpenDrop(Drop)) {
    open->Pending.clear();
    ReleaseIfDone(Drop);
  }
}

enum class TDropShape {
  NoMemory,  // not a block of the global heap: nothing to read or release
  TooShort,  // a block without room for the header
  NoList,    // a header, but its names would be read past the block's end
  Whole,
};

// Whether Drop is laid out as the shell lays out a drop: a DROPFILES header,
// then names ending with an empty one inside the block. A stray message with
// anything else must not make the shell read outside the block.
TDropShape ShapeOf(HDROP Drop) {
  if (!Drop) return TDropShape::NoMemory;
  const auto* base = static_cast<const unsigned char*>(GlobalLock(Drop));
  if (!base) return TDropShape::NoMemory;
  const SIZE_T size = GlobalSize(Drop);
  // Readable, but not a block of the global heap: not ours to release.
  TDropShape shape = size ? TDropShape::TooShort : TDropShape::NoMemory;
  if (size >= sizeof(DROPFILES)) {
    shape = TDropShape::NoList;
    const auto* header = reinterpret_cast<const DROPFILES*>(base);
    const SIZE_T unit = header->fWide ? sizeof(WCHAR) : 1;
    auto zero = [&](SIZE_T at) {
      return header->fWide ? base[at] == 0 && base[at + 1] == 0 : base[at] == 0;
    };
    // Two zero characters in a row end the list.
    for (SIZE_T at = header->pFiles; header->pFiles >= sizeof(DROPFILES) && at + 2 * unit <= size; at += unit) {
      if (zero(at) && zero(at + unit)) {
        shape = TDropShape::Whole;
        break;
      }
    }
  }
  GlobalUnlock(Drop);
  return shape;
}

}  // namespace

// ---------------------------------------------------------------------------
// TFileDrop

VCL_PUBLISH(TFileDrop, TSnatcherUser, Component) {
  P.Bool("ActivateWindow", &TFileDrop::ActivateWindow, &TFileDrop::SetActivateWindow, true);
  P.Bool("FollowLink", &TFileDrop::FollowLink, &TFileDrop::SetFollowLink, true);
  P.Event("OnDropFiles", &TFileDrop::OnDropFiles, &TFileDrop::SetOnDropFiles);
}

TFileDrop::TFileDrop(TComponent* AOwner) : TSnatcherUser(AOwner), FFiles(new Vcl::TStringList) {
  LiveFileDrops().push_back(this);
}

TFileDrop::~TFileDrop() {
  for (TCall* c = FCalls; c; c = c->Outer) c->Gone = true;
  FCalls = nullptr;
  // Deleted rather than freed: the base would switch off without this
  // class, and the window would stay a drop target.
  try {
    SetActive(false);
  } catch (...) {
    Vcl::DeliverException(std::current_exception());
  }
  auto& live = LiveFileDrops();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  NoLongerPending(this);
  delete FFiles;
  FFiles = nullptr;
}

void TFileDrop::DefineHandlers() {
  DefineHandler(WM_DROPFILES, TMessageEventHandler::Bind<&TFileDrop::DropHandler>(this));
}

void TFileDrop::DoActivate(bool Value) {
  TSnatcherUser::DoActivate(Value);
  if (!Value) NoLongerPending(this);
  if (HasState(Vcl::csDesigning)) return;
  HWND wnd = nullptr;
  if (Value) {
    wnd = GetHandle();
  } else if (Control()) {
    // A window is not made only to be taken off the list of drop targets.
    if (Control()->HandleAllocated()) wnd = Control()->Handle();
  } else {
    wnd = GetHandle();
  }
  if (wnd) DragAcceptFiles(wnd, Value ? TRUE : FALSE);
}

int TFileDrop::ReadsOn(TObject* D) const {
  if (!D || GetDispatcher() != D) return 0;
  const TMessageEventHandler handler = TMessageEventHandler::Bind<&TFileDrop::DropHandler>(const_cast<TFileDrop*>(this));
  return static_cast<int>(std::count_if(HandlerList().begin(), HandlerList().end(), [&](const THandlerDefinition& d) {
    return d.Msg == WM_DROPFILES && d.Handler == handler;
  }));
}

void TFileDrop::DropHandler(TObject* Sender, TMessage& AMessage, bool& Handled) {
  const HDROP drop = reinterpret_cast<HDROP>(static_cast<std::uintptr_t>(AMessage.WParam));
  const TDropShape shape = ShapeOf(drop);

  // The first reader of this drop notes who else will read it: the other
  // file drops registered with the same dispatcher, called after this one.
  TOpenDrop* open = FindOpenDrop(drop);
  if (!open) {
    TOpenDrop d{drop, shape != TDropShape::NoMemory, {}, 0};
    for (const TFileDrop* other : LiveFileDrops()) {
      if (other == this || !other->Active() || other->HasState(Vcl::csLoading)) continue;
      d.Pending.insert(d.Pending.end(), other->ReadsOn(Sender), other);
    }
    // This component's further registrations, if it has more than one.
    d.Pending.insert(d.Pending.end(), std::max(0, ReadsOn(Sender) - 1), this);
    OpenDrops().push_back(std::move(d));
    open = &OpenDrops().back();
  } else {
    auto it = std::find(open->Pending.begin(), open->Pending.end(), this);
    if (it != open->Pending.end()) open->Pending.erase(it);
  }
  ++open->Reading;

  TCall call{FCalls, false};
  FCalls = &call;
  // Whatever way this reader leaves, the handle is accounted for: an
  // exception ends the dispatch, so nobody after this reader is called.
  struct TLeave {
    TFileDrop* Self;
    TCall& Call;
    HDROP Drop;
    bool Reading = true;
    int Uncaught = std::uncaught_exceptions();
    ~TLeave() {
      if (!Call.Gone) Self->FCalls = Call.Outer;
      if (Reading)
        if (TOpenDrop* o = FindOpenDrop(Drop)) --o->Reading;
      if (std::uncaught_exceptions() > Uncaught)
        AbandonDrop(Drop);
      else
        ReleaseIfDone(Drop);
    }
  } leave{this, call, drop};

  // The names are gathered first: resolving a link may let a nested drop
  // in, whose own names must not mix with these.
  std::vector<AnsiString> names;
  const UINT count = shape == TDropShape::Whole ? DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0) : 0;
  for (UINT i = 0; i < count; ++i) {
    char buffer[255] = {};
    DragQueryFileA(drop, i, buffer, sizeof buffer);
    AnsiString name = buffer;
    // An empty list reads as one empty name on some systems: no file.
    if (name.empty()) continue;
    if (FFollowLink && Vcl::ExtractFileExt(name) == ".lnk") {
      name = ResolveShortcutFile(name);
      if (call.Gone) {  // destroyed meanwhile
        Handled = true;
        return;
      }
    }
    names.push_back(std::move(name));
  }
  FFiles->BeginUpdate();
  FFiles->Clear();
  for (const AnsiString& name : names) FFiles->Add(name);
  FFiles->EndUpdate();
  POINT pt{};
  if (shape >= TDropShape::NoList) DragQueryPoint(drop, &pt);
  FDropPoint = Vcl::TPoint{pt.x, pt.y};

  // This reader is done with the handle; the last one releases it.
  if (TOpenDrop* o = FindOpenDrop(drop)) --o->Reading;
  leave.Reading = false;
  ReleaseIfDone(drop);

  if (FOnDropFiles.Assigned()) FOnDropFiles(this);
  if (call.Gone) {
    Handled = true;
    return;
  }
  if (FActivateWindow) BringToFront();
  Handled = true;
}

void TFileDrop::BringToFront() {
  HWND wnd = GetHandle();
  if (!wnd) return;
  // Only a top-level window can be activated: for a control that is its
  // form (the system ignores a child window here).
  HWND top = GetAncestor(wnd, GA_ROOT);
  if (!top) top = wnd;
  Vcl::CallCapturing([top] { SetActiveWindow(top); });
  Vcl::CallCapturing([top] { SetForegroundWindow(top); });
}

// Form resources name the component by class.
static const bool Registered = [] {
  Vcl::RegisterClass(TFileDrop::StaticClass());
  return true;
}();

}  // namespace Orvik
