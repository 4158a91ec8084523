#pragma once

// The batch: every report of a period into one folder, as the monthly run
// makes them. The six reports, the morbidity reports for all doctors and, if
// asked, for every active doctor, each in every format asked for, all read
// from one read transaction so that the files agree with each other. A file
// that fails does not stop the others.

#include "engine.h"
#include "outputs.h"
#include "result.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tarel::cli {

struct BatchRequest {
    QDate from;                         // both days included
    QDate to;
    QString folder;                     // made when missing
    std::vector<OutputFormat> formats;  // one file per format
    bool eachDoctor = false;            // also one morbidity report per active doctor
    data::AreaFilter area = data::AreaFilter::Both; // the morbidity reports' area
    QDate today;                        // the date the visit reports print
    data::ReadControl control;          // progress and cancel of every run
};

// One file of the batch, and why it was not written (nothing: written).
struct BatchFile {
    QString path;
    std::optional<Error> error;
};

// "<from>_<to>_<report>.<ext>", or "<from>_<to>_<report>_<doctor>.<ext>" when
// a doctor's part of a name is given; dates as YYYY-MM-DD, the report by its
// command-line name.
QString batchFileName(const BatchRequest &request, const engine::ReportDefinition &report,
                      const QString &doctorPart, OutputFormat format);

// The parts of file names for the doctors of these codes, in their order:
// letters, digits, "-", "_" and "." are kept, any other character becomes
// "_"; a part that another code's part already took, without regard to case,
// gets "_2", "_3" ..., so no two doctors' files share a name.
QStringList doctorFileParts(const QStringList &codes);

// Writes the batch's files, calling written() after each file (written or
// not). The error is for what stops the batch: the folder, the read
// transaction, the list of doctors before any file, or the user's cancel
// (its kind Cancelled; the files written until then stay).
Result<std::vector<BatchFile>> runBatch(data::Database &database, const BatchRequest &request,
                                        const std::function<void(const BatchFile &)> &written = {});

} // namespace tarel::cli
