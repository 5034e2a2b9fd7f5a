// The main window's session bookkeeping without a window: the picture
// cache, session numbers, the activation order after closes and drops, and
// the host history.
#include "session/core/ActivationOrder.h"
#include "session/core/GlyphCache.h"
#include "session/core/HostHistory.h"
#include "session/core/SessionNumbers.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>

namespace {

struct TFakePicture {
    std::string Loaded; // file it was loaded from; empty = no picture
};
struct TUser {};

// Pictures that "load" by remembering the name, counting the loads per file;
// a file named "missing" fails and leaves the picture empty.
struct TCacheFixture : ::testing::Test {
    std::map<std::string, int> Loads;
    session::TGlyphCache<TFakePicture, TUser> Cache{
        session::TPictureOps<TFakePicture>{[] { return std::make_unique<TFakePicture>(); },
                                           [](const TFakePicture& p) { return p.Loaded.empty(); },
                                           [this](TFakePicture& p, const std::string& f) {
                                               ++Loads[f];
                                               if (f != "missing") p.Loaded = f;
                                           }}};
    TUser A, B, C;
};

TEST_F(TCacheFixture, UsersOfOneFileShareOnePictureUntilTheLastLetsGo) {
    TFakePicture* pa = Cache.Acquire(&A, "sky.bmp", true);
    TFakePicture* pb = Cache.Acquire(&B, "sky.bmp", true);
    EXPECT_EQ(pa, pb);
    EXPECT_EQ(Loads["sky.bmp"], 1);
    Cache.Release(&A);
    EXPECT_EQ(Cache.Count(), 1u);
    EXPECT_EQ(Cache.Entry("sky.bmp")->Picture.get(), pb);
    Cache.Release(&B);
    EXPECT_EQ(Cache.Count(), 0u);
    // A later user reads the file again.
    Cache.Acquire(&C, "sky.bmp", true);
    EXPECT_EQ(Loads["sky.bmp"], 2);
}

TEST_F(TCacheFixture, EmptyNameGivesNoPictureAndUnknownUsersAreIgnored) {
    EXPECT_EQ(Cache.Acquire(&A, "", true), nullptr);
    EXPECT_EQ(Cache.Count(), 0u);
    Cache.Release(&A);
    EXPECT_EQ(Cache.Count(), 0u);
}

TEST_F(TCacheFixture, UnloadedEntryLoadsForTheFirstUserThatShowsIt) {
    TFakePicture* p = Cache.Acquire(&A, "sky.bmp", false);
    EXPECT_TRUE(p->Loaded.empty());
    Cache.Acquire(&B, "sky.bmp", true);
    EXPECT_EQ(p->Loaded, "sky.bmp");
    EXPECT_EQ(Loads["sky.bmp"], 1);
}

TEST_F(TCacheFixture, LetterCaseMakesDifferentEntries) {
    TFakePicture* a = Cache.Acquire(&A, "Sky.bmp", true);
    TFakePicture* b = Cache.Acquire(&B, "sky.bmp", true);
    EXPECT_NE(a, b);
    EXPECT_EQ(Cache.Count(), 2u);
}

TEST_F(TCacheFixture, AssigningTheSameFileChangesNothing) {
    TFakePicture* p = Cache.Acquire(&A, "sky.bmp", true);
    Cache.Acquire(&B, "sky.bmp", true);
    EXPECT_EQ(Cache.Assign(&A, "sky.bmp", true), p);
    EXPECT_EQ(Cache.Entry("sky.bmp")->Users.size(), 2u);
    EXPECT_EQ(Loads["sky.bmp"], 1);
}

TEST_F(TCacheFixture, AssigningANewFileDropsTheOldEntryOfItsOnlyUser) {
    Cache.Acquire(&A, "old.bmp", true);
    Cache.Acquire(&B, "shared.bmp", true);
    TFakePicture* p = Cache.Assign(&A, "new.bmp", true);
    EXPECT_EQ(p->Loaded, "new.bmp");
    EXPECT_EQ(Cache.Entry("old.bmp"), nullptr);
    // Moving onto a file another user shows joins that entry.
    EXPECT_EQ(Cache.Assign(&A, "shared.bmp", true), Cache.Entry("shared.bmp")->Picture.get());
    EXPECT_EQ(Cache.Entry("new.bmp"), nullptr);
    EXPECT_EQ(Cache.EntryOf(&A), Cache.Entry("shared.bmp"));
}

TEST_F(TCacheFixture, AssignKeepsAnEmptyNameAsAnEntryButNeverLoadsIt) {
    Cache.Acquire(&A, "sky.bmp", true);
    TFakePicture* p = Cache.Assign(&A, "", true);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->Loaded.empty());
    EXPECT_EQ(Loads.count(""), 0u);
    EXPECT_EQ(Cache.Entry("sky.bmp"), nullptr);
}

TEST_F(TCacheFixture, UnreadableFileLeavesAnEmptyPictureThatIsTriedAgain) {
    TFakePicture* p = Cache.Acquire(&A, "missing", true);
    EXPECT_TRUE(p->Loaded.empty());
    Cache.Acquire(&B, "missing", true);
    EXPECT_EQ(Loads["missing"], 2);
}

TEST(SessionNumbers, LowestFreeNumberIsTakenAndReusedAfterClose) {
    session::TNumberUsed n{};
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(session::TakeSessionNumber(n), i);
    EXPECT_EQ(session::TakeSessionNumber(n), 0) << "an eleventh session has no number";
    session::FreeSessionNumber(n, 4);
    session::FreeSessionNumber(n, 7);
    EXPECT_FALSE(n[4]);
    EXPECT_EQ(session::TakeSessionNumber(n), 4);
    EXPECT_EQ(session::TakeSessionNumber(n), 7);
    session::FreeSessionNumber(n, 0);
    session::FreeSessionNumber(n, 11);
    EXPECT_EQ(session::TakeSessionNumber(n), 0);
}

// The order must keep naming the same sessions: model sessions by name and
// check every entry before and after.
std::vector<char> Names(const session::TActivationOrder& order, const std::vector<char>& list) {
    std::vector<char> out;
    for (int i : order)
        out.push_back(list.at(static_cast<std::size_t>(i)));
    return out;
}

TEST(ActivationOrder, CloseRemovesTheSessionAndRenumbersTheRest) {
    std::vector<char> list = {'a', 'b', 'c', 'd'};
    session::TActivationOrder order = {2, 0, 3, 1};
    session::RemoveFromOrder(order, 1);
    list.erase(list.begin() + 1);
    EXPECT_EQ(Names(order, list), (std::vector<char>{'c', 'a', 'd'}));
}

TEST(ActivationOrder, DropKeepsEveryEntryOnItsSession) {
    for (int from = 0; from < 5; ++from)
        for (int to = 0; to < 5; ++to) {
            std::vector<char> list = {'a', 'b', 'c', 'd', 'e'};
            session::TActivationOrder order = {3, 1, 4, 0, 2};
            const auto before = Names(order, list);
            session::MoveInOrder(order, from, to);
            char moved = list[from];
            list.erase(list.begin() + from);
            list.insert(list.begin() + to, moved);
            EXPECT_EQ(Names(order, list), before) << from << " -> " << to;
        }
}

TEST(ActivationOrder, MoveToFrontTakesTheEntryFromWhereItWas) {
    session::TActivationOrder order = {0, 1, 2};
    session::MoveToFront(order, 2);
    EXPECT_EQ(order, (session::TActivationOrder{2, 0, 1}));
    session::MoveToFront(order, 5);
    EXPECT_EQ(order.front(), 5);
}

TEST(ActivationOrder, DropDestination) {
    // Dropped on a row above: it takes that row's place.
    EXPECT_EQ(session::DropDestination(3, 1, 5), 1);
    // Dropped below: it lands above the row under the mouse...
    EXPECT_EQ(session::DropDestination(0, 3, 5), 2);
    // ...and not at all on itself or the next row.
    EXPECT_EQ(session::DropDestination(2, 2, 5), -1);
    EXPECT_EQ(session::DropDestination(2, 3, 5), -1);
    // Rows outside the list move nothing.
    EXPECT_EQ(session::DropDestination(-1, 2, 5), -1);
    EXPECT_EQ(session::DropDestination(5, 2, 5), -1);
    EXPECT_EQ(session::DropDestination(0, 7, 5), -1);
}

TEST(HostHistory, UsedEntryMovesToTheTopAndTheListKeepsItsLimit) {
    std::vector<std::string> h = {"a", "b", "c"};
    session::AddToHistory(h, "c", 3);
    EXPECT_EQ(h, (std::vector<std::string>{"c", "a", "b"}));
    session::AddToHistory(h, "d", 3);
    EXPECT_EQ(h, (std::vector<std::string>{"d", "c", "a"}));
    session::AddToHistory(h, "d", 3);
    EXPECT_EQ(h, (std::vector<std::string>{"d", "c", "a"}));
    session::AddToHistory(h, "e", 1);
    EXPECT_EQ(h, (std::vector<std::string>{"e"}));
    session::AddToHistory(h, "f", -2);
    EXPECT_TRUE(h.empty());
}

} // namespace
