#include "base/List.h"

namespace oq {

ListElement::~ListElement()
{
    if (owningList)
        owningList->Unlink(this);
}

void ListElement::Detach()
{
    if (owningList)
        owningList->Unlink(this);
}

int32_t ListElement::GetListElementIndex() const
{
    int32_t index = 0;
    for (const ListElement *element = previousElement; element; element = element->previousElement)
        index++;
    return index;
}

ListElement *ListElement::GetLastListElement()
{
    ListElement *element = this;
    while (element->nextElement)
        element = element->nextElement;
    return element;
}

List::~List()
{
    Purge();
}

void List::Unlink(ListElement *element)
{
    ListElement *previous = element->previousElement;
    ListElement *next = element->nextElement;
    if (previous)
        previous->nextElement = next;
    else
        firstElement = next;
    if (next)
        next->previousElement = previous;
    else
        lastElement = previous;
    element->previousElement = nullptr;
    element->nextElement = nullptr;
    element->owningList = nullptr;
}

void List::Prepend(ListElement *element)
{
    if (element->owningList)
        element->owningList->Unlink(element);
    element->owningList = this;
    element->nextElement = firstElement;
    if (firstElement)
        firstElement->previousElement = element;
    else
        lastElement = element;
    firstElement = element;
}

void List::Append(ListElement *element)
{
    if (element->owningList)
        element->owningList->Unlink(element);
    element->owningList = this;
    element->previousElement = lastElement;
    if (lastElement)
        lastElement->nextElement = element;
    else
        firstElement = element;
    lastElement = element;
}

void List::InsertBefore(ListElement *element, ListElement *position)
{
    if (!position)
    {
        Append(element);
        return;
    }
    if (element->owningList)
        element->owningList->Unlink(element);
    ListElement *previous = position->previousElement;
    element->owningList = this;
    element->previousElement = previous;
    element->nextElement = position;
    position->previousElement = element;
    if (previous)
        previous->nextElement = element;
    else
        firstElement = element;
}

void List::InsertAfter(ListElement *element, ListElement *position)
{
    if (!position)
    {
        Prepend(element);
        return;
    }
    if (element->owningList)
        element->owningList->Unlink(element);
    ListElement *next = position->nextElement;
    element->owningList = this;
    element->previousElement = position;
    element->nextElement = next;
    position->nextElement = element;
    if (next)
        next->previousElement = element;
    else
        lastElement = element;
}

void List::Remove(ListElement *element)
{
    Unlink(element);
}

void List::RemoveAll()
{
    ListElement *element = firstElement;
    while (element)
    {
        ListElement *next = element->nextElement;
        element->previousElement = nullptr;
        element->nextElement = nullptr;
        element->owningList = nullptr;
        element = next;
    }
    firstElement = nullptr;
    lastElement = nullptr;
}

void List::Purge()
{
    while (firstElement)
        delete firstElement;
}

ListElement *List::GetListElement(int32_t index) const
{
    if (index < 0)
        return nullptr;
    ListElement *element = firstElement;
    while (element && index > 0)
    {
        element = element->nextElement;
        index--;
    }
    return element;
}

int32_t List::GetListElementCount() const
{
    int32_t count = 0;
    for (const ListElement *element = firstElement; element; element = element->nextElement)
        count++;
    return count;
}

}  // namespace oq
