#include "outputs.h"

#include "export.h"
#include "outputfile.h"
#include "preparedfile.h"
#include "trendpdf.h"
#include "trendworkbook.h"
#include "workbook.h"

#include <QFileInfo>

namespace tarel::cli {

namespace {

struct FormatName {
    const char *extension;
    OutputFormat format;
};
constexpr FormatName kFormats[] = {{"fp3", OutputFormat::PreparedFile},
                                   {"pdf", OutputFormat::Pdf},
                                   {"csv", OutputFormat::Csv},
                                   {"xlsx", OutputFormat::Workbook}};

struct TrendFormatName {
    const char *extension;
    TrendFormat format;
    std::optional<OutputFormat> report; // the report's format of the same extension
};
constexpr TrendFormatName kTrendFormats[] = {{"json", TrendFormat::Json, std::nullopt},
                                             {"csv", TrendFormat::Csv, OutputFormat::Csv},
                                             {"xlsx", TrendFormat::Workbook, OutputFormat::Workbook},
                                             {"pdf", TrendFormat::Pdf, OutputFormat::Pdf}};

} // namespace

std::optional<OutputFormat> outputFormatNamed(const QString &extension)
{
    for (const FormatName &entry : kFormats)
        if (extension.compare(QLatin1String(entry.extension), Qt::CaseInsensitive) == 0)
            return entry.format;
    return std::nullopt;
}

std::optional<OutputFormat> outputFormatOf(const QString &path) { return outputFormatNamed(QFileInfo(path).suffix()); }

QString extensionOf(OutputFormat format)
{
    for (const FormatName &entry : kFormats)
        if (entry.format == format)
            return QString::fromLatin1(entry.extension);
    return {};
}

Result<void> writeOutput(const report::PreparedReport &prepared, OutputFormat format, const QString &path)
{
    switch (format) {
    case OutputFormat::PreparedFile:
        return report::savePrepared(prepared, path);
    case OutputFormat::Pdf:
        return report::writePdf(prepared, path);
    case OutputFormat::Csv:
        return report::writeCsv(prepared, path);
    case OutputFormat::Workbook:
        break;
    }
    return report::writeWorkbook(prepared, path);
}

std::optional<TrendFormat> trendFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const TrendFormatName &entry : kTrendFormats)
        if (suffix.compare(QLatin1String(entry.extension), Qt::CaseInsensitive) == 0)
            return entry.format;
    return std::nullopt;
}

std::optional<TrendFormat> trendFormatFor(OutputFormat format)
{
    for (const TrendFormatName &entry : kTrendFormats)
        if (entry.report == format)
            return entry.format;
    return std::nullopt;
}

QString extensionOf(TrendFormat format)
{
    for (const TrendFormatName &entry : kTrendFormats)
        if (entry.format == format)
            return QString::fromLatin1(entry.extension);
    return {};
}

Result<void> writeTrendOutput(const trend::Trend &trend, TrendFormat format, const QString &path)
{
    switch (format) {
    case TrendFormat::Json:
        return writeOutputFile(path, trend::trendJson(trend));
    case TrendFormat::Csv:
        return writeOutputFile(path, trend::trendCsv(trend));
    case TrendFormat::Pdf:
        return trend::writeTrendPdf(trend, path);
    case TrendFormat::Workbook:
        break;
    }
    return trend::writeTrendWorkbook(trend, path);
}

} // namespace tarel::cli
