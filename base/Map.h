#pragma once

#include "base/Memory.h"

#include <cstdint>

namespace oq {

class Map;

// Links of an element of an intrusive AVL map; the key lives in the derived class.
// An element unlinks itself (with rebalancing) when destroyed while in a map.
class MapElement : public HeapObject
{
public:
    MapElement() = default;
    MapElement(const MapElement &) = delete;
    MapElement &operator=(const MapElement &) = delete;

    virtual ~MapElement();

    // Removes the element from its map; nothing when it is in none.
    virtual void Detach();

    MapElement *GetParentMapElement() const { return parentElement; }
    MapElement *GetLeftMapElement() const { return leftElement; }
    MapElement *GetRightMapElement() const { return rightElement; }
    Map *GetOwningMap() const { return owningMap; }
    // Height of the right subtree minus height of the left subtree.
    int32_t GetMapBalance() const { return balance; }

    // In-order neighbours; null at the ends.
    MapElement *GetPreviousMapElement() const;
    MapElement *GetNextMapElement() const;

    // Clears the links of this element and of every element below it.
    void RemoveSubtreeLinks();
    // Deletes this element and every element below it, children first, without rebalancing.
    void PurgeSubtree();

private:
    friend class Map;

    MapElement *parentElement = nullptr;
    MapElement *leftElement = nullptr;
    MapElement *rightElement = nullptr;
    Map *owningMap = nullptr;
    int32_t balance = 0;
};

// Intrusive AVL tree. It never compares keys: the owner of the key type searches from the root
// and links a new element at the null child it reaches. Owns its elements.
class Map
{
public:
    Map() = default;
    Map(const Map &) = delete;
    Map &operator=(const Map &) = delete;

    ~Map();

    MapElement *GetRootMapElement() const { return rootElement; }
    bool IsEmpty() const { return rootElement == nullptr; }
    // First and last elements in order; null when empty.
    MapElement *GetFirstMapElement() const;
    MapElement *GetLastMapElement() const;

    // For an empty map.
    void InsertRootElement(MapElement *element);
    // The parent is an element of this map with no child on that side.
    void InsertLeftElement(MapElement *parent, MapElement *element);
    void InsertRightElement(MapElement *parent, MapElement *element);
    // Puts the new element in the old one's exact place; no rebalancing.
    void ReplaceMapElement(MapElement *oldElement, MapElement *newElement);
    void RemoveMapElement(MapElement *element);

    // Element at an in-order index; null when the index is negative or past the end.
    MapElement *GetMapElement(int32_t index) const;
    int32_t GetMapElementCount() const;

    // Deletes every element.
    void Purge();
    // Unlinks every element without deleting any.
    void RemoveAll();

private:
    // Links the child in place of the subtree root that hung below the parent (or at the root).
    void ReplaceChild(MapElement *parent, MapElement *oldChild, MapElement *newChild);
    MapElement *RotateLeft(MapElement *element);
    MapElement *RotateRight(MapElement *element);
    MapElement *RotateRightLeft(MapElement *element);
    MapElement *RotateLeftRight(MapElement *element);
    void InsertChildElement(MapElement *parent, MapElement *element, bool left);
    void RebalanceAfterInsert(MapElement *parent, bool left);
    void RebalanceAfterRemove(MapElement *parent, bool left);

    MapElement *rootElement = nullptr;
};

}  // namespace oq
