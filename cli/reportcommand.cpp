#include "reportcommand.h"

#include "batch.h"
#include "cellvisits.h"
#include "database.h"
#include "outputfile.h"
#include "prepared.h"
#include "preparedfile.h"
#include "template.h"
#include "trendrun.h"

#include "messagetext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <csignal>
#include <limits>
#include <optional>

namespace tarel::cli {

namespace {

// The options of every command, and the parser that knows them.
class Options {
public:
    Options()
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const QCommandLineOption *option : {&from, &to, &allDoctors, &doctor, &area, &database, &output, &check,
                                                 &cell, &history, &month, &folder, &format, &eachDoctor, &trend,
                                                 &allowEmpty})
            parser.addOption(*option);
    }

    // The options of a report run, in the order the help lists them.
    QCommandLineParser parser;
    QCommandLineOption help{parser.addHelpOption()};
    QCommandLineOption version{parser.addVersionOption()};
    QCommandLineOption from{QStringLiteral("from"), QStringLiteral("First day of the period."),
                            QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption to{QStringLiteral("to"),
                          QStringLiteral("Last day of the period; ages are taken on this day."),
                          QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption allDoctors{QStringLiteral("all-doctors"),
                                  QStringLiteral("Morbidity reports: the visits of all doctors.")};
    QCommandLineOption doctor{QStringLiteral("doctor"),
                              QStringLiteral("Morbidity reports: the visits of one active doctor."),
                              QStringLiteral("CODE")};
    QCommandLineOption area{QStringLiteral("area"),
                            QStringLiteral("Morbidity reports: urban, rural or both (the default)."),
                            QStringLiteral("urban|rural|both")};
    QCommandLineOption database{QStringLiteral("database"),
                                QStringLiteral("The SQLite file to read instead of the alias \"pelorida\"."),
                                QStringLiteral("FILE")};
    QCommandLineOption output{QStringLiteral("output"),
                              QStringLiteral("The file to write; its extension chooses the format."),
                              QStringLiteral("FILE")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Also write the run's data check (JSON) to this file."),
                             QStringLiteral("FILE.json")};
    QCommandLineOption cell{QStringLiteral("cell"),
                            QStringLiteral("Instead of the report, the visits behind its count cell NAME, as CSV "
                                           "(the output must end in .csv)."),
                            QStringLiteral("NAME")};
    QCommandLineOption history{QStringLiteral("history"),
                               QStringLiteral("'trend' and 'batch --trend': the earlier periods each number is compared "
                                              "with, 1 to 60 (default 12)."),
                               QStringLiteral("N")};
    QCommandLineOption month{QStringLiteral("month"),
                             QStringLiteral("Batch: the period from the first to the last day of that month."),
                             QStringLiteral("YYYY-MM")};
    QCommandLineOption folder{QStringLiteral("folder"),
                              QStringLiteral("Batch: the folder the files go into (made when missing)."),
                              QStringLiteral("DIR")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("Batch: the formats to write, separated by commas (default xlsx)."),
                              QStringLiteral("xlsx,pdf,csv,fp3")};
    QCommandLineOption eachDoctor{
        QStringLiteral("each-doctor"),
        QStringLiteral("Batch: also the morbidity reports of every doctor with visits in the period, one file "
                       "each.")};
    QCommandLineOption trend{QStringLiteral("trend"),
                             QStringLiteral("Batch: also each report beside its history, one file per format "
                                            "(<from>_<to>_<report>-trend.<ext>).")};
    QCommandLineOption allowEmpty{
        QStringLiteral("allow-empty"),
        QStringLiteral("A report that selects no visit is expected: no warning, and the batch does not exit 3.")};

    std::vector<const QCommandLineOption *> valueOptions() const
    {
        return {&from, &to, &doctor, &area, &database, &output, &check, &cell, &history, &month, &folder, &format};
    }
};

// A value typed on the command line as a message quotes it: control
// characters escaped, a long value cut (a file name less short).
constexpr qsizetype kShownPathLength = 200;
QString typed(const QString &value) { return shownText(value); }
QString typedPath(const QString &path) { return shownText(path, kShownPathLength); }

bool isValueOption(const Options &options, QStringView name)
{
    for (const QCommandLineOption *option : options.valueOptions())
        if (option->names().contains(name))
            return true;
    return false;
}

// Today's words for what the parser refused.
Usage parseError(const Options &options, const QStringList &arguments)
{
    const QStringList unknown = options.parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString name = unknown.front();
        const QString longForm = QStringLiteral("--") + name;
        const bool writtenLong = std::any_of(arguments.begin(), arguments.end(), [&](const QString &argument) {
            return argument == longForm || argument.startsWith(longForm + QLatin1Char('='));
        });
        return Usage{
            QStringLiteral("Unknown option '%1'").arg(typed(writtenLong ? longForm : QStringLiteral("-") + name))};
    }
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(u"--"))
            continue;
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        if (equals >= 0 && !isValueOption(options, name))
            return Usage{QStringLiteral("The option '--%1' takes no value").arg(typed(name))};
        if (equals < 0 && isValueOption(options, name) && i + 1 >= arguments.size())
            return Usage{QStringLiteral("The option '--%1' needs a value").arg(typed(name))};
    }
    return Usage{shownText(options.parser.errorText(), kShownMessageLength)};
}

std::optional<QDate> isoDate(const QString &text)
{
    int day = 0;
    if (!data::parseIsoDay(text, &day))
        return std::nullopt;
    return data::dateOfDayNumber(day);
}

std::variant<Command, Usage> parseConvert(const Options &options, const QStringList &positional, bool anyOption)
{
    if (anyOption)
        return Usage{QStringLiteral("'convert' takes no options")};
    if (positional.size() != 3)
        return Usage{QStringLiteral("'convert' needs an input .fp3 file and an output .pdf, .csv or .xlsx file")};
    Q_UNUSED(options);
    Command command;
    command.kind = Command::Kind::Convert;
    command.input = positional[1];
    command.output = positional[2];
    const std::optional<OutputFormat> format = outputFormatOf(command.output);
    if (!format || *format == OutputFormat::PreparedFile)
        return Usage{QStringLiteral("The output file '%1' of 'convert' must end in .pdf, .csv or .xlsx")
                         .arg(typedPath(command.output))};
    command.format = *format;
    return command;
}

std::variant<Command, Usage> parseCheck(const QStringList &positional, bool anyOption)
{
    if (anyOption)
        return Usage{QStringLiteral("'check' takes no options")};
    if (positional.size() != 2)
        return Usage{QStringLiteral("'check' needs one saved report, a .fp3 file")};
    Command command;
    command.kind = Command::Kind::Check;
    command.input = positional[1];
    return command;
}

// The options that belong to other commands.
enum class Verb { Report, Trend, Batch };
std::optional<Usage> foreignOption(const Options &options, Verb verb)
{
    std::vector<const QCommandLineOption *> others;
    switch (verb) {
    case Verb::Batch:
        others = {&options.allDoctors, &options.doctor, &options.output, &options.check, &options.cell};
        break;
    case Verb::Trend:
        others = {&options.month, &options.folder, &options.format, &options.eachDoctor, &options.trend,
                  &options.check, &options.cell, &options.allowEmpty};
        break;
    case Verb::Report:
        others = {&options.month, &options.folder, &options.format, &options.eachDoctor, &options.trend,
                  &options.history};
        break;
    }
    for (const QCommandLineOption *option : others) {
        if (!options.parser.isSet(*option))
            continue;
        const QString name = option->names().front();
        if (verb == Verb::Batch)
            return Usage{QStringLiteral("The option '--%1' is not for 'batch'").arg(name)};
        if (verb == Verb::Trend)
            return Usage{QStringLiteral("The option '--%1' is not for 'trend'").arg(name)};
        if (option == &options.history)
            return Usage{QStringLiteral("The option '--history' is only for 'trend' and 'batch --trend'")};
        return Usage{QStringLiteral("The option '--%1' is only for 'batch'").arg(name)};
    }
    return std::nullopt;
}

// --history N: 1 to 60 earlier periods.
std::optional<Usage> parseHistory(const Options &options, Command &command)
{
    if (!options.parser.isSet(options.history))
        return std::nullopt;
    const QString value = options.parser.value(options.history);
    bool ok = false;
    command.history = value.toInt(&ok);
    if (!ok || command.history < 1 || command.history > trend::kMaxHistory)
        return Usage{QStringLiteral("--history must be a whole number from 1 to %1, not '%2'")
                         .arg(trend::kMaxHistory)
                         .arg(typed(value))};
    return std::nullopt;
}

std::optional<Usage> parseDates(const Options &options, Command &command)
{
    const QCommandLineParser &parser = options.parser;
    for (const QCommandLineOption *date : {&options.from, &options.to}) {
        const QString option = date->names().front();
        if (!parser.isSet(*date))
            return Usage{QStringLiteral("The option '--%1 YYYY-MM-DD' is required").arg(option)};
        const std::optional<QDate> parsed = isoDate(parser.value(*date));
        if (!parsed)
            return Usage{QStringLiteral("'%1' is not a date of the form YYYY-MM-DD").arg(typed(parser.value(*date)))};
        (date == &options.from ? command.from : command.to) = *parsed;
    }
    return std::nullopt;
}

std::optional<Usage> parseDatabase(const Options &options, Command &command)
{
    command.database = options.parser.value(options.database);
    if (options.parser.isSet(options.database) && command.database.isEmpty())
        return Usage{QStringLiteral("The option '--database' needs a file")};
    return std::nullopt;
}

std::optional<Usage> parseArea(const Options &options, Command &command)
{
    if (!options.parser.isSet(options.area))
        return std::nullopt;
    const QString value = options.parser.value(options.area);
    command.area = data::areaNamed(value);
    if (!command.area)
        return Usage{QStringLiteral("'%1' is not an area: use urban, rural or both").arg(typed(value))};
    return std::nullopt;
}

// "YYYY-MM": its first and last day.
bool parseMonth(const QString &text, Command &command)
{
    if (text.size() != 7 || text[4] != u'-')
        return false;
    bool yearOk = false;
    bool monthOk = false;
    const int year = text.left(4).toInt(&yearOk);
    const int month = text.mid(5).toInt(&monthOk);
    if (!yearOk || !monthOk || !text[0].isDigit() || !text[5].isDigit() || month < 1 || month > 12)
        return false;
    command.from = QDate(year, month, 1);
    command.to = command.from.addMonths(1).addDays(-1);
    return command.from.isValid() && command.to.isValid();
}

std::variant<Command, Usage> parseBatch(const Options &options, const QStringList &positional)
{
    const QCommandLineParser &parser = options.parser;
    if (positional.size() > 1)
        return Usage{QStringLiteral("Unexpected argument '%1'").arg(typed(positional[1]))};
    if (std::optional<Usage> usage = foreignOption(options, Verb::Batch))
        return *usage;
    Command command;
    command.kind = Command::Kind::Batch;
    if (parser.isSet(options.month)) {
        if (parser.isSet(options.from) || parser.isSet(options.to))
            return Usage{QStringLiteral("Give either '--month YYYY-MM' or '--from' and '--to', not both")};
        if (!parseMonth(parser.value(options.month), command))
            return Usage{
                QStringLiteral("'%1' is not a month of the form YYYY-MM").arg(typed(parser.value(options.month)))};
    } else if (std::optional<Usage> usage = parseDates(options, command)) {
        return *usage;
    }
    if (!parser.isSet(options.folder))
        return Usage{QStringLiteral("The option '--folder DIR' is required")};
    command.folder = parser.value(options.folder);
    if (command.folder.isEmpty())
        return Usage{QStringLiteral("The option '--folder' needs a folder")};
    const QString formats = parser.isSet(options.format) ? parser.value(options.format) : QStringLiteral("xlsx");
    for (const QString &name : formats.split(QLatin1Char(','))) {
        const std::optional<OutputFormat> format = outputFormatNamed(name.trimmed());
        if (!format)
            return Usage{QStringLiteral("'%1' is not a format: use xlsx, pdf, csv or fp3").arg(typed(name.trimmed()))};
        if (std::find(command.formats.begin(), command.formats.end(), *format) == command.formats.end())
            command.formats.push_back(*format);
    }
    command.eachDoctor = parser.isSet(options.eachDoctor);
    command.trends = parser.isSet(options.trend);
    command.allowEmpty = parser.isSet(options.allowEmpty);
    if (parser.isSet(options.history) && !command.trends)
        return Usage{QStringLiteral("The option '--history' is only for 'trend' and 'batch --trend'")};
    if (std::optional<Usage> usage = parseHistory(options, command))
        return *usage;
    if (std::optional<Usage> usage = parseDatabase(options, command))
        return *usage;
    if (std::optional<Usage> usage = parseArea(options, command))
        return *usage;
    return command;
}

// --cell NAME: the visits behind a count cell, written as CSV.
std::optional<Usage> parseCell(const Options &options, Command &command)
{
    if (!options.parser.isSet(options.cell))
        return std::nullopt;
    command.cell = options.parser.value(options.cell);
    if (command.format != OutputFormat::Csv)
        return Usage{QStringLiteral("The visits behind a cell are written as CSV: the output file '%1' must end in .csv")
                         .arg(typedPath(command.output))};
    if (!command.checkOutput.isEmpty())
        return Usage{QStringLiteral("The option '--check' is not for '--cell'")};
    // A catalogue that cannot be read is the run's error, reported when it runs.
    if (const Result<engine::CountCell> cell = engine::countCellOf(*command.report, command.cell);
        !cell && cell.error().kind == ErrorKind::Usage)
        return Usage{cell.message(), false};
    return std::nullopt;
}

// A report (positional: the report's name) or, with trend, the report
// beside its history: the same request options.
std::variant<Command, Usage> parseReport(const Options &options, const QStringList &positional, bool trend = false)
{
    const QCommandLineParser &parser = options.parser;
    Command command;
    command.kind = trend ? Command::Kind::Trend : Command::Kind::Report;
    if (positional.isEmpty())
        return Usage{QStringLiteral("Name the report of 'trend'")};
    const QString &name = positional[0];
    command.report = engine::findReport(name);
    if (!command.report)
        return Usage{QStringLiteral("Unknown report '%1'").arg(typed(name))};
    if (positional.size() > 1)
        return Usage{QStringLiteral("Unexpected argument '%1'").arg(typed(positional[1]))};
    if (std::optional<Usage> usage = foreignOption(options, trend ? Verb::Trend : Verb::Report))
        return *usage;
    if (std::optional<Usage> usage = parseDates(options, command))
        return *usage;
    if (!parser.isSet(options.output))
        return Usage{QStringLiteral("The option '--output FILE' is required")};
    command.output = parser.value(options.output);
    if (trend) {
        const std::optional<TrendFormat> format = trendFormatOf(command.output);
        if (!format)
            return Usage{QStringLiteral("The output file '%1' of 'trend' must end in .json, .csv, .xlsx or .pdf")
                             .arg(typedPath(command.output))};
        command.trendFormat = *format;
        if (command.from > command.to)
            return Usage{QStringLiteral("The period ends before it begins")};
        if (std::optional<Usage> usage = parseHistory(options, command))
            return *usage;
    } else {
        const std::optional<OutputFormat> format = outputFormatOf(command.output);
        if (!format)
            return Usage{QStringLiteral("The output file '%1' must end in .fp3, .pdf, .csv or .xlsx")
                             .arg(typedPath(command.output))};
        command.format = *format;
    }
    if (parser.isSet(options.check)) {
        command.checkOutput = parser.value(options.check);
        if (QFileInfo(command.checkOutput).suffix().compare(u"json", Qt::CaseInsensitive) != 0)
            return Usage{
                QStringLiteral("The data check file '%1' must end in .json").arg(typedPath(command.checkOutput))};
        if (QFileInfo(command.checkOutput).absoluteFilePath() == QFileInfo(command.output).absoluteFilePath())
            return Usage{QStringLiteral("The data check and the report cannot go to the same file")};
    }
    if (std::optional<Usage> usage = parseCell(options, command))
        return *usage;
    if (std::optional<Usage> usage = parseDatabase(options, command))
        return *usage;
    command.allowEmpty = parser.isSet(options.allowEmpty);

    const bool allDoctors = parser.isSet(options.allDoctors);
    const bool doctor = parser.isSet(options.doctor);
    const bool area = parser.isSet(options.area);
    if (command.report->kind == engine::ReportKind::Visits) {
        if (allDoctors || doctor || area)
            return Usage{QStringLiteral("The report '%1' takes only the dates: no doctor or area option")
                             .arg(name)};
        return command;
    }
    if (allDoctors && doctor)
        return Usage{QStringLiteral("Give either '--all-doctors' or '--doctor CODE', not both")};
    if (!allDoctors && !doctor)
        return Usage{QStringLiteral("Izberete lekar"), false};
    command.allDoctors = allDoctors;
    if (doctor) {
        command.doctor = parser.value(options.doctor);
        if (command.doctor->isEmpty())
            return Usage{QStringLiteral("Izberete lekar"), false};
    }
    if (std::optional<Usage> usage = parseArea(options, command))
        return *usage;
    return command;
}

Result<std::unique_ptr<data::Database>> openDatabase(const Command &command, const RunControl &control)
{
    if (command.database.isEmpty())
        return data::Database::openAlias(QString::fromLatin1(data::DefaultAlias), control.read);
    return data::Database::open(data::sqliteFile(command.database), control.read);
}

// A message as the terminal gets it: each line's control characters
// escaped, so that a value typed or read (a file name, a server's text)
// cannot act on the terminal.
QString terminalText(const QString &message)
{
    QStringList lines = message.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = shownText(line, std::numeric_limits<qsizetype>::max());
    return lines.join(QLatin1Char('\n'));
}

// Reports a failure on standard error: a usage error as it stands, any other
// with its full stop.
int failed(QTextStream &err, const Error &error)
{
    err << terminalText(error.kind == ErrorKind::Usage ? error.message : withFullStop(error.message)) << Qt::endl;
    return exitStatus(error);
}

// The signal that stopped the run, when one did.
int stopSignalOf(const RunControl &control) { return control.stopSignal ? control.stopSignal->load() : 0; }

QString signalName(int signal)
{
    switch (signal) {
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    default:
        return QStringLiteral("SIGINT");
    }
}

// The exit status of a run the user stopped: 128 + the signal.
int stoppedStatus(const RunControl &control)
{
    const int signal = stopSignalOf(control);
    return signal > 0 ? 128 + signal : ExitCancelled;
}

// A single run stopped before its file was written.
int stoppedRun(QTextStream &err, const RunControl &control)
{
    const int signal = stopSignalOf(control);
    if (signal == 0)
        return failed(err, data::cancelledError());
    err << QStringLiteral("Stopped by %1: no file was written.").arg(signalName(signal)) << Qt::endl;
    return stoppedStatus(control);
}

// The request of a report command, its doctor checked against the database.
Result<engine::Request> requestOf(const Command &command, data::Database &database, QDate today)
{
    engine::Request request;
    request.report = command.report;
    request.from = command.from;
    request.to = command.to;
    request.area = command.area.value_or(data::AreaFilter::Both);
    request.today = today;
    if (command.doctor) {
        Result<data::Doctor> doctor = engine::activeDoctor(database, *command.doctor);
        if (!doctor)
            return doctor.error();
        request.doctor = *doctor;
    }
    return request;
}

// Every output of a report command, checked before the run: neither may
// replace the database just opened or another source, or be no file, and
// the report and its data check may not be one file (also through a link).
Result<void> checkOutputs(const Command &command)
{
    if (Result<void> target = checkOutputTarget(command.output); !target)
        return target;
    if (command.checkOutput.isEmpty())
        return {};
    if (Result<void> target = checkOutputTarget(command.checkOutput); !target)
        return target;
    if (sameOutputTarget(command.output, command.checkOutput))
        return fail(QStringLiteral("The data check and the report cannot go to the same file"), ErrorKind::Usage);
    return {};
}

// The database of a report command, and its request; outputs that would
// replace the database just opened are refused before the run.
Result<std::pair<std::unique_ptr<data::Database>, engine::Request>> openRequest(const Command &command, QDate today,
                                                                              const RunControl &control)
{
    Result<std::unique_ptr<data::Database>> database = openDatabase(command, control);
    if (!database)
        return database.error();
    if (Result<void> outputs = checkOutputs(command); !outputs)
        return outputs.error();
    Result<engine::Request> request = requestOf(command, **database, today);
    if (!request)
        return request.error();
    return std::pair{std::move(*database), std::move(*request)};
}

bool cancelled(const RunControl &control) { return control.read.cancelled(); }

// The end of a run's read: the caller is told the read is over; a read
// stopped by the user stops the run, another failure fails it. Nothing when
// the run goes on with what was read.
template <typename T>
std::optional<int> endOfRead(const Result<T> &read, QTextStream &err, const RunControl &control)
{
    if (control.readEnded)
        control.readEnded();
    if (!read && read.error().kind == ErrorKind::Cancelled)
        return stoppedRun(err, control);
    if (!read)
        return failed(err, read.error());
    return std::nullopt;
}

// "The report general-medicine selects no visit from 2024-11-01 to
// 2024-11-30": said of a run whose statements selected nothing, which a
// wrong or stale database gives as well as a quiet period.
QString noVisitsText(const QStringList &reports, QDate from, QDate to)
{
    return QStringLiteral("%1 %2 no visit from %3 to %4. Check that the database is the right one and up to date.")
        .arg(reports.size() == 1 ? QStringLiteral("The report ") + reports.front()
                                 : QStringLiteral("The reports ") + reports.join(QStringLiteral(", ")),
             reports.size() == 1 ? QStringLiteral("selects") : QStringLiteral("select"),
             from.toString(Qt::ISODate), to.toString(Qt::ISODate));
}

int writeCellVisits(const Command &command, QTextStream &err, QDate today, const RunControl &control)
{
    auto opened = openRequest(command, today, control);
    if (!opened)
        return failed(err, opened.error());
    const Result<engine::CellListing> listing =
        engine::listCellVisits(*opened->first, opened->second, command.cell, control.read);
    if (const std::optional<int> ended = endOfRead(listing, err, control))
        return *ended;
    if (cancelled(control))
        return stoppedRun(err, control);
    if (Result<void> written = engine::saveCellVisitsCsv(listing->cell, listing->lines, command.output); !written)
        return failed(err, written.error());
    return ExitSuccess;
}

int writeReport(const Command &command, QTextStream &err, QDate today, const RunControl &control)
{
    if (!command.cell.isEmpty())
        return writeCellVisits(command, err, today, control);
    const Result<result::RunResult> counted = [&]() -> Result<result::RunResult> {
        auto opened = openRequest(command, today, control);
        if (!opened)
            return opened.error();
        engine::RunOptions options;
        options.control = control.read;
        return engine::run(*opened->first, opened->second, options);
    }();
    if (const std::optional<int> ended = endOfRead(counted, err, control))
        return *ended;
    const Result<report::TfrxReport> filled = engine::filledForm(*counted);
    if (!filled)
        return failed(err, filled.error());
    const report::PreparedReport prepared = report::prepare(*filled);
    // The report and its data check are written both or neither; a stop
    // while they are written leaves neither.
    OutputSet together;
    if (Result<void> written = writeOutput(prepared, command.format, command.output); !written)
        return failed(err, written.error());
    if (!command.checkOutput.isEmpty())
        if (Result<void> written = writeOutputFile(command.checkOutput, counted->check->toJsonText()); !written)
            return failed(err, written.error());
    if (cancelled(control))
        return stoppedRun(err, control);
    if (Result<void> committed = together.commit(); !committed)
        return failed(err, committed.error());
    if (counted->check->selected == 0 && !command.allowEmpty)
        err << noVisitsText({command.report->commandName()}, command.from, command.to) << Qt::endl;
    return ExitSuccess;
}

// The report beside its history, in one file.
int writeTrend(const Command &command, QTextStream &err, QDate today, const RunControl &control)
{
    const Result<trend::Trend> counted = [&]() -> Result<trend::Trend> {
        auto opened = openRequest(command, today, control);
        if (!opened)
            return opened.error();
        engine::RunOptions options;
        options.control = control.read;
        return engine::runTrend(*opened->first, opened->second, command.history, options);
    }();
    if (const std::optional<int> ended = endOfRead(counted, err, control))
        return *ended;
    if (cancelled(control))
        return stoppedRun(err, control);
    if (Result<void> written = writeTrendOutput(*counted, command.trendFormat, command.output); !written)
        return failed(err, written.error());
    return ExitSuccess;
}

int runCheck(const Command &command, QTextStream &out, QTextStream &err)
{
    const Result<report::PreparedReport> loaded = report::loadPrepared(command.input);
    if (!loaded)
        return failed(err, loaded.error());
    if (!loaded->result || !loaded->result->check)
        return failed(err, fail(QStringLiteral("\"%1\" holds no data check: it was saved before reports kept one")
                                    .arg(command.input)));
    out << QString::fromUtf8(loaded->result->check->toJsonText());
    out.flush();
    return ExitSuccess;
}

// Prints each file written on out and each failure on err as they come;
// then, on err, the reports that select no visit, the files of an earlier
// run not written anew, the files not written, a stop, and a last line with
// the time and the figures, so that a log of the monthly run says how it
// ended.
int runBatchCommand(const Command &command, QTextStream &out, QTextStream &err, QDate today,
                    const RunControl &control)
{
    Result<std::unique_ptr<data::Database>> database = openDatabase(command, control);
    if (!database && database.error().kind == ErrorKind::Cancelled)
        return stoppedRun(err, control);
    if (!database)
        return failed(err, database.error());
    BatchRequest request;
    request.from = command.from;
    request.to = command.to;
    request.folder = command.folder;
    request.formats = command.formats;
    request.eachDoctor = command.eachDoctor;
    request.trends = command.trends;
    request.history = command.history;
    request.area = command.area.value_or(data::AreaFilter::Both);
    request.today = today;
    request.control = control.read;
    const Result<BatchOutcome> outcome = runBatch(**database, request, [&](const BatchFile &file) {
        if (control.readEnded)
            control.readEnded();
        if (file.error)
            err << terminalText(withFullStop(file.error->message)) << Qt::endl;
        else
            out << file.path << Qt::endl;
    });
    if (const std::optional<int> ended = endOfRead(outcome, err, control))
        return *ended;

    QStringList notWritten;
    for (const BatchFile &file : outcome->files)
        if (file.error)
            notWritten << file.path;
    const qsizetype written = qsizetype(outcome->files.size()) - notWritten.size();
    const bool empty = !outcome->emptyReports.isEmpty() && !command.allowEmpty;
    if (empty)
        err << noVisitsText(outcome->emptyReports, command.from, command.to) << Qt::endl;
    if (!outcome->earlierFiles.isEmpty()) {
        const QString text = outcome->earlierFiles.size() == 1
            ? QStringLiteral("%1 file of an earlier run was not written anew, as its doctor has no visits in the "
                             "period: %2.")
            : QStringLiteral("%1 files of an earlier run were not written anew, as their doctors have no visits in "
                             "the period: %2.");
        err << terminalText(text.arg(outcome->earlierFiles.size()).arg(outcome->earlierFiles.join(QStringLiteral(", "))))
            << Qt::endl;
    }
    if (!notWritten.isEmpty())
        err << terminalText(QStringLiteral("%1 of %2 files were not written: %3.")
                                .arg(notWritten.size())
                                .arg(outcome->files.size())
                                .arg(notWritten.join(QStringLiteral(", "))))
            << Qt::endl;
    if (outcome->stopped)
        err << QStringLiteral("Stopped by %1 after %2 of %3 files; the files written stay.")
                   .arg(signalName(stopSignalOf(control)))
                   .arg(outcome->files.size())
                   .arg(outcome->planned)
            << Qt::endl;

    QString summary = QStringLiteral("Batch %1 to %2 into \"%3\", ended %4: %5 of %6 files written")
                          .arg(command.from.toString(Qt::ISODate), command.to.toString(Qt::ISODate),
                               QDir(command.folder).absolutePath(),
                               QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                          .arg(written)
                          .arg(outcome->planned);
    if (!notWritten.isEmpty())
        summary += QStringLiteral(", %1 not written").arg(notWritten.size());
    if (!outcome->emptyReports.isEmpty())
        summary += QStringLiteral(", %1 %2 no visit")
                       .arg(outcome->emptyReports.size())
                       .arg(outcome->emptyReports.size() == 1 ? QStringLiteral("report selects")
                                                              : QStringLiteral("reports select"));
    if (outcome->stopped)
        summary += QStringLiteral(", stopped by %1").arg(signalName(stopSignalOf(control)));
    err << terminalText(summary + QLatin1Char('.')) << Qt::endl;

    if (outcome->stopped)
        return stoppedStatus(control);
    if (!notWritten.isEmpty())
        return ExitRunError;
    return empty ? ExitNoVisits : ExitSuccess;
}

int runConvert(const Command &command, QTextStream &err)
{
    protectSource(command.input, QStringLiteral("the prepared report being converted"));
    Result<report::PreparedReport> loaded = report::loadPrepared(command.input);
    if (!loaded)
        return failed(err, loaded.error());
    // A table is written from the result's counts: a report saved before
    // results kept them has them read back from its pages.
    if (command.format != OutputFormat::Pdf && !loaded->pages.empty()) {
        Result<std::shared_ptr<const result::RunResult>> counted = engine::resultOf(*loaded);
        if (!counted)
            return failed(err, fail(QStringLiteral("Cannot convert \"%1\": %2").arg(command.input, counted.message())));
        loaded->result = *counted;
    }
    if (Result<void> written = writeOutput(*loaded, command.format, command.output); !written)
        return failed(err, written.error());
    return ExitSuccess;
}

} // namespace

int exitStatus(const Error &error)
{
    switch (error.kind) {
    case ErrorKind::Usage:
        return ExitUsage;
    case ErrorKind::Cancelled:
        return ExitCancelled;
    case ErrorKind::Run:
    case ErrorKind::File:
        break;
    }
    return ExitRunError;
}

QString usageText()
{
    QString text = QStringLiteral(
        "Usage: tarel-report REPORT --from YYYY-MM-DD --to YYYY-MM-DD [--all-doctors | --doctor CODE]\n"
        "                    [--area urban|rural|both] [--database FILE] --output FILE\n"
        "                    [--check FILE.json] [--allow-empty]\n"
        "       tarel-report REPORT <the same options> --cell NAME --output FILE.csv\n"
        "       tarel-report trend REPORT <the same options> [--history N]\n"
        "                    --output FILE.json|FILE.csv|FILE.xlsx|FILE.pdf\n"
        "       tarel-report convert IN.fp3 OUT.pdf|OUT.csv|OUT.xlsx\n"
        "       tarel-report check IN.fp3\n"
        "       tarel-report batch (--month YYYY-MM | --from YYYY-MM-DD --to YYYY-MM-DD) --folder DIR\n"
        "                    [--format xlsx,pdf,csv,fp3] [--each-doctor] [--trend [--history N]]\n"
        "                    [--area urban|rural|both] [--database FILE] [--allow-empty]\n"
        "\n"
        "Runs a report over the source database (the alias \"pelorida\", or the SQLite\n"
        "file --database FILE, opened read-only) and writes the prepared report; the\n"
        "output's extension chooses the format: .fp3, .pdf, .csv or .xlsx (a workbook).\n"
        "'convert' writes a saved .fp3 report as .pdf, .csv or .xlsx. --check FILE.json\n"
        "also writes the run's data check: how every selected visit was counted, or why\n"
        "not; the report and its check are written both or neither. 'check' prints the\n"
        "data check a saved .fp3 report keeps. --cell NAME --output FILE.csv writes,\n"
        "instead of the report, the visits behind its count cell NAME: one line per\n"
        "visit counted in it, by visit date and RED_BR. A report that selects no visit\n"
        "says so on standard error.\n"
        "\n"
        "'trend' counts the report over its period and the N earlier periods (12 unless\n"
        "--history says otherwise; whole months step back whole months, other periods\n"
        "their number of days) from one read, and writes every count with its mean, its\n"
        "standard deviation and a flag (gone, new, extreme, moderate), and the doctors'\n"
        "visits per period (silent): see docs/consistency-over-time.md.\n"
        "\n"
        "'batch' writes all six reports of the period into DIR, one file per format,\n"
        "named <from>_<to>_<report>.<ext> (a morbidity report of one area:\n"
        "<report>-urban or <report>-rural); the morbidity reports are for all doctors\n"
        "and, with --each-doctor, also for every doctor with visits in the period,\n"
        "named <from>_<to>_<report>_<code>.<ext>. It reads every report from one\n"
        "snapshot of the database, holds a lock on DIR, replaces links there instead\n"
        "of following them, prints each file written, goes on past a file that fails,\n"
        "and ends with a summary line on standard error. --trend adds each report beside\n"
        "its history, <from>_<to>_<report>-trend.<ext>, in the formats a trend has\n"
        "(xlsx, pdf, csv; JSON when only fp3 is asked for).\n"
        "\n"
        "Reports:\n");
    for (const engine::ReportDefinition &report : engine::reportTable()) {
        text += QStringLiteral("  %1").arg(report.commandName(), -26);
        text += report.kind == engine::ReportKind::Visits
            ? QStringLiteral("visit report: dates only")
            : QStringLiteral("morbidity report: --all-doctors or --doctor CODE, --area (default both)");
        text += QLatin1Char('\n');
    }
    // The options as the parser describes them.
    const Options options;
    const QString help = options.parser.helpText();
    const qsizetype start = help.indexOf(QStringLiteral("Options:"));
    if (start >= 0)
        text += QLatin1Char('\n') + help.mid(start).trimmed() + QLatin1Char('\n');
    text += QStringLiteral(
        "\n"
        "Progress goes to standard error when it is a terminal. Ctrl-C (SIGINT), SIGTERM\n"
        "and SIGHUP stop a run at its next safe point, also while it waits for another\n"
        "program's lock; nothing half-made is left.\n"
        "\n"
        "Exit status: 0 success, 1 the run failed or a file was not written, 2 usage error,\n"
        "3 a batch wrote every file but a report selects no visit (not with --allow-empty),\n"
        "130 (SIGINT), 143 (SIGTERM), 129 (SIGHUP) stopped.\n");
    return text;
}

std::variant<Command, Usage> parseCommand(const QStringList &arguments)
{
    Options options;
    if (!options.parser.parse(QStringList{QStringLiteral("tarel-report")} + arguments))
        return parseError(options, arguments);
    const QCommandLineParser &parser = options.parser;
    // --help-all, which the parser lists beside --help, shows the same text:
    // the tool takes none of Qt's own options.
    if (parser.isSet(options.help) || parser.isSet(QStringLiteral("help-all")))
        return Command{};
    if (parser.isSet(options.version)) {
        Command command;
        command.kind = Command::Kind::Version;
        return command;
    }
    for (const QCommandLineOption *option : options.valueOptions())
        if (parser.values(*option).size() > 1)
            return Usage{QStringLiteral("The option '--%1' is given twice").arg(option->names().front())};
    for (const char *flag : {"--all-doctors", "--each-doctor", "--trend"})
        if (arguments.count(QLatin1String(flag)) > 1)
            return Usage{QStringLiteral("The option '%1' is given twice").arg(QLatin1String(flag))};

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return Usage{QStringLiteral("Name a report, 'trend', 'convert', 'check' or 'batch'")};
    if (positional[0] == u"convert")
        return parseConvert(options, positional, !parser.optionNames().isEmpty());
    if (positional[0] == u"check")
        return parseCheck(positional, !parser.optionNames().isEmpty());
    if (positional[0] == u"batch")
        return parseBatch(options, positional);
    if (positional[0] == u"trend")
        return parseReport(options, positional.mid(1), true);
    return parseReport(options, positional);
}

int runCommand(const Command &command, QTextStream &out, QTextStream &err, QDate today, const RunControl &control)
{
    switch (command.kind) {
    case Command::Kind::Help:
        out << usageText();
        out.flush();
        return ExitSuccess;
    case Command::Kind::Version:
        out << QStringLiteral("tarel-report %1\n").arg(QCoreApplication::applicationVersion());
        out.flush();
        return ExitSuccess;
    case Command::Kind::Convert:
        return runConvert(command, err);
    case Command::Kind::Check:
        return runCheck(command, out, err);
    case Command::Kind::Batch:
        return runBatchCommand(command, out, err, today, control);
    case Command::Kind::Trend:
        return writeTrend(command, err, today, control);
    case Command::Kind::Report:
        break;
    }
    return writeReport(command, err, today, control);
}

int runTool(const QStringList &arguments, QTextStream &out, QTextStream &err, QDate today, const RunControl &control)
{
    std::variant<Command, Usage> parsed = parseCommand(arguments);
    if (const Usage *usage = std::get_if<Usage>(&parsed)) {
        err << usage->message << Qt::endl;
        if (usage->hint)
            err << QStringLiteral("Try 'tarel-report --help'.") << Qt::endl;
        return ExitUsage;
    }
    return runCommand(std::get<Command>(parsed), out, err, today, control);
}

} // namespace tarel::cli
