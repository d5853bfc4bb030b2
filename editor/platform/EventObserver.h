#pragma once

#include "editor/platform/Link.h"

#include <cstdint>

namespace oq {

class EventLink;

// Receiver of widget events: a member of its receiver, whose handler it calls with the sender and
// the event 4CC.
class EventObserver : public Observable<EventObserver>
{
public:
    using Handler = void (*)(void *receiver, EventLink *sender, uint32_t event);

    EventObserver(void *eventReceiver, Handler eventHandler) : receiver(eventReceiver), handler(eventHandler) {}

    void Notify(EventLink *sender, uint32_t event) { handler(receiver, sender, event); }

private:
    void *receiver;
    Handler handler;
};

template <auto Method>
struct ObserverMethod;

template <class Receiver, void (Receiver::*Method)(EventLink *, uint32_t)>
struct ObserverMethod<Method>
{
    static void Call(void *receiver, EventLink *sender, uint32_t event)
    {
        (static_cast<Receiver *>(receiver)->*Method)(sender, event);
    }
};

// The handler that calls a member operation of the receiver: EventObserver(this, ObserverHandler<&Dialog::HandleEvent>).
template <auto Method>
inline constexpr EventObserver::Handler ObserverHandler = &ObserverMethod<Method>::Call;

// The weak reference from a sender (every widget) to the observer that receives its events.
class EventLink
{
public:
    EventLink() = default;
    EventLink(const EventLink &) = delete;
    EventLink &operator=(const EventLink &) = delete;
    virtual ~EventLink() = default;

    // Attaches the sender to an observer, replacing any previous one; null detaches it.
    void SetObserver(EventObserver *observer) { observerLink.SetTarget(observer); }
    EventObserver *GetObserver() const { return observerLink.GetTarget(); }

    // Calls the observer's handler with this sender, synchronously; false, with nothing called, when
    // no observer is attached. The handler may destroy the sender: callers send last.
    virtual bool Send(uint32_t event);

private:
    Link<EventObserver> observerLink;
};

}  // namespace oq
