#pragma once

// The command line of tarel-demo-db.

#include "dialect.h"
#include "generator.h"
#include "result.h"

#include <QString>
#include <QStringList>

namespace tarel::demodb {

struct CommandLine {
    QString path;      // the SQLite file; may be empty when a server is given
    QString server;    // a connection string (libpq's keywords): load into that database
    data::Engine serverEngine = data::Engine::PostgreSQL; // --postgres, --firebird or --mysql
    DemoOptions options;
    bool help = false;
};

// Reads the arguments after the program name. An error is a usage error.
Result<CommandLine> parseCommandLine(const QStringList &arguments);

QString usageText();

} // namespace tarel::demodb
