// Where an output may go: never over a protected source, by whatever path it
// is reached, and never onto something that is not a regular file.
#include "outputfile.h"

#include "filesystems.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tarel;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

TEST(OutputFile, RefusesProtectedSourcesAndWhatIsNotAFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.sqlite"));
    writeFile(source, "database");
    protectDatabaseFile(source);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ASSERT_TRUE(QFile::link(source, dir.filePath(QStringLiteral("link.pdf"))));
    ASSERT_EQ(::link(QFile::encodeName(source).constData(),
                     QFile::encodeName(dir.filePath(QStringLiteral("hard.csv"))).constData()),
              0);
    const tarel::testing::NamedPipe pipe(dir.filePath(QStringLiteral("pipe.csv")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

    struct Case {
        const char *what;
        QString path;
        const char *problem;
    };
    const Case cases[] = {
        {"the source itself", source, "it is the source database"},
        {"the source by another path", dir.filePath(QStringLiteral("folder/../source.sqlite")),
         "it is the source database"},
        {"a link to the source", dir.filePath(QStringLiteral("link.pdf")), "it is the source database"},
        {"another name of the same file", dir.filePath(QStringLiteral("hard.csv")), "it is the source database"},
        {"the source's write-ahead log", source + QStringLiteral("-wal"), "it belongs to the source database"},
        {"a folder", dir.filePath(QStringLiteral("folder")), "it is a folder"},
        {"a named pipe", dir.filePath(QStringLiteral("pipe.csv")), "it is a named pipe"},
        {"a device", QStringLiteral("/dev/null"), "it is a device"},
        {"a missing folder", dir.filePath(QStringLiteral("none/x.csv")), "does not exist"},
    };
    for (const Case &c : cases) {
        const Result<void> written = writeOutputFile(c.path, "report");
        ASSERT_FALSE(written.ok()) << c.what;
        EXPECT_TRUE(written.message().startsWith(QStringLiteral("Cannot write \"%1\": ").arg(c.path)))
            << c.what << ": " << written.message().toStdString();
        EXPECT_TRUE(written.message().contains(QLatin1String(c.problem))) << c.what << ": " << written.message().toStdString();
        EXPECT_EQ(checkOutputTarget(c.path).message(), written.message()) << c.what;
    }
    EXPECT_EQ(readAll(source), QByteArray("database"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
    struct stat status {};
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// A link stays a link: the file it names is replaced, with its permissions.
TEST(OutputFile, ALinkIsFollowed)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("report.csv"));
    writeFile(target, "old");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = dir.filePath(QStringLiteral("latest.csv"));
    ASSERT_TRUE(QFile::link(target, link));

    const Result<void> written = writeOutputFile(link, "new");
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(target), QByteArray("new"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 2);
}
