#pragma once

// The insured persons a SQLite run joins its visits with, held in memory
// (data/ only): their needed values keyed by the exact bytes of MB, as SQLite
// compares two TEXT columns with the BINARY collation (the same bytes, and a
// blob never equals a text).

#include "result.h"
#include "varint.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tarel::data {

// Where the settlement code puts a person.
enum PersonFlag : quint8 {
    BlobKey = 1,       // MB is stored as a blob (never equal to a text)
    HasSettlement = 2, // MESTO_S is not NULL
    UrbanCode = 4,     // MESTO_S is a number equal to one of the urban codes
};

// A 64-bit hash of MB's bytes and storage class.
inline quint64 hashKey(const char *key, std::size_t size, bool blob)
{
    constexpr quint64 m = 0x9fb21c651e98df25ull;
    quint64 h = 0x9e3779b97f4a7c15ull ^ (quint64(size) * m) ^ (blob ? 0xc2b2ae3d27d4eb4full : 0);
    while (size > 0) {
        quint64 word = 0;
        const std::size_t n = std::min<std::size_t>(size, 8);
        std::memcpy(&word, key, n);
        key += n;
        size -= n;
        h = (h ^ (word * 0xbf58476d1ce4e5b9ull)) * m;
        h ^= h >> 29;
    }
    h ^= h >> 32;
    h *= m;
    return h ^ (h >> 29);
}

// The insured persons' needed values, keyed by the exact bytes of MB: an
// open-addressing table of 8-byte slots (a part of the hash and the place
// of the entry) over entries packed one after the other in 1 MiB blocks.
// An entry is the length and bytes of MB, the flags, then the values. A
// person listed k times is k entries, found one after the other.
class PersonTable {
public:
    static constexpr std::size_t kBlockSize = std::size_t(1) << 20;

    void reserve(qint64 persons) { rehash(capacityFor(std::max<qint64>(persons, 16))); }

    // Starts an entry: MB's length and bytes, then the flags (blob or text
    // MB, settlement code). The caller appends the values.
    static void startEntry(std::string &entry, const char *key, std::size_t keySize, quint8 flags)
    {
        entry.clear();
        putVarint(entry, keySize);
        entry.append(key, keySize);
        entry += char(flags);
    }

    // Adds the entry whose bytes are given (see above) for that key.
    Result<void> add(const char *key, std::size_t keySize, bool blob, const std::string &entry)
    {
        if (entry.size() > kBlockSize)
            return fail(QStringLiteral("An insured person's citizen number or values are too long to be read"));
        if (m_blocks.empty() || m_used + entry.size() > kBlockSize) {
            if (m_blocks.size() >= (std::size_t(1) << 32) / kBlockSize - 1)
                return fail(QStringLiteral("The insured persons do not fit into the memory of a run"));
            m_blocks.push_back(std::make_unique<char[]>(kBlockSize));
            m_used = 0;
        }
        const quint64 place = quint64(m_blocks.size() - 1) * kBlockSize + m_used;
        std::memcpy(m_blocks.back().get() + m_used, entry.data(), entry.size());
        m_used += entry.size();
        if (std::size_t(++m_count) > (m_slots.size() / 4) * 3)
            rehash(std::max<std::size_t>(16, m_slots.size() * 2));
        insert(hashKey(key, keySize, blob), place);
        return {};
    }

    static quint64 hashOf(const char *key, std::size_t keySize, bool blob) { return hashKey(key, keySize, blob); }

    // Brings the slot of a hash into the cache ahead of its lookup.
    void prefetchSlot(quint64 hash) const { prefetch(&m_slots[std::size_t(hash) & (m_slots.size() - 1)]); }
    // Brings the first entry the hash may name into the cache (its slot read).
    void prefetchEntry(quint64 hash) const
    {
        const auto tag = quint32(hash >> 32);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = std::size_t(hash) & mask; m_slots[i] != 0; i = (i + 1) & mask)
            if (quint32(m_slots[i] >> 32) == tag) {
                prefetch(entryAt(quint32(m_slots[i]) - 1));
                return;
            }
    }

    // Calls found(flags, values) for every entry of the key, values pointing
    // at its first value; hash is hashOf the key.
    template <typename Found>
    void forEach(const char *key, std::size_t keySize, bool blob, quint64 hash, Found &&found) const
    {
        const auto tag = quint32(hash >> 32);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = std::size_t(hash) & mask; m_slots[i] != 0; i = (i + 1) & mask) {
            if (quint32(m_slots[i] >> 32) != tag)
                continue;
            const char *p = entryAt(quint32(m_slots[i]) - 1);
            const std::size_t size = std::size_t(getVarint(p));
            const auto flags = quint8(p[size]);
            if (size == keySize && bool(flags & BlobKey) == blob && std::memcmp(p, key, size) == 0)
                found(flags, p + size + 1);
        }
    }

    qint64 count() const { return m_count; }
    // Bytes held: the slots and the blocks of entries.
    qint64 bytes() const { return qint64(m_slots.size() * sizeof(quint64) + m_blocks.size() * kBlockSize); }

private:
    // A prefetch the compiler keeps: a loop whose only effect is a
    // __builtin_prefetch may be dropped as a whole.
    static void prefetch(const void *address)
    {
#if defined(__x86_64__) || defined(__i386__)
        asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char *>(address)));
#else
        __builtin_prefetch(address);
#endif
    }
    static std::size_t capacityFor(qint64 entries)
    {
        std::size_t capacity = 16;
        while (qint64(capacity / 4) * 3 < entries)
            capacity *= 2;
        return capacity;
    }
    const char *entryAt(quint64 place) const
    {
        return m_blocks[std::size_t(place / kBlockSize)].get() + place % kBlockSize;
    }
    void insert(quint64 hash, quint64 place)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = std::size_t(hash) & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = (hash & 0xffffffff00000000ull) | (place + 1);
    }
    void rehash(std::size_t capacity)
    {
        if (capacity <= m_slots.size())
            return;
        std::vector<quint64> old(capacity, 0);
        old.swap(m_slots);
        for (const quint64 slot : old) {
            if (slot == 0)
                continue;
            const char *p = entryAt(quint32(slot) - 1);
            const std::size_t size = std::size_t(getVarint(p));
            insert(hashKey(p, size, quint8(p[size]) & BlobKey), quint32(slot) - 1);
        }
    }

    std::vector<quint64> m_slots;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0;
    qint64 m_count = 0;
};

} // namespace tarel::data
