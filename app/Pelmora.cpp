// The entry point of the icon viewer.
#include "AboutBoxFm.h"
#include "PelmoraForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using Vcl::Application;
  try {
    Application->Initialize();
    Application->SetTitle("Pelmora");
    Application->CreateForm(TPelmoraFm::StaticClass(), &PelmoraFm);
    Application->CreateForm(TAboutBox::StaticClass(), &AboutBox);
    Application->Run();
  } catch (Vcl::Exception& E) {
    Application->ShowException(&E);
  } catch (...) {
    // Nothing may leave the program unreported.
    Application->ShowException(std::current_exception());
  }
  return 0;
}
