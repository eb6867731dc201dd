#include "WinText.h"

#include <climits>

namespace Vcl {

std::wstring ToWide(const AnsiString& S) {
  if (S.empty()) return std::wstring();
  if (S.size() > INT_MAX) throw ERangeError("文字列が長すぎます.");
  const int n = MultiByteToWideChar(AnsiCodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(AnsiCodePage, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

AnsiString FromWide(const wchar_t* S, std::size_t Length) {
  if (!S || Length == 0) return AnsiString();
  if (Length > INT_MAX) throw ERangeError("文字列が長すぎます.");
  const int len = static_cast<int>(Length);
  const int n = WideCharToMultiByte(AnsiCodePage, 0, S, len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return AnsiString();
  AnsiString a(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(AnsiCodePage, 0, S, len, a.data(), n, nullptr, nullptr);
  return a;
}

AnsiString FromWide(const std::wstring& S) { return FromWide(S.data(), S.size()); }

AnsiString GetWindowTextAnsi(HWND Wnd) {
  const int len = GetWindowTextLengthW(Wnd);
  if (len <= 0) return AnsiString();
  std::wstring w(static_cast<std::size_t>(len) + 1, L'\0');
  const int got = GetWindowTextW(Wnd, w.data(), len + 1);
  return FromWide(w.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

bool SetWindowTextAnsi(HWND Wnd, const AnsiString& Text) {
  return SetWindowTextW(Wnd, ToWide(Text).c_str()) != FALSE;
}

}  // namespace Vcl
