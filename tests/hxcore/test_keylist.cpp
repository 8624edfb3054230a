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

// Linear between keys, flat outside: the plain definition the chunked list must agree with.
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

// Random inserts, replacements and range erases across many chunk splits and merges must leave
// the same keys and interpolation as a plain map, and must not reach into an earlier copy.
TEST(HxFloatKeyList, AgreesWithPlainSortedMapUnderRandomEdits)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> time(0, 20000);
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    HxFloatKeyList list, snapshot;
    std::map<HxTime, float> reference, atSnapshot;
    for (int step = 0; step < 20000; ++step) {
        if (step == 10000) {
            snapshot = list;
            atSnapshot = reference;
        }
        if (step % 50 == 49) {
            const int from = time(rng), to = from + time(rng) / 40;
            const bool any = reference.lower_bound(from) != reference.upper_bound(to);
            EXPECT_EQ(list.erase(from, to), any);
            reference.erase(reference.lower_bound(from), reference.upper_bound(to));
        } else {
            const int t = time(rng);
            const float v = value(rng);
            list.set(t, v);
            reference[t] = v;
        }
    }
    ASSERT_EQ(list.size(), int(reference.size()));
    EXPECT_EQ(list.toVector(), fromMap(reference));
    EXPECT_EQ(snapshot.toVector(), fromMap(atSnapshot));
    for (int t = -10; t < 20010; t += 7) {
        ASSERT_FLOAT_EQ(list.evaluate(t), referenceValue(reference, t)) << t;
        ASSERT_EQ(list.contains(t), reference.count(t) == 1) << t;
    }
    // Equal content in a different chunk layout is still equal.
    EXPECT_TRUE(HxFloatKeyList(list.toVector()) == list);
    EXPECT_FALSE(snapshot == list);
    EXPECT_FALSE(list.erase(10, 5));
    EXPECT_TRUE(list.erase(-1, 30000));
    EXPECT_TRUE(list.empty());
}

// A copy taken before an edit, as an undo snapshot is: a changed value amid equally laid out chunks
// makes the lists differ, putting it back makes them equal again, and the copy never sees the edit.
TEST(HxFloatKeyList, SnapshotsSeeNoLaterEditAndCompareByContent)
{
    HxFloatKeyList list;
    for (int i = 0; i < 20000; ++i)
        list.set(i * 160, float(i % 100));
    const HxFloatKeyList snapshot = list;
    EXPECT_TRUE(snapshot == list);
    for (HxTime time : {0, 10000 * 160, 19999 * 160}) {
        const float was = list.evaluate(time);
        list.set(time, -1.0f);
        EXPECT_FALSE(snapshot == list) << time;
        EXPECT_EQ(snapshot.evaluate(time), was);
        list.set(time, was);
        EXPECT_TRUE(snapshot == list) << time;
    }
    // Appending and then erasing a whole stretch of groups leaves the copy whole.
    for (int i = 20000; i < 30000; ++i)
        list.set(i * 160, 1.0f);
    EXPECT_TRUE(list.erase(5000 * 160, 25000 * 160));
    EXPECT_EQ(list.size(), 5000 + 4999); // 0 .. 4999 and 25001 .. 29999
    EXPECT_EQ(snapshot.size(), 20000);
    EXPECT_EQ(snapshot.toVector().back().time, 19999 * 160);
    EXPECT_TRUE(list.contains(4999 * 160) && !list.contains(25000 * 160) && list.contains(25001 * 160));
    EXPECT_NEAR(list.evaluate(15000 * 160), 50.0f, 0.01f) << "halfway from 99 to 1 across the gap";
}

// The last key is replaced in place on every tick of a live blend; that must keep working, and keep
// off every copy, through whatever moved the last key: appends that grow its chunk, a copy, a move,
// an erase at the end, a clear.
TEST(HxFloatKeyList, ReplacingTheLastKeyFollowsEveryChangeOfIt)
{
    HxFloatKeyList list;
    std::vector<HxFloatKey> expected;
    auto replaceLast = [&](float value) {
        list.set(expected.back().time, value);
        expected.back().value = value;
        ASSERT_EQ(list.toVector(), expected);
    };
    for (int i = 0; i < 600; ++i) { // past two chunks, through every growth of the tail chunk
        list.set(i * 10, float(i));
        expected.push_back({i * 10, float(i)});
        replaceLast(-float(i));
    }
    const HxFloatKeyList copy = list;
    const std::vector<HxFloatKey> atCopy = expected;
    replaceLast(1.5f);
    EXPECT_EQ(copy.toVector(), atCopy);

    HxFloatKeyList moved(std::move(list));
    list = std::move(moved);
    replaceLast(2.5f);

    EXPECT_TRUE(list.erase(5900, 5990));
    expected.resize(expected.size() - 10);
    replaceLast(3.5f);
    EXPECT_EQ(copy.toVector(), atCopy);

    list.clear();
    expected = {{0, 4.5f}};
    list.set(0, 1.0f);
    replaceLast(4.5f);
}
