#include "shellext/selectionlist.h"

TSelectionList::TSelectionList(int32_t initialCapacity)
    : TPCharCollection(initialCapacity, 10), holders_(1)
{
}

TSelectionList::~TSelectionList() {}

TSelectionList* TSelectionList::Hold()
{
    holders_.fetch_add(1);
    return this;
}

void TSelectionList::Drop()
{
    if (holders_.fetch_sub(1) == 1)
        delete this;
}

const char* TSelectionList::PathAt(int32_t index)
{
    if (index < 0 || index >= ItemCount)
        return 0;
    return static_cast<const char*>(ItemList[index]);
}
