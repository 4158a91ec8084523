#include "exportformats.h"

#include "export.h"

namespace tarel::report {

const std::vector<ExportFormat> &exportFormats()
{
    static const std::vector<ExportFormat> formats = {
        {QStringLiteral("PDF file"), QStringLiteral("PDF file (*.pdf)"), QStringLiteral("pdf"), &writePdf},
        {QStringLiteral("CSV file"), QStringLiteral("CSV file (*.csv)"), QStringLiteral("csv"), &writeCsv},
    };
    return formats;
}

} // namespace tarel::report
