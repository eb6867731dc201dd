// Message event dispatcher: a window message routed, by number, to the
// handlers registered for it; the message record and the handler type.
#pragma once

// The platform's class registry first: <windows.h> makes RegisterClass a macro.
#include "Classes.h"
#include "Closures.h"
#include "Messages.h"
#include "OrvikApi.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Vcl {
class TWinControl;
}

namespace Orvik {

using Vcl::TClass;
using Vcl::TComponent;
using Vcl::TMessage;
using Vcl::TObject;
using Vcl::TOperation;
using Vcl::TWinControl;

// The handler of a window message: (Sender, message, Handled).
using TMessageEventHandler = Vcl::Closure<void(TObject*, TMessage&, bool&)>;

// Routes a message to the handlers registered for its number, in the order
// in which they were registered. Owns its registrations, never the objects
// the handlers are bound to.
//
// A handler may add and delete registrations, of its own message number too:
// every registration present when a dispatch starts that is not deleted
// before its turn is called exactly once, in order; a deleted one is not
// called after its deletion; one added during a dispatch is first called by
// the next dispatch of its number. The dispatcher may even be destroyed by
// one of its handlers: the dispatch then ends at once.
class ORVIK_API TMessageEventDispatcher : public TObject {
  VCL_CLASS(TMessageEventDispatcher)
 public:
  TMessageEventDispatcher();
  ~TMessageEventDispatcher() override;

  // Appends Handler to the registrations of Msg; an equal registration is
  // appended again and then called once for each time it was added.
  // Raises EInvalidOperation for an unassigned handler.
  void AddHandler(unsigned int Msg, TMessageEventHandler Handler);
  // Removes every registration of Msg equal to Handler.
  void DeleteHandler(unsigned int Msg, TMessageEventHandler Handler);
  // Offers AMessage to the handlers of AMessage.Msg; each is called with this
  // dispatcher as Sender and a flag of its own, and Handled is set when any
  // of them sets its flag (never cleared). An exception from a handler ends
  // the dispatch and goes on to the caller.
  void DispatchEvent(TObject* Sender, TMessage& AMessage, bool& Handled);

  // Registrations of Msg that are still to be called by later dispatches.
  int HandlerCount(unsigned int Msg) const;

 private:
  friend class TSnatcherUser;

  struct TRegistration {
    TMessageEventHandler Handler;
    bool Deleted = false;    // not called any more
    bool Withdrawn = false;  // removed once the running dispatches end
  };
  struct TSequence {
    std::vector<TRegistration> Items;
    int Walks = 0;        // dispatches of this number now running
    bool Dirty = false;   // holds deleted or withdrawn registrations
  };
  struct TWalk {
    TWalk* Outer;
    bool DispatcherGone;
  };

  // Removes equal registrations of Msg once the dispatches of Msg that are
  // running have ended; they are still called by those.
  void WithdrawHandler(unsigned int Msg, TMessageEventHandler Handler);
  // Deletes every registration bound to Object, of any message number.
  void DeleteHandlersOf(const void* Object);
  void Sweep(std::uint32_t Msg, TSequence& Seq);
  // Answers whether this dispatcher still exists, for objects that outlive it.
  std::weak_ptr<void> Life() const { return FLife; }

  std::unordered_map<std::uint32_t, TSequence> FMap;
  TWalk* FWalks = nullptr;
  std::shared_ptr<void> FLife;
};

}  // namespace Orvik
