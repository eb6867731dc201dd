#include "InputQuery.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Boundary.h"
#include "WinText.h"

namespace Vcl {

namespace {

// The Japanese UI font of forms and dialogs; systems without it map the
// name to a font that shows Japanese.
const wchar_t* const DialogFontName = L"ＭＳ Ｐゴシック";
constexpr WORD DialogFontSize = 9;

// Writes an in-memory dialog template (DLGTEMPLATE and DLGITEMTEMPLATE
// records) word by word.
class TTemplateWriter {
 public:
  void Header(DWORD Style, WORD Items, short CX, short CY, const std::wstring& Title) {
    Dword(Style);
    Dword(0);  // extended style
    Word(Items);
    Word(0);  // x, y: placed when shown
    Word(0);
    Word(static_cast<WORD>(CX));
    Word(static_cast<WORD>(CY));
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    String(Title);
    Word(DialogFontSize);
    String(DialogFontName);
  }

  // Class is the atom of a predefined class (0x80 button, 0x81 edit,
  // 0x82 static).
  void Item(DWORD Style, short X, short Y, short CX, short CY, WORD Id, WORD Class,
            const std::wstring& Text) {
    if (FData.size() % 2) Word(0);  // items start on a double word
    Dword(Style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(X));
    Word(static_cast<WORD>(Y));
    Word(static_cast<WORD>(CX));
    Word(static_cast<WORD>(CY));
    Word(Id);
    Word(0xFFFF);
    Word(Class);
    String(Text);
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(FData.data()); }

 private:
  void Word(WORD W) { FData.push_back(W); }
  void Dword(DWORD D) {
    Word(LOWORD(D));
    Word(HIWORD(D));
  }
  void String(const std::wstring& S) {
    FData.insert(FData.end(), S.begin(), S.end());
    Word(0);
  }

  // Words, so the template is word aligned; new[] aligns it further.
  std::vector<WORD> FData;
};

// Layout in dialog units.
constexpr short DialogWidth = 180, DialogHeight = 63;
constexpr short Margin = 8, ButtonWidth = 50, ButtonHeight = 14, ButtonGap = 4;

struct TInputState {
  std::wstring Value;
};

void MoveBy(HWND Dlg, HWND Ctl, int DX, int DWidth) {
  RECT r;
  GetWindowRect(Ctl, &r);
  MapWindowPoints(nullptr, Dlg, reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(Ctl, nullptr, r.left + DX, r.top, r.right - r.left + DWidth, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Widens the dialog when the prompt would not fit on its line, then puts the
// dialog in the middle of the screen.
void Arrange(HWND Dlg) {
  HWND prompt = GetDlgItem(Dlg, InputQueryPromptId);
  RECT pr;
  GetClientRect(prompt, &pr);
  const int len = GetWindowTextLengthW(prompt);
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  GetWindowTextW(prompt, text.data(), len + 1);
  text.resize(static_cast<std::size_t>(len));

  HDC dc = GetDC(prompt);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(Dlg, WM_GETFONT, 0, 0)));
  RECT need{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(prompt, dc);

  RECT wr;
  GetWindowRect(Dlg, &wr);
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  int grow = need.right - pr.right;
  grow = std::min(grow, screenW - 40 - static_cast<int>(wr.right - wr.left));
  if (grow > 0) {
    MoveBy(Dlg, prompt, 0, grow);
    MoveBy(Dlg, GetDlgItem(Dlg, InputQueryEditId), 0, grow);
    MoveBy(Dlg, GetDlgItem(Dlg, IDOK), grow / 2, 0);
    MoveBy(Dlg, GetDlgItem(Dlg, IDCANCEL), grow / 2, 0);
    wr.right += grow;
  }
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  SetWindowPos(Dlg, nullptr, (screenW - w) / 2, (screenH - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Handle(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(Dlg, DWLP_USER, LParam);
      auto* state = reinterpret_cast<TInputState*>(LParam);
      HWND edit = GetDlgItem(Dlg, InputQueryEditId);
      SendMessageW(edit, EM_LIMITTEXT, InputQueryMaxLength, 0);
      SetWindowTextW(edit, state->Value.c_str());
      Arrange(Dlg);
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      switch (LOWORD(WParam)) {
        case IDOK: {
          auto* state = reinterpret_cast<TInputState*>(GetWindowLongPtrW(Dlg, DWLP_USER));
          HWND edit = GetDlgItem(Dlg, InputQueryEditId);
          const int len = GetWindowTextLengthW(edit);
          std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
          const int got = GetWindowTextW(edit, text.data(), len + 1);
          text.resize(static_cast<std::size_t>(std::max(got, 0)));
          state->Value = std::move(text);
          EndDialog(Dlg, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(Dlg, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK InputQueryProc(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TCallbackEntry entry;
  try {
    return Handle(Dlg, Msg, WParam, LParam);
  } catch (...) {
    entry.Deliver(std::current_exception());
    // The caller hears of the failure; a dialog in an unknown state must
    // not stay up waiting for it.
    EndDialog(Dlg, IDABORT);
    return TRUE;
  }
}

}  // namespace

bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value) {
  TInputState state;
  state.Value = ToWide(Value);

  const short inner = DialogWidth - 2 * Margin;
  const short buttonsLeft = (DialogWidth - (2 * ButtonWidth + ButtonGap)) / 2;
  TTemplateWriter t;
  t.Header(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 4, DialogWidth, DialogHeight,
           ToWide(Caption));
  t.Item(SS_LEFTNOWORDWRAP, Margin, 8, inner, 8, InputQueryPromptId, 0x82, ToWide(Prompt));
  t.Item(ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, Margin, 19, inner, 12, InputQueryEditId, 0x81,
         L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, buttonsLeft, 41, ButtonWidth, ButtonHeight, IDOK, 0x80, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, buttonsLeft + ButtonWidth + ButtonGap, 41, ButtonWidth, ButtonHeight,
         IDCANCEL, 0x80, ToWide("キャンセル"));

  const INT_PTR result = CallCapturing([&] {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), GetActiveWindow(), &InputQueryProc,
                                   reinterpret_cast<LPARAM>(&state));
  });
  if (result == -1 || result == 0) throw EOSError("入力ダイアログを表示できません.");
  if (result != IDOK) return false;
  Value = FromWide(state.Value);
  return true;
}

}  // namespace Vcl
