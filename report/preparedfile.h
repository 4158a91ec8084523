#pragma once

// Prepared-report files (".fp3"): UTF-8 JSON holding every output page and
// cell, read back plain or gzip-compressed. See docs/prepared-report-format.md.

#include "prepared.h"

#include "result.h"

#include <QByteArray>
#include <QString>

namespace tarel::report {

// What a file may hold. A report of the program is about 2 MB and 150,000
// values (13 pages, 6,600 cells). Reading takes about 130 bytes of memory a
// value and about nine times the bytes of long texts, so these keep a
// hostile file within about 300 MB.
inline constexpr qint64 kMaxPreparedFileBytes = 32LL * 1024 * 1024; // uncompressed
inline constexpr qint64 kMaxPreparedValues = 2000000; // numbers, texts, lists and objects
inline constexpr int kMaxPreparedPages = 10000;
inline constexpr int kMaxPreparedCellsPerPage = 100000;

// The file's bytes; the same report always gives the same bytes.
QByteArray serializePrepared(const PreparedReport &report);

Result<void> savePrepared(const PreparedReport &report, const QString &path);
Result<PreparedReport> loadPrepared(const QString &path);
// Reads a file's bytes (plain or gzip); nameForMessages names it in errors.
Result<PreparedReport> parsePrepared(const QByteArray &bytes, const QString &nameForMessages);

} // namespace tarel::report
