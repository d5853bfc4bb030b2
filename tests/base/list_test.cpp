#include "base/List.h"

#include <gtest/gtest.h>

#include <vector>

namespace oq {
namespace {

// Element that counts the live instances.
struct Item : ListElement
{
    explicit Item(int v, int *live) : value(v), liveCount(live) { ++*liveCount; }
    ~Item() override { --*liveCount; }

    int value;
    int *liveCount;
};

// Checks every link of the list and returns its values in order.
std::vector<int> Values(const List &list)
{
    std::vector<int> values;
    const ListElement *previous = nullptr;
    for (ListElement *element = list.GetFirstListElement(); element; element = element->GetNextListElement())
    {
        EXPECT_EQ(element->GetOwningList(), &list);
        EXPECT_EQ(element->GetPreviousListElement(), previous);
        EXPECT_EQ(element->GetListElementIndex(), static_cast<int32_t>(values.size()));
        values.push_back(static_cast<Item *>(element)->value);
        previous = element;
    }
    EXPECT_EQ(list.GetLastListElement(), previous);
    EXPECT_EQ(list.GetListElementCount(), static_cast<int32_t>(values.size()));
    return values;
}

void ExpectUnlinked(const ListElement *element)
{
    EXPECT_EQ(element->GetOwningList(), nullptr);
    EXPECT_EQ(element->GetPreviousListElement(), nullptr);
    EXPECT_EQ(element->GetNextListElement(), nullptr);
}

TEST(List, InsertionsKeepTheLinks)
{
    int live = 0;
    {
        List list;
        Item *a = new Item(1, &live), *b = new Item(2, &live), *c = new Item(3, &live), *d = new Item(4, &live);
        list.Append(a);
        list.Append(b);
        list.Prepend(c);
        EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 2}));
        list.InsertBefore(d, a);
        EXPECT_EQ(Values(list), (std::vector<int>{3, 4, 1, 2}));
        list.InsertAfter(c, b);  // moves within the list
        EXPECT_EQ(Values(list), (std::vector<int>{4, 1, 2, 3}));
        list.InsertBefore(a, nullptr);  // null position appends
        EXPECT_EQ(Values(list), (std::vector<int>{4, 2, 3, 1}));
        list.InsertAfter(b, nullptr);  // null position prepends
        EXPECT_EQ(Values(list), (std::vector<int>{2, 4, 3, 1}));
        list.Append(a);  // the last element stays where it is
        EXPECT_EQ(Values(list), (std::vector<int>{2, 4, 3, 1}));
        list.Prepend(b);
        EXPECT_EQ(Values(list), (std::vector<int>{2, 4, 3, 1}));
        list.InsertAfter(d, d->GetPreviousListElement());
        EXPECT_EQ(Values(list), (std::vector<int>{2, 4, 3, 1}));

        EXPECT_EQ(list.GetListElement(0), b);
        EXPECT_EQ(list.GetListElement(3), a);
        EXPECT_EQ(list.GetListElement(4), nullptr);
        EXPECT_EQ(list.GetListElement(-1), nullptr);
        EXPECT_EQ(b->GetLastListElement(), a);
        EXPECT_EQ(a->GetLastListElement(), a);

        list.Remove(d);
        ExpectUnlinked(d);
        EXPECT_EQ(Values(list), (std::vector<int>{2, 3, 1}));
        delete d;
        EXPECT_EQ(live, 3);
    }
    EXPECT_EQ(live, 0);  // the list deleted what remained
}

TEST(List, MovingBetweenLists)
{
    int live = 0;
    List first, second;
    Item *a = new Item(1, &live), *b = new Item(2, &live), *c = new Item(3, &live);
    first.Append(a);
    first.Append(b);
    first.Append(c);
    second.Append(b);
    EXPECT_EQ(Values(first), (std::vector<int>{1, 3}));
    EXPECT_EQ(Values(second), (std::vector<int>{2}));
    second.InsertBefore(c, b);
    second.InsertAfter(a, b);
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(first.GetFirstListElement(), nullptr);
    EXPECT_EQ(first.GetLastListElement(), nullptr);
    EXPECT_EQ(Values(second), (std::vector<int>{3, 2, 1}));
    second.Purge();
    EXPECT_EQ(live, 0);
    EXPECT_TRUE(second.IsEmpty());
}

TEST(List, DestroyingAnElementUnlinksIt)
{
    int live = 0;
    List list;
    Item *items[5];
    for (int i = 0; i < 5; i++)
        list.Append(items[i] = new Item(i, &live));
    delete items[0];
    delete items[4];
    delete items[2];
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
    items[1]->Detach();
    ExpectUnlinked(items[1]);
    items[1]->Detach();  // nothing when in no list
    EXPECT_EQ(Values(list), (std::vector<int>{3}));
    delete items[1];
    delete items[3];
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(live, 0);
}

TEST(List, RemoveAllLetsElementsSurviveTheList)
{
    int live = 0;
    Item *a = new Item(1, &live), *b = new Item(2, &live);
    {
        List list;
        list.Append(a);
        list.Append(b);
        list.RemoveAll();
        ExpectUnlinked(a);
        ExpectUnlinked(b);
        EXPECT_EQ(list.GetListElementCount(), 0);
    }
    EXPECT_EQ(live, 2);
    delete a;
    delete b;
    EXPECT_EQ(live, 0);
}

}  // namespace
}  // namespace oq
