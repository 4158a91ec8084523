#include "exportformats.h"

#include "export.h"
#include "workbook.h"

#include <QCoreApplication>

namespace tarel::report {

QString ExportFormat::menuText() const
{
    return QCoreApplication::translate("ExportFormat", name) + QStringLiteral("...");
}

QString ExportFormat::dialogTitle() const
{
    return QCoreApplication::translate("ExportFormat", "Export as %1")
        .arg(QCoreApplication::translate("ExportFormat", name));
}

QString ExportFormat::filterText() const { return QCoreApplication::translate("ExportFormat", filter); }

const std::vector<ExportFormat> &exportFormats()
{
    static const std::vector<ExportFormat> formats = {
        {QT_TRANSLATE_NOOP("ExportFormat", "PDF file"), QT_TRANSLATE_NOOP("ExportFormat", "PDF file (*.pdf)"),
         QStringLiteral("pdf"), &writePdf},
        {QT_TRANSLATE_NOOP("ExportFormat", "CSV file"), QT_TRANSLATE_NOOP("ExportFormat", "CSV file (*.csv)"),
         QStringLiteral("csv"), &writeCsv},
        {QT_TRANSLATE_NOOP("ExportFormat", "Excel workbook"),
         QT_TRANSLATE_NOOP("ExportFormat", "Excel workbook (*.xlsx)"), QStringLiteral("xlsx"), &writeWorkbook},
    };
    return formats;
}

} // namespace tarel::report
