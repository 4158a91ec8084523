// The six reports over one seeded demo database, compared with the reference
// outputs checked in beside this file: each report's CSV and its first page
// drawn as an image. A change in any layer that moves a number or a cell
// shows up here as a readable difference. To accept a change on purpose, run
// tools/update-golden (it sets TAREL_UPDATE_GOLDEN=1) and review the diff.

#include "runform.h"
#include "database.h"
#include "engine.h"
#include "export.h"
#include "generator.h"
#include "prepared.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;

namespace {

// The demo database of the references: 20,000 visits, seed 1, ending on
// 30 November 2026.
const QDate kFirstDay(2024, 12, 1);
const QDate kLastDay(2026, 11, 30);
const QDate kPrintedOn(2026, 12, 1);
constexpr double kImageDpi = 40;

const QString &demoDatabase()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("golden.sqlite"));
        demodb::DemoOptions options;
        options.visits = 20000;
        options.seed = 1;
        options.months = 24;
        options.lastDay = kLastDay;
        const Result<demodb::DemoStats> written = demodb::writeDemoDatabase(file, options);
        if (!written)
            ADD_FAILURE() << written.message().toStdString();
        return file;
    }();
    return path;
}

QString referencePath(const QString &name) { return QStringLiteral(TAREL_GOLDEN_DIR "/") + name; }

bool updating() { return qEnvironmentVariable("TAREL_UPDATE_GOLDEN") == u"1"; }

// The lines of two texts side by side where they first differ.
std::string firstDifference(const QByteArray &expected, const QByteArray &actual)
{
    const QList<QByteArray> a = expected.split('\n'), b = actual.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QByteArray x = i < a.size() ? a[i] : QByteArray("<none>");
        const QByteArray y = i < b.size() ? b[i] : QByteArray("<none>");
        if (x != y)
            return "line " + std::to_string(i + 1) + "\n  reference: " + x.trimmed().toStdString()
                + "\n  now:       " + y.trimmed().toStdString();
    }
    return "same lines";
}

class Golden : public ::testing::TestWithParam<const char *> {};

TEST_P(Golden, MatchesTheReference)
{
    const QString name = QString::fromLatin1(GetParam());
    auto database = data::Database::open(data::sqliteFile(demoDatabase()));
    ASSERT_TRUE(database.ok()) << database.message().toStdString();
    engine::Request request;
    request.report = engine::findReport(name);
    ASSERT_NE(request.report, nullptr);
    request.from = kFirstDay;
    request.to = kLastDay;
    request.today = kPrintedOn;
    const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, request);
    ASSERT_TRUE(filled.ok()) << filled.message().toStdString();
    const report::PreparedReport prepared = report::prepare(*filled);

    const QByteArray csv = report::csvText(*prepared.result);
    const QImage page = report::renderPageImage(prepared, 0, kImageDpi);
    ASSERT_FALSE(page.isNull());
    const QString csvPath = referencePath(name + QStringLiteral(".csv"));
    const QString imagePath = referencePath(name + QStringLiteral(".png"));
    if (updating()) {
        QFile file(csvPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(csv);
        ASSERT_TRUE(page.save(imagePath, "PNG"));
        GTEST_SKIP() << "reference written: " << csvPath.toStdString();
    }

    QFile reference(csvPath);
    ASSERT_TRUE(reference.open(QIODevice::ReadOnly)) << "no reference " << csvPath.toStdString()
                                                     << "; run tools/update-golden";
    const QByteArray expected = reference.readAll();
    EXPECT_TRUE(csv == expected) << name.toStdString() << ": the CSV differs from the reference at "
                                 << firstDifference(expected, csv);

    const QImage expectedPage(imagePath);
    ASSERT_FALSE(expectedPage.isNull()) << "no reference " << imagePath.toStdString();
    EXPECT_EQ(page.convertToFormat(QImage::Format_RGB32), expectedPage.convertToFormat(QImage::Format_RGB32))
        << name.toStdString() << ": the first page differs from " << imagePath.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Reports, Golden,
                         ::testing::Values("general-medicine", "school-youth", "children", "visits-school-youth",
                                           "visits-children", "visits-general-medicine"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return QString::fromLatin1(info.param).replace(u'-', u'_').toStdString();
                         });

} // namespace
