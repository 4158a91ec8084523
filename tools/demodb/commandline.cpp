#include "commandline.h"

#include <QCommandLineParser>

#include <algorithm>

namespace tarel::demodb {

QString usageText()
{
    return QStringLiteral(
        "Usage: tarel-demo-db FILE [--visits N] [--seed S] [--months M] [--end YYYY-MM-DD] [--anomalies]\n"
        "                     [--force]\n"
        "       tarel-demo-db [FILE] --postgres|--firebird|--mysql CONNINFO [options]\n"
        "\n"
        "Writes a synthetic database of the patient-administration program to the\n"
        "SQLite file FILE: insured persons, visits, doctors and the institution.\n"
        "With --postgres, --firebird or --mysql it loads the same rows into a\n"
        "database on that server (and writes FILE as well when given). The same\n"
        "options always give the same contents.\n"
        "\n"
        "  --visits N   number of visits (default 50000, at most %1)\n"
        "  --seed S     seed of the pseudo-random numbers (default 1)\n"
        "  --months M   length of the period of visits in months (default 24, at most %2)\n"
        "  --end DATE   last day of the period (default today)\n"
        "  --anomalies  plant in the period's last calendar month what a trend must\n"
        "               find: the first doctor (L01) stops entering visits, acute\n"
        "               bronchitis (J20) triples and children come with whooping\n"
        "               cough (A37)\n"
        "  --force      replace FILE, or the tables in PostgreSQL, if they exist\n"
        "  --postgres CONNINFO\n"
        "               load into PostgreSQL, e.g. \"host=127.0.0.1 port=5432\n"
        "               dbname=pelorida user=tarel\" (password from PGPASSWORD or\n"
        "               ~/.pgpass unless given)\n"
        "  --firebird CONNINFO\n"
        "               load into Firebird, e.g. \"host=127.0.0.1 port=3050\n"
        "               dbname=/srv/pelorida.fdb user=TAREL password=...\" (without\n"
        "               host: the file itself, without a server); a database\n"
        "               that does not exist is created\n"
        "  --mysql CONNINFO\n"
        "               load into MariaDB/MySQL, e.g. \"host=127.0.0.1 port=3306\n"
        "               dbname=pelorida user=tarel password=...\" (host may be the\n"
        "               server's socket, /run/mysqld/mysqld.sock)\n"
        "  --help       show this text\n")
        .arg(MaxVisits)
        .arg(MaxMonths);
}

Result<CommandLine> parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption visitsOption(QStringLiteral("visits"), QString(), QStringLiteral("N"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QString(), QStringLiteral("S"));
    const QCommandLineOption monthsOption(QStringLiteral("months"), QString(), QStringLiteral("M"));
    const QCommandLineOption endOption(QStringLiteral("end"), QString(), QStringLiteral("DATE"));
    const std::pair<QCommandLineOption, data::Engine> serverOptions[] = {
        {QCommandLineOption(QStringLiteral("postgres"), QString(), QStringLiteral("CONNINFO")), data::Engine::PostgreSQL},
        {QCommandLineOption(QStringLiteral("firebird"), QString(), QStringLiteral("CONNINFO")), data::Engine::Firebird},
        {QCommandLineOption(QStringLiteral("mysql"), QString(), QStringLiteral("CONNINFO")), data::Engine::MySQL}};
    const QCommandLineOption forceOption(QStringLiteral("force"));
    const QCommandLineOption anomaliesOption(QStringLiteral("anomalies"));
    for (const QCommandLineOption &option :
         {visitsOption, seedOption, monthsOption, endOption, forceOption, anomaliesOption})
        parser.addOption(option);
    for (const auto &[option, engine] : serverOptions)
        parser.addOption(option);
    if (!parser.parse(QStringList{QStringLiteral("tarel-demo-db")} + arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().front();
            const bool writtenLong = std::any_of(arguments.begin(), arguments.end(), [&](const QString &argument) {
                return argument == QStringLiteral("--") + name || argument.startsWith(QStringLiteral("--") + name + u'=');
            });
            return fail(QStringLiteral("unknown option '%1%2'").arg(writtenLong ? QStringLiteral("--") : QStringLiteral("-"), name));
        }
        return fail(parser.errorText());
    }

    CommandLine line;
    if (parser.isSet(help)) {
        line.help = true;
        return line;
    }
    line.options.force = parser.isSet(forceOption);
    line.options.anomalies = parser.isSet(anomaliesOption);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return fail(QStringLiteral("more than one file given ('%1' and '%2')").arg(files[0], files[1]));
    if (!files.isEmpty()) {
        if (files[0].isEmpty())
            return fail(QStringLiteral("the file name is empty"));
        line.path = files[0];
    }

    bool ok = false;
    if (parser.isSet(visitsOption)) {
        const QString value = parser.value(visitsOption);
        const qint64 visits = value.toLongLong(&ok);
        if (!ok || visits < 0 || visits > MaxVisits)
            return fail(QStringLiteral("--visits must be a whole number from 0 to %1, not '%2'")
                            .arg(MaxVisits)
                            .arg(value));
        line.options.visits = visits;
    }
    if (parser.isSet(seedOption)) {
        const QString value = parser.value(seedOption);
        const quint64 seed = value.toULongLong(&ok, 0);
        if (!ok || value.startsWith(QLatin1Char('-')))
            return fail(QStringLiteral("--seed must be a whole number from 0 to 18446744073709551615, not '%1'")
                            .arg(value));
        line.options.seed = seed;
    }
    if (parser.isSet(monthsOption)) {
        const QString value = parser.value(monthsOption);
        const int months = value.toInt(&ok);
        if (!ok || months < 1 || months > MaxMonths)
            return fail(QStringLiteral("--months must be a whole number from 1 to %1, not '%2'")
                            .arg(MaxMonths)
                            .arg(value));
        line.options.months = months;
    }
    if (parser.isSet(endOption)) {
        const QString value = parser.value(endOption);
        const QDate day = QDate::fromString(value, Qt::ISODate);
        if (!day.isValid() || value.size() != 10)
            return fail(QStringLiteral("--end must be a date YYYY-MM-DD, not '%1'").arg(value));
        line.options.lastDay = day;
    }
    for (const auto &[option, engine] : serverOptions) {
        if (!parser.isSet(option))
            continue;
        const QString name = option.names().front();
        if (!line.server.isEmpty())
            return fail(QStringLiteral("--%1 and another server given; load into one at a time").arg(name));
        const QString value = parser.value(option);
        if (value.trimmed().isEmpty())
            return fail(QStringLiteral("--%1 needs a connection string").arg(name));
        line.server = value;
        line.serverEngine = engine;
    }
    if (line.path.isEmpty() && line.server.isEmpty())
        return fail(QStringLiteral("no file given"));
    return line;
}

} // namespace tarel::demodb
