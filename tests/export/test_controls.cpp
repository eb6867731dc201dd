// The controls of a small dialog read from form text (a panel, an image
// with an icon picture, labels, buttons) and the modal loop with its keys.
#include <doctest.h>

#include <windows.h>

#include <cstdio>

#include "ExportKit.h"
#include "ExtCtrls.h"
#include "Filer.h"
#include "Fixtures.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "WinTestKit.h"
#include "WinText.h"

#undef RegisterClass

using namespace Vcl;

namespace {

class TBoxForm : public TForm {
  VCL_CLASS(TBoxForm)
 public:
  using TForm::TForm;
  TPanel* Panel = nullptr;
  TImage* Image = nullptr;
  TLabel* Short = nullptr;
  TLabel* Wrapped = nullptr;
  TButton* OK = nullptr;
  TButton* Other = nullptr;
  int OtherClicks = 0;
  void OtherClick(TObject*) { ++OtherClicks; }
};

const char* const BoxCaption = "テストの箱";

// The form text, with the fixture icon as the image's picture.
AnsiString BoxText() {
  const std::string icon = ExportKit::ReadFile(Fixtures::Path(Fixtures::SingleIcon));
  REQUIRE_FALSE(icon.empty());
  const std::string data = std::string("\x05TIcon") + icon;
  AnsiString hex;
  char two[3];
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i % 32 == 0) hex += "\n        ";
    std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(data[i]));
    hex += two;
  }
  return AnsiString(R"(object BoxForm: TBoxForm
  BorderStyle = bsDialog
  Caption = ')") + BoxCaption + R"('
  ClientHeight = 150
  ClientWidth = 240
  Position = poScreenCenter
  object Panel: TPanel
    Left = 8
    Top = 8
    Width = 224
    Height = 100
    BevelInner = bvRaised
    BevelOuter = bvLowered
    ParentColor = True
    object Image: TImage
      Left = 8
      Top = 8
      Width = 50
      Height = 50
      Picture.Data = {)" + hex + R"(}
      AutoSize = True
      Stretch = True
    end
    object Short: TLabel
      Left = 70
      Top = 8
      Width = 10
      Height = 10
      Caption = 'Pelmora'
    end
    object Wrapped: TLabel
      Left = 70
      Top = 40
      Width = 120
      Height = 10
      Caption = 'a long line of words that cannot fit on one line of this label'
      WordWrap = True
    end
  end
  object OK: TButton
    Left = 20
    Top = 116
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
  object Other: TButton
    Left = 120
    Top = 116
    Caption = 'Other'
    TabOrder = 2
    OnClick = OtherClick
  end
end
)";
}

struct TBox {
  TBoxForm* Form = new TBoxForm(nullptr);
  TBox() { ReadComponentText(BoxText(), Form); }
  ~TBox() { delete Form; }
  TBoxForm* operator->() const { return Form; }
};

// The size of Text in Font, as the system measures it.
SIZE TextSize(TFont* Font, const wchar_t* Text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  SIZE s{};
  GetTextExtentPoint32W(dc, Text, static_cast<int>(wcslen(Text)), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return s;
}

}  // namespace

VCL_PUBLISH(TBoxForm, TForm, Component) {
  P.Field("Panel", &TBoxForm::Panel);
  P.Field("Image", &TBoxForm::Image);
  P.Field("Short", &TBoxForm::Short);
  P.Field("Wrapped", &TBoxForm::Wrapped);
  P.Field("OK", &TBoxForm::OK);
  P.Field("Other", &TBoxForm::Other);
  P.Method<&TBoxForm::OtherClick>("OtherClick");
}

TEST_CASE("A dialog from form text: panel colours, the icon picture, labels sized to their text") {
  TBox box;
  REQUIRE(box->Image != nullptr);
  REQUIRE(box->Wrapped != nullptr);
  CHECK(box->Panel->Parent() == box.Form);
  CHECK(box->Image->Parent() == box->Panel);
  CHECK(box->Short->Parent() == box->Panel);

  // The picture: the fixture icon, and the image takes its size.
  TIcon* icon = dyn_cast<TIcon>(box->Image->Picture()->Graphic());
  REQUIRE(icon != nullptr);
  CHECK(icon->ImageSize() == 32);
  CHECK(box->Image->Width() == 32);
  CHECK(box->Image->Height() == 32);
  CHECK(box->Image->Stretch());

  // Colours: the panel takes the form's, the labels the panel's.
  CHECK(box->Color() == clBtnFace);
  CHECK(box->Panel->ParentColor());
  CHECK(box->Panel->Color() == box->Color());
  CHECK(box->Short->Color() == box->Panel->Color());

  // Sizes: a label is as large as its text; a wrapped one keeps its width
  // and grows to several lines.
  const SIZE one = TextSize(box->Short->Font(), L"Pelmora");
  CHECK(box->Short->Width() == one.cx);
  CHECK(box->Short->Height() == one.cy);
  CHECK(box->Wrapped->Width() == 120);
  CHECK(box->Wrapped->Height() >= 2 * one.cy);
  box->Short->SetCaption("Pelmora Pelmora");
  CHECK(box->Short->Width() == TextSize(box->Short->Font(), L"Pelmora Pelmora").cx);

  // Shown: the client size asked for, in the middle of the screen.
  box->Show();
  RECT client, window;
  GetClientRect(box->Handle(), &client);
  GetWindowRect(box->Handle(), &window);
  CHECK(client.right == 240);
  CHECK(client.bottom == 150);
  const int cx = (window.left + window.right) / 2, cy = (window.top + window.bottom) / 2;
  CHECK(std::abs(cx - GetSystemMetrics(SM_CXSCREEN) / 2) <= 1);
  CHECK(std::abs(cy - GetSystemMetrics(SM_CYSCREEN) / 2) <= 1);
  CHECK(TestKit::WindowText(box->Handle()) == BoxCaption);
  const LONG_PTR style = GetWindowLongPtrW(box->Handle(), GWL_STYLE);
  CHECK((style & WS_THICKFRAME) == 0);
  CHECK((style & WS_MINIMIZEBOX) == 0);
  CHECK((style & WS_MAXIMIZEBOX) == 0);
  CHECK(TestKit::WindowText(box->OK->Handle()) == "OK");
  CHECK((GetWindowLongPtrW(box->OK->Handle(), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON);
  box->Hide();
}

TEST_CASE("A picture is written back into form text and reads back the same") {
  TBox box;
  const AnsiString text = WriteComponentText(box->Image);
  CHECK(text.find("Picture.Data = {") != AnsiString::npos);
  TImage again(nullptr);
  ReadComponentText(text, &again);
  TIcon* icon = dyn_cast<TIcon>(again.Picture()->Graphic());
  REQUIRE(icon != nullptr);
  TMemoryStream bytes;
  icon->SaveToStream(&bytes);
  CHECK(std::string(bytes.Memory(), static_cast<std::size_t>(bytes.DataSize())) ==
        ExportKit::ReadFile(Fixtures::Path(Fixtures::SingleIcon)));

  // Pictures of a kind the reader does not know, or cut short, are errors
  // of the text; the image keeps its picture.
  const char* const bad[] = {"0454506E670000", "055449636F6E000001000100", "0754426974"};
  for (const char* data : bad) {
    CAPTURE(data);
    TImage image(nullptr);
    image.Picture()->Assign(again.Picture());
    const AnsiString one = AnsiString("object Image: TImage\n  Picture.Data = {") + data + "}\nend\n";
    CHECK_THROWS_AS(ReadComponentText(one, &image), EReadError);
    CHECK(dyn_cast<TIcon>(image.Picture()->Graphic()) != nullptr);
  }
}

TEST_CASE("ShowModal: other windows disabled; Enter clicks the focused or default button; Esc does nothing") {
  TForm owner(nullptr);
  owner.SetCaption("owner");
  owner.Show();
  REQUIRE(IsWindowEnabled(owner.Handle()));

  struct Case {
    const char* Name;
    bool FocusOther;
    bool Escapes;
    bool CloseBox;
    TModalResult Result;
    int OtherClicks;
  };
  const Case cases[] = {
      {"Enter on the default button", false, false, false, mrOk, 0},
      {"Esc twice, then Enter", false, true, false, mrOk, 0},
      {"Enter on another button, then the close box", true, false, true, mrCancel, 1},
  };
  for (const Case& c : cases) {
    CAPTURE(c.Name);
    TBox box;
    bool ownerDisabled = false, stillUp = false;
    TestKit::DialogDriver driver;
    auto& script = driver.Expect(BoxCaption, "TBoxForm");
    script.Do([&](HWND) { ownerDisabled = !IsWindowEnabled(owner.Handle()); });
    if (c.FocusOther) script.Do([&](HWND) { SetFocus(box->Other->Handle()); }).Key(VK_RETURN);
    if (c.Escapes) script.Key(VK_ESCAPE).Key(VK_ESCAPE);
    script.Do([&](HWND dlg) { stillUp = IsWindowVisible(dlg) != FALSE; });
    if (c.CloseBox)
      script.Close();
    else
      script.Key(VK_RETURN);
    const TModalResult result = box->ShowModal();
    CHECK(result == c.Result);
    CHECK(driver.AllDone());
    CHECK(driver.Errors().empty());
    CHECK(ownerDisabled);
    CHECK(box->OtherClicks == c.OtherClicks);
    // After the keys that must not close it, the box was still up.
    CHECK(stillUp);
    CHECK_FALSE(box->Visible());
    CHECK_FALSE(box->Modal());
    CHECK(IsWindowEnabled(owner.Handle()));
  }

  TBox shown;
  shown->Show();
  CHECK_THROWS_AS(shown->ShowModal(), EInvalidOperation);
  shown->Hide();
}
