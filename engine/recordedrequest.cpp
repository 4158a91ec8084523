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

result::RunRequest recordedRequest(const Request &request, const data::Database &database)
{
    result::RunRequest asked;
    asked.report = request.report->commandName();
    asked.from = request.from;
    asked.to = request.to;
    asked.alias = database.settings().alias;
    if (request.report->kind == ReportKind::Morbidity) {
        asked.byDoctorAndArea = true;
        if (request.doctor)
            asked.doctor = result::Doctor{request.doctor->code, request.doctor->name};
        asked.area = *result::areaNamed(data::areaName(request.area));
    }
    // The whole path, so that a report saved and opened elsewhere can be run again.
    if (database.engine() == data::Engine::SQLite)
        asked.database = QFileInfo(database.settings().database).absoluteFilePath();
    return asked;
}

Result<RecordedRequest> recordedRequestOf(const result::RunResult &result)
{
    const result::RunRequest &asked = result.request;
    RecordedRequest recorded;
    recorded.request.report = findReport(asked.report);
    if (!recorded.request.report)
        return fail(Text::tr("The report's request names no known report ('%1')").arg(shownText(asked.report)));
    if (!asked.from.isValid() || !asked.to.isValid())
        return fail(Text::tr("The report does not say what it was asked: it was saved before reports kept "
                             "their request"));
    recorded.request.from = asked.from;
    recorded.request.to = asked.to;
    if (asked.doctor)
        recorded.request.doctor = data::Doctor{asked.doctor->code, asked.doctor->name};
    recorded.request.area = *data::areaNamed(result::areaName(asked.area));
    recorded.alias = asked.alias;
    recorded.database = asked.database;
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
