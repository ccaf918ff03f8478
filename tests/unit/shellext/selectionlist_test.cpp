// The selection list that a new selection replaces while a worker may still
// read the old one.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "shellext/selectionlist.h"

namespace {

TSelectionList* ListOf(std::initializer_list<const char*> paths)
{
    TSelectionList* list = new TSelectionList((int32_t)paths.size());
    for (const char* p : paths)
        EXPECT_TRUE(list->Add(StrNew(p)));
    return list;
}

TEST(SelectionList, HoldsItsPathsInOrder)
{
    TSelectionList* list = ListOf({"D:\\A.TXT", "D:\\B", "E:\\C.TXT"});
    EXPECT_EQ(3, list->ItemCount);
    EXPECT_STREQ("D:\\A.TXT", list->PathAt(0));
    EXPECT_STREQ("E:\\C.TXT", list->PathAt(2));
    // Asking past either end is an answer, not an error.
    EXPECT_EQ(nullptr, list->PathAt(3));
    EXPECT_EQ(nullptr, list->PathAt(-1));
    list->Drop();
}

// A worker holds the list it walks; the shell's thread replaces the module's
// list in the meantime. The old list lives until the worker lets go (the
// sanitizers of the native build see any early free or any leak).
TEST(SelectionList, ReplacedListLivesUntilItsWorkerLetsGo)
{
    TSelectionList* current = ListOf({"D:\\ONE", "D:\\TWO"});
    TSelectionList* walked = current->Hold();

    std::atomic<bool> replaced(false);
    std::string seen;
    std::thread worker([&] {
        while (!replaced.load()) {
        }
        for (int32_t i = 0; walked->PathAt(i); ++i)
            seen += std::string(walked->PathAt(i)) + ";";
        walked->Drop();
    });

    TSelectionList* next = ListOf({"E:\\NEW"});
    current->Drop();
    current = next;
    replaced.store(true);
    worker.join();

    EXPECT_EQ("D:\\ONE;D:\\TWO;", seen);
    EXPECT_STREQ("E:\\NEW", current->PathAt(0));
    current->Drop();
}

}  // namespace
