#pragma once

// The files the command-line tool writes: a prepared report as .fp3, .pdf,
// .csv or .xlsx, and a report beside its history as .json, .csv, .xlsx or
// .pdf, chosen by the file's extension.

#include "prepared.h"
#include "result.h"
#include "trend.h"

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

enum class TrendFormat { Json, Csv, Workbook, Pdf };

// By the file's extension (.json, .csv, .xlsx, .pdf, without regard to case).
std::optional<TrendFormat> trendFormatOf(const QString &path);
// The trend's format of a report's format: none for .fp3, which holds pages.
std::optional<TrendFormat> trendFormatFor(OutputFormat format);
QString extensionOf(TrendFormat format);

// Writes the trend in that format, completely or not at all.
Result<void> writeTrendOutput(const trend::Trend &trend, TrendFormat format, const QString &path);

} // namespace tarel::cli
