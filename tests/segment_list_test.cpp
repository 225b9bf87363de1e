#include "game/segment_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/allocation_counter.h"
#include "tests/support/game_fixture.h"

namespace {

using test::AllocationCount;

Segment At(int i)
{
    return Segment{i, 10 * i, 100 * i, 1000 * i};
}

std::vector<Segment> Contents(SegmentList& list)
{
    std::vector<Segment> out;
    for (int k = list.GetCount(); k > 0; --k) out.push_back(list.CycleHeadToTail());
    return out;
}

TEST(SegmentListTest, NodesComeInBlocksOfTenGivenBackOnlyWhenTheListIsEmpty)
{
    SegmentList list;
    std::size_t before = AllocationCount();
    list.AddTail(At(0));
    EXPECT_EQ(AllocationCount(), before + 1) << "the first insertion takes a block";
    for (int i = 1; i < 10; ++i) list.AddTail(At(i));
    EXPECT_EQ(AllocationCount(), before + 1) << "nine more fit in it";
    list.AddHead(At(10));
    EXPECT_EQ(AllocationCount(), before + 2) << "the eleventh takes a second block";
    EXPECT_EQ(list.BlockCount(), 2);

    // Shrinking keeps the blocks, and insertions reuse freed nodes.
    for (int i = 0; i < 8; ++i) list.RemoveTail();
    before = AllocationCount();
    for (int i = 0; i < 8; ++i) list.AddHead(At(i));
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(list.BlockCount(), 2);

    while (list.GetCount() > 1) list.RemoveHead();
    EXPECT_EQ(list.BlockCount(), 2);
    list.RemoveTail();
    EXPECT_EQ(list.BlockCount(), 0) << "the count reaching 0 gives every block back";

    before = AllocationCount();
    list.AddTail(At(5));
    EXPECT_EQ(AllocationCount(), before + 1) << "a fresh block after emptying";
    EXPECT_EQ(list.GetHead(), At(5));
    EXPECT_EQ(list.GetTail(), At(5));
}

TEST(SegmentListTest, EndsInsertAndRemoveInOrder)
{
    SegmentList list;
    list.AddTail(At(1));
    list.AddTail(At(2));
    list.AddHead(At(0));
    list.AddTail(At(3));
    EXPECT_EQ(Contents(list), (std::vector<Segment>{At(0), At(1), At(2), At(3)}));
    EXPECT_EQ(list.RemoveHead(), At(0));
    EXPECT_EQ(list.RemoveTail(), At(3));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(Contents(list), (std::vector<Segment>{At(1), At(2)}));
}

TEST(SegmentListTest, WalksBothWaysLeaveTheListAsItWasAndAllocateNothing)
{
    SegmentList list;
    std::vector<Segment> expected;
    for (int i = 0; i < 25; ++i) {
        list.AddTail(At(i));
        expected.push_back(At(i));
    }
    std::vector<Segment> backwards;
    std::vector<Segment> forwards;
    backwards.reserve(25);
    forwards.reserve(25);
    const std::size_t before = AllocationCount();
    for (int k = list.GetCount(); k > 0; --k) backwards.push_back(list.CycleTailToHead());
    for (int k = list.GetCount(); k > 0; --k) forwards.push_back(list.CycleHeadToTail());
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(forwards, expected);
    EXPECT_EQ(backwards, std::vector<Segment>(expected.rbegin(), expected.rend()));
    EXPECT_EQ(list.BlockCount(), 3);
    EXPECT_EQ(list.GetHead(), At(0));
    EXPECT_EQ(list.GetTail(), At(24));
}

TEST(SegmentListTest, RemoveAllAndTheDestructorReleaseEveryBlock)
{
    SegmentList list;
    for (int i = 0; i < 31; ++i) list.AddTail(At(i));
    EXPECT_EQ(list.BlockCount(), 4);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.BlockCount(), 0);
    list.AddHead(At(1));
    EXPECT_EQ(Contents(list), std::vector<Segment>{At(1)});
    // The destructor releases the rest; the sanitizer build's leak check watches it.
}

}  // namespace
