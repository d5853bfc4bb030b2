#include "editor/platform/EventObserver.h"

namespace oq {

bool EventLink::Send(uint32_t event)
{
    EventObserver *observer = observerLink.GetTarget();
    if (!observer) return false;
    observer->Notify(this, event);
    return true;
}

}  // namespace oq
