#include "AboutBoxFm.h"

#undef RegisterClass

using namespace Vcl;

TAboutBox* AboutBox = nullptr;

VCL_PUBLISH(TAboutBox, TForm, Component) {
  P.Field("Panel1", &TAboutBox::Panel1);
  P.Field("ProgramIcon", &TAboutBox::ProgramIcon);
  P.Field("ProductName", &TAboutBox::ProductName);
  P.Field("Version", &TAboutBox::Version);
  P.Field("Copyright", &TAboutBox::Copyright);
  P.Field("Comments", &TAboutBox::Comments);
  P.Field("OKButton", &TAboutBox::OKButton);
}

namespace {
const bool Registered = [] {
  RegisterClass(TAboutBox::StaticClass());
  return true;
}();
}  // namespace

TAboutBox::TAboutBox(TComponent* Owner) : TForm(Owner) { ReadFormResource(); }
