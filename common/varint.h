#pragma once

// Unsigned integers packed seven bits a byte, lowest first, every byte but
// the last with its top bit set: the lengths and numbers of the compact
// in-memory records (the insured persons a run joins, the visits behind a
// number).

#include <QtGlobal>

#include <string>

namespace tarel {

inline void putVarint(std::string &out, quint64 value)
{
    while (value >= 0x80) {
        out += char(value | 0x80);
        value >>= 7;
    }
    out += char(value);
}

// Reads the integer at p and moves p past it.
inline quint64 getVarint(const char *&p)
{
    quint64 value = 0;
    int shift = 0;
    for (;;) {
        const auto byte = quint8(*p++);
        value |= quint64(byte & 0x7f) << shift;
        if (byte < 0x80)
            return value;
        shift += 7;
    }
}

} // namespace tarel
