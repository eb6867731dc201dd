#include "Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "Boundary.h"
#include "Forms.h"
#include "WinText.h"

#undef RegisterClass

namespace Vcl {

namespace {

const TEnumInfo OpenOptionNames{{
    "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
    "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
    "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
    "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing",
}};

const bool Registered = [] {
  RegisterClass(TOpenDialog::StaticClass());
  RegisterClass(TSaveDialog::StaticClass());
  RegisterClass(TSavePictureDialog::StaticClass());
  return true;
}();

// The system's flag for each option, in the order of TOpenOption (the
// old-style option is the absence of OFN_EXPLORER).
const DWORD OptionFlags[] = {
    OFN_READONLY, OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR, OFN_SHOWHELP, OFN_NOVALIDATE,
    OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_CREATEPROMPT,
    OFN_SHAREAWARE, OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON, OFN_NOLONGNAMES,
    0, OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
};

// File names travel in the system's ANSI code page.
std::wstring FileNameToWide(const AnsiString& S) {
  if (S.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

AnsiString FileNameFromWide(const wchar_t* S) {
  const int len = static_cast<int>(wcslen(S));
  if (len == 0) return AnsiString();
  const int n = WideCharToMultiByte(CP_ACP, 0, S, len, nullptr, 0, nullptr, nullptr);
  AnsiString a(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, S, len, a.data(), n, nullptr, nullptr);
  return a;
}

}  // namespace

VCL_PUBLISH(TCommonDialog, TComponent, Object) {}

VCL_PUBLISH(TOpenDialog, TCommonDialog, Component) {
  P.Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  P.Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  P.Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  P.Int("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1);
  P.Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  P.Set("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions, OpenOptionNames, DefaultOpenOptions);
  P.Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

VCL_PUBLISH(TSaveDialog, TOpenDialog, Component) {}
VCL_PUBLISH(TSavePictureDialog, TSaveDialog, Component) {}

bool TOpenDialog::Execute() { return DoExecute(false); }
bool TSaveDialog::Execute() { return DoExecute(true); }

bool TOpenDialog::DoExecute(bool Save) {
  // The filter's rows end in one zero each and the list in two. Splitting
  // the UTF-16 text is safe: in code page 932 a "|" byte may be the second
  // half of a character.
  std::wstring filter = ToWide(FFilter);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  if (!filter.empty()) filter.append(2, L'\0');
  const std::wstring title = ToWide(FTitle);
  // The system wants the bare extension: forms store it as "*.ico", and
  // Windows would append "*.i" of that to a name typed without one.
  std::wstring defExt = ToWide(FDefaultExt);
  defExt.erase(0, defExt.find_first_not_of(L"*."));
  const std::wstring initialDir = FileNameToWide(FInitialDir);

  // Room for many names when several may be chosen.
  std::vector<wchar_t> buffer(32768, L'\0');
  const std::wstring start = FileNameToWide(FFileName);
  if (start.size() < buffer.size()) std::copy(start.begin(), start.end(), buffer.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Application ? Application->ActiveFormHandle() : nullptr;
  ofn.hInstance = nullptr;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = defExt.empty() ? nullptr : defExt.c_str();
  ofn.Flags = (FOptions & (1u << ofOldStyleDialog)) ? 0 : OFN_EXPLORER;
  for (unsigned i = 0; i < sizeof OptionFlags / sizeof OptionFlags[0]; ++i)
    if (FOptions & (1u << i)) ofn.Flags |= OptionFlags[i];

  const BOOL ok = CallCapturing([&] { return Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn); });
  if (!ok) {
    if (const DWORD error = CommDlgExtendedError())
      throw EInvalidOperation(FormatMsg("ファイルダイアログを表示できません (エラー %s).", IntToStr(error)));
    return false;
  }

  AnsiString name = FileNameFromWide(buffer.data());
  if (FOptions & (1u << ofAllowMultiSelect)) {
    // Several names come as the folder, then each name, zero-separated.
    const wchar_t* first = buffer.data() + wcslen(buffer.data()) + 1;
    if (*first) name += "\\" + FileNameFromWide(first);
  }
  FFileName = name;
  FFilterIndex = static_cast<int>(ofn.nFilterIndex);
  auto setOption = [this](TOpenOption Option, bool On) {
    FOptions = On ? (FOptions | (1u << Option)) : (FOptions & ~(1u << Option));
  };
  setOption(ofReadOnly, (ofn.Flags & OFN_READONLY) != 0);
  setOption(ofExtensionDifferent, (ofn.Flags & OFN_EXTENSIONDIFFERENT) != 0);
  return true;
}

}  // namespace Vcl
