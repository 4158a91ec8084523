#include "serversession.h"

#include <QSqlError>

namespace tarel::data {

const ServerSession *serverSessionOf(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return nullptr;
    case Engine::PostgreSQL:
        return &postgresSession();
    case Engine::MySQL:
        return &mysqlSession();
    case Engine::Firebird:
        return &firebirdSession();
    case Engine::Other:
        break;
    }
    return &genericSession();
}

bool nativeCodeIs(const QSqlError &error, std::initializer_list<const char *> codes)
{
    const QString native = error.nativeErrorCode();
    for (QStringView part : QStringView(native).split(QLatin1Char(' ')))
        for (const char *code : codes)
            if (part == QLatin1String(code))
                return true;
    return false;
}

namespace {
bool never(const QSqlError &) { return false; }
} // namespace

// An engine Tarel knows nothing particular of (through ODBC): its driver's
// transaction, standard SQL, no identity of rows.
const ServerSession &genericSession()
{
    static const ServerSession session{
        [](const AliasSettings &) { return QString(); },
        [](const AliasSettings &) { return QStringList(); },
        QString(),
        QString(),
        never,
        never,
        never,
        never,
        never,
        QString(),
        QString(),
        QString(),
        QStringLiteral("select 'text', cast(DATA as varchar(40)), count(*) from PREGLEDI1 group by DATA"),
    };
    return session;
}

} // namespace tarel::data
