#pragma once

// The export formats offered by the preview's "Export" menu, one entry per
// format, shown as its name followed by "...". Add a row to offer another.

#include "prepared.h"

#include "result.h"

#include <QString>

#include <vector>

namespace tarel::report {

struct ExportFormat {
    const char *name;   // "PDF file", in English; shown in the user's language
    const char *filter; // for the save dialog: "PDF file (*.pdf)"
    QString suffix;     // given to a file name without one
    Result<void> (*write)(const PreparedReport &report, const QString &path);

    QString menuText() const;   // "PDF file...", in the user's language
    QString dialogTitle() const; // "Export as PDF file", in the user's language
    QString filterText() const; // the filter, in the user's language
};

const std::vector<ExportFormat> &exportFormats();

} // namespace tarel::report
