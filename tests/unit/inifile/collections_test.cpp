#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "inifile/collections.h"

namespace {

// Counts destructions, to tell a released item from one handed back.
struct Counted : TObject {
    int* destroyed;
    explicit Counted(int* d) : destroyed(d) {}
    ~Counted() override { ++*destroyed; }
};

// Records misuse instead of ending the process; its items are plain numbers.
struct Recording : TCollection {
    std::vector<int32_t> codes;
    Recording(int32_t capacity, int32_t step) : TCollection(capacity, step) {}
    ~Recording() override { FreeAllItems(); }
    void FreeItem(void*) override {}
    void ReportError(int32_t code, int32_t info) override
    {
        EXPECT_EQ(info, 0);
        codes.push_back(code);
    }
};

void* P(intptr_t n)
{
    return reinterpret_cast<void*>(n);
}

TEST(Collection, GrowsLinearlyByItsStep)
{
    Recording c(0, 10);
    EXPECT_EQ(c.ItemList, nullptr);
    for (int i = 0; i < 11; i++) {
        EXPECT_TRUE(c.Add(P(i + 1)));
        EXPECT_EQ(c.Capacity, i < 10 ? 10 : 20);
    }
    Recording d(100, 10);
    for (int i = 0; i < 101; i++)
        d.Add(P(1));
    EXPECT_EQ(d.Capacity, 110);
    EXPECT_TRUE(c.codes.empty() && d.codes.empty());
}

TEST(Collection, InsertAndRemoveKeepOrderAndOwnership)
{
    int destroyed = 0;
    Counted* a = new Counted(&destroyed);
    Counted* b = new Counted(&destroyed);
    {
        TCollection c(2, 1);
        c.Add(P(0));
        c.Add(a);
        c.Add(b);
        c.InsertAt(0, P(0));       // null items are stored like others
        c.InsertAt(c.ItemCount, a);  // appends
        ASSERT_EQ(c.ItemCount, 5);
        EXPECT_EQ(c.ItemAt(0), nullptr);
        EXPECT_EQ(c.ItemAt(2), a);
        EXPECT_EQ(c.ItemAt(4), a);
        EXPECT_EQ(c.Find(a), 2);  // lower index of the two
        EXPECT_EQ(c.Find(P(99)), -1);

        c.RemoveAt(4);  // handed back, not released
        c.RemoveAt(2);
        EXPECT_EQ(destroyed, 0);
        EXPECT_EQ(c.ItemCount, 3);
        EXPECT_EQ(c.ItemAt(2), b);
        EXPECT_EQ(c.Capacity, 5);  // removal never shrinks
        c.FreeAt(2);
        EXPECT_EQ(destroyed, 1);
        c.Add(a);
    }
    EXPECT_EQ(destroyed, 2);  // the destructor released a; nulls are ignored
}

TEST(Collection, MisuseIsReportedAndChangesNothing)
{
    Recording c(2, 0);
    c.Add(P(1));
    c.Add(P(2));
    EXPECT_FALSE(c.Add(P(3)));
    EXPECT_EQ(c.ItemAt(2), nullptr);
    EXPECT_EQ(c.ItemAt(-1), nullptr);
    c.InsertAt(3, P(4));
    c.RemoveAt(2);
    c.FreeAt(-1);
    c.SetCapacity(1);
    EXPECT_EQ(c.codes, (std::vector<int32_t>{-2, -1, -1, -1, -1, -1, -3}));
    EXPECT_EQ(c.ItemCount, 2);
    EXPECT_EQ(c.Capacity, 2);
    EXPECT_EQ(c.ItemAt(1), P(2));

    // A negative step cannot grow the list, and must not write past it.
    Recording n(1, -5);
    n.Add(P(1));
    EXPECT_FALSE(n.Add(P(2)));
    EXPECT_EQ(n.ItemCount, 1);
}

TEST(CollectionDeathTest, BaseReportErrorEndsTheProcessWith214)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TCollection c(1, 0);
    EXPECT_EXIT(c.ItemAt(0), ::testing::ExitedWithCode(214), "");
    c.Add(P(0));
    EXPECT_EXIT(c.Add(P(0)), ::testing::ExitedWithCode(214), "");
}

TEST(PCharCollection, OwnsItsStrings)
{
    TPCharCollection c(0, 10);
    const char* texts[] = {"a", "b", "c"};
    for (const char* t : texts)
        c.Add(StrNew(t));
    c.Add(StrNew(nullptr));
    EXPECT_EQ(c.ItemAt(3), nullptr);
    c.FreeAt(1);  // the copy of "b" is released (ASan would see a leak)
    ASSERT_EQ(c.ItemCount, 3);
    EXPECT_STREQ(static_cast<char*>(c.ItemAt(0)), "a");
    EXPECT_STREQ(static_cast<char*>(c.ItemAt(1)), "c");
    char* kept = static_cast<char*>(c.ItemAt(0));
    c.RemoveAt(0);
    StrDispose(kept);
}

}  // namespace
