#include "win32/CrtRandom.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<int> Draw(int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(crt::rand());
    return values;
}

// The first numbers of the sequence from state 1, worked by hand from
// state * 214013 + 2531011: 2745024 gives 41, then 3357800067 gives 18467.
TEST(CrtRandom, EveryThreadStartsFromStateOneAndKeepsItsOwnState)
{
    std::vector<int> first, second;
    std::thread one([&] { first = Draw(3); });
    one.join();
    std::thread two([&] {
        crt::rand(); // this thread's draws do not move the other's
        second = Draw(2);
    });
    two.join();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], 41);
    EXPECT_EQ(first[1], 18467);
    EXPECT_EQ(first[2], 6334);
    EXPECT_EQ(second, std::vector<int>(first.begin() + 1, first.end()));
}

TEST(CrtRandom, SeedingRestartsTheSequenceAndValuesStayInRange)
{
    crt::srand(1);
    const std::vector<int> from1 = Draw(1000);
    crt::srand(1);
    EXPECT_EQ(Draw(1000), from1);
    for (int value : from1) {
        EXPECT_GE(value, 0);
        EXPECT_LE(value, crt::RAND_MAX_VALUE);
    }
    crt::srand(0);
    EXPECT_EQ(crt::rand(), 38) << "2531011 >> 16";
}

} // namespace
