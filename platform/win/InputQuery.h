// The one-line input dialog.
#pragma once

#include "SysUtils.h"

namespace Vcl {

// Control ids of the dialog; OK and Cancel are IDOK and IDCANCEL.
constexpr int InputQueryPromptId = 100;
constexpr int InputQueryEditId = 101;
// The most characters the edit box takes.
constexpr int InputQueryMaxLength = 255;

// Shows a modal dialog titled Caption, with Prompt above a one-line edit box
// that starts with Value, all of it selected; buttons "OK" (default, Enter)
// and "キャンセル" (Esc); centred on the screen. Returns true and writes the
// edit box's text to Value only when OK is pressed; otherwise returns false
// and leaves Value alone. Raises EOSError when the dialog cannot be shown.
bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value);

}  // namespace Vcl
