#include "batch.h"

#include "prepared.h"

#include <QDir>
#include <QSet>

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

} // namespace

QString batchFileName(const BatchRequest &request, const engine::ReportDefinition &report,
                      const QString &doctorPart, OutputFormat format)
{
    QString name = request.from.toString(Qt::ISODate) + QLatin1Char('_') + request.to.toString(Qt::ISODate)
        + QLatin1Char('_') + report.commandName();
    if (!doctorPart.isEmpty())
        name += QLatin1Char('_') + doctorPart;
    return name + QLatin1Char('.') + extensionOf(format);
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

Result<std::vector<BatchFile>> runBatch(data::Database &database, const BatchRequest &request,
                                        const std::function<void(const BatchFile &)> &written)
{
    const QDir folder(request.folder);
    if (!QDir().mkpath(request.folder))
        return fail(QStringLiteral("Cannot make the folder \"%1\"").arg(request.folder), ErrorKind::File);
    const data::ReadTransaction transaction(database);
    if (!transaction.begun())
        return transaction.begun().error();
    std::vector<data::Doctor> doctors;
    if (request.eachDoctor) {
        Result<std::vector<data::Doctor>> active = database.doctors();
        if (!active)
            return active.error();
        doctors = std::move(*active);
    }
    QStringList codes;
    for (const data::Doctor &doctor : doctors)
        codes << doctor.code;
    const QStringList doctorParts = doctorFileParts(codes);

    std::vector<BatchFile> files;
    // One report in every format; a failed run fails all its files. A
    // cancelled run ends the batch: the files written so far stay.
    std::optional<Error> cancelled;
    auto produce = [&](const engine::Request &asked, const QString &doctorPart) {
        std::optional<Error> failure;
        report::PreparedReport prepared;
        engine::RunOptions options;
        options.control = request.control;
        if (Result<report::TfrxReport> filled = engine::run(database, asked, options); !filled) {
            if (filled.error().kind == ErrorKind::Cancelled) {
                cancelled = filled.error();
                return;
            }
            failure = filled.error();
        } else {
            report::PreparationErrors errors;
            prepared = report::prepare(*filled, &errors);
            if (!errors.isEmpty())
                failure = fail(report::preparationErrorText(errors));
        }
        for (OutputFormat format : request.formats) {
            BatchFile file{folder.filePath(batchFileName(request, *asked.report, doctorPart, format)), {}};
            if (failure)
                file.error = fail(QStringLiteral("Cannot make \"%1\": %2").arg(file.path, failure->message),
                                  failure->kind);
            else if (Result<void> result = writeOutput(prepared, format, file.path); !result)
                file.error = result.error();
            if (written)
                written(file);
            files.push_back(std::move(file));
        }
    };

    for (const engine::ReportDefinition &report : engine::reportTable()) {
        engine::Request asked;
        asked.report = &report;
        asked.from = request.from;
        asked.to = request.to;
        asked.today = request.today;
        const bool morbidity = report.kind == engine::ReportKind::Morbidity;
        if (morbidity)
            asked.area = request.area;
        produce(asked, {});
        for (std::size_t i = 0; morbidity && i < doctors.size() && !cancelled; ++i) {
            asked.doctor = doctors[i];
            produce(asked, doctorParts[qsizetype(i)]);
        }
        if (cancelled)
            return *cancelled;
    }
    return files;
}

} // namespace tarel::cli
