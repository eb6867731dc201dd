// The common file dialogs.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>


namespace Vcl {

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = unsigned;  // bit n = TOpenOption n
constexpr TOpenOptions DefaultOpenOptions = (1u << ofHideReadOnly) | (1u << ofEnableSizing);

class TCommonDialog : public TComponent {
  VCL_CLASS(TCommonDialog)
 public:
  using TComponent::TComponent;
  // Shows the dialog modally; true when the user confirmed.
  virtual bool Execute() = 0;
};

// The open dialog. File names are in the system's ANSI code page, as the
// A calls of the shell take them; titles and filters are code page 932.
class TOpenDialog : public TCommonDialog {
  VCL_CLASS(TOpenDialog)
 public:
  using TCommonDialog::TCommonDialog;

  AnsiString FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  // Rows of "description|pattern", themselves separated by "|".
  AnsiString Filter() const { return FFilter; }
  void SetFilter(const AnsiString& Value) { FFilter = Value; }
  // The row selected when the dialog opens (from 1); after Execute, the
  // row the user ended with.
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  AnsiString Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }
  AnsiString DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& Value) { FDefaultExt = Value; }
  AnsiString InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& Value) { FInitialDir = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }

  // Shows the dialog with the name box starting at FileName. True when a
  // name was confirmed: FileName then holds its full path. False after
  // Cancel. A dialog the system cannot show raises EInvalidOperation.
  bool Execute() override;

 protected:
  bool DoExecute(bool Save);

 private:
  AnsiString FFileName;
  AnsiString FFilter;
  int FFilterIndex = 1;
  AnsiString FTitle;
  AnsiString FDefaultExt;
  AnsiString FInitialDir;
  TOpenOptions FOptions = DefaultOpenOptions;
};

class TSaveDialog : public TOpenDialog {
  VCL_CLASS(TSaveDialog)
 public:
  using TOpenDialog::TOpenDialog;
  bool Execute() override;
};

// The save dialog for pictures.
class TSavePictureDialog : public TSaveDialog {
  VCL_CLASS(TSavePictureDialog)
 public:
  using TSaveDialog::TSaveDialog;
};

}  // namespace Vcl
