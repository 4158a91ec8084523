#pragma once

// Reading the files the programs are given (a prepared report, the alias
// file, a password file, the database file): only regular files. A named
// pipe would block the read until some other program writes to it, possibly
// for ever; a folder or a device is not a file of ours.

#include "result.h"

#include <QByteArray>
#include <QString>

namespace tarel {

// Why the file at path cannot be read as a file ("it is a named pipe, not a
// file"), or an empty text when it is a regular file or does not exist.
QString notRegularFile(const QString &path);

// The whole file, at most maxBytes. The error is the problem alone ("the file
// does not exist", "it is a named pipe, not a file", "it is larger than 256
// MB", the system's reason), for the caller's own sentence.
Result<QByteArray> readInputFile(const QString &path, qint64 maxBytes);

} // namespace tarel
