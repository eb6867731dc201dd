// The about box: the program's icon, name, version, copyright and a
// comment, with an OK button.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TAboutBox : public Vcl::TForm {
  VCL_CLASS(TAboutBox)
 public:
  // Components of the form resource, in declaration order.
  Vcl::TPanel* Panel1 = nullptr;
  Vcl::TImage* ProgramIcon = nullptr;
  Vcl::TLabel* ProductName = nullptr;
  Vcl::TLabel* Version = nullptr;
  Vcl::TLabel* Copyright = nullptr;
  Vcl::TLabel* Comments = nullptr;
  Vcl::TButton* OKButton = nullptr;

  // Builds the box from its form resource.
  explicit TAboutBox(Vcl::TComponent* Owner);
};

extern TAboutBox* AboutBox;
