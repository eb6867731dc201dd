// The main window: the icons of one file, at a chosen size.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "FileDrop.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"

using Vcl::AnsiString;

class TPelmoraFm : public Vcl::TForm {
  VCL_CLASS(TPelmoraFm)
 public:
  // Components of the form resource, in declaration order.
  Vcl::TListView* IconListView = nullptr;
  Vcl::TPopupMenu* PopupMenu = nullptr;
  Vcl::TImageList* IconImageList = nullptr;
  Vcl::TMainMenu* MainMenu1 = nullptr;
  Vcl::TMenuItem* File1 = nullptr;
  Vcl::TMenuItem* FileOpen = nullptr;
  Vcl::TOpenDialog* OpenFileDialog = nullptr;
  Vcl::TMenuItem* SetSize = nullptr;
  Orvik::TFileDrop* FileDrop1 = nullptr;
  Vcl::TMenuItem* IconSaveToFile = nullptr;
  Vcl::TSavePictureDialog* SaveIconFileDialog = nullptr;
  Vcl::TMenuItem* Exit = nullptr;
  Vcl::TMenuItem* Copy = nullptr;
  Vcl::TMenuItem* About = nullptr;
  Vcl::TMenuItem* N1 = nullptr;
  Vcl::TMenuItem* SaveAll = nullptr;

  // Event handlers bound by the form resource.
  void FileOpenClick(Vcl::TObject* Sender);
  void SetSizeClick(Vcl::TObject* Sender);
  void FileDrop1DropFiles(Vcl::TObject* Sender);
  void IconListViewMouseUp(Vcl::TObject* Sender, Vcl::TMouseButton Button, Vcl::TShiftState Shift, int X, int Y);
  void IconSaveToFileClick(Vcl::TObject* Sender);
  void ExitClick(Vcl::TObject* Sender);
  void CopyClick(Vcl::TObject* Sender);
  void AboutClick(Vcl::TObject* Sender);
  void FormShow(Vcl::TObject* Sender);
  void SaveAllClick(Vcl::TObject* Sender);

  // Builds the window from its form resource.
  explicit TPelmoraFm(Vcl::TComponent* Owner);
  ~TPelmoraFm() override;

  // Shows Name in the caption and makes it the current file; loads nothing.
  void SetFileName(AnsiString Name);
  // Replaces the list's content with the icons of file Name at the current
  // size. Changes neither the current file nor the caption.
  void LoadIcons(AnsiString Name);

 private:
  AnsiString FileName;
  // The edge length of the icons, as the user typed it.
  AnsiString IconSize;
};

extern TPelmoraFm* PelmoraFm;
