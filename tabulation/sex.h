#pragma once

// The sex of a patient from the citizen number MB: characters 10 to 12
// (counting from 1) read as a signed integer; under 500 is male, over 499
// female.

#include "result.h"

#include <QString>

#include <optional>

namespace tarel::tabulation {

// Reads a text as an integer the way the original conversion does: leading
// blanks, an optional sign, then decimal digits to the end; "$", "x", "X" or
// "0x"/"0X" after the sign make the rest hexadecimal. Nothing else.
std::optional<int> toInteger(QStringView text);

// Characters 10 to 12 of MB (fewer when MB is shorter).
QStringView sexDigits(QStringView mb);

// "'%s' is not a valid integer value" with the converted characters.
Error sexConversionError(QStringView mb);

// The converted sex digits, or nullopt when they do not form a number.
inline std::optional<int> sexValue(QStringView mb) { return toInteger(sexDigits(mb)); }

inline bool isMale(int sexValue) { return sexValue < 500; }   // maz
inline bool isFemale(int sexValue) { return sexValue > 499; } // zena

// maz and zena as the band methods call them.
Result<bool> maz(QStringView mb);
Result<bool> zena(QStringView mb);

} // namespace tarel::tabulation
