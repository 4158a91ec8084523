#include "recordedrequest.h"

#include "messagetext.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tarel::engine {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

bool sameFile(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

bool isSqlite(const data::AliasSettings &settings) { return settings.driver == u"QSQLITE"; }

} // namespace

QJsonObject requestAnnotation(const Request &request, const data::Database &database)
{
    QJsonObject asked{{QStringLiteral("report"), request.report->commandName()},
                      {QStringLiteral("from"), request.from.toString(Qt::ISODate)},
                      {QStringLiteral("to"), request.to.toString(Qt::ISODate)},
                      {QStringLiteral("alias"), database.settings().alias}};
    if (request.report->kind == ReportKind::Morbidity) {
        asked.insert(QStringLiteral("doctor"),
                     request.doctor ? QJsonValue(QJsonObject{{QStringLiteral("code"), request.doctor->code},
                                                             {QStringLiteral("name"), request.doctor->name}})
                                    : QJsonValue());
        asked.insert(QStringLiteral("area"), data::areaName(request.area));
    }
    // The whole path, so that a report saved and opened elsewhere can be run again.
    if (database.engine() == data::Engine::SQLite)
        asked.insert(QStringLiteral("database"), QFileInfo(database.settings().database).absoluteFilePath());
    return asked;
}

Result<RecordedRequest> recordedRequestOf(const QJsonObject &annotations)
{
    const QJsonValue value = annotations.value(QStringLiteral("request"));
    if (!value.isObject())
        return fail(Text::tr("The report does not say what it was asked: it was saved before reports kept "
                             "their request"));
    const QJsonObject asked = value.toObject();
    RecordedRequest recorded;
    const QString name = asked.value(QStringLiteral("report")).toString();
    recorded.request.report = findReport(name);
    if (!recorded.request.report)
        return fail(Text::tr("The report's request names no known report ('%1')").arg(shownText(name)));
    for (const auto &[key, date] : {std::pair{"from", &recorded.request.from}, std::pair{"to", &recorded.request.to}}) {
        int day = 0;
        if (!data::parseIsoDay(asked.value(QLatin1String(key)).toString(), &day))
            return fail(Text::tr("The report's request has no valid date '%1'").arg(QLatin1String(key)));
        *date = data::dateOfDayNumber(day);
    }
    const QJsonValue doctor = asked.value(QStringLiteral("doctor"));
    if (doctor.isObject())
        recorded.request.doctor = data::Doctor{doctor[QStringLiteral("code")].toString(),
                                               doctor[QStringLiteral("name")].toString()};
    const QString area = asked.value(QStringLiteral("area")).toString(QStringLiteral("both"));
    const std::optional<data::AreaFilter> filter = data::areaNamed(area);
    if (!filter)
        return fail(Text::tr("The report's request has an unknown area '%1'").arg(shownText(area)));
    recorded.request.area = *filter;
    recorded.alias = asked.value(QStringLiteral("alias")).toString();
    recorded.database = asked.value(QStringLiteral("database")).toString();
    if (recorded.alias.isEmpty() && recorded.database.isEmpty())
        return fail(Text::tr("The report's request names no database"));
    return recorded;
}

bool readsFrom(const data::Database &database, const RecordedRequest &recorded)
{
    if (!recorded.database.isEmpty())
        return database.engine() == data::Engine::SQLite && sameFile(database.settings().database, recorded.database);
    return database.engine() != data::Engine::SQLite && database.settings().alias == recorded.alias;
}

Result<std::unique_ptr<data::Database>> openRecordedDatabase(const RecordedRequest &recorded)
{
    if (recorded.database.isEmpty())
        return data::Database::openAlias(recorded.alias);
    if (!recorded.alias.isEmpty())
        if (const Result<data::AliasSettings> settings = data::resolveAlias(recorded.alias);
            settings && isSqlite(*settings) && sameFile(settings->database, recorded.database))
            return data::Database::open(*settings);
    return data::Database::open(data::sqliteFile(recorded.database));
}

} // namespace tarel::engine
