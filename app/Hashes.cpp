#include "app/Hashes.h"

#include "platform/AnsiText.h"

namespace zev {

namespace {

constexpr std::size_t CompactionThreshold = 100;

} // namespace

EHashFindError::EHashFindError(std::string_view key) : EHashError(Text(key)) {}

std::string EHashFindError::Text(std::string_view key)
{
    return "Key \"" + AnsiToUtf8(key) + "\" not found";
}

EHashFindError::EHashFindError(TReason reason) : EHashError(reason.text) {}

EHashInvalidKeyError::EHashInvalidKeyError() : EHashError("Key cannot be an empty string") {}

EHashInvalidKeyError::EHashInvalidKeyError(std::string_view where)
    : EHashError("Key cannot be an empty string: " + std::string(where))
{}

THash::THash() : m_buckets(BucketCount) {}

// The top nibble is ORed back into bits 4 to 7 and stays in the hash (unlike
// the usual ELF hash): bucket order, and so what the operator sees, depends
// on this exact function.
std::uint32_t THash::HashOf(std::string_view key)
{
    if (key.empty())
        throw EHashInvalidKeyError();
    std::uint32_t hash = 0x12345670u;
    for (const char c : key) {
        hash = (hash << 4) + static_cast<unsigned char>(c);
        const std::uint32_t top = hash & 0xF0000000u;
        if (top != 0)
            hash |= top >> 24;
    }
    return hash;
}

THash::Location THash::Find(std::string_view key) const
{
    Location location;
    location.bucket = HashOf(key) & BucketMask;
    const std::vector<Entry>& bucket = m_buckets[location.bucket];
    for (std::size_t i = 0; i < bucket.size(); ++i) {
        if (bucket[i].key == key) {
            location.found = true;
            location.position = i;
            break;
        }
    }
    return location;
}

void THash::ThrowNoObject(std::string_view key)
{
    throw EHashError("Cannot store an empty object under key \"" + AnsiToUtf8(key) + "\"");
}

int THash::SlotAt(const Location& location) const
{
    return m_buckets[location.bucket][location.position].slot;
}

int THash::AddKey(std::string_view key, std::uint32_t bucket)
{
    int slot;
    if (!m_spareSlots.empty()) {
        slot = m_spareSlots.back();
        m_spareSlots.pop_back();
    } else {
        slot = HighIndex() + 1;
    }
    m_buckets[bucket].push_back(Entry{slot, std::string(key)});
    m_iterationValid = false;
    return slot;
}

bool THash::Exists(std::string_view key) const
{
    return Find(key).found;
}

void THash::Delete(std::string_view key)
{
    m_iterationValid = false;
    const Location location = Find(key);
    if (!location.found)
        throw EHashFindError(key);

    std::vector<Entry>& bucket = m_buckets[location.bucket];
    const int slot = bucket[location.position].slot;
    DeleteData(slot);
    m_spareSlots.push_back(slot);
    if (location.position + 1 != bucket.size())
        bucket[location.position] = std::move(bucket.back());
    bucket.pop_back();

    if (m_allowCompaction && m_spareSlots.size() >= CompactionThreshold &&
        2 * static_cast<std::size_t>(HighIndex()) > m_spareSlots.size())
        Compact();
}

// Moves the live objects to the front of the value store, highest slots
// first into the lowest gaps, and renumbers the entries.
void THash::Compact()
{
    const int high = HighIndex();
    std::vector<bool> spare(static_cast<std::size_t>(high + 1), false);
    for (const int slot : m_spareSlots)
        spare[static_cast<std::size_t>(slot)] = true;
    std::vector<int> renumbered(static_cast<std::size_t>(high + 1));
    for (int slot = 0; slot <= high; ++slot)
        renumbered[static_cast<std::size_t>(slot)] = slot;

    int i = 0;
    int j = high;
    while (i < j) {
        if (spare[static_cast<std::size_t>(i)]) {
            while (i < j && spare[static_cast<std::size_t>(j)])
                --j;
            if (i < j) {
                MoveIndex(j, i);
                spare[static_cast<std::size_t>(i)] = false;
                spare[static_cast<std::size_t>(j)] = true;
                renumbered[static_cast<std::size_t>(j)] = i;
            }
        } else {
            ++i;
        }
    }

    int used = high + 1;
    while (used > 0 && spare[static_cast<std::size_t>(used - 1)])
        --used;
    TrimTo(used);

    m_spareSlots.clear();
    for (std::vector<Entry>& bucket : m_buckets)
        for (Entry& entry : bucket)
            entry.slot = renumbered[static_cast<std::size_t>(entry.slot)];
}

void THash::Clear()
{
    ClearData();
    m_spareSlots.clear();
    for (std::vector<Entry>& bucket : m_buckets)
        bucket.clear();
}

void THash::Restart()
{
    m_currentBucket = -1;
    m_currentPosition = 0;
    m_currentKey.clear();
    m_iterationValid = true;
}

bool THash::Next()
{
    if (!m_iterationValid)
        throw EHashIterateError(
            "Cannot get Next as the hash has been modified since Restart was called");
    if (m_currentBucket == -1) {
        m_currentBucket = 0;
        m_currentPosition = 0;
    }
    while (m_currentBucket < BucketCount) {
        const std::vector<Entry>& bucket = m_buckets[static_cast<std::size_t>(m_currentBucket)];
        if (m_currentPosition < bucket.size()) {
            m_currentKey = bucket[m_currentPosition].key;
            ++m_currentPosition;
            return true;
        }
        ++m_currentBucket;
        m_currentPosition = 0;
    }
    return false;
}

const std::string& THash::CurrentKey() const
{
    if (!m_iterationValid)
        throw EHashIterateError(
            "Cannot find CurrentKey as the hash has been modified since Restart was called");
    if (m_currentKey.empty())
        throw EHashIterateError(
            "Cannot find CurrentKey as Next has not yet been called after Restart");
    return m_currentKey;
}

} // namespace zev
