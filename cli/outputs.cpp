#include "outputs.h"

#include "export.h"
#include "preparedfile.h"
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

} // namespace tarel::cli
