// "&ForceDelete" on random trees, selections and answers (forcedelete.h),
// one test for each seed: what must happen is worked out from the tree, the
// selection and the answers alone, and compared with what the run asked, left
// and sent.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "forcedelete.h"

namespace {

using namespace forcedeletetest;

// CancelRun is the progress dialog's Cancel while the file is asked about.
enum class Reply { Yes, YesToAll, No, Cancel, CancelRun };

struct Node {
    std::string path;                 // relative to kArea
    enum { File, Folder, Link } kind;
    DWORD attributes;                 // as read back after they were set
    std::vector<Node> children;       // in the order they are listed
};

// The case: a tree under kArea, folders under kOutside that links point to,
// a selection of the tree's top items in some order, and what the user
// answers to each file confirmation.
struct Case {
    std::mt19937 random;
    std::vector<Node> top;
    std::vector<std::string> outsideFolders;
    std::string links;          // the host's commands that make them
    std::string description;

    explicit Case(unsigned seed) : random(seed) {}
    unsigned Pick(unsigned n) { return random() % n; }

    void MakeOutside()
    {
        for (int i = 0; i < 3; ++i) {
            std::string dir = kOutside + "\\T" + std::to_string(i);
            ASSERT_TRUE(files::MakeDirs(dir));
            // One target stays empty: a removal through a link would take it.
            if (i > 0) {
                ASSERT_TRUE(files::MakeFile(dir + "\\kept " + std::to_string(i) + ".txt", 5));
            }
            outsideFolders.push_back(dir);
        }
    }

    void Make(const std::string& dir, int depth, int* serial)
    {
        static const char* const pieces[] = {"a", "b b", "c.d", "x.y.z", "New Folder", "read me.txt",
                                             "v1.2", " lead"};
        int entries = depth == 0 ? 2 + (int)Pick(5) : (int)Pick(5);
        for (int i = 0; i < entries; ++i) {
            std::string relative = dir + (dir.empty() ? "" : "\\") + pieces[Pick(8)] + std::to_string(++*serial);
            unsigned kind = depth < 3 ? Pick(24) : Pick(12);
            if (kind < 11) {
                // Files: some read-only, hidden or system, in any mix.
                DWORD attributes = Pick(5) < 3 ? 0 : 1 + Pick(7);
                ASSERT_TRUE(files::MakeFile(In(relative), Pick(100), attributes));
                description += "  file " + relative + " " + std::to_string(attributes) + "\n";
            } else if (kind < 12) {
                links += LinkCommand(In(relative), outsideFolders[Pick(3)]);
                description += "  link " + relative + "\n";
            } else {
                ASSERT_TRUE(files::MakeDirs(In(relative)));
                description += "  folder " + relative + "\n";
                Make(relative, depth + 1, serial);
                // Hidden or system folders; a read-only folder is, under Wine,
                // a Unix folder without write permission, which only root
                // could empty.
                if (Pick(3) == 0) {
                    ASSERT_TRUE(SetFileAttributesA(In(relative).c_str(), 2 + 2 * Pick(2)));
                }
            }
        }
    }

    static std::vector<Node> Read(const std::string& relative)
    {
        std::vector<Node> nodes;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((kArea + relative + "\\*.*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE)
            return nodes;
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            Node node{(relative.empty() ? "" : relative.substr(1) + "\\") + name, Node::File,
                      entry.dwFileAttributes, {}};
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                node.kind = Node::Link;
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                node.kind = Node::Folder;
            if (node.kind == Node::Folder)
                node.children = Read(relative + "\\" + name);
            nodes.push_back(node);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return nodes;
    }
};

// What must happen, worked out from the tree, the selection and the
// answers alone: the files asked about (with the dialog that asks), the
// entries that go, and whether a Cancel in a file confirmation leaves the
// progress dialog for its own Cancel.
struct Model {
    explicit Model(Case* theCase) : c(theCase) {}
    Case* c;
    std::vector<Reply> replies;
    long total = 0;
    bool walkOK = true, cancelled = false, yesToAll = false;
    std::vector<std::pair<std::string, bool>> asked;   // path, with "Yes to all"
    std::vector<std::string> gone;
    std::string linkStop;   // the link the walk ended at, which the run names

    bool Gone(const Node& node) const
    {
        return std::find(gone.begin(), gone.end(), node.path) != gone.end();
    }

    static long Count(const Node& node)
    {
        long n = 1;
        for (const Node& child : node.children)
            n += Count(child);
        return n;
    }

    bool Going() const { return walkOK && !cancelled; }

    // True when the file is gone.
    void File(const Node& node)
    {
        if ((node.attributes & kProtected) && !yesToAll) {
            // Yes, Yes to all, No, Cancel; with Yes and No alone, Escape
            // stands for Cancel.
            bool fourButtons = total > 1;
            unsigned r = c->Pick(20);
            Reply reply = r < 7 ? Reply::Yes : r < 11 ? Reply::YesToAll : r < 16 ? Reply::No
                                                                         : r < 18 ? Reply::Cancel : Reply::CancelRun;
            if (!fourButtons && reply == Reply::YesToAll)
                reply = Reply::Yes;
            asked.push_back({In(node.path), fourButtons});
            replies.push_back(reply);
            if (reply == Reply::Cancel || reply == Reply::CancelRun) {
                cancelled = true;
                return;
            }
            if (reply == Reply::No)
                return;
            yesToAll = yesToAll || reply == Reply::YesToAll;
        }
        gone.push_back(node.path);
    }

    // True when the folder and all of it went.
    bool Walk(const Node& node)
    {
        // Selected again, or inside an item selected before: done already.
        if (Gone(node))
            return true;
        if (node.kind == Node::Link) {
            walkOK = false;
            linkStop = In(node.path);
            return false;
        }
        if (node.kind == Node::File) {
            size_t before = gone.size();
            File(node);
            return gone.size() > before;
        }
        bool empty = true;
        for (const Node& child : node.children) {
            if (!Going())
                break;
            empty = Walk(child) && empty;
        }
        if (!Going())
            return false;
        // A file kept inside keeps the folder, and the walk ends there.
        walkOK = empty;
        if (walkOK)
            gone.push_back(node.path);
        return walkOK;
    }

    void Run(const std::vector<const Node*>& selection)
    {
        for (const Node* node : selection)
            total += node->kind == Node::Folder ? Count(*node) : 1;
        for (const Node* node : selection) {
            if (!Going())
                break;
            Walk(*node);
        }
    }
};

class ForceDeleteRandom : public ForceDelete, public ::testing::WithParamInterface<unsigned> {};

TEST_P(ForceDeleteRandom, TreesSelectionsAndAnswers)
{
    const unsigned seed = GetParam();
    Case c(seed);
    c.MakeOutside();
    int serial = 0;
    c.Make("", 0, &serial);
    if (HasFatalFailure() || (!c.links.empty() && !host::Run(c.links)))
        FAIL() << "the tree cannot be made";
    std::vector<Node> top = Case::Read("");
    // Some of the top items, in any order: the shell's selection. The
    // Find window adds items inside them too, and an item may come twice.
    std::vector<const Node*> selection, inner;
    for (const Node& node : top)
        if (c.Pick(3) != 0 || selection.empty())
            selection.push_back(&node);
    for (const Node& node : top)
        for (const Node& child : node.children)
            if (child.kind != Node::Link && c.Pick(4) == 0)
                inner.push_back(&child);
    selection.insert(selection.end(), inner.begin(), inner.end());
    if (c.Pick(4) == 0)
        selection.push_back(selection[c.Pick((unsigned)selection.size())]);
    std::shuffle(selection.begin(), selection.end(), c.random);
    std::vector<std::string> paths;
    for (const Node* node : selection)
        paths.push_back(In(node->path));

    Listing before = TreeOf(kArea), outside = TreeOf(kOutside);
    Model model(&c);
    model.Run(selection);
    std::ostringstream trace;
    trace << "seed " << seed << "\n" << c.description << "  selected";
    for (const std::string& p : paths)
        trace << " [" << p << "]";
    SCOPED_TRACE(trace.str());

    auto command = Run(paths);
    Confirm(paths.size() > 1 ? kItemsCaption : selection[0]->kind == Node::File ? kFileCaption
                                                                                : kFolderCaption);
    for (size_t i = 0; i < model.asked.size(); ++i) {
        HWND box = WaitForConfirmation(kFileCaption);
        ASSERT_TRUE(box != NULL) << "file confirmation " << i;
        EXPECT_EQ(AskedAbout(model.asked[i].first), ui::ControlText(box, kMessage));
        EXPECT_EQ(model.asked[i].second, GetDlgItem(box, kYesToAll) != NULL);
        // Tracking is off while the walk waits for the user.
        EXPECT_EQ(1, requests_.Count(8));
        EXPECT_EQ(0, requests_.Count(9));
        if (model.replies[i] == Reply::CancelRun) {
            // The question goes with the run, which resumes tracking.
            ui::ClickButton(Progress(), IDCANCEL);
            ASSERT_TRUE(ui::WaitGone(box));
            break;
        }
        static const int buttons[] = {IDYES, kYesToAll, IDNO, IDCANCEL};
        Answer(box, buttons[(int)model.replies[i]]);
    }
    // A Cancel in a file confirmation closed the progress dialog too;
    // a link the walk ended at is named.
    EXPECT_EQ(model.linkStop.empty() ? "" : Stopped(model.linkStop, kLink), MessageAfter(command.get()));
    ASSERT_TRUE(command->WaitDone());
    command.reset();
    ASSERT_TRUE(ui::WaitUntil([] { return sext::Bin().CanUnloadNow() == S_OK; }));

    Listing expected;
    for (const auto& entry : before)
        if (std::find(model.gone.begin(), model.gone.end(), entry.first.substr(1)) == model.gone.end())
            expected.push_back(entry);
    EXPECT_EQ(expected, TreeOf(kArea));
    EXPECT_EQ(outside, TreeOf(kOutside));
    EXPECT_TRUE(SuspendedThenResumed());
}

INSTANTIATE_TEST_SUITE_P(Seeds, ForceDeleteRandom, ::testing::Range(1u, 41u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "Seed" + std::to_string(info.param);
                         });

}  // namespace
