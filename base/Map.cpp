#include "base/Map.h"

namespace oq {

MapElement::~MapElement()
{
    if (owningMap)
        owningMap->RemoveMapElement(this);
}

void MapElement::Detach()
{
    if (owningMap)
        owningMap->RemoveMapElement(this);
}

MapElement *MapElement::GetPreviousMapElement() const
{
    const MapElement *element = this;
    if (element->leftElement)
    {
        element = element->leftElement;
        while (element->rightElement)
            element = element->rightElement;
        return const_cast<MapElement *>(element);
    }
    MapElement *parent = element->parentElement;
    while (parent && parent->leftElement == element)
    {
        element = parent;
        parent = parent->parentElement;
    }
    return parent;
}

MapElement *MapElement::GetNextMapElement() const
{
    const MapElement *element = this;
    if (element->rightElement)
    {
        element = element->rightElement;
        while (element->leftElement)
            element = element->leftElement;
        return const_cast<MapElement *>(element);
    }
    MapElement *parent = element->parentElement;
    while (parent && parent->rightElement == element)
    {
        element = parent;
        parent = parent->parentElement;
    }
    return parent;
}

void MapElement::RemoveSubtreeLinks()
{
    if (leftElement)
        leftElement->RemoveSubtreeLinks();
    if (rightElement)
        rightElement->RemoveSubtreeLinks();
    parentElement = nullptr;
    leftElement = nullptr;
    rightElement = nullptr;
    owningMap = nullptr;
}

void MapElement::PurgeSubtree()
{
    if (leftElement)
        leftElement->PurgeSubtree();
    if (rightElement)
        rightElement->PurgeSubtree();
    owningMap = nullptr;
    delete this;
}

Map::~Map()
{
    Purge();
}

MapElement *Map::GetFirstMapElement() const
{
    MapElement *element = rootElement;
    if (element)
        while (element->leftElement)
            element = element->leftElement;
    return element;
}

MapElement *Map::GetLastMapElement() const
{
    MapElement *element = rootElement;
    if (element)
        while (element->rightElement)
            element = element->rightElement;
    return element;
}

void Map::ReplaceChild(MapElement *parent, MapElement *oldChild, MapElement *newChild)
{
    if (!parent)
        rootElement = newChild;
    else if (parent->leftElement == oldChild)
        parent->leftElement = newChild;
    else
        parent->rightElement = newChild;
    if (newChild)
        newChild->parentElement = parent;
}

MapElement *Map::RotateLeft(MapElement *element)
{
    MapElement *right = element->rightElement;
    int32_t b = right->balance;
    element->rightElement = right->leftElement;
    if (right->leftElement)
        right->leftElement->parentElement = element;
    ReplaceChild(element->parentElement, element, right);
    right->leftElement = element;
    element->parentElement = right;
    right->balance = b - 1;
    element->balance = 1 - b;
    return right;
}

MapElement *Map::RotateRight(MapElement *element)
{
    MapElement *left = element->leftElement;
    int32_t b = left->balance;
    element->leftElement = left->rightElement;
    if (left->rightElement)
        left->rightElement->parentElement = element;
    ReplaceChild(element->parentElement, element, left);
    left->rightElement = element;
    element->parentElement = left;
    left->balance = b + 1;
    element->balance = -b - 1;
    return left;
}

MapElement *Map::RotateRightLeft(MapElement *element)
{
    MapElement *right = element->rightElement;
    MapElement *grand = right->leftElement;
    int32_t g = grand->balance;
    element->rightElement = grand->leftElement;
    if (grand->leftElement)
        grand->leftElement->parentElement = element;
    right->leftElement = grand->rightElement;
    if (grand->rightElement)
        grand->rightElement->parentElement = right;
    ReplaceChild(element->parentElement, element, grand);
    grand->leftElement = element;
    grand->rightElement = right;
    element->parentElement = grand;
    right->parentElement = grand;
    element->balance = g > 0 ? -g : 0;
    right->balance = g < 0 ? -g : 0;
    grand->balance = 0;
    return grand;
}

MapElement *Map::RotateLeftRight(MapElement *element)
{
    MapElement *left = element->leftElement;
    MapElement *grand = left->rightElement;
    int32_t g = grand->balance;
    element->leftElement = grand->rightElement;
    if (grand->rightElement)
        grand->rightElement->parentElement = element;
    left->rightElement = grand->leftElement;
    if (grand->leftElement)
        grand->leftElement->parentElement = left;
    ReplaceChild(element->parentElement, element, grand);
    grand->leftElement = left;
    grand->rightElement = element;
    left->parentElement = grand;
    element->parentElement = grand;
    left->balance = g > 0 ? -g : 0;
    element->balance = g < 0 ? -g : 0;
    grand->balance = 0;
    return grand;
}

void Map::InsertRootElement(MapElement *element)
{
    if (element->owningMap)
        element->owningMap->RemoveMapElement(element);
    element->parentElement = nullptr;
    element->leftElement = nullptr;
    element->rightElement = nullptr;
    element->owningMap = this;
    element->balance = 0;
    rootElement = element;
}

void Map::InsertChildElement(MapElement *parent, MapElement *element, bool left)
{
    if (element->owningMap)
        element->owningMap->RemoveMapElement(element);
    element->parentElement = parent;
    element->leftElement = nullptr;
    element->rightElement = nullptr;
    element->owningMap = this;
    element->balance = 0;
    if (left)
        parent->leftElement = element;
    else
        parent->rightElement = element;
    RebalanceAfterInsert(parent, left);
}

void Map::InsertLeftElement(MapElement *parent, MapElement *element)
{
    InsertChildElement(parent, element, true);
}

void Map::InsertRightElement(MapElement *parent, MapElement *element)
{
    InsertChildElement(parent, element, false);
}

void Map::RebalanceAfterInsert(MapElement *parent, bool left)
{
    parent->balance += left ? -1 : 1;
    if (parent->balance == 0)
        return;

    // The subtree below child grew by one; its balance is the direction of the step below it.
    MapElement *child = parent;
    for (MapElement *element = child->parentElement; element; element = element->parentElement)
    {
        element->balance += element->leftElement == child ? -1 : 1;
        if (element->balance == 0)
            return;
        if (element->balance == -2)
        {
            if (child->balance < 0)
                RotateRight(element);
            else
                RotateLeftRight(element);
            return;
        }
        if (element->balance == 2)
        {
            if (child->balance > 0)
                RotateLeft(element);
            else
                RotateRightLeft(element);
            return;
        }
        child = element;
    }
}

void Map::RebalanceAfterRemove(MapElement *parent, bool left)
{
    MapElement *element = parent;
    element->balance += left ? 1 : -1;
    for (;;)
    {
        int32_t b = element->balance;
        if (b == 1 || b == -1)
            return;  // the subtree kept its height
        if (b == -2)
        {
            int32_t childBalance = element->leftElement->balance;
            if (childBalance > 0)
                element = RotateLeftRight(element);
            else
            {
                element = RotateRight(element);
                if (childBalance == 0)
                    return;
            }
        }
        else if (b == 2)
        {
            int32_t childBalance = element->rightElement->balance;
            if (childBalance < 0)
                element = RotateRightLeft(element);
            else
            {
                element = RotateLeft(element);
                if (childBalance == 0)
                    return;
            }
        }
        // The subtree rooted at element lost one level.
        MapElement *above = element->parentElement;
        if (!above)
            return;
        above->balance += above->leftElement == element ? 1 : -1;
        element = above;
    }
}

void Map::ReplaceMapElement(MapElement *oldElement, MapElement *newElement)
{
    if (newElement->owningMap)
        newElement->owningMap->RemoveMapElement(newElement);
    ReplaceChild(oldElement->parentElement, oldElement, newElement);
    newElement->leftElement = oldElement->leftElement;
    newElement->rightElement = oldElement->rightElement;
    if (newElement->leftElement)
        newElement->leftElement->parentElement = newElement;
    if (newElement->rightElement)
        newElement->rightElement->parentElement = newElement;
    newElement->balance = oldElement->balance;
    newElement->owningMap = this;
    oldElement->parentElement = nullptr;
    oldElement->leftElement = nullptr;
    oldElement->rightElement = nullptr;
    oldElement->owningMap = nullptr;
}

void Map::RemoveMapElement(MapElement *element)
{
    if (element->leftElement && element->rightElement)
    {
        // Take the successor out of its place, then put it in the element's place.
        MapElement *successor = element->rightElement;
        while (successor->leftElement)
            successor = successor->leftElement;
        MapElement *successorParent = successor->parentElement;
        bool wasLeft = successorParent->leftElement == successor;
        ReplaceChild(successorParent, successor, successor->rightElement);
        RebalanceAfterRemove(successorParent, wasLeft);

        ReplaceChild(element->parentElement, element, successor);
        successor->leftElement = element->leftElement;
        successor->rightElement = element->rightElement;
        if (successor->leftElement)
            successor->leftElement->parentElement = successor;
        if (successor->rightElement)
            successor->rightElement->parentElement = successor;
        successor->balance = element->balance;
    }
    else
    {
        MapElement *child = element->leftElement ? element->leftElement : element->rightElement;
        MapElement *parent = element->parentElement;
        bool wasLeft = parent && parent->leftElement == element;
        ReplaceChild(parent, element, child);
        if (parent)
            RebalanceAfterRemove(parent, wasLeft);
    }
    element->parentElement = nullptr;
    element->leftElement = nullptr;
    element->rightElement = nullptr;
    element->owningMap = nullptr;
}

MapElement *Map::GetMapElement(int32_t index) const
{
    if (index < 0)
        return nullptr;
    MapElement *element = GetFirstMapElement();
    while (element && index > 0)
    {
        element = element->GetNextMapElement();
        index--;
    }
    return element;
}

int32_t Map::GetMapElementCount() const
{
    int32_t count = 0;
    for (MapElement *element = GetFirstMapElement(); element; element = element->GetNextMapElement())
        count++;
    return count;
}

void Map::Purge()
{
    MapElement *root = rootElement;
    rootElement = nullptr;
    if (root)
        root->PurgeSubtree();
}

void Map::RemoveAll()
{
    if (rootElement)
        rootElement->RemoveSubtreeLinks();
    rootElement = nullptr;
}

}  // namespace oq
