#include "reportcommand.h"

#include "children.h"
#include "database.h"
#include "export.h"
#include "generalmedicine.h"
#include "messagetext.h"
#include "outputfile.h"
#include "prepared.h"
#include "preparedfile.h"
#include "schoolyouth.h"
#include "template.h"

#include <QFileInfo>
#include <QHash>
#include <QTextStream>

namespace tarel::cli {

namespace {

using reports::VisitReport;

// Options that take a value, and the one flag.
const char *const valueOptions[] = {"from", "to", "doctor", "area", "database", "output"};
const char *const AllDoctors = "all-doctors";

struct AreaName {
    const char *name;
    data::AreaFilter area;
};
const AreaName areaNames[] = {
    {"urban", data::AreaFilter::Urban}, {"rural", data::AreaFilter::Rural}, {"both", data::AreaFilter::Both}};

bool isValueOption(QStringView name)
{
    for (const char *option : valueOptions)
        if (name == QLatin1String(option))
            return true;
    return false;
}

std::optional<QDate> isoDate(const QString &text)
{
    int day = 0;
    if (!data::parseIsoDay(text, &day))
        return std::nullopt;
    return data::dateOfDayNumber(day);
}

bool morbidityAvailable(const tabulation::MorbidityReportDefinition &definition)
{
    return definition.profile && definition.catalogue && definition.buildTemplate;
}

QString withFullStop(const QString &message) { return message + QLatin1Char('.'); }

// The options of a command line: name -> value ("" for the flag), plus the
// positional arguments.
struct Split {
    QHash<QString, QString> options;
    QStringList positional;
    bool help = false;
};

std::variant<Split, Usage> split(const QStringList &arguments)
{
    Split result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--help" || argument == u"-h") {
            result.help = true;
            continue;
        }
        if (!argument.startsWith(u"--") || argument == u"--") {
            if (argument.startsWith(u'-') && argument.size() > 1)
                return Usage{QStringLiteral("Unknown option '%1'").arg(argument)};
            result.positional << argument;
            continue;
        }
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (result.options.contains(name))
            return Usage{QStringLiteral("The option '--%1' is given twice").arg(name)};
        if (name == QLatin1String(AllDoctors)) {
            if (value)
                return Usage{QStringLiteral("The option '--%1' takes no value").arg(name)};
            result.options.insert(name, QString());
        } else if (isValueOption(name)) {
            if (!value) {
                if (i + 1 >= arguments.size())
                    return Usage{QStringLiteral("The option '--%1' needs a value").arg(name)};
                value = arguments[++i];
            }
            result.options.insert(name, *value);
        } else {
            return Usage{QStringLiteral("Unknown option '--%1'").arg(name)};
        }
    }
    return result;
}

std::variant<Command, Usage> parseConvert(const Split &split)
{
    if (!split.options.isEmpty())
        return Usage{QStringLiteral("'convert' takes no options")};
    if (split.positional.size() != 3)
        return Usage{QStringLiteral("'convert' needs an input .fp3 file and an output .pdf or .csv file")};
    Command command;
    command.kind = Command::Kind::Convert;
    command.input = split.positional[1];
    command.output = split.positional[2];
    const std::optional<OutputFormat> format = outputFormatOf(command.output);
    if (!format || *format == OutputFormat::PreparedFile)
        return Usage{QStringLiteral("The output file '%1' of 'convert' must end in .pdf or .csv").arg(command.output)};
    command.format = *format;
    return command;
}

std::variant<Command, Usage> parseReport(const Split &split, const std::vector<ReportEntry> &table)
{
    Command command;
    command.kind = Command::Kind::Report;
    const QString &name = split.positional[0];
    command.report = findReport(name, table);
    if (!command.report)
        return Usage{QStringLiteral("Unknown report '%1'").arg(name)};
    if (split.positional.size() > 1)
        return Usage{QStringLiteral("Unexpected argument '%1'").arg(split.positional[1])};

    const QHash<QString, QString> &options = split.options;
    for (const char *date : {"from", "to"}) {
        const QString option = QString::fromLatin1(date);
        if (!options.contains(option))
            return Usage{QStringLiteral("The option '--%1 YYYY-MM-DD' is required").arg(option)};
        const std::optional<QDate> parsed = isoDate(options.value(option));
        if (!parsed)
            return Usage{QStringLiteral("'%1' is not a date of the form YYYY-MM-DD").arg(options.value(option))};
        (option == u"from" ? command.from : command.to) = *parsed;
    }
    if (!options.contains(QStringLiteral("output")))
        return Usage{QStringLiteral("The option '--output FILE' is required")};
    command.output = options.value(QStringLiteral("output"));
    const std::optional<OutputFormat> format = outputFormatOf(command.output);
    if (!format)
        return Usage{QStringLiteral("The output file '%1' must end in .fp3, .pdf or .csv").arg(command.output)};
    command.format = *format;
    command.database = options.value(QStringLiteral("database"));
    if (options.contains(QStringLiteral("database")) && command.database.isEmpty())
        return Usage{QStringLiteral("The option '--database' needs a file")};

    const bool allDoctors = options.contains(QLatin1String(AllDoctors));
    const bool doctor = options.contains(QStringLiteral("doctor"));
    const bool area = options.contains(QStringLiteral("area"));
    if (command.report->visit) {
        if (allDoctors || doctor || area)
            return Usage{QStringLiteral("The report '%1' takes only the dates: no doctor or area option")
                             .arg(name)};
        return command;
    }

    if (!morbidityAvailable(command.report->morbidity()))
        return Usage{QStringLiteral("The report '%1' is not available yet").arg(name), false};
    if (allDoctors && doctor)
        return Usage{QStringLiteral("Give either '--all-doctors' or '--doctor CODE', not both")};
    if (!allDoctors && !doctor)
        return Usage{QStringLiteral("Izberete lekar"), false};
    command.allDoctors = allDoctors;
    if (doctor) {
        command.doctor = options.value(QStringLiteral("doctor"));
        if (command.doctor->isEmpty())
            return Usage{QStringLiteral("Izberete lekar"), false};
    }
    if (area) {
        const QString value = options.value(QStringLiteral("area"));
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

// Runs a morbidity report into a filled template. An unknown or inactive
// doctor code is a usage error (exit 2), reported through *usage.
Result<report::TfrxReport> runMorbidity(const Command &command, data::Database &database, bool *usage)
{
    const tabulation::MorbidityReportDefinition definition = command.report->morbidity();
    tabulation::ReportRequest request;
    request.from = command.from;
    request.to = command.to;
    request.allDoctors = command.allDoctors;
    request.area = command.area.value_or(data::AreaFilter::Both);
    if (command.doctor) {
        Result<std::vector<data::Doctor>> doctors = database.doctors();
        if (!doctors)
            return doctors.error();
        auto found = std::find_if(doctors->begin(), doctors->end(),
                                  [&](const data::Doctor &d) { return d.code == *command.doctor; });
        if (found == doctors->end()) {
            *usage = true;
            return fail(QStringLiteral("'%1' is not the code of an active doctor").arg(shownText(*command.doctor)));
        }
        request.doctorCode = found->code;
        request.doctorName = found->name;
    }

    Result<const tabulation::RowCatalogue *> catalogue = definition.catalogue();
    if (!catalogue)
        return catalogue.error();
    Result<data::Institution> institution = database.institution();
    if (!institution)
        return institution.error();
    report::TfrxReport templ = definition.buildTemplate(**catalogue);
    data::Query query(database, definition.profile->query, data::morbidityStatement());
    tabulation::CounterGrid grid;
    Result<void> run = tabulation::runMorbidityReport(*definition.profile, **catalogue, database, query, request,
                                                      institution->naziv, grid, templ);
    if (!run)
        return run.error();
    return templ;
}

int runReport(const Command &command, QTextStream &err, QDate today)
{
    Result<std::unique_ptr<data::Database>> database = openDatabase(command);
    if (!database) {
        err << withFullStop(database.message()) << Qt::endl;
        return ExitRunError;
    }
    // An output that would replace the database just opened is refused before the run.
    if (Result<void> target = checkOutputTarget(command.output); !target) {
        err << withFullStop(target.message()) << Qt::endl;
        return ExitRunError;
    }

    std::optional<report::TfrxReport> filled;
    if (command.report->visit) {
        report::TfrxReport templ = reports::buildVisitTemplate(*command.report->visit);
        Result<void> run =
            reports::runVisitReport(*command.report->visit, **database, command.from, command.to, templ, today);
        if (!run) {
            err << withFullStop(run.message()) << Qt::endl;
            return ExitRunError;
        }
        filled = std::move(templ);
    } else {
        bool usage = false;
        Result<report::TfrxReport> run = runMorbidity(command, **database, &usage);
        if (!run) {
            err << (usage ? run.message() : withFullStop(run.message())) << Qt::endl;
            return usage ? ExitUsage : ExitRunError;
        }
        filled = std::move(*run);
    }

    report::PreparationErrors errors;
    const report::PreparedReport prepared = report::prepare(*filled, &errors);
    if (!errors.isEmpty()) {
        err << withFullStop(report::preparationErrorText(errors)) << Qt::endl;
        return ExitRunError;
    }
    if (Result<void> written = write(prepared, command.format, command.output); !written) {
        err << withFullStop(written.message()) << Qt::endl;
        return ExitRunError;
    }
    return ExitSuccess;
}

int runConvert(const Command &command, QTextStream &err)
{
    protectSource(command.input, QStringLiteral("the prepared report being converted"));
    Result<report::PreparedReport> loaded = report::loadPrepared(command.input);
    if (!loaded) {
        err << withFullStop(loaded.message()) << Qt::endl;
        return ExitRunError;
    }
    if (Result<void> written = write(*loaded, command.format, command.output); !written) {
        err << withFullStop(written.message()) << Qt::endl;
        return ExitRunError;
    }
    return ExitSuccess;
}

} // namespace

const std::vector<ReportEntry> &reportTable()
{
    static const std::vector<ReportEntry> table = {
        {"visits-school-youth", VisitReport::SchoolYouth},
        {"visits-children", VisitReport::Children},
        {"visits-general-medicine", VisitReport::GeneralMedicine},
        {"general-medicine", std::nullopt, &reports::generalMedicineReport},
        {"school-youth", std::nullopt, &reports::schoolYouthReport},
        {"children", std::nullopt, &reports::childrenReport},
    };
    return table;
}

const ReportEntry *findReport(QStringView name, const std::vector<ReportEntry> &table)
{
    for (const ReportEntry &entry : table)
        if (name == QLatin1String(entry.name))
            return &entry;
    return nullptr;
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
    for (const ReportEntry &entry : reportTable()) {
        text += QStringLiteral("  %1").arg(QLatin1String(entry.name), -26);
        if (entry.visit)
            text += QStringLiteral("visit report: dates only");
        else if (morbidityAvailable(entry.morbidity()))
            text += QStringLiteral("morbidity report: --all-doctors or --doctor CODE, --area (default both)");
        else
            text += QStringLiteral("morbidity report: not available yet");
        text += QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n"
        "Exit status: 0 success, 1 the run failed, 2 usage error.\n");
    return text;
}

std::variant<Command, Usage> parseCommand(const QStringList &arguments, const std::vector<ReportEntry> &table)
{
    std::variant<Split, Usage> splitResult = split(arguments);
    if (auto *usage = std::get_if<Usage>(&splitResult))
        return *usage;
    const Split &parts = std::get<Split>(splitResult);
    if (parts.help)
        return Command{};
    if (parts.positional.isEmpty())
        return Usage{QStringLiteral("Name a report or 'convert'")};
    if (parts.positional[0] == u"convert")
        return parseConvert(parts);
    return parseReport(parts, table);
}

int runCommand(const Command &command, QTextStream &out, QTextStream &err, QDate today)
{
    switch (command.kind) {
    case Command::Kind::Help:
        out << usageText();
        out.flush();
        return ExitSuccess;
    case Command::Kind::Convert:
        return runConvert(command, err);
    case Command::Kind::Report:
        break;
    }
    return runReport(command, err, today);
}

int runTool(const QStringList &arguments, QTextStream &out, QTextStream &err, QDate today,
            const std::vector<ReportEntry> &table)
{
    std::variant<Command, Usage> parsed = parseCommand(arguments, table);
    if (const Usage *usage = std::get_if<Usage>(&parsed)) {
        err << usage->message << Qt::endl;
        if (usage->hint)
            err << QStringLiteral("Try 'tarel-report --help'.") << Qt::endl;
        return ExitUsage;
    }
    return runCommand(std::get<Command>(parsed), out, err, today);
}

} // namespace tarel::cli
