#include "app/Hashes.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using namespace zev;

namespace {

// Counts its own destruction, so the tests see what the table releases.
struct Tracked
{
    explicit Tracked(int id, std::vector<int>& released) : id(id), released(released) {}
    ~Tracked() { released.push_back(id); }
    int id;
    std::vector<int>& released;
};

using Table = TObjectHash<Tracked>;

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EHashError& error) {
        return error.what();
    }
    return "(no error)";
}

std::vector<std::string> IterationOrder(THash& table)
{
    std::vector<std::string> keys;
    table.Restart();
    while (table.Next())
        keys.push_back(table.CurrentKey());
    return keys;
}

// Keys that fall into one bucket, found by the hash itself.
std::vector<std::string> KeysInOneBucket(std::size_t count)
{
    std::map<std::uint32_t, std::vector<std::string>> byBucket;
    for (int i = 0;; ++i) {
        auto& keys = byBucket[THash::HashOf("k" + std::to_string(i)) & THash::BucketMask];
        keys.push_back("k" + std::to_string(i));
        if (keys.size() == count)
            return keys;
    }
}

TEST(Hashes, HashValuesAndBuckets)
{
    const std::tuple<const char*, std::uint32_t, std::uint32_t> cases[] = {
        {"a", 0x23456761u, 97}, {"null", 0x5677807Cu, 124}, {"abc", 0x456767C3u, 67}};
    for (const auto& [key, hash, bucket] : cases) {
        EXPECT_EQ(THash::HashOf(key), hash) << key;
        EXPECT_EQ(THash::HashOf(key) & THash::BucketMask, bucket) << key;
    }
    // Long keys keep folding the top nibble back in without losing bytes.
    EXPECT_NE(THash::HashOf("COM1:"), THash::HashOf("COM2:"));
    // The folded nibble sets the case bit of a one-letter key: "a" and "A"
    // share a bucket and are told apart by the byte comparison alone.
    EXPECT_EQ(THash::HashOf("a"), THash::HashOf("A"));
}

TEST(Hashes, KeysAreExactBytesErrorsNameThemAndTheTableReleasesWhatItOwnsOnce)
{
    std::vector<int> released;
    {
        Table table;
        table.SetItem("a", std::make_unique<Tracked>(1, released));
        table.SetItem("A", std::make_unique<Tracked>(2, released));
        for (const std::function<void()>& operation : std::vector<std::function<void()>>{
                 [&] { (void)table.Exists(""); }, [&] { table.Delete(""); },
                 [&] { (void)table.Item(""); },
                 [&] { table.SetItem("", std::make_unique<Tracked>(3, released)); }})
            EXPECT_EQ(MessageOf(operation), "Key cannot be an empty string");
        EXPECT_THROW(table.SetItem("y", nullptr), EHashError) << "nothing to hand out later";
        EXPECT_FALSE(table.Exists("y"));
        EXPECT_EQ(table.HighIndex(), 1);
        EXPECT_EQ(MessageOf([&] { (void)table.Item("X"); }), "Key \"X\" not found");
        EXPECT_EQ(table.Item("A").id, 2);
        table.Delete("A");
        EXPECT_EQ(MessageOf([&] { table.Delete("A"); }), "Key \"A\" not found");
        // Key bytes are Windows-1252; the message is UTF-8.
        EXPECT_EQ(MessageOf([&] { (void)table.Item("Pre\xE7o"); }), "Key \"Preço\" not found");
        EXPECT_EQ(released, (std::vector<int>{3, 2})) << "the refused object, then the deleted one";
        EXPECT_EQ(table.Item("a").id, 1);

        table.SetItem("b", std::make_unique<Tracked>(4, released));
        table.SetItem("a", std::make_unique<Tracked>(5, released)); // replacement
        EXPECT_EQ(released, (std::vector<int>{3, 2, 1}));
        // Storing the object the key already holds keeps it.
        Tracked& same = table.Item("a");
        table.SetItem("a", std::unique_ptr<Tracked>(&same));
        EXPECT_EQ(released, (std::vector<int>{3, 2, 1}));
        EXPECT_EQ(table.Item("a").id, 5);

        table.Clear();
        EXPECT_EQ(released, (std::vector<int>{3, 2, 1, 5, 4}));
        EXPECT_FALSE(table.Exists("a"));
        EXPECT_EQ(table.HighIndex(), -1);
        table.SetItem("d", std::make_unique<Tracked>(6, released));
    }
    EXPECT_EQ(released, (std::vector<int>{3, 2, 1, 5, 4, 6}));
}

TEST(Hashes, OneHundredSpareSlotsCompactTheStore)
{
    // Of 150 keys, 100 deleted compact the store and 99 do not.
    for (const int deleted : {100, 99}) {
        SCOPED_TRACE(deleted);
        std::vector<int> released;
        Table table;
        for (int i = 0; i < 150; ++i)
            table.SetItem("key" + std::to_string(i), std::make_unique<Tracked>(i, released));
        std::vector<int> kept;
        for (int i = 0; i < 150; ++i) {
            if (static_cast<int>(released.size()) < deleted && (i % 3 != 0 || deleted == 99))
                table.Delete("key" + std::to_string(i));
            else
                kept.push_back(i);
        }
        EXPECT_EQ(released.size(), static_cast<std::size_t>(deleted));
        for (const int i : kept)
            EXPECT_EQ(table.Item("key" + std::to_string(i)).id, i);
        EXPECT_EQ(table.HighIndex(), deleted == 100 ? 49 : 149);
        // After compaction nothing is spare: a new key takes the next slot;
        // otherwise it takes the slot freed last.
        table.SetItem("new", std::make_unique<Tracked>(1000, released));
        EXPECT_EQ(table.HighIndex(), deleted == 100 ? 50 : 149);
        EXPECT_EQ(table.Item("new").id, 1000);
    }
}

TEST(Hashes, IterationRunsByBucketThenByInsertion)
{
    std::vector<int> released;
    Table table;
    const std::vector<std::string> same = KeysInOneBucket(4);
    const std::uint32_t bucket = THash::HashOf(same[0]) & THash::BucketMask;
    // "a" is in bucket 97, "abc" in 67, "null" in 124.
    for (const std::string& key : same)
        table.SetItem(key, std::make_unique<Tracked>(0, released));
    for (const char* key : {"null", "a", "abc"})
        table.SetItem(key, std::make_unique<Tracked>(0, released));

    std::map<std::uint32_t, std::vector<std::string>> expectedByBucket = {
        {67, {"abc"}}, {97, {"a"}}, {124, {"null"}}};
    for (const std::string& key : same)
        expectedByBucket[bucket].push_back(key);
    std::vector<std::string> expected;
    for (const auto& [b, keys] : expectedByBucket)
        expected.insert(expected.end(), keys.begin(), keys.end());
    EXPECT_EQ(IterationOrder(table), expected);
}

TEST(Hashes, IterationNoticesStructuralChangesOnly)
{
    const std::string nextMessage =
        "Cannot get Next as the hash has been modified since Restart was called";
    const std::string currentMessage =
        "Cannot find CurrentKey as the hash has been modified since Restart was called";
    const std::string notYetMessage =
        "Cannot find CurrentKey as Next has not yet been called after Restart";

    std::vector<int> released;
    Table table;
    EXPECT_EQ(MessageOf([&] { table.Next(); }), nextMessage) << "before any Restart";

    table.SetItem("a", std::make_unique<Tracked>(1, released));
    table.SetItem("b", std::make_unique<Tracked>(2, released));

    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"new key", [&] { table.SetItem("c", std::make_unique<Tracked>(3, released)); }, true},
        {"replaced object", [&] { table.SetItem("a", std::make_unique<Tracked>(4, released)); },
         false},
        {"deleted key", [&] { table.Delete("c"); }, true},
        {"failed delete", [&] { EXPECT_THROW(table.Delete("zz"), EHashFindError); }, true},
        {"read", [&] { (void)table.Item("a"); }, false},
    };
    for (const auto& [change, apply, breaksIteration] : cases) {
        SCOPED_TRACE(change);
        table.Restart();
        ASSERT_TRUE(table.Next());
        apply();
        if (breaksIteration) {
            EXPECT_EQ(MessageOf([&] { table.Next(); }), nextMessage);
            EXPECT_EQ(MessageOf([&] { (void)table.CurrentKey(); }), currentMessage);
        } else {
            EXPECT_NO_THROW(table.Next());
            EXPECT_NO_THROW((void)table.CurrentKey());
        }
    }

    // A new Restart forgets the key an earlier iteration found.
    EXPECT_EQ(IterationOrder(table).size(), 2u);
    table.Restart();
    EXPECT_EQ(MessageOf([&] { (void)table.CurrentKey(); }), notYetMessage);
}

} // namespace
