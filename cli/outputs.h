#pragma once

// The files the command-line tool writes: a prepared report as .fp3, .pdf,
// .csv or .xlsx, chosen by the file's extension.

#include "prepared.h"
#include "result.h"

#include <QString>

#include <optional>

namespace tarel::cli {

enum class OutputFormat { PreparedFile, Pdf, Csv, Workbook };

// By the file's extension (.fp3, .pdf, .csv, .xlsx, without regard to case).
std::optional<OutputFormat> outputFormatOf(const QString &path);
// By its extension's name ("fp3", "pdf", "csv", "xlsx", without regard to case).
std::optional<OutputFormat> outputFormatNamed(const QString &extension);
// The extension a file of that format is given, without the dot.
QString extensionOf(OutputFormat format);

// Writes the report in that format; the file is replaced completely or left
// as it was.
Result<void> writeOutput(const report::PreparedReport &prepared, OutputFormat format, const QString &path);

} // namespace tarel::cli
