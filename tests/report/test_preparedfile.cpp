#include "export.h"
#include "preparedfile.h"
#include "reportfixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <zlib.h>

#include <gtest/gtest.h>

using namespace tarel::report;
using namespace tarel::report::testing;
using namespace Qt::StringLiterals;

namespace {

PreparedReport sample()
{
    PreparedReport report;
    report.templateName = u"frxDeca"_s;
    report.title = u"UTVRDENI ZABOLUVAWA \"OP[TA\""_s;
    OutputCell memo = outputCell(u"Memo70"_s, 476.2, 196.5, 37.8, 18.9, u"-"_s);
    memo.hAlign = HAlign::Center;
    memo.vAlign = VAlign::Bottom;
    OutputCell lekar = outputCell(u"lekar"_s, 1.0 / 3, 0.1 + 0.2, 300, 20,
                                  u"Dr. [Petrov] \"A\"\\\n\tline 2 ж"_s, u"MAC C Swiss"_s, 13.5,
                                  FrameLeft | FrameTop);
    lekar.font.bold = true;
    report.pages.push_back(a4Page({memo, lekar}));
    OutputPage portrait = a4Page();
    portrait.paperWidth = 210;
    portrait.paperHeight = 297;
    portrait.landscape = false;
    portrait.leftMargin = 10;
    report.pages.push_back(portrait);
    // The run's result: what was asked, a data check, two rows of counts.
    auto kept = std::make_shared<tarel::result::RunResult>();
    kept->request = {u"general-medicine"_s, QDate(2024, 1, 1), QDate(2024, 3, 31), true, {},
                     tarel::result::Area::Both, u"pelorida"_s, {}};
    kept->check.emplace().selected = 781718;
    kept->title = u"Утврдени заболувања"_s;
    kept->header = {{u"Лекар:"_s, u"Сите лекари"_s}};
    auto shape = tarel::result::TableShape::make(
        {{tarel::result::RowKind::Total, u"V"_s, {}, u"Вкупно"_s, {}, -1, {1}},
         {tarel::result::RowKind::Counted, u"1"_s, u"1"_s, u"Прв"_s, u"A01"_s, 0, {}}},
        {{u"4"_s, u"4"_s, {u"Вкупно"_s, u"м"_s}, -1, tarel::result::Sex::Male, {}}});
    kept->counts = tarel::result::CountTable(*shape);
    kept->counts.add(1, 0);
    kept->counts.derive();
    report.result = std::move(kept);
    return report;
}

QByteArray gzip(const QByteArray &data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Many zero bytes, packed a megabyte at a time.
QByteArray gzipZeros(qint64 count)
{
    z_stream stream{};
    deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    const QByteArray zeros(1024 * 1024, '\0');
    QByteArray out;
    char buffer[65536];
    for (qint64 left = count; left >= 0; left -= zeros.size()) {
        const bool last = left <= zeros.size();
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        stream.avail_in = uInt(last ? left : zeros.size());
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
        if (last)
            break;
    }
    deflateEnd(&stream);
    return out;
}

QByteArray replaced(QByteArray bytes, const char *from, const char *to)
{
    return bytes.replace(from, to);
}

} // namespace

TEST(PreparedFile, SaveLoadSaveGivesTheSameBytes)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(u"a.fp3"_s);
    const QString second = dir.filePath(u"b.fp3"_s);
    const PreparedReport report = sample();
    ASSERT_TRUE(savePrepared(report, first).ok());
    const auto loaded = loadPrepared(first);
    ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
    EXPECT_EQ(*loaded, report);
    ASSERT_TRUE(savePrepared(*loaded, second).ok());

    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    EXPECT_EQ(bytes, b.readAll());
    EXPECT_TRUE(bytes.startsWith("{\n  \"format\": \"tarel-prepared-report\",\n  \"version\": 1,"));
    EXPECT_TRUE(bytes.contains("\"left\": 476.2, \"top\": 196.5, \"width\": 37.8, \"height\": 18.9"));
    EXPECT_TRUE(bytes.contains("\n  \"request\": {\"alias\":\"pelorida\",\"area\":\"both\",\"doctor\":null,"
                               "\"from\":\"2024-01-01\",\"report\":\"general-medicine\",\"to\":\"2024-03-31\"},\n"));
    EXPECT_TRUE(bytes.contains("\n  \"check\": {\"counted\":0,"));
    EXPECT_TRUE(bytes.contains("\"counts\":[[1],[1]]"));
    // A report without a result has no such keys.
    PreparedReport plain = report;
    plain.result = {};
    EXPECT_FALSE(serializePrepared(plain).contains("\"request\""));
    EXPECT_FALSE(serializePrepared(plain).contains("\"result\""));

    // A file written before reports carried a title loads with none, keeps
    // its bytes when saved again, and is called by its template's name.
    PreparedReport untitled = report;
    untitled.title.clear();
    const QByteArray old = serializePrepared(untitled);
    EXPECT_FALSE(old.contains("\n  \"title\""));
    const auto loadedOld = parsePrepared(old, u"old.fp3"_s);
    ASSERT_TRUE(loadedOld.ok()) << loadedOld.message().toStdString();
    EXPECT_EQ(serializePrepared(*loadedOld), old);
    EXPECT_EQ(documentTitle(*loadedOld), u"frxDeca"_s);
    EXPECT_EQ(documentTitle(report), u"УТВРДЕНИ ЗАБОЛУВАЊА \"ОПШТА\""_s);
}

TEST(PreparedFile, GzipCompressedFilesAreRead)
{
    const QByteArray plain = serializePrepared(sample());
    const auto loaded = parsePrepared(gzip(plain), u"x.fp3"_s);
    ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
    EXPECT_EQ(*loaded, sample());
}

TEST(PreparedFile, EmptyReportRoundTrips)
{
    const PreparedReport empty;
    const auto loaded = parsePrepared(serializePrepared(empty), u"e.fp3"_s);
    ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
    EXPECT_EQ(*loaded, empty);
}

TEST(PreparedFile, BadInputIsRefusedWithTheFileNamed)
{
    const QByteArray good = serializePrepared(sample());
    QByteArray tooManyPages = "{\"format\": \"tarel-prepared-report\", \"version\": 1, \"pages\": [";
    for (int i = 0; i <= kMaxPreparedPages; ++i)
        tooManyPages += i ? ",{}" : "{}";
    tooManyPages += "]}";
    QByteArray deep = "{\"format\": \"tarel-prepared-report\", \"version\": 1, \"pages\": [";
    deep += QByteArray(5000, '[') + QByteArray(5000, ']') + "]}";
    // A gzip bomb: 300 MB of zeros packs into a few hundred kilobytes.
    const QByteArray bomb = gzipZeros(300LL * 1024 * 1024);
    // 4 MB of tiny values, which parsed would take far more memory than the
    // largest report: refused before they are parsed.
    QByteArray manyValues = "{\"format\": \"tarel-prepared-report\", \"version\": 1, \"pages\": [[";
    manyValues += QByteArray("0,").repeated(qsizetype(kMaxPreparedValues)) + "0]]}";

    struct Case {
        const char *what;
        QByteArray bytes;
        QString problem;
    };
    const Case cases[] = {
        {"empty", QByteArray(), u"empty"_s},
        {"truncated", good.left(good.size() / 2), u"not a prepared report"_s},
        {"truncated gzip", gzip(good).left(40), u"truncated"_s},
        {"corrupt gzip", gzip(good).left(20) + QByteArray(200, 'x'), u"corrupt"_s},
        {"not JSON", "PK\x03\x04 something else", u"not a prepared report"_s},
        {"JSON array", "[]", u"not a prepared report"_s},
        {"wrong format", replaced(good, "tarel-prepared-report", "other-report"), u"format"_s},
        {"wrong version", replaced(good, "\"version\": 1", "\"version\": 2"), u"version"_s},
        {"version as text", replaced(good, "\"version\": 1", "\"version\": \"1\""), u"version"_s},
        {"too many pages", tooManyPages, u"more than the 10000"_s},
        {"pages not a list", replaced(good, "\"pages\": [", "\"pages\": {\"a\":[") + "}", u"not a list"_s},
        {"coordinate as text", replaced(good, "\"left\": 476.2", "\"left\": \"476.2\""), u"page 1, cell 1: \"left\" is not a number"_s},
        {"huge coordinate", replaced(good, "\"left\": 476.2", "\"left\": 1e300"), u"\"left\" is 1e+300"_s},
        {"negative size", replaced(good, "\"width\": 37.8", "\"width\": -37.8"), u"\"width\" is -37.8"_s},
        {"missing text", replaced(good, ", \"text\": \"-\"", ""), u"\"text\" is missing"_s},
        {"cell not an object", replaced(good, "\"cells\": [\n", "\"cells\": [7,\n"), u"page 1, cell 1: it is not an object"_s},
        {"unknown frame side", replaced(good, "\"frame\": [\"left\"", "\"frame\": [\"diagonal\""), u"frame"_s},
        {"font height zero", replaced(good, "\"height\": 13,", "\"height\": 0,"), u"font height"_s},
        {"bad alignment", replaced(good, "\"hAlign\": \"center\"", "\"hAlign\": \"middle\""), u"hAlign"_s},
        {"paper too big", replaced(good, "\"paperWidth\": 297", "\"paperWidth\": 1e9"), u"paperWidth"_s},
        {"deep nesting", deep, u"x.fp3"_s},
        {"decompression bomb", bomb, u"more than 32 MB"_s},
        {"more values than a report holds", manyValues, u"more than the 2000000 a report may hold"_s},
        {"data check not an object", replaced(good, "\"pages\": [", "\"check\": 5, \"pages\": ["),
         u"it is damaged: \"check\" is not an object"_s},
    };
    for (const Case &c : cases) {
        const auto loaded = parsePrepared(c.bytes, u"x.fp3"_s);
        ASSERT_FALSE(loaded.ok()) << c.what;
        EXPECT_TRUE(loaded.message().startsWith(u"Cannot read \"x.fp3\": "_s))
            << c.what << ": " << loaded.message().toStdString();
        EXPECT_TRUE(loaded.message().contains(c.problem))
            << c.what << ": " << loaded.message().toStdString();
    }
}

TEST(PreparedFile, MissingAndUnwritableFilesAreNamed)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"missing.fp3"_s);
    const auto loaded = loadPrepared(missing);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.message(), u"Cannot read \"%1\": the file does not exist"_s.arg(missing));

    const QString unwritable = dir.filePath(u"no-such-folder/report.fp3"_s);
    const auto saved = savePrepared(sample(), unwritable);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.message().startsWith(u"Cannot write \"%1\": "_s.arg(unwritable)))
        << saved.message().toStdString();

    // A failed save leaves the previous file as it was.
    const QString existing = dir.filePath(u"kept.fp3"_s);
    ASSERT_TRUE(savePrepared(sample(), existing).ok());
    PreparedReport bad = sample();
    bad.pages[0].cells[0].left = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(savePrepared(bad, existing).ok());
    const auto kept = loadPrepared(existing);
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(*kept, sample());
}
