// Code page 932 text <-> UTF-16 for the W calls of Windows.
//
// Our strings hold Shift-JIS bytes whatever the system's ANSI code page is,
// so window text goes through these explicit conversions.
#pragma once

#include <windows.h>

#include <string>

#include "SysUtils.h"

namespace Vcl {

// The code page of every AnsiString.
constexpr UINT AnsiCodePage = 932;

// CP932 bytes to UTF-16. Invalid bytes become the system's default character.
std::wstring ToWide(const AnsiString& S);
// UTF-16 to CP932 bytes. Characters CP932 lacks become "?".
AnsiString FromWide(const std::wstring& S);
AnsiString FromWide(const wchar_t* S, std::size_t Length);

// The text of a window (caption, control text) as CP932.
AnsiString GetWindowTextAnsi(HWND Wnd);
// Sets a window's text from CP932; false when the window refuses.
bool SetWindowTextAnsi(HWND Wnd, const AnsiString& Text);

}  // namespace Vcl
