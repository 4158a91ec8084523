#pragma once

// The command-line tool tarel-report: runs one report over the source
// database and writes the prepared report as .fp3, .pdf, .csv or .xlsx,
// converts a saved .fp3 file to .pdf, .csv or .xlsx, or writes the batch of
// all reports of a period into a folder (batch.h).
//
//   tarel-report REPORT --from YYYY-MM-DD --to YYYY-MM-DD [--all-doctors | --doctor CODE]
//                [--area urban|rural|both] [--database FILE] --output FILE
//   tarel-report REPORT <the same request options> --cell NAME --output FILE.csv
//   tarel-report trend REPORT <the same request options> [--history N] --output FILE.json|.csv|.xlsx|.pdf
//   tarel-report convert IN.fp3 OUT.pdf|OUT.csv|OUT.xlsx
//   tarel-report check IN.fp3
//   tarel-report batch (--month YYYY-MM | --from YYYY-MM-DD --to YYYY-MM-DD) --folder DIR
//                [--format xlsx,pdf,csv,fp3] [--each-doctor] [--trend [--history N]] [--area ...]
//                [--database FILE]
//
// --check FILE.json writes the run's data check beside the report: both
// paths are checked before the run, and the report and its check are written
// both or neither; 'check' prints the data check a saved report keeps.
// --cell NAME writes the visits behind one count cell of the report as CSV
// (engine/cellvisits.h). A report that selects no visit says so on standard
// error (--allow-empty: not). 'trend' writes the report beside its history
// (engine/trendrun.h, docs/consistency-over-time.md); 'batch --trend' adds
// one trend per report.
//
// Exit codes: 0 success; 1 a run or conversion failed (its message and a full
// stop on standard error), or a file of a batch was not written; 2 a usage
// error, including a morbidity report without a doctor choice ("Izberete
// lekar") and an unknown doctor code; 3 a batch wrote every file, but a
// report selects no visit (a wrong or stale database gives zeros; not with
// --allow-empty); 128 + the signal when SIGINT, SIGTERM or SIGHUP stopped the
// run (130, 143, 129): what was half-made is removed, and a batch keeps the
// files it wrote and prints its summary. SIGPIPE is ignored: a closed
// standard output is reported at the end, after every file is written.

#include "engine.h"
#include "outputs.h"
#include "result.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QTextStream;

namespace tarel::cli {

enum ExitCode { ExitSuccess = 0, ExitRunError = 1, ExitUsage = 2, ExitNoVisits = 3, ExitCancelled = 130 };

// The exit status of a failed command.
int exitStatus(const Error &error);

// The command line, parsed; nothing checked against the database yet.
struct Command {
    enum class Kind { Help, Version, Report, Trend, Convert, Check, Batch } kind = Kind::Help;
    // Report (and Batch: the dates, area and database)
    const engine::ReportDefinition *report = nullptr;
    QDate from;
    QDate to;
    bool allDoctors = false;
    std::optional<QString> doctor;
    std::optional<data::AreaFilter> area; // given or not
    QString database;                     // empty: the alias "pelorida"
    QString output;
    OutputFormat format = OutputFormat::PreparedFile;
    QString checkOutput; // --check: where the data check goes; empty: nowhere
    QString cell;        // --cell: the count cell whose visits are written instead; empty: the report
    bool allowEmpty = false; // --allow-empty: a report without visits is no failure or warning
    // Trend (and Batch with --trend)
    TrendFormat trendFormat = TrendFormat::Json;
    int history = trend::kDefaultHistory;
    bool trends = false; // Batch: a trend per report
    // Convert, Check
    QString input;
    // Batch
    QString folder;
    std::vector<OutputFormat> formats;
    bool eachDoctor = false;
};

// A usage problem: the message for standard error and the exit code (2).
struct Usage {
    QString message;
    bool hint = true; // followed by "Try 'tarel-report --help'."
};

// Parses the arguments (without the program name). Every problem that needs
// no database is found here: unknown report or option, missing or malformed
// dates, options that do not fit the report, an unknown output extension,
// "Izberete lekar".
std::variant<Command, Usage> parseCommand(const QStringList &arguments);

QString usageText();

// How a run tells its progress and is stopped: the read's progress and
// cancel flag, and a call when the read has ended (before any message or
// file), so that a progress line can be cleared. A run whose cancel flag is
// set by the time its file would be written stops without writing it.
// stopSignal, when given, holds the signal that set the flag (its exit
// status is 128 + the signal; without one, 130).
struct RunControl {
    data::ReadControl read;
    std::function<void()> readEnded;
    const std::atomic<int> *stopSignal = nullptr;
};

// Runs the parsed command; messages go to err, the help text to out.
// today: the date printed in the visit reports' header.
int runCommand(const Command &command, QTextStream &out, QTextStream &err, QDate today,
               const RunControl &control = {});

// Parses and runs: the whole tool, minus the application object.
int runTool(const QStringList &arguments, QTextStream &out, QTextStream &err, QDate today,
            const RunControl &control = {});

} // namespace tarel::cli
