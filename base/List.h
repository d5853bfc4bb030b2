#pragma once

#include "base/Memory.h"

#include <cstdint>

namespace oq {

class List;

// Intrusive list links; an element lies in at most one list and unlinks itself when destroyed.
class ListElement : public HeapObject
{
public:
    ListElement() = default;
    ListElement(const ListElement &) = delete;
    ListElement &operator=(const ListElement &) = delete;

    virtual ~ListElement();

    // Unlinks the element from its list; nothing when it is in none.
    virtual void Detach();

    ListElement *GetPreviousListElement() const { return previousElement; }
    ListElement *GetNextListElement() const { return nextElement; }
    List *GetOwningList() const { return owningList; }

    // Number of elements before this one.
    int32_t GetListElementIndex() const;

    // The element at the end of the next links (this one when it is the last).
    ListElement *GetLastListElement();

private:
    friend class List;

    ListElement *previousElement = nullptr;
    ListElement *nextElement = nullptr;
    List *owningList = nullptr;
};

// Intrusive doubly linked list; owns its elements: destroying it deletes those still in it.
class List
{
public:
    List() = default;
    List(const List &) = delete;
    List &operator=(const List &) = delete;

    ~List();

    ListElement *GetFirstListElement() const { return firstElement; }
    ListElement *GetLastListElement() const { return lastElement; }
    bool IsEmpty() const { return firstElement == nullptr; }

    // Each insertion first takes the element out of the list it is in.
    void Prepend(ListElement *element);
    void Append(ListElement *element);
    // A null position appends.
    void InsertBefore(ListElement *element, ListElement *position);
    // A null position prepends.
    void InsertAfter(ListElement *element, ListElement *position);

    // Unlinks an element of this list without deleting it.
    void Remove(ListElement *element);
    // Unlinks every element without deleting any.
    void RemoveAll();
    // Deletes every element through its virtual destructor.
    void Purge();

    // Null when the index is negative or not below the count.
    ListElement *GetListElement(int32_t index) const;
    int32_t GetListElementCount() const;

private:
    friend class ListElement;

    // Takes the element out of this list and clears its links.
    void Unlink(ListElement *element);

    ListElement *firstElement = nullptr;
    ListElement *lastElement = nullptr;
};

}  // namespace oq
