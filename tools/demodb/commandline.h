#pragma once

// The command line of tarel-demo-db.

#include "generator.h"
#include "result.h"

#include <QString>
#include <QStringList>

namespace tarel::demodb {

struct CommandLine {
    QString path;      // the SQLite file; may be empty when postgres is given
    QString postgres;  // a libpq connection string: load into that database
    DemoOptions options;
    bool help = false;
};

// Reads the arguments after the program name. An error is a usage error.
Result<CommandLine> parseCommandLine(const QStringList &arguments);

QString usageText();

} // namespace tarel::demodb
