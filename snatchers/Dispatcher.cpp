// The message event dispatcher.
#include "Dispatcher.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace Orvik {

VCL_PUBLISH(TMessageEventDispatcher, TObject, Object) {}

TMessageEventDispatcher::TMessageEventDispatcher() : FLife(std::make_shared<char>()) {}

TMessageEventDispatcher::~TMessageEventDispatcher() {
  // Dispatches still running (a handler destroyed us) must not come back.
  for (TWalk* w = FWalks; w; w = w->Outer) w->DispatcherGone = true;
}

void TMessageEventDispatcher::AddHandler(unsigned int Msg, TMessageEventHandler Handler) {
  if (!Handler.Assigned()) throw Vcl::EInvalidOperation("メッセージハンドラが設定されていません.");
  try {
    FMap[Msg].Items.push_back(TRegistration{Handler});
  } catch (const std::bad_alloc&) {
    throw Vcl::EOutOfMemory("メモリが不足しています.");
  }
}

void TMessageEventDispatcher::DeleteHandler(unsigned int Msg, TMessageEventHandler Handler) {
  auto it = FMap.find(Msg);
  if (it == FMap.end()) return;
  TSequence& seq = it->second;
  bool found = false;
  for (TRegistration& r : seq.Items)
    if (!r.Deleted && r.Handler == Handler) r.Deleted = found = true;
  if (!found) return;
  seq.Dirty = true;
  // A running dispatch walks the sequence by position: leave the places
  // until it ends.
  if (seq.Walks == 0) Sweep(Msg, seq);
}

void TMessageEventDispatcher::WithdrawHandler(unsigned int Msg, TMessageEventHandler Handler) {
  auto it = FMap.find(Msg);
  if (it == FMap.end()) return;
  TSequence& seq = it->second;
  if (seq.Walks == 0) {
    DeleteHandler(Msg, Handler);
    return;
  }
  for (TRegistration& r : seq.Items)
    if (!r.Deleted && r.Handler == Handler) r.Withdrawn = seq.Dirty = true;
}

void TMessageEventDispatcher::DeleteHandlersOf(const void* Object) {
  for (auto it = FMap.begin(); it != FMap.end();) {
    TSequence& seq = it->second;
    for (TRegistration& r : seq.Items)
      if (!r.Deleted && r.Handler.Method().Data == Object) r.Deleted = seq.Dirty = true;
    auto next = std::next(it);
    if (seq.Dirty && seq.Walks == 0) Sweep(it->first, seq);  // may erase it
    it = next;
  }
}

void TMessageEventDispatcher::Sweep(std::uint32_t Msg, TSequence& Seq) {
  auto& items = Seq.Items;
  items.erase(std::remove_if(items.begin(), items.end(),
                             [](const TRegistration& r) { return r.Deleted || r.Withdrawn; }),
              items.end());
  Seq.Dirty = false;
  if (items.empty()) FMap.erase(Msg);
}

int TMessageEventDispatcher::HandlerCount(unsigned int Msg) const {
  auto it = FMap.find(Msg);
  if (it == FMap.end()) return 0;
  return static_cast<int>(std::count_if(it->second.Items.begin(), it->second.Items.end(),
                                        [](const TRegistration& r) { return !r.Deleted && !r.Withdrawn; }));
}

void TMessageEventDispatcher::DispatchEvent(TObject* Sender, TMessage& AMessage, bool& Handled) {
  // Most messages have no registration: one lookup, nothing called.
  auto it = FMap.find(AMessage.Msg);
  if (it == FMap.end()) return;
  const std::uint32_t msg = AMessage.Msg;  // handlers may change AMessage
  TSequence& seq = it->second;
  // Registrations added from here on are beyond this count; deleted ones keep
  // their place (marked) until no dispatch of this number runs.
  const std::size_t count = seq.Items.size();

  struct TWalkScope {
    TMessageEventDispatcher* Self;
    TSequence& Seq;
    std::uint32_t Msg;
    TWalk Walk;
    TWalkScope(TMessageEventDispatcher* D, TSequence& S, std::uint32_t M)
        : Self(D), Seq(S), Msg(M), Walk{D->FWalks, false} {
      Self->FWalks = &Walk;
      ++Seq.Walks;
    }
    ~TWalkScope() {
      if (Walk.DispatcherGone) return;
      Self->FWalks = Walk.Outer;
      if (--Seq.Walks == 0 && Seq.Dirty) Self->Sweep(Msg, Seq);
    }
  } scope(this, seq, msg);

  for (std::size_t i = 0; i < count; ++i) {
    if (seq.Items[i].Deleted) continue;
    // A copy: the handler may add registrations and so move the sequence.
    const TMessageEventHandler handler = seq.Items[i].Handler;
    bool flag = false;
    handler(this, AMessage, flag);
    if (flag) Handled = true;
    if (scope.Walk.DispatcherGone) return;
  }
}

}  // namespace Orvik
