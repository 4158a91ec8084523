#pragma once

// The insured persons a run joins its visits with, held in memory (data/
// only): their needed values keyed by the exact bytes of MB, as SQLite
// compares two TEXT columns with the BINARY collation (the same bytes, and a
// blob never equals a text) and PostgreSQL two texts of a deterministic
// collation.

#include "result.h"
#include "varint.h"

#include <QStringView>
#include <QtGlobal>

#include <sys/mman.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include <vector>

namespace tarel::data {

// ---- Texts -------------------------------------------------------------------

inline bool isAscii(const unsigned char *bytes, int size)
{
    unsigned char any = 0;
    for (int i = 0; i < size; ++i)
        any |= bytes[i];
    return any < 0x80;
}

// ASCII bytes as UTF-16 units.
inline void widen(const unsigned char *bytes, int size, std::u16string &buffer)
{
    buffer.resize(std::size_t(size));
    for (int i = 0; i < size; ++i)
        buffer[std::size_t(i)] = char16_t(bytes[i]);
}

inline void formatInteger(qint64 value, std::u16string &buffer)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    widen(reinterpret_cast<const unsigned char *>(digits), int(end - digits), buffer);
}

// ---- The values of an entry ----------------------------------------------------

// How a value of a person is kept: a tag, then its bytes.
enum ValueTag : quint8 {
    EmptyValue = 0, // NULL or the empty text
    IsoShaped = 1,  // ten ASCII characters "DDDD-DD-DD": the eight digits in 4 bytes
    AsciiText = 2,  // length, then the bytes
    Utf16Text = 3,  // length, then the UTF-16 units
    Integer = 4,    // a zigzag varint
};

inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

inline void putIntegerValue(std::string &out, qint64 value)
{
    out += char(Integer);
    putVarint(out, (quint64(value) << 1) ^ quint64(value >> 63));
}

// Appends a text given as bytes, if they are ASCII; false (nothing appended)
// when they are not.
inline bool putAsciiValue(std::string &out, const unsigned char *bytes, int size)
{
    if (!isAscii(bytes, size))
        return false;
    if (size == 0) {
        out += char(EmptyValue);
        return true;
    }
    if (size == 10 && bytes[4] == '-' && bytes[7] == '-' && isDigit(bytes[0]) && isDigit(bytes[1])
        && isDigit(bytes[2]) && isDigit(bytes[3]) && isDigit(bytes[5]) && isDigit(bytes[6]) && isDigit(bytes[8])
        && isDigit(bytes[9])) {
        const auto digit = [&](int i) { return quint32(bytes[i] - '0'); };
        const quint32 year = ((digit(0) * 10 + digit(1)) * 10 + digit(2)) * 10 + digit(3);
        const quint32 rest = ((digit(5) * 10 + digit(6)) * 10 + digit(8)) * 10 + digit(9);
        const quint32 value = year * 10000 + rest;
        out += char(IsoShaped);
        out.append(reinterpret_cast<const char *>(&value), sizeof value);
        return true;
    }
    out += char(AsciiText);
    putVarint(out, quint64(size));
    out.append(reinterpret_cast<const char *>(bytes), std::size_t(size));
    return true;
}

inline void putUtf16Value(std::string &out, QStringView text)
{
    if (text.isEmpty()) {
        out += char(EmptyValue);
        return;
    }
    out += char(Utf16Text);
    putVarint(out, quint64(text.size()));
    out.append(reinterpret_cast<const char *>(text.utf16()), std::size_t(text.size()) * 2);
}

// Reads back a value kept by the put functions into its text; p moves past
// it. The view is valid until the buffer changes.
inline QStringView getValue(const char *&p, std::u16string &buffer)
{
    const auto tag = ValueTag(quint8(*p++));
    switch (tag) {
    case EmptyValue:
        return {};
    case IsoShaped: {
        quint32 value;
        std::memcpy(&value, p, sizeof value);
        p += sizeof value;
        buffer.resize(10);
        for (int i : {9, 8, 6, 5, 3, 2, 1, 0}) {
            buffer[std::size_t(i)] = char16_t(u'0' + value % 10);
            value /= 10;
        }
        buffer[4] = buffer[7] = u'-';
        break;
    }
    case AsciiText: {
        const auto size = int(getVarint(p));
        widen(reinterpret_cast<const unsigned char *>(p), size, buffer);
        p += size;
        break;
    }
    case Utf16Text: {
        const auto size = std::size_t(getVarint(p));
        buffer.resize(size);
        std::memcpy(buffer.data(), p, size * 2);
        p += size * 2;
        break;
    }
    case Integer: {
        const quint64 zigzag = getVarint(p);
        formatInteger(qint64(zigzag >> 1) ^ -qint64(zigzag & 1), buffer);
        break;
    }
    }
    return QStringView(buffer.data(), qsizetype(buffer.size()));
}

// ---- The table -----------------------------------------------------------------

// Memory of the table, zeroed. A large table's regions are laid out in huge
// pages where the system gives them on request (2 MiB pages): a join's
// accesses to the slots and entries go anywhere in them, and with small
// pages most of them also missed the processor's cache of page addresses.
class TableMemory {
public:
    static constexpr std::size_t kHugePage = std::size_t(2) << 20;

    TableMemory() = default;
    TableMemory(std::size_t bytes, bool huge)
    {
        if (huge) {
            const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
            m_data = static_cast<char *>(std::aligned_alloc(kHugePage, rounded));
#ifdef MADV_HUGEPAGE
            if (m_data)
                ::madvise(m_data, rounded, MADV_HUGEPAGE);
#endif
            if (m_data)
                std::memset(m_data, 0, bytes);
        } else {
            m_data = static_cast<char *>(std::calloc(bytes, 1));
        }
        if (!m_data)
            throw std::bad_alloc();
    }
    ~TableMemory() { std::free(m_data); }
    TableMemory(TableMemory &&other) noexcept : m_data(std::exchange(other.m_data, nullptr)) {}
    TableMemory &operator=(TableMemory &&other) noexcept
    {
        std::swap(m_data, other.m_data);
        return *this;
    }

    char *data() const { return m_data; }

private:
    char *m_data = nullptr;
};

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
    static constexpr std::size_t kBlockSize = TableMemory::kHugePage;
    // The persons from which the table asks for huge pages.
    static constexpr qint64 kHugeFrom = 65536;

    void reserve(qint64 persons)
    {
        m_huge = persons >= kHugeFrom;
        rehash(capacityFor(std::max<qint64>(persons, 16)));
    }

    // Starts an entry: MB's length and bytes, then the flags (blob or text
    // MB, settlement code). The caller appends the values.
    static void startEntry(std::string &entry, const char *key, std::size_t keySize, quint8 flags)
    {
        entry.clear();
        putVarint(entry, keySize);
        entry.append(key, keySize);
        entry += char(flags);
    }

    // Adds the entry whose bytes are given (see above) for that key. The
    // entries are found once finish() has been called after the last.
    Result<void> add(const char *key, std::size_t keySize, bool blob, const std::string &entry)
    {
        if (entry.size() > kBlockSize)
            return fail(QStringLiteral("An insured person's citizen number or values are too long to be read"));
        if (m_blocks.empty() || m_used + entry.size() > kBlockSize) {
            if (m_blocks.size() >= (std::size_t(1) << 32) / kBlockSize - 1)
                return fail(QStringLiteral("The insured persons do not fit into the memory of a run"));
            m_blocks.emplace_back(kBlockSize, m_huge);
            m_used = 0;
        }
        const quint64 place = quint64(m_blocks.size() - 1) * kBlockSize + m_used;
        std::memcpy(m_blocks.back().data() + m_used, entry.data(), entry.size());
        m_used += entry.size();
        // The slots are placed in batches, each batch's slots fetched into
        // the cache first: a person's slot lies anywhere in the table, and
        // waiting for each in turn took most of the time of loading.
        const quint64 hash = hashKey(key, keySize, blob);
        if (m_slotCount > 0)
            prefetchSlot(hash);
        m_pending[m_pendingCount++] = {hash, place};
        if (m_pendingCount == kPending)
            placePending();
        return {};
    }

    // Places the entries added last; call it before looking keys up.
    void finish() { placePending(); }

    static quint64 hashOf(const char *key, std::size_t keySize, bool blob) { return hashKey(key, keySize, blob); }

    // Brings the slot of a hash into the cache ahead of its lookup.
    void prefetchSlot(quint64 hash) const { prefetch(&m_slots[std::size_t(hash) & (m_slotCount - 1)]); }
    // Brings the first entry the hash may name into the cache (its slot read).
    void prefetchEntry(quint64 hash) const
    {
        const auto tag = quint32(hash >> 32);
        const std::size_t mask = m_slotCount - 1;
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
        const std::size_t mask = m_slotCount - 1;
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
    qint64 bytes() const { return qint64(m_slotCount * sizeof(quint64) + m_blocks.size() * kBlockSize); }

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
    static constexpr std::size_t kPending = 32;

    void placePending()
    {
        for (std::size_t i = 0; i < m_pendingCount; ++i) {
            if (std::size_t(++m_count) > (m_slotCount / 4) * 3)
                rehash(std::max<std::size_t>(16, m_slotCount * 2));
            insert(m_pending[i].hash, m_pending[i].place);
        }
        m_pendingCount = 0;
    }
    const char *entryAt(quint64 place) const
    {
        return m_blocks[std::size_t(place / kBlockSize)].data() + place % kBlockSize;
    }
    void insert(quint64 hash, quint64 place)
    {
        const std::size_t mask = m_slotCount - 1;
        std::size_t i = std::size_t(hash) & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = (hash & 0xffffffff00000000ull) | (place + 1);
    }
    void rehash(std::size_t capacity)
    {
        if (capacity <= m_slotCount)
            return;
        TableMemory old(capacity * sizeof(quint64), m_huge);
        std::swap(old, m_slotMemory);
        const quint64 *oldSlots = m_slots;
        const std::size_t oldCount = m_slotCount;
        m_slots = reinterpret_cast<quint64 *>(m_slotMemory.data());
        m_slotCount = capacity;
        for (std::size_t i = 0; i < oldCount; ++i) {
            const quint64 slot = oldSlots[i];
            if (slot == 0)
                continue;
            const char *p = entryAt(quint32(slot) - 1);
            const std::size_t size = std::size_t(getVarint(p));
            insert(hashKey(p, size, quint8(p[size]) & BlobKey), quint32(slot) - 1);
        }
    }

    bool m_huge = false;
    TableMemory m_slotMemory;
    quint64 *m_slots = nullptr; // in m_slotMemory
    std::size_t m_slotCount = 0;
    struct Pending {
        quint64 hash;
        quint64 place;
    };
    Pending m_pending[kPending];
    std::size_t m_pendingCount = 0;
    std::vector<TableMemory> m_blocks;
    std::size_t m_used = 0;
    qint64 m_count = 0;
};

} // namespace tarel::data
