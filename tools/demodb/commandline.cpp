#include "commandline.h"

namespace tarel::demodb {

QString usageText()
{
    return QStringLiteral(
        "Usage: tarel-demo-db FILE [--visits N] [--seed S] [--months M] [--end YYYY-MM-DD] [--force]\n"
        "       tarel-demo-db [FILE] --postgres CONNINFO [options]\n"
        "\n"
        "Writes a synthetic database of the patient-administration program to the\n"
        "SQLite file FILE: insured persons, visits, doctors and the institution.\n"
        "With --postgres it loads the same rows into a PostgreSQL database (and\n"
        "writes FILE as well when given). The same options always give the same\n"
        "contents.\n"
        "\n"
        "  --visits N   number of visits (default 50000, at most %1)\n"
        "  --seed S     seed of the pseudo-random numbers (default 1)\n"
        "  --months M   length of the period of visits in months (default 24, at most %2)\n"
        "  --end DATE   last day of the period (default today)\n"
        "  --force      replace FILE, or the tables in PostgreSQL, if they exist\n"
        "  --postgres CONNINFO\n"
        "               load into PostgreSQL, e.g. \"host=127.0.0.1 port=5432\n"
        "               dbname=pelorida user=tarel\" (password from PGPASSWORD or\n"
        "               ~/.pgpass unless given)\n"
        "  --help       show this text\n")
        .arg(MaxVisits)
        .arg(MaxMonths);
}

Result<CommandLine> parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.help = true;
            return line;
        }
        if (argument == QLatin1String("--force")) {
            line.options.force = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            if (argument == QLatin1String("--") && i + 1 < arguments.size())
                argument = arguments[++i];
            if (!line.path.isEmpty())
                return fail(QStringLiteral("more than one file given ('%1' and '%2')").arg(line.path, argument));
            if (argument.isEmpty())
                return fail(QStringLiteral("the file name is empty"));
            line.path = argument;
            continue;
        }

        // --name VALUE or --name=VALUE
        QString name = argument, value;
        if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
        } else {
            if (name != QLatin1String("--visits") && name != QLatin1String("--seed")
                && name != QLatin1String("--months") && name != QLatin1String("--end")
                && name != QLatin1String("--postgres"))
                return fail(QStringLiteral("unknown option '%1'").arg(argument));
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 needs a value").arg(name));
            value = arguments[++i];
        }

        bool ok = false;
        if (name == QLatin1String("--visits")) {
            const qint64 visits = value.toLongLong(&ok);
            if (!ok || visits < 0 || visits > MaxVisits)
                return fail(QStringLiteral("--visits must be a whole number from 0 to %1, not '%2'")
                                .arg(MaxVisits)
                                .arg(value));
            line.options.visits = visits;
        } else if (name == QLatin1String("--seed")) {
            const quint64 seed = value.toULongLong(&ok, 0);
            if (!ok || value.startsWith(QLatin1Char('-')))
                return fail(QStringLiteral("--seed must be a whole number from 0 to 18446744073709551615, not '%1'")
                                .arg(value));
            line.options.seed = seed;
        } else if (name == QLatin1String("--months")) {
            const int months = value.toInt(&ok);
            if (!ok || months < 1 || months > MaxMonths)
                return fail(QStringLiteral("--months must be a whole number from 1 to %1, not '%2'")
                                .arg(MaxMonths)
                                .arg(value));
            line.options.months = months;
        } else if (name == QLatin1String("--end")) {
            const QDate day = QDate::fromString(value, Qt::ISODate);
            if (!day.isValid() || value.size() != 10)
                return fail(QStringLiteral("--end must be a date YYYY-MM-DD, not '%1'").arg(value));
            line.options.lastDay = day;
        } else if (name == QLatin1String("--postgres")) {
            if (value.trimmed().isEmpty())
                return fail(QStringLiteral("--postgres needs a connection string"));
            line.postgres = value;
        } else {
            return fail(QStringLiteral("unknown option '%1'").arg(name));
        }
    }
    if (line.path.isEmpty() && line.postgres.isEmpty())
        return fail(QStringLiteral("no file given"));
    return line;
}

} // namespace tarel::demodb
