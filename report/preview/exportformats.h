#pragma once

// The export formats offered by the preview's "Export" menu, one entry per
// format, shown as its name followed by "...". Add a row to offer another.

#include "prepared.h"

#include "result.h"

#include <QString>

#include <vector>

namespace tarel::report {

struct ExportFormat {
    QString name;   // "PDF file"
    QString filter; // for the save dialog
    QString suffix; // given to a file name without one
    Result<void> (*write)(const PreparedReport &report, const QString &path);

    QString menuText() const { return name + QStringLiteral("..."); }
};

const std::vector<ExportFormat> &exportFormats();

} // namespace tarel::report
