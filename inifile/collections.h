// Growable lists of owned items: the lines of an INI file and the paths of a
// shell selection.
#ifndef SALVORA_INIFILE_COLLECTIONS_H
#define SALVORA_INIFILE_COLLECTIONS_H

#include <stdint.h>

// Root of the system's own class hierarchy; a TCollection destroys its items
// through this virtual destructor.
class TObject {
public:
    TObject() {}
    virtual ~TObject() {}

private:
    TObject(const TObject&);
    TObject& operator=(const TObject&);
};

// Heap copy of a NUL-terminated string (its length plus one bytes), released
// with StrDispose. A null text, or a failed allocation, gives null.
char* StrNew(const char* text);
void StrDispose(char* text);

// Ends the process with a run-time error; the status is the exit code.
void RunError(int32_t code);

// Codes passed to ReportError (info is always 0).
const int32_t CollIndexError = -1;     // index out of range
const int32_t CollOverflow = -2;       // full, and GrowBy is 0
const int32_t CollCapacityError = -3;  // capacity below ItemCount

class TCollection : public TObject {
public:
    void** ItemList;     // null while Capacity is 0
    int32_t Capacity;
    int32_t GrowBy;      // 0: never grows
    int32_t ItemCount;

    // The initial capacity goes through SetCapacity. C++ calls the base
    // version while the base is being built, so a descendant that redefines
    // SetCapacity applies its initial capacity again in its own constructor.
    TCollection(int32_t initialCapacity, int32_t growBy);
    // Frees the items through TCollection::FreeItem: a descendant that owns
    // another kind of item calls FreeAllItems in its own destructor.
    ~TCollection() override;

    // Virtual operations, in slot order.
    virtual void ReportError(int32_t code, int32_t info);
    virtual void FreeItem(void* item);
    virtual int32_t Find(void* item);
    // Returns false when the item was not stored (a reported error, or no
    // memory to grow); the caller then still owns it.
    virtual bool Add(void* item);
    virtual void SetCapacity(int32_t newCapacity);

    void* ItemAt(int32_t index);
    bool InsertAt(int32_t index, void* item);
    void RemoveAt(int32_t index);
    void FreeAt(int32_t index);
    void FreeAllItems();
};

// Items are strings made by StrNew and owned by the collection.
class TPCharCollection : public TCollection {
public:
    TPCharCollection(int32_t initialCapacity, int32_t growBy)
        : TCollection(initialCapacity, growBy) {}
    ~TPCharCollection() override;

    void FreeItem(void* item) override;
};

#endif
