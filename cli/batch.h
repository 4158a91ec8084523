#pragma once

// The batch: every report of a period into one folder, as the monthly run
// makes them. The six reports, the morbidity reports for all doctors and, if
// asked, for every doctor with visits in the period, each in every format
// asked for, all read from one read transaction so that the files agree with
// each other. A file that fails does not stop the others.
//
// The batch writes only regular files inside its folder: a symbolic link at
// a file's name is replaced, never followed. It holds a lock on the folder
// while it writes (the file ".tarel-batch.lock" there), so a second batch
// into the same folder is refused instead of mixing two states of the
// database.

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
    bool eachDoctor = false;            // also one morbidity report per doctor with visits
    data::AreaFilter area = data::AreaFilter::Both; // the morbidity reports' area
    QDate today;                        // the date the visit reports print
    data::ReadControl control;          // progress and cancel of every run
    // Also each report beside its history (for all doctors), in the formats
    // asked for that a trend is written in (or JSON when none is).
    bool trends = false;
    int history = 12;
};

// One file of the batch, and why it was not written (nothing: written).
struct BatchFile {
    QString path;
    std::optional<Error> error;
    bool noVisits = false; // its report selects no visit
};

// What a batch did.
struct BatchOutcome {
    std::vector<BatchFile> files;  // in the order they were made
    std::size_t planned = 0;       // the files the batch was to make
    QStringList emptyReports;      // the reports that select no visit ("general-medicine", "children L01")
    // Files in the folder with the names this batch gives doctors' files,
    // that it did not make: an earlier run's, for a doctor without visits now.
    QStringList earlierFiles;
    std::optional<Error> stopped;  // the user's cancel: the files above stay
};

// "<from>_<to>_<report>.<ext>"; a morbidity report of one area adds
// "-urban" or "-rural" to the report's name, and a doctor's part of a name
// follows as "_<doctor>": "2024-11-01_2024-11-30_children-rural_L01.pdf".
// Dates as YYYY-MM-DD, the report by its command-line name.
QString batchFileName(const BatchRequest &request, const engine::ReportDefinition &report,
                      const QString &doctorPart, OutputFormat format);
// A report's trend: "<from>_<to>_<report>-trend.<ext>", which no doctor's
// file name can take.
QString batchTrendFileName(const BatchRequest &request, const engine::ReportDefinition &report,
                           TrendFormat format);

// The parts of file names for the doctors of these codes, in their order:
// letters, digits, "-", "_" and "." are kept, any other character becomes
// "_"; a part that another code's part already took, without regard to case,
// gets "_2", "_3" ..., so no two doctors' files share a name.
QStringList doctorFileParts(const QStringList &codes);

// Writes the batch's files, calling written() after each file (written or
// not). The error is for what stops the batch before its first file: the
// folder or its lock, the read transaction, the list of doctors.
Result<BatchOutcome> runBatch(data::Database &database, const BatchRequest &request,
                              const std::function<void(const BatchFile &)> &written = {});

} // namespace tarel::cli
