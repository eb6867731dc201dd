#include "PelmoraForm.h"

#include <shellapi.h>

#include <vector>

#include "AboutBoxFm.h"
#include "BrowseFolder.h"
#include "Clipbrd.h"
#include "InputQuery.h"
#include "System.h"

#undef RegisterClass

using namespace Vcl;

TPelmoraFm* PelmoraFm = nullptr;

VCL_PUBLISH(TPelmoraFm, TForm, Component) {
  P.Field("IconListView", &TPelmoraFm::IconListView);
  P.Field("PopupMenu", &TPelmoraFm::PopupMenu);
  P.Field("IconImageList", &TPelmoraFm::IconImageList);
  P.Field("MainMenu1", &TPelmoraFm::MainMenu1);
  P.Field("File1", &TPelmoraFm::File1);
  P.Field("FileOpen", &TPelmoraFm::FileOpen);
  P.Field("OpenFileDialog", &TPelmoraFm::OpenFileDialog);
  P.Field("SetSize", &TPelmoraFm::SetSize);
  P.Field("FileDrop1", &TPelmoraFm::FileDrop1);
  P.Field("IconSaveToFile", &TPelmoraFm::IconSaveToFile);
  P.Field("SaveIconFileDialog", &TPelmoraFm::SaveIconFileDialog);
  P.Field("Exit", &TPelmoraFm::Exit);
  P.Field("Copy", &TPelmoraFm::Copy);
  P.Field("About", &TPelmoraFm::About);
  P.Field("N1", &TPelmoraFm::N1);
  P.Field("SaveAll", &TPelmoraFm::SaveAll);
  P.Method<&TPelmoraFm::FileOpenClick>("FileOpenClick");
  P.Method<&TPelmoraFm::SetSizeClick>("SetSizeClick");
  P.Method<&TPelmoraFm::FileDrop1DropFiles>("FileDrop1DropFiles");
  P.Method<&TPelmoraFm::IconListViewMouseUp>("IconListViewMouseUp");
  P.Method<&TPelmoraFm::IconSaveToFileClick>("IconSaveToFileClick");
  P.Method<&TPelmoraFm::ExitClick>("ExitClick");
  P.Method<&TPelmoraFm::CopyClick>("CopyClick");
  P.Method<&TPelmoraFm::AboutClick>("AboutClick");
  P.Method<&TPelmoraFm::FormShow>("FormShow");
  P.Method<&TPelmoraFm::SaveAllClick>("SaveAllClick");
}

namespace {

const bool Registered = [] {
  RegisterClass(TPelmoraFm::StaticClass());
  return true;
}();

// An icon that shows nothing, at the system's icon size: it keeps the place
// of an icon the shell counted but could not give, so that every later
// item still shows its own picture.
HICON CreateBlankIcon() {
  const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  const std::size_t rowBytes = static_cast<std::size_t>((cx + 15) / 16 * 2);
  std::vector<BYTE> andMask(rowBytes * static_cast<std::size_t>(cy), 0xFF);
  std::vector<BYTE> xorMask(rowBytes * static_cast<std::size_t>(cy), 0x00);
  HICON icon = CreateIcon(GetModuleHandleW(nullptr), cx, cy, 1, 1, andMask.data(), xorMask.data());
  if (!icon) throw EOutOfMemory("アイコンを作成できません.");
  return icon;
}

}  // namespace

TPelmoraFm::TPelmoraFm(TComponent* Owner) : TForm(Owner) {
  ReadFormResource();
  FileName = "";
  IconSize = "32";
}

TPelmoraFm::~TPelmoraFm() = default;

void TPelmoraFm::SetFileName(AnsiString Name) {
  SetCaption("Pelmora [" + Name + "]");
  FileName = Name;
}

void TPelmoraFm::FormShow(TObject* Sender) {
  if (ParamCount() < 1) {
    FileOpenClick(nullptr);
    return;
  }
  SetFileName(ParamStr(1));
  LoadIcons(FileName);
}

void TPelmoraFm::ExitClick(TObject* Sender) { Application->Terminate(); }

void TPelmoraFm::LoadIcons(AnsiString Name) {
  TIcon icon;
  IconListView->Items()->Clear();
  IconImageList->Clear();
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(Application->Handle());
  const UINT count = static_cast<UINT>(
      reinterpret_cast<UINT_PTR>(ExtractIconA(instance, Name.c_str(), static_cast<UINT>(-1))));
  IconImageList->SetWidth(StrToInt(IconSize));
  IconImageList->SetHeight(StrToInt(IconSize));
  for (UINT i = 0; i < count; ++i) {
    HICON handle = ExtractIconA(instance, Name.c_str(), i);
    // The shell answers 1 for a file it cannot take icons from.
    if (handle == reinterpret_cast<HICON>(1)) handle = nullptr;
    icon.SetHandle(handle ? handle : CreateBlankIcon());
    IconImageList->AddIcon(&icon);
    TListItem* item = IconListView->Items()->Add();
    item->SetCaption(IntToStr(i));
    item->SetImageIndex(static_cast<int>(i));
  }
}

void TPelmoraFm::FileOpenClick(TObject* Sender) {
  OpenFileDialog->SetFileName(FileName);
  if (!OpenFileDialog->Execute()) return;
  SetFileName(OpenFileDialog->FileName());
  LoadIcons(FileName);
}

void TPelmoraFm::SetSizeClick(TObject* Sender) {
  if (!InputQuery("サイズの指定", "サイズを指定してください(例：32×32 →32)", IconSize)) return;
  try {
    StrToInt(IconSize);
  } catch (...) {
    IconSize = "32";
  }
  LoadIcons(FileName);
}

void TPelmoraFm::FileDrop1DropFiles(TObject* Sender) {
  // Nothing to open: a drop without a file, or a shortcut to something that
  // is not a file. The window stays as it is.
  TStrings* files = FileDrop1->Files();
  if (files->Count() == 0 || files->Strings(0).empty()) return;
  SetFileName(files->Strings(0));
  LoadIcons(FileName);
}

void TPelmoraFm::IconListViewMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbRight) return;
  TCustomListView* list = dyn_cast<TCustomListView>(Sender);
  if (!list) return;
  TListItem* item = list->GetItemAt(X, Y);
  if (!item) return;
  list->SetSelected(item);
  // Where the pointer is now, not where the button came up.
  POINT pointer{};
  GetCursorPos(&pointer);
  PopupMenu->Popup(pointer.x, pointer.y);
}

void TPelmoraFm::IconSaveToFileClick(TObject* Sender) {
  // Without a selected icon (Ctrl+S on an empty list, or after the
  // selection was cleared) there is nothing to save: no dialog either.
  if (!IconListView->Selected()) return;
  if (!SaveIconFileDialog->Execute()) return;
  TListItem* item = IconListView->Selected();
  if (!item) return;
  const int index = StrToInt(item->Caption());
  TIcon icon;
  IconImageList->GetIcon(index, &icon);
  icon.SaveToFile(SaveIconFileDialog->FileName());
}

void TPelmoraFm::CopyClick(TObject* Sender) {
  // Without a selected icon the clipboard is left as it is.
  TListItem* item = IconListView->Selected();
  if (!item) return;
  const int index = StrToInt(item->Caption());
  TBitmap bitmap;
  IconImageList->GetBitmap(index, &bitmap);
  TClipboard* clipboard = Clipboard();
  clipboard->Open();
  try {
    clipboard->SetAsHandle(CF_BITMAP, bitmap.Handle());
  } catch (...) {
    clipboard->Close();
    throw;
  }
  // The clipboard owns the bitmap now.
  bitmap.ReleaseHandle();
  clipboard->Close();
}

void TPelmoraFm::SaveAllClick(TObject* Sender) {
  AnsiString folder;
  if (!BrowseFolder("保存するフォルダを選択してください", WideString(), folder)) return;
  for (int i = 0; i < IconListView->Items()->Count(); ++i) {
    TIcon icon;
    IconImageList->GetIcon(i, &icon);
    icon.SaveToFile(folder + "\\" + IntToStr(i) + ".ico");
  }
}

void TPelmoraFm::AboutClick(TObject* Sender) {
  // A new box for each showing, gone again when it closes.
  struct TDone {
    ~TDone() {
      delete AboutBox;
      AboutBox = nullptr;
    }
  } done;
  AboutBox = new TAboutBox(this);
  AboutBox->ShowModal();
}
