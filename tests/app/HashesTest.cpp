#include "app/Hashes.h"

#include <gtest/gtest.h>

#include <functional>
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
        EXPECT_EQ(MessageOf([&] { table.SetItem("", std::make_unique<Tracked>(3, released)); }),
                  "Key cannot be an empty string");
        EXPECT_THROW(table.SetItem("y", nullptr), EHashError) << "nothing to hand out later";
        EXPECT_FALSE(table.Exists("y"));
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
        table.Clear();
        EXPECT_EQ(released, (std::vector<int>{3, 2, 1, 5, 4}));
        EXPECT_FALSE(table.Exists("a"));
        table.SetItem("d", std::make_unique<Tracked>(6, released));
    }
    EXPECT_EQ(released, (std::vector<int>{3, 2, 1, 5, 4, 6}));
}

TEST(Hashes, CompactingTheStoreKeepsEveryKeyItsObject)
{
    // Of 150 keys, 100 deleted compact the store.
    std::vector<int> released;
    Table table;
    for (int i = 0; i < 150; ++i)
        table.SetItem("key" + std::to_string(i), std::make_unique<Tracked>(i, released));
    for (int i = 0; i < 150; ++i) {
        if (i % 3 != 0)
            table.Delete("key" + std::to_string(i));
    }
    ASSERT_EQ(released.size(), 100u);
    table.SetItem("new", std::make_unique<Tracked>(1000, released));
    EXPECT_EQ(table.HighIndex(), 50);
    for (int i = 0; i < 150; i += 3)
        EXPECT_EQ(table.Item("key" + std::to_string(i)).id, i);
    EXPECT_EQ(table.Item("new").id, 1000);
    EXPECT_EQ(IterationOrder(table).size(), 51u);
}

TEST(Hashes, IterationRunsByBucketThenByInsertion)
{
    // Keys in the bucket of "a" (97), found by the hash itself; "abc" is in
    // bucket 67, "null" in 124.
    std::vector<std::string> same;
    for (int i = 0; same.size() < 3; ++i) {
        if ((THash::HashOf("k" + std::to_string(i)) & THash::BucketMask) == 97)
            same.push_back("k" + std::to_string(i));
    }
    std::vector<int> released;
    Table table;
    for (const std::string& key : {std::string("null"), same[0], std::string("a"), same[1],
                                   std::string("abc"), same[2]})
        table.SetItem(key, std::make_unique<Tracked>(0, released));
    EXPECT_EQ(IterationOrder(table),
              (std::vector<std::string>{"abc", same[0], "a", same[1], same[2], "null"}));
}

TEST(Hashes, IterationNoticesANewKeyButNotAReplacedObject)
{
    std::vector<int> released;
    Table table;
    table.SetItem("a", std::make_unique<Tracked>(1, released));
    table.SetItem("b", std::make_unique<Tracked>(2, released));
    for (const bool newKey : {false, true}) {
        table.Restart();
        ASSERT_TRUE(table.Next());
        table.SetItem(newKey ? "c" : "a", std::make_unique<Tracked>(3, released));
        EXPECT_EQ(MessageOf([&] { table.Next(); }),
                  newKey ? "Cannot get Next as the hash has been modified since Restart was called"
                         : "(no error)");
    }
}

} // namespace
