// tarel-demo-db: writes a synthetic source database. Exit status 0 on
// success, 1 when the database cannot be written, 2 on a usage error.

#include "commandline.h"
#include "generator.h"
#include "serverloader.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    using namespace tarel::demodb;

    const tarel::Result<CommandLine> line = parseCommandLine(app.arguments().mid(1));
    if (!line) {
        std::fprintf(stderr, "tarel-demo-db: %s\n\n%s", qPrintable(line.message()), qPrintable(usageText()));
        return 2;
    }
    if (line->help) {
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    }
    if (!line->server.isEmpty()) {
        const tarel::Result<ServerTarget> target = parseConnectionString(line->server, line->serverEngine);
        if (!target) {
            std::fprintf(stderr, "tarel-demo-db: %s\n\n%s", qPrintable(target.message()), qPrintable(usageText()));
            return 2;
        }
        const tarel::Result<DemoStats> stats = loadDemoDatabase(*target, line->options, line->path);
        if (!stats) {
            std::fprintf(stderr, "tarel-demo-db: %s\n", qPrintable(stats.message()));
            return 1;
        }
        std::printf("%s\n", qPrintable(loadSummaryLine(*target, *stats)));
        return 0;
    }
    const tarel::Result<DemoStats> stats = writeDemoDatabase(line->path, line->options);
    if (!stats) {
        std::fprintf(stderr, "tarel-demo-db: %s\n", qPrintable(stats.message()));
        return 1;
    }
    std::printf("%s\n", qPrintable(summaryLine(line->path, *stats)));
    return 0;
}
