#pragma once

// String-keyed tables for the registries (ports and labels by name) and the
// department tree's nodes.
//
// 128 fixed buckets, never rehashed; keys compared byte for byte; an empty
// key is never allowed. Deleted slots of the value store are reused last in,
// first out, and the store is compacted once 100 slots are spare. Iteration
// runs by bucket and, inside a bucket, by insertion order (a deletion moves
// the bucket's last entry into the gap); the department tree shows sibling
// nodes in this order, so it is part of the contract. Adding or deleting a
// key invalidates a running iteration; replacing a key's object does not.
//
// Not synchronised: every table is used on the user-interface thread only.

#include "platform/Error.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zev {

class EHashError : public EZevError
{
public:
    using EZevError::EZevError;
};

class EHashFindError : public EHashError
{
public:
    explicit EHashFindError(std::string_view key);
    // "Key \"%s\" not found" with the key.
    static std::string Text(std::string_view key);

protected:
    // For a registry that can say why the name is missing and what to do.
    struct TReason
    {
        std::string text;
    };
    explicit EHashFindError(TReason reason);
};

class EHashIterateError : public EHashError
{
public:
    using EHashError::EHashError;
};

class EHashInvalidKeyError : public EHashError
{
public:
    EHashInvalidKeyError();
    // The same text, followed by where the empty key came from (UTF-8).
    explicit EHashInvalidKeyError(std::string_view where);
};

// The keyed index; where the values live is up to the derived table, through
// the five value-store hooks.
class THash
{
public:
    static constexpr int BucketBits = 7;
    static constexpr int BucketCount = 1 << BucketBits;
    static constexpr std::uint32_t BucketMask = BucketCount - 1;

    THash();
    virtual ~THash() = default;
    THash(const THash&) = delete;
    THash& operator=(const THash&) = delete;

    static std::uint32_t HashOf(std::string_view key);

    bool Exists(std::string_view key) const;
    void Delete(std::string_view key);
    void Clear();

    void Restart();
    bool Next();
    const std::string& CurrentKey() const;

    virtual int HighIndex() const = 0;

protected:
    struct Location
    {
        bool found = false;
        std::uint32_t bucket = 0;
        std::size_t position = 0;
    };

    virtual void DeleteData(int slot) = 0;
    virtual void MoveIndex(int fromSlot, int toSlot) = 0;
    virtual void TrimTo(int count) = 0;
    virtual void ClearData() = 0;

    Location Find(std::string_view key) const;
    [[noreturn]] static void ThrowNoObject(std::string_view key);
    int SlotAt(const Location& location) const;
    // Takes a slot for a new key (a spare one first) and files the key in its bucket.
    int AddKey(std::string_view key, std::uint32_t bucket);

    bool m_allowCompaction = true;

private:
    struct Entry
    {
        int slot;
        std::string key;
    };

    void Compact();

    std::vector<std::vector<Entry>> m_buckets;
    std::vector<int> m_spareSlots;
    bool m_iterationValid = false;
    std::string m_currentKey;
    int m_currentBucket = -1;
    std::size_t m_currentPosition = 0;
};

// The table of owned objects: the registries' only concrete table.
template <typename T> class TObjectHash final : public THash
{
public:
    TObjectHash() = default;
    ~TObjectHash() override = default;

    // Throws EHashFindError when the key is absent. The table keeps ownership.
    T& Item(std::string_view key) const
    {
        const Location location = Find(key);
        if (!location.found)
            throw EHashFindError(key);
        return *m_items[static_cast<std::size_t>(SlotAt(location))];
    }

    // The table takes ownership; an object already stored under the key is
    // released, unless it is the very object being stored.
    void SetItem(std::string_view key, std::unique_ptr<T> object)
    {
        const Location location = Find(key);
        if (!object)
            ThrowNoObject(key);
        if (location.found) {
            std::unique_ptr<T>& stored = m_items[static_cast<std::size_t>(SlotAt(location))];
            if (stored.get() == object.get())
                (void)object.release(); // already ours: keep one owner
            else
                stored = std::move(object);
            return;
        }
        // Room first: once the key is filed nothing may fail.
        m_items.reserve(m_items.size() + 1);
        const int slot = AddKey(key, location.bucket);
        if (m_items.size() < static_cast<std::size_t>(slot) + 1)
            m_items.resize(static_cast<std::size_t>(slot) + 1);
        m_items[static_cast<std::size_t>(slot)] = std::move(object);
    }

    int HighIndex() const override { return static_cast<int>(m_items.size()) - 1; }

protected:
    void DeleteData(int slot) override { m_items[static_cast<std::size_t>(slot)].reset(); }
    void MoveIndex(int fromSlot, int toSlot) override
    {
        m_items[static_cast<std::size_t>(toSlot)] =
            std::move(m_items[static_cast<std::size_t>(fromSlot)]);
    }
    void TrimTo(int count) override { m_items.resize(static_cast<std::size_t>(count)); }
    void ClearData() override { m_items.clear(); }

private:
    std::vector<std::unique_ptr<T>> m_items;
};

} // namespace zev
