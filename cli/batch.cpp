#include "batch.h"

#include "datacheck.h"
#include "outputfile.h"
#include "prepared.h"
#include "trendrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarel::cli {

namespace {

constexpr int kDoctorPartLength = 64;

QString safePart(const QString &code)
{
    QString part;
    for (QChar c : code.trimmed()) {
        const bool kept = c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.';
        part += kept ? c : QLatin1Char('_');
    }
    part.truncate(kDoctorPartLength);
    return part.isEmpty() ? QStringLiteral("_") : part;
}

// The lock a batch holds on its folder while it writes: an flock on a file
// of its own there, which the system releases when the process ends, however
// it ends. The file stays (removing it would let two batches lock two
// different files of the same name); it holds the process id of the batch
// that last locked it.
class FolderLock {
public:
    static Result<std::unique_ptr<FolderLock>> take(const QString &folder)
    {
        const QString path = QDir(folder).filePath(QStringLiteral(".tarel-batch.lock"));
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            return fail(QStringLiteral("Cannot lock the folder \"%1\" for the batch: %2")
                            .arg(folder, qt_error_string(errno)),
                        ErrorKind::File);
        auto lock = std::unique_ptr<FolderLock>(new FolderLock(fd));
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK)
                return fail(QStringLiteral("Cannot lock the folder \"%1\" for the batch: %2")
                                .arg(folder, qt_error_string(errno)),
                            ErrorKind::File);
            char holder[32] = {};
            const ssize_t read = ::pread(fd, holder, sizeof holder - 1, 0);
            const QString process = QString::fromLatin1(holder, read > 0 ? int(read) : 0).trimmed();
            return fail(QStringLiteral("Another batch%1 is writing into the folder \"%2\". Wait until it has "
                                       "finished, or give another folder")
                            .arg(process.isEmpty() ? QString() : QStringLiteral(" (process %1)").arg(process), folder),
                        ErrorKind::File);
        }
        // Who holds it, for the message of a batch that finds it held.
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) != pid.size()) {
            // Not worth failing the batch for: the lock is held all the same.
        }
        return lock;
    }
    ~FolderLock() { ::close(m_fd); }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    explicit FolderLock(int fd) : m_fd(fd) {}
    int m_fd;
};

// The files in the folder named as this batch names doctors' files, that
// the batch did not make.
QStringList earlierDoctorFiles(const BatchRequest &request, const std::vector<BatchFile> &made)
{
    QSet<QString> madeNames;
    for (const BatchFile &file : made)
        madeNames.insert(QFileInfo(file.path).fileName());
    const QDir folder(request.folder);
    QStringList earlier;
    for (const engine::ReportDefinition &report : engine::reportTable()) {
        if (report.kind != engine::ReportKind::Morbidity)
            continue;
        for (OutputFormat format : request.formats) {
            // The name of the report's file for all doctors, with "_*" before its extension.
            const QString allDoctors = batchFileName(request, report, {}, format);
            const QString pattern =
                QFileInfo(allDoctors).completeBaseName() + QStringLiteral("_*.") + extensionOf(format);
            for (const QString &name : folder.entryList({pattern}, QDir::Files | QDir::System, QDir::Name))
                if (!madeNames.contains(name))
                    earlier << folder.filePath(name);
        }
    }
    return earlier;
}

} // namespace

QString batchFileName(const BatchRequest &request, const engine::ReportDefinition &report,
                      const QString &doctorPart, OutputFormat format)
{
    QString name = request.from.toString(Qt::ISODate) + QLatin1Char('_') + request.to.toString(Qt::ISODate)
        + QLatin1Char('_') + report.commandName();
    if (report.kind == engine::ReportKind::Morbidity && request.area != data::AreaFilter::Both)
        name += QLatin1Char('-') + data::areaName(request.area);
    if (!doctorPart.isEmpty())
        name += QLatin1Char('_') + doctorPart;
    return name + QLatin1Char('.') + extensionOf(format);
}

QString batchTrendFileName(const BatchRequest &request, const engine::ReportDefinition &report, TrendFormat format)
{
    return QFileInfo(batchFileName(request, report, {}, OutputFormat::Pdf)).completeBaseName()
        + QStringLiteral("-trend.") + extensionOf(format);
}

QStringList doctorFileParts(const QStringList &codes)
{
    QStringList parts;
    QSet<QString> taken;
    for (const QString &code : codes) {
        const QString base = safePart(code);
        QString part = base;
        for (int n = 2; taken.contains(part.toLower()); ++n)
            part = base + QLatin1Char('_') + QString::number(n);
        taken.insert(part.toLower());
        parts << part;
    }
    return parts;
}

Result<BatchOutcome> runBatch(data::Database &database, const BatchRequest &request,
                              const std::function<void(const BatchFile &)> &written)
{
    const QDir folder(request.folder);
    if (!QDir().mkpath(request.folder))
        return fail(QStringLiteral("Cannot make the folder \"%1\"").arg(request.folder), ErrorKind::File);
    Result<std::unique_ptr<FolderLock>> lock = FolderLock::take(request.folder);
    if (!lock)
        return lock.error();
    const data::WaitControl waits(database, request.control);
    const data::ReadTransaction transaction(database);
    if (!transaction.begun())
        return transaction.begun().error();
    std::vector<data::Doctor> doctors;
    if (request.eachDoctor) {
        Result<std::vector<data::Doctor>> withVisits =
            database.doctorsWithVisits(request.from, request.to, request.area);
        if (!withVisits)
            return withVisits.error();
        doctors = std::move(*withVisits);
    }
    QStringList codes;
    for (const data::Doctor &doctor : doctors)
        codes << doctor.code;
    const QStringList doctorParts = doctorFileParts(codes);

    BatchOutcome outcome;
    std::size_t morbidityReports = 0;
    for (const engine::ReportDefinition &report : engine::reportTable())
        morbidityReports += report.kind == engine::ReportKind::Morbidity ? 1 : 0;
    outcome.planned = (engine::reportTable().size() + morbidityReports * doctors.size()) * request.formats.size();
    std::vector<TrendFormat> trendFormats;
    if (request.trends) {
        for (OutputFormat format : request.formats)
            if (const std::optional<TrendFormat> trendFormat = trendFormatFor(format))
                trendFormats.push_back(*trendFormat);
        if (trendFormats.empty())
            trendFormats.push_back(TrendFormat::Json);
        outcome.planned += engine::reportTable().size() * trendFormats.size();
    }
    // Whatever lies at a file's name is replaced: a link planted there does
    // not lead the file out of the folder.
    const LinksReplaced inPlace;

    // The files of one run in every format; a failed run fails them all.
    const auto writeAll = [&](const QStringList &paths, const std::optional<Error> &failure, bool noVisits,
                              const std::function<Result<void>(int index, const QString &path)> &write) {
        for (qsizetype i = 0; i < paths.size(); ++i) {
            BatchFile file{paths[i], {}, noVisits};
            if (failure)
                file.error = fail(QStringLiteral("Cannot make \"%1\": %2").arg(file.path, failure->message),
                                  failure->kind);
            else if (Result<void> result = write(int(i), file.path); !result)
                file.error = result.error();
            if (written)
                written(file);
            outcome.files.push_back(std::move(file));
        }
    };

    // One report in every format. A cancelled run ends the batch: the files
    // written so far stay.
    auto produce = [&](const engine::Request &asked, const QString &doctorPart) {
        std::optional<Error> failure;
        bool noVisits = false;
        report::PreparedReport prepared;
        engine::RunOptions options;
        options.control = request.control;
        const Result<result::RunResult> counted = engine::run(database, asked, options);
        if (!counted && counted.error().kind == ErrorKind::Cancelled) {
            outcome.stopped = counted.error();
            return;
        }
        const Result<report::TfrxReport> filled = counted ? engine::filledForm(*counted) : counted.error();
        if (filled) {
            noVisits = counted->check && counted->check->selected == 0;
            prepared = report::prepare(*filled);
        } else {
            failure = filled.error();
        }
        if (noVisits)
            outcome.emptyReports << (asked.doctor ? asked.report->commandName() + QLatin1Char(' ') + asked.doctor->code
                                                  : asked.report->commandName());
        QStringList paths;
        for (OutputFormat format : request.formats)
            paths << folder.filePath(batchFileName(request, *asked.report, doctorPart, format));
        writeAll(paths, failure, noVisits, [&](int index, const QString &path) {
            return writeOutput(prepared, request.formats[std::size_t(index)], path);
        });
    };

    // One report beside its history in every format of a trend.
    auto produceTrend = [&](const engine::Request &asked) {
        engine::RunOptions options;
        options.control = request.control;
        const Result<trend::Trend> trend = engine::runTrend(database, asked, request.history, options);
        if (!trend && trend.error().kind == ErrorKind::Cancelled) {
            outcome.stopped = trend.error();
            return;
        }
        QStringList paths;
        for (TrendFormat format : trendFormats)
            paths << folder.filePath(batchTrendFileName(request, *asked.report, format));
        writeAll(paths, trend ? std::nullopt : std::optional(trend.error()), false, [&](int index, const QString &path) {
            return writeTrendOutput(*trend, trendFormats[std::size_t(index)], path);
        });
    };

    // A report's request: for all doctors, the morbidity reports in the area asked.
    const auto requestFor = [&](const engine::ReportDefinition &report) {
        engine::Request asked;
        asked.report = &report;
        asked.from = request.from;
        asked.to = request.to;
        asked.today = request.today;
        if (report.kind == engine::ReportKind::Morbidity)
            asked.area = request.area;
        return asked;
    };
    for (const engine::ReportDefinition &report : engine::reportTable()) {
        engine::Request asked = requestFor(report);
        produce(asked, {});
        for (std::size_t i = 0; report.kind == engine::ReportKind::Morbidity && i < doctors.size() && !outcome.stopped;
             ++i) {
            asked.doctor = doctors[i];
            produce(asked, doctorParts[qsizetype(i)]);
        }
        if (outcome.stopped)
            return outcome;
    }
    for (std::size_t i = 0; request.trends && i < engine::reportTable().size(); ++i) {
        produceTrend(requestFor(engine::reportTable()[i]));
        if (outcome.stopped)
            return outcome;
    }
    if (request.eachDoctor)
        outcome.earlierFiles = earlierDoctorFiles(request, outcome.files);
    return outcome;
}

} // namespace tarel::cli
