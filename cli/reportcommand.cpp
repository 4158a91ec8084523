#include "reportcommand.h"

#include "database.h"
#include "export.h"
#include "prepared.h"
#include "preparedfile.h"
#include "template.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace tarel::cli {

namespace {

struct AreaName {
    const char *name;
    data::AreaFilter area;
};
const AreaName areaNames[] = {
    {"urban", data::AreaFilter::Urban}, {"rural", data::AreaFilter::Rural}, {"both", data::AreaFilter::Both}};

// The options of every command, and the parser that knows them.
class Options {
public:
    Options()
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const QCommandLineOption *option : {&from, &to, &allDoctors, &doctor, &area, &database, &output})
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

    std::vector<const QCommandLineOption *> valueOptions() const
    {
        return {&from, &to, &doctor, &area, &database, &output};
    }
};

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
        return Usage{QStringLiteral("Unknown option '%1'").arg(writtenLong ? longForm : QStringLiteral("-") + name)};
    }
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(u"--"))
            continue;
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        if (equals >= 0 && !isValueOption(options, name))
            return Usage{QStringLiteral("The option '--%1' takes no value").arg(name)};
        if (equals < 0 && isValueOption(options, name) && i + 1 >= arguments.size())
            return Usage{QStringLiteral("The option '--%1' needs a value").arg(name)};
    }
    return Usage{options.parser.errorText()};
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
        return Usage{QStringLiteral("'convert' needs an input .fp3 file and an output .pdf or .csv file")};
    Q_UNUSED(options);
    Command command;
    command.kind = Command::Kind::Convert;
    command.input = positional[1];
    command.output = positional[2];
    const std::optional<OutputFormat> format = outputFormatOf(command.output);
    if (!format || *format == OutputFormat::PreparedFile)
        return Usage{QStringLiteral("The output file '%1' of 'convert' must end in .pdf or .csv").arg(command.output)};
    command.format = *format;
    return command;
}

std::variant<Command, Usage> parseReport(const Options &options, const QStringList &positional)
{
    const QCommandLineParser &parser = options.parser;
    Command command;
    command.kind = Command::Kind::Report;
    const QString &name = positional[0];
    command.report = engine::findReport(name);
    if (!command.report)
        return Usage{QStringLiteral("Unknown report '%1'").arg(name)};
    if (positional.size() > 1)
        return Usage{QStringLiteral("Unexpected argument '%1'").arg(positional[1])};

    for (const QCommandLineOption *date : {&options.from, &options.to}) {
        const QString option = date->names().front();
        if (!parser.isSet(*date))
            return Usage{QStringLiteral("The option '--%1 YYYY-MM-DD' is required").arg(option)};
        const std::optional<QDate> parsed = isoDate(parser.value(*date));
        if (!parsed)
            return Usage{QStringLiteral("'%1' is not a date of the form YYYY-MM-DD").arg(parser.value(*date))};
        (date == &options.from ? command.from : command.to) = *parsed;
    }
    if (!parser.isSet(options.output))
        return Usage{QStringLiteral("The option '--output FILE' is required")};
    command.output = parser.value(options.output);
    const std::optional<OutputFormat> format = outputFormatOf(command.output);
    if (!format)
        return Usage{QStringLiteral("The output file '%1' must end in .fp3, .pdf or .csv").arg(command.output)};
    command.format = *format;
    command.database = parser.value(options.database);
    if (parser.isSet(options.database) && command.database.isEmpty())
        return Usage{QStringLiteral("The option '--database' needs a file")};

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
    if (area) {
        const QString value = parser.value(options.area);
        for (const AreaName &entry : areaNames)
            if (value == QLatin1String(entry.name))
                command.area = entry.area;
        if (!command.area)
            return Usage{QStringLiteral("'%1' is not an area: use urban, rural or both").arg(value)};
    }
    return command;
}

Result<std::unique_ptr<data::Database>> openDatabase(const Command &command)
{
    if (command.database.isEmpty())
        return data::Database::openAlias(QString::fromLatin1(data::DefaultAlias));
    return data::Database::open(data::sqliteFile(command.database));
}

Result<void> write(const report::PreparedReport &prepared, OutputFormat format, const QString &path)
{
    switch (format) {
    case OutputFormat::PreparedFile:
        return report::savePrepared(prepared, path);
    case OutputFormat::Pdf:
        return report::writePdf(prepared, path);
    case OutputFormat::Csv:
        break;
    }
    return report::writeCsv(prepared, path);
}

// Reports a failure on standard error: a usage error as it stands, any other
// with its full stop.
int failed(QTextStream &err, const Error &error)
{
    err << (error.kind == ErrorKind::Usage ? error.message : withFullStop(error.message)) << Qt::endl;
    return exitStatus(error);
}

Result<report::TfrxReport> runReport(const Command &command, QDate today, const data::ReadControl &control)
{
    Result<std::unique_ptr<data::Database>> database = openDatabase(command);
    if (!database)
        return database.error();
    engine::Request request;
    request.report = command.report;
    request.from = command.from;
    request.to = command.to;
    request.area = command.area.value_or(data::AreaFilter::Both);
    request.today = today;
    if (command.doctor) {
        Result<data::Doctor> doctor = engine::activeDoctor(**database, *command.doctor);
        if (!doctor)
            return doctor.error();
        request.doctor = *doctor;
    }
    engine::RunOptions options;
    options.control = control;
    return engine::run(**database, request, options);
}

bool cancelled(const RunControl &control)
{
    return control.read.cancel && control.read.cancel->load(std::memory_order_relaxed);
}

int writeReport(const Command &command, QTextStream &err, QDate today, const RunControl &control)
{
    const Result<report::TfrxReport> filled = runReport(command, today, control.read);
    if (control.readEnded)
        control.readEnded();
    if (!filled)
        return failed(err, filled.error());
    report::PreparationErrors errors;
    const report::PreparedReport prepared = report::prepare(*filled, &errors);
    if (!errors.isEmpty())
        return failed(err, fail(report::preparationErrorText(errors)));
    // Stopped while the report was prepared: no file.
    if (cancelled(control))
        return failed(err, data::cancelledError());
    if (Result<void> written = write(prepared, command.format, command.output); !written)
        return failed(err, written.error());
    return ExitSuccess;
}

int runConvert(const Command &command, QTextStream &err)
{
    Result<report::PreparedReport> loaded = report::loadPrepared(command.input);
    if (!loaded)
        return failed(err, loaded.error());
    if (Result<void> written = write(*loaded, command.format, command.output); !written)
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

std::optional<OutputFormat> outputFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"fp3")
        return OutputFormat::PreparedFile;
    if (suffix == u"pdf")
        return OutputFormat::Pdf;
    if (suffix == u"csv")
        return OutputFormat::Csv;
    return std::nullopt;
}

QString usageText()
{
    QString text = QStringLiteral(
        "Usage: tarel-report REPORT --from YYYY-MM-DD --to YYYY-MM-DD [--all-doctors | --doctor CODE]\n"
        "                    [--area urban|rural|both] [--database FILE] --output FILE\n"
        "       tarel-report convert IN.fp3 OUT.pdf|OUT.csv\n"
        "\n"
        "Runs a report over the source database (the alias \"pelorida\", or the SQLite\n"
        "file --database FILE, opened read-only) and writes the prepared report; the\n"
        "output's extension chooses the format: .fp3, .pdf or .csv. 'convert' writes a\n"
        "saved .fp3 report as .pdf or .csv.\n"
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
        "Progress goes to standard error when it is a terminal. Ctrl-C (SIGINT) stops\n"
        "a run before its file is written.\n"
        "\n"
        "Exit status: 0 success, 1 the run failed, 2 usage error, 130 stopped.\n");
    return text;
}

std::variant<Command, Usage> parseCommand(const QStringList &arguments)
{
    Options options;
    if (!options.parser.parse(QStringList{QStringLiteral("tarel-report")} + arguments))
        return parseError(options, arguments);
    const QCommandLineParser &parser = options.parser;
    if (parser.isSet(options.help))
        return Command{};
    if (parser.isSet(options.version)) {
        Command command;
        command.kind = Command::Kind::Version;
        return command;
    }
    for (const QCommandLineOption *option : options.valueOptions())
        if (parser.values(*option).size() > 1)
            return Usage{QStringLiteral("The option '--%1' is given twice").arg(option->names().front())};
    if (arguments.count(QStringLiteral("--all-doctors")) > 1)
        return Usage{QStringLiteral("The option '--all-doctors' is given twice")};

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return Usage{QStringLiteral("Name a report or 'convert'")};
    if (positional[0] == u"convert")
        return parseConvert(options, positional, !parser.optionNames().isEmpty());
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
