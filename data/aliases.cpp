#include "aliases.h"

#include "inputfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tarel::data {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

} // namespace

QString aliasFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable(AliasFileVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/tarel/aliases.ini");
}

QString defaultDatabasePath()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/tarel/pelorida.sqlite");
}

AliasSettings sqliteFile(const QString &path)
{
    AliasSettings settings;
    settings.alias = QFileInfo(path).completeBaseName();
    settings.driver = QStringLiteral("QSQLITE");
    settings.database = path;
    return settings;
}

Result<AliasSettings> resolveAlias(const QString &alias)
{
    const QString path = aliasFilePath();
    const bool explicitFile = !qEnvironmentVariableIsEmpty(AliasFileVariable);
    if (!QFileInfo::exists(path)) {
        if (explicitFile)
            return fail(Text::tr("The alias file '%1' does not exist").arg(path));
        if (alias.compare(QLatin1String(DefaultAlias), Qt::CaseInsensitive) == 0) {
            AliasSettings settings = sqliteFile(defaultDatabasePath());
            settings.alias = alias;
            return settings;
        }
        return fail(Text::tr("Unknown database alias '%1'").arg(alias));
    }

    // QSettings would wait for ever on a named pipe.
    if (const QString problem = notRegularFile(path); !problem.isEmpty())
        return fail(Text::tr("The alias file '%1' cannot be read: %2").arg(path, problem));
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return fail(Text::tr("The alias file '%1' cannot be read").arg(path));
    QString group;
    for (const QString &candidate : ini.childGroups())
        if (candidate.compare(alias, Qt::CaseInsensitive) == 0)
            group = candidate;
    if (group.isEmpty())
        return fail(Text::tr("Unknown database alias '%1' in '%2'").arg(alias, path));

    ini.beginGroup(group);
    AliasSettings settings;
    settings.alias = alias;
    settings.driver = ini.value(QStringLiteral("driver"), QStringLiteral("QSQLITE")).toString().trimmed();
    settings.database = ini.value(QStringLiteral("database")).toString();
    settings.host = ini.value(QStringLiteral("host")).toString();
    settings.port = ini.value(QStringLiteral("port"), -1).toInt();
    settings.user = ini.value(QStringLiteral("user")).toString();
    settings.password = ini.value(QStringLiteral("password")).toString();
    // A timeout given is a whole number of seconds within its bounds: a
    // value that is not ("abc", "-1", nothing after "=") is refused, not
    // read as another.
    const auto seconds = [&](const char *key, int *value) -> Result<void> {
        if (!ini.contains(QLatin1String(key)))
            return {};
        const QString text = ini.value(QLatin1String(key)).toString().trimmed();
        bool number = false;
        const int read = text.toInt(&number);
        if (!number || read < 1 || read > MaxTimeoutSeconds)
            return fail(Text::tr("The alias '%1' in '%2': %3 must be a number of seconds from 1 to %4")
                            .arg(alias, path, QLatin1String(key))
                            .arg(MaxTimeoutSeconds));
        *value = read;
        return {};
    };
    const Result<void> connectTimeout = seconds("connect_timeout", &settings.connectTimeoutSeconds);
    const Result<void> lockTimeout = seconds("lock_timeout", &settings.lockTimeoutSeconds);
    const QString passwordFile = ini.value(QStringLiteral("password_file")).toString();
    ini.endGroup();

    if (settings.database.isEmpty())
        return fail(Text::tr("The alias '%1' in '%2' names no database").arg(alias, path));
    for (const Result<void> &timeout : {connectTimeout, lockTimeout})
        if (!timeout)
            return timeout.error();
    if (settings.driver.compare(QLatin1String("QSQLITE"), Qt::CaseInsensitive) == 0
        && QFileInfo(settings.database).isRelative())
        settings.database = QFileInfo(path).absoluteDir().absoluteFilePath(settings.database);
    if (!passwordFile.isEmpty()) {
        const Result<QByteArray> bytes = readInputFile(passwordFile, 64 * 1024);
        if (!bytes)
            return fail(Text::tr("The password file '%1' cannot be read: %2").arg(passwordFile, bytes.message()));
        // The first line is the password.
        const qsizetype end = bytes->indexOf('\n');
        QByteArray line = end < 0 ? *bytes : bytes->left(end);
        if (line.endsWith('\r'))
            line.chop(1);
        settings.password = QString::fromUtf8(line);
    }
    return settings;
}

} // namespace tarel::data
