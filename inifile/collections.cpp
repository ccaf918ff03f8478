#include "inifile/collections.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

char* StrNew(const char* text)
{
    if (!text)
        return 0;
    size_t size = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy)
        memcpy(copy, text, size);
    return copy;
}

void StrDispose(char* text)
{
    free(text);
}

void RunError(int32_t code)
{
    exit(code);
}

TCollection::TCollection(int32_t initialCapacity, int32_t growBy)
    : ItemList(0), Capacity(0), GrowBy(growBy), ItemCount(0)
{
    SetCapacity(initialCapacity);
}

TCollection::~TCollection()
{
    FreeAllItems();
    SetCapacity(0);
}

void TCollection::ReportError(int32_t, int32_t)
{
    RunError(214);
}

void TCollection::FreeItem(void* item)
{
    delete static_cast<TObject*>(item);
}

int32_t TCollection::Find(void* item)
{
    for (int32_t i = 0; i < ItemCount; i++)
        if (ItemList[i] == item)
            return i;
    return -1;
}

bool TCollection::Add(void* item)
{
    return InsertAt(ItemCount, item);
}

void TCollection::SetCapacity(int32_t newCapacity)
{
    if (newCapacity < ItemCount) {
        ReportError(CollCapacityError, 0);
        return;
    }
    if (newCapacity == Capacity)
        return;
    if (newCapacity == 0) {
        free(ItemList);
        ItemList = 0;
        Capacity = 0;
        return;
    }
    // A failed reallocation keeps the old array: the collection stays as it
    // was, and InsertAt sees that it did not grow.
    if (static_cast<uint64_t>(newCapacity) > SIZE_MAX / sizeof(void*))
        return;
    void** list = static_cast<void**>(
        realloc(ItemList, static_cast<size_t>(newCapacity) * sizeof(void*)));
    if (!list)
        return;
    ItemList = list;
    Capacity = newCapacity;
}

void* TCollection::ItemAt(int32_t index)
{
    if (index < 0 || index >= ItemCount) {
        ReportError(CollIndexError, 0);
        return 0;
    }
    return ItemList[index];
}

bool TCollection::InsertAt(int32_t index, void* item)
{
    if (index < 0 || index > ItemCount) {
        ReportError(CollIndexError, 0);
        return false;
    }
    if (ItemCount == Capacity) {
        if (GrowBy == 0) {
            ReportError(CollOverflow, 0);
            return false;
        }
        if (GrowBy > 0 && Capacity > INT32_MAX - GrowBy)
            return false;
        SetCapacity(Capacity + GrowBy);
        // No memory, or a negative step that SetCapacity refused.
        if (ItemCount >= Capacity)
            return false;
    }
    if (index < ItemCount)
        memmove(&ItemList[index + 1], &ItemList[index],
                static_cast<size_t>(ItemCount - index) * sizeof(void*));
    ItemList[index] = item;
    ItemCount++;
    return true;
}

void TCollection::RemoveAt(int32_t index)
{
    if (index < 0 || index >= ItemCount) {
        ReportError(CollIndexError, 0);
        return;
    }
    if (index < ItemCount - 1)
        memmove(&ItemList[index], &ItemList[index + 1],
                static_cast<size_t>(ItemCount - 1 - index) * sizeof(void*));
    ItemCount--;
}

void TCollection::FreeAt(int32_t index)
{
    if (index < 0 || index >= ItemCount) {
        ReportError(CollIndexError, 0);
        return;
    }
    void* item = ItemList[index];
    RemoveAt(index);
    FreeItem(item);
}

void TCollection::FreeAllItems()
{
    for (int32_t i = 0; i < ItemCount; i++)
        FreeItem(ItemList[i]);
    ItemCount = 0;
}

TPCharCollection::~TPCharCollection()
{
    FreeAllItems();
}

void TPCharCollection::FreeItem(void* item)
{
    StrDispose(static_cast<char*>(item));
}
