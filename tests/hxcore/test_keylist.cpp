#include "hxcore/hxfloatkeylist.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

std::vector<HxFloatKey> fromMap(const std::map<HxTime, float>& reference)
{
    std::vector<HxFloatKey> keys;
    for (auto [time, value] : reference)
        keys.push_back({time, value});
    return keys;
}

// Linear between keys, flat outside: the plain definition the chunked list
// must agree with.
float referenceValue(const std::map<HxTime, float>& reference, HxTime time)
{
    auto next = reference.lower_bound(time);
    if (next == reference.end())
        return std::prev(next)->second;
    if (next->first == time || next == reference.begin())
        return next->second;
    auto prev = std::prev(next);
    double f = double(time - prev->first) / double(next->first - prev->first);
    return float(prev->second + (double(next->second) - prev->second) * f);
}

} // namespace

// Random inserts, replacements and range erases across many chunk splits and
// merges must leave the same keys, values and interpolation as a plain map.
TEST(HxFloatKeyListTest, AgreesWithPlainSortedMapUnderRandomEdits)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> time(0, 20000);
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    HxFloatKeyList list;
    std::map<HxTime, float> reference;
    for (int step = 0; step < 20000; ++step) {
        if (step % 50 == 49) {
            int from = time(rng);
            int to = from + time(rng) / 40;
            bool any = reference.lower_bound(from) != reference.upper_bound(to);
            EXPECT_EQ(list.erase(from, to), any);
            reference.erase(reference.lower_bound(from), reference.upper_bound(to));
        } else {
            int t = time(rng);
            float v = value(rng);
            list.set(t, v);
            reference[t] = v;
        }
    }
    ASSERT_EQ(list.size(), int(reference.size()));
    EXPECT_EQ(list.toVector(), fromMap(reference));
    for (int t = -10; t < 20010; t += 7) {
        ASSERT_FLOAT_EQ(list.evaluate(t), referenceValue(reference, t)) << t;
        ASSERT_EQ(list.contains(t), reference.count(t) == 1) << t;
    }
    EXPECT_EQ(list.at(0), list.front());
    EXPECT_EQ(list.at(list.size() - 1), list.back());
}

TEST(HxFloatKeyListTest, InterpolatesAcrossChunkBoundaries)
{
    HxFloatKeyList list;
    const int n = int(HxFloatKeyList::ChunkSize) * 3;
    for (int i = 0; i < n; ++i)
        list.set(i * 10, float(i));
    // Every halfway point, including those between the last key of one
    // chunk and the first of the next.
    for (int i = 0; i + 1 < n; ++i)
        ASSERT_FLOAT_EQ(list.evaluate(i * 10 + 5), float(i) + 0.5f) << i;
    EXPECT_FLOAT_EQ(list.evaluate(-100), 0.0f);
    EXPECT_FLOAT_EQ(list.evaluate(n * 100), float(n - 1));
}

TEST(HxFloatKeyListTest, CopiesAreIndependentAndCompareByContent)
{
    HxFloatKeyList live;
    for (int i = 0; i < 2000; ++i)
        live.set(i * 160, float(i));
    HxFloatKeyList snapshot = live;
    EXPECT_TRUE(snapshot == live);

    live.set(100 * 160, -1.0f);
    live.erase(1500 * 160, 1600 * 160);
    live.set(5000 * 160, 7.0f);
    EXPECT_FALSE(snapshot == live);
    EXPECT_EQ(snapshot.size(), 2000);
    EXPECT_FLOAT_EQ(snapshot.evaluate(100 * 160), 100.0f);
    EXPECT_TRUE(snapshot.contains(1550 * 160));

    // Equal content in a different chunk layout is still equal.
    HxFloatKeyList rebuilt(snapshot.toVector());
    EXPECT_TRUE(rebuilt == snapshot);
    HxFloatKeyList backwards;
    for (int i = 1999; i >= 0; --i)
        backwards.set(i * 160, float(i));
    EXPECT_TRUE(backwards == snapshot);
}

TEST(HxFloatKeyListTest, EraseCoversBoundsAndWholeChunks)
{
    HxFloatKeyList list;
    for (int t = 0; t < 3000; ++t)
        list.set(t, 1.0f);
    EXPECT_TRUE(list.erase(100, 2900));
    EXPECT_EQ(list.size(), 100 + 99);
    EXPECT_TRUE(list.contains(99));
    EXPECT_FALSE(list.contains(100));
    EXPECT_FALSE(list.contains(2900));
    EXPECT_TRUE(list.contains(2901));
    EXPECT_FALSE(list.erase(500, 600));
    EXPECT_FALSE(list.erase(10, 5));
    EXPECT_TRUE(list.erase(-1, 5000));
    EXPECT_TRUE(list.empty());
    list.set(3, 2.0f);
    EXPECT_EQ(list.toVector(), (std::vector<HxFloatKey>{{3, 2.0f}}));
}
