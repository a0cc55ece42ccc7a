#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "lanthor/tooltips/block_graveyard.h"

using namespace lanthor;

namespace {
std::vector<Address> g_freed;
void record(Address block) { g_freed.push_back(block); }
}  // namespace

TEST(BlockGraveyard, FreesAtOnceOutsideEveryBlockAndOnlyOnceNoneRunsOtherwise) {
    g_freed.clear();
    BlockGraveyard graveyard;
    EXPECT_FALSE(graveyard.release(1, record));
    EXPECT_EQ(g_freed, std::vector<Address>{1});
    {
        BlockGraveyard::Frame outer(graveyard);
        {
            BlockGraveyard::Frame nested(graveyard);  // a message sent from inside the first
            EXPECT_TRUE(graveyard.release(2, record));
        }
        EXPECT_TRUE(graveyard.release(3, record));
        // The outer block is still on the stack: nothing goes yet.
        EXPECT_FALSE(graveyard.flush());
        EXPECT_EQ(graveyard.buried(), 2u);
        EXPECT_EQ(g_freed.size(), 1u);
    }
    EXPECT_FALSE(graveyard.blockRunning());
    EXPECT_TRUE(graveyard.flush());
    EXPECT_EQ(graveyard.buried(), 0u);
    std::sort(g_freed.begin(), g_freed.end());
    EXPECT_EQ(g_freed, (std::vector<Address>{1, 2, 3}));
    EXPECT_TRUE(graveyard.flush());
    EXPECT_EQ(g_freed.size(), 3u);
}

TEST(BlockGraveyard, EachThreadHasItsOwn) {
    BlockGraveyard::Frame frame;  // this thread's
    EXPECT_TRUE(BlockGraveyard::thisThread().blockRunning());
    const BlockGraveyard* other = nullptr;
    bool otherRunning = true;
    std::thread([&] {
        other = &BlockGraveyard::thisThread();
        otherRunning = other->blockRunning();
    }).join();
    EXPECT_NE(other, &BlockGraveyard::thisThread());
    EXPECT_FALSE(otherRunning);
}
