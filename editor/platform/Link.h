#pragma once

#include "base/List.h"

namespace oq {

template <class T>
class Observable;

// A weak reference: a member of the object that holds it, listed by its target while set, and
// emptied when the target is destroyed.
template <class T>
class Link : private ListElement
{
public:
    Link() = default;
    ~Link() override = default;  // the list element unlinks itself

    T *GetTarget() const { return target; }

    // Points the link at another object, appending it to that object's links; null empties it.
    // The same target again keeps the link's place.
    void SetTarget(T *newTarget)
    {
        if (newTarget == target) return;
        if (target) ListElement::Detach();
        if (newTarget) static_cast<Observable<T> *>(newTarget)->links.Append(this);
        target = newTarget;
    }

    // The link pointed at the same target after this one.
    Link *GetNextLink() const { return static_cast<Link *>(GetNextListElement()); }

private:
    friend class Observable<T>;

    T *target = nullptr;
};

// The part of an object that links may point at: every link to it, in the order they were set.
template <class T>
class Observable
{
public:
    Observable() = default;
    Observable(const Observable &) = delete;
    Observable &operator=(const Observable &) = delete;

    virtual ~Observable() { ClearLinks(); }

    // Empties every link that points at the object.
    void ClearLinks()
    {
        while (ListElement *element = links.GetFirstListElement())
        {
            auto *link = static_cast<Link<T> *>(element);
            link->ListElement::Detach();
            link->target = nullptr;
        }
    }

    Link<T> *GetFirstLink() const { return static_cast<Link<T> *>(links.GetFirstListElement()); }

private:
    friend class Link<T>;

    List links;
};

}  // namespace oq
