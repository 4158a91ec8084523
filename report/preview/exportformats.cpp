#include "exportformats.h"

#include "export.h"
#include "workbook.h"

namespace tarel::report {

const std::vector<ExportFormat> &exportFormats()
{
    static const std::vector<ExportFormat> formats = {
        {QStringLiteral("PDF file"), QStringLiteral("PDF file (*.pdf)"), QStringLiteral("pdf"), &writePdf},
        {QStringLiteral("CSV file"), QStringLiteral("CSV file (*.csv)"), QStringLiteral("csv"), &writeCsv},
        {QStringLiteral("Excel workbook"), QStringLiteral("Excel workbook (*.xlsx)"), QStringLiteral("xlsx"),
         &writeWorkbook},
    };
    return formats;
}

} // namespace tarel::report
