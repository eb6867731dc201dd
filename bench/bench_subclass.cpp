// The cost of a window subclass on a message nobody registered for: one
// SendMessage round trip to a hooked window against the same window
// unhooked, measured side by side in one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Snatchers.h"

using namespace Orvik;

namespace {

LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_APP) return static_cast<LRESULT>(WParam + 1);
  return DefWindowProcA(Wnd, Msg, WParam, LParam);
}

// Registrations under other numbers, as a file drop or a painter would have.
struct TBusyUser : TObject {
  int Calls = 0;
  void Handle(TObject*, TMessage&, bool&) { ++Calls; }
};

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Nanoseconds per round trip over Count messages.
double Round(HWND Wnd, int Count) {
  LRESULT sum = 0;
  const double start = Now();
  for (int i = 0; i < Count; ++i) sum += SendMessageA(Wnd, WM_APP, static_cast<WPARAM>(i), 0);
  const double elapsed = Now() - start;
  if (sum == 0) std::puts("");  // keeps the loop from being optimised away
  return elapsed * 1e9 / Count;
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  const std::size_t n = V.size();
  return n % 2 ? V[n / 2] : (V[n / 2 - 1] + V[n / 2]) / 2;
}

}  // namespace

int main() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvikBenchWindow";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
  if (!wnd) {
    std::fprintf(stderr, "bench: no window\n");
    return 1;
  }

  TMessageEventDispatcher dispatcher;
  TBusyUser user;
  const UINT others[] = {WM_DESTROY, WM_DROPFILES, WM_MOUSEWHEEL, WM_ERASEBKGND, WM_PAINT, WM_SIZE};
  for (UINT m : others)
    dispatcher.AddHandler(m, TMessageEventHandler::Bind<&TBusyUser::Handle>(&user));
  TWindowSubclass subclass;
  subclass.OnWindowMessage = TMessageEventHandler::Bind<&TMessageEventDispatcher::DispatchEvent>(&dispatcher);

  // Many short rounds, hooked and unhooked in turn: other work on the
  // machine then falls on both alike, and each pair of neighbouring rounds
  // gives one ratio.
  const int count = 1000;
  const int pairs = 400;
  std::vector<double> plain, hooked, ratios;
  Round(wnd, count * 10);  // warm up both paths
  subclass.SetHandle(wnd);
  Round(wnd, count * 10);
  subclass.UnSubclass();
  for (int r = 0; r < pairs; ++r) {
    double times[2];
    for (int half = 0; half < 2; ++half) {
      const bool hook = (r + half) % 2 == 0;  // which goes first alternates
      if (hook) subclass.SetHandle(wnd);
      times[hook] = Round(wnd, count);
      if (hook) subclass.UnSubclass();
    }
    plain.push_back(times[0]);
    hooked.push_back(times[1]);
    ratios.push_back(times[1] / times[0]);
  }
  DestroyWindow(wnd);

  std::printf("SendMessage round trip, %d pairs of rounds of %d messages\n", pairs, count);
  std::printf("  unhooked (median):             %8.1f ns\n", Median(plain));
  std::printf("  hooked, no registration:       %8.1f ns\n", Median(hooked));
  std::printf("  ratio hooked/unhooked:         %8.3f (median of pairs; target at most 1.15)\n", Median(ratios));
  return user.Calls == 0 ? 0 : 2;  // nobody registered for WM_APP
}
