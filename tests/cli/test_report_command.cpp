#include "reportcommand.h"

#include "preparedfile.h"
#include "sourcedatabase.h"
#include "xlsxreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::cli;
using tarel::testing::SourceDatabase;

namespace {

QStringList args(const char *line) { return QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts); }

struct Outcome {
    int exit;
    QString out;
    QString err;
};

Outcome tool(const QStringList &arguments)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int exit = runTool(arguments, outStream, errStream, QDate(2024, 4, 2));
    outStream.flush();
    errStream.flush();
    return {exit, out, err};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(ReportCommand, UsageErrors)
{
    struct Case {
        const char *what;
        const char *line;
        const char *message;
    };
    const Case cases[] = {
        {"nothing", "", "Name a report, 'trend', 'convert', 'check' or 'batch'"},
        {"unknown report", "no-such --from 2024-01-01 --to 2024-02-01 --output a.csv", "Unknown report 'no-such'"},
        {"unknown option", "visits-children --form 2024-01-01", "Unknown option '--form'"},
        {"single-dash option", "visits-children -o a.csv", "Unknown option '-o'"},
        {"missing from", "visits-children --to 2024-02-01 --output a.csv",
         "The option '--from YYYY-MM-DD' is required"},
        {"month 13", "visits-children --from 2024-13-01 --to 2024-02-01 --output a.csv",
         "'2024-13-01' is not a date of the form YYYY-MM-DD"},
        {"short date", "visits-children --from 2024-1-1 --to 2024-02-01 --output a.csv",
         "'2024-1-1' is not a date of the form YYYY-MM-DD"},
        {"value missing at the end", "visits-children --from 2024-01-01 --to", "The option '--to' needs a value"},
        {"option twice", "visits-children --from 2024-01-01 --from 2024-01-02", "The option '--from' is given twice"},
        {"missing output", "visits-children --from 2024-01-01 --to 2024-02-01", "The option '--output FILE' is required"},
        {"unknown extension", "visits-children --from 2024-01-01 --to 2024-02-01 --output a.txt",
         "The output file 'a.txt' must end in .fp3, .pdf, .csv or .xlsx"},
        {"no extension", "visits-children --from 2024-01-01 --to 2024-02-01 --output report",
         "The output file 'report' must end in .fp3, .pdf, .csv or .xlsx"},
        {"doctor on a visit report", "visits-children --from 2024-01-01 --to 2024-02-01 --doctor L01 --output a.csv",
         "The report 'visits-children' takes only the dates: no doctor or area option"},
        {"area on a visit report", "visits-children --from 2024-01-01 --to 2024-02-01 --area urban --output a.csv",
         "The report 'visits-children' takes only the dates: no doctor or area option"},
        {"no doctor choice", "general-medicine --from 2024-01-01 --to 2024-02-01 --output a.csv", "Izberete lekar"},
        {"both doctor choices", "general-medicine --from 2024-01-01 --to 2024-02-01 --all-doctors --doctor L1 --output a.csv",
         "Give either '--all-doctors' or '--doctor CODE', not both"},
        {"unknown area", "general-medicine --from 2024-01-01 --to 2024-02-01 --all-doctors --area town --output a.csv",
         "'town' is not an area: use urban, rural or both"},
        {"flag with a value", "general-medicine --all-doctors=yes", "The option '--all-doctors' takes no value"},
        {"convert to fp3", "convert a.fp3 b.fp3",
         "The output file 'b.fp3' of 'convert' must end in .pdf, .csv or .xlsx"},
        {"convert without output", "convert a.fp3",
         "'convert' needs an input .fp3 file and an output .pdf, .csv or .xlsx file"},
        {"batch option on a report", "visits-children --from 2024-01-01 --to 2024-02-01 --folder d --output a.csv",
         "The option '--folder' is only for 'batch'"},
        {"report option on a batch", "batch --month 2024-01 --folder d --all-doctors",
         "The option '--all-doctors' is not for 'batch'"},
        {"batch month and dates", "batch --month 2024-01 --from 2024-01-01 --folder d",
         "Give either '--month YYYY-MM' or '--from' and '--to', not both"},
        {"batch month 13", "batch --month 2024-13 --folder d", "'2024-13' is not a month of the form YYYY-MM"},
        {"batch without folder", "batch --month 2024-01", "The option '--folder DIR' is required"},
        {"batch unknown format", "batch --month 2024-01 --folder d --format xlsx,docx",
         "'docx' is not a format: use xlsx, pdf, csv or fp3"},
        {"convert with options", "convert a.fp3 b.csv --output c.csv", "'convert' takes no options"},
        {"cell that holds no count", "general-medicine --from 2024-01-01 --to 2024-02-01 --all-doctors --cell Memo1 --output a.csv",
         "cell Memo1 holds no count"},
        {"cell the template lacks", "visits-children --from 2024-01-01 --to 2024-02-01 --cell v4 --output a.csv",
         "cell v4 holds no count"},
        {"cell into a PDF", "visits-children --from 2024-01-01 --to 2024-02-01 --cell vkupno --output a.pdf",
         "The visits behind a cell are written as CSV: the output file 'a.pdf' must end in .csv"},
        {"cell with a data check", "visits-children --from 2024-01-01 --to 2024-02-01 --cell vkupno --output a.csv --check c.json",
         "The option '--check' is not for '--cell'"},
        {"cell on a batch", "batch --month 2024-01 --folder d --cell vkupno", "The option '--cell' is not for 'batch'"},
        {"trend without a report", "trend --from 2024-01-01 --to 2024-01-31 --output a.json",
         "Name the report of 'trend'"},
        {"trend into a saved report", "trend visits-children --from 2024-01-01 --to 2024-01-31 --output a.fp3",
         "The output file 'a.fp3' of 'trend' must end in .json, .csv, .xlsx or .pdf"},
        {"trend without a doctor choice", "trend children --from 2024-01-01 --to 2024-01-31 --output a.json",
         "Izberete lekar"},
        {"trend history 0", "trend visits-children --from 2024-01-01 --to 2024-01-31 --history 0 --output a.json",
         "--history must be a whole number from 1 to 60, not '0'"},
        {"trend history 61", "trend visits-children --from 2024-01-01 --to 2024-01-31 --history 61 --output a.json",
         "--history must be a whole number from 1 to 60, not '61'"},
        {"trend of a backward period", "trend visits-children --from 2024-02-01 --to 2024-01-31 --output a.json",
         "The period ends before it begins"},
        {"trend with a data check",
         "trend visits-children --from 2024-01-01 --to 2024-01-31 --output a.json --check c.json",
         "The option '--check' is not for 'trend'"},
        {"trend of a cell", "trend visits-children --from 2024-01-01 --to 2024-01-31 --output a.csv --cell vkupno",
         "The option '--cell' is not for 'trend'"},
        {"history on a report", "visits-children --from 2024-01-01 --to 2024-01-31 --history 3 --output a.csv",
         "The option '--history' is only for 'trend' and 'batch --trend'"},
        {"history on a batch without trends", "batch --month 2024-01 --folder d --history 3",
         "The option '--history' is only for 'trend' and 'batch --trend'"},
    };
    for (const Case &c : cases) {
        const auto parsed = parseCommand(args(c.line));
        ASSERT_TRUE(std::holds_alternative<Usage>(parsed)) << c.what;
        EXPECT_EQ(std::get<Usage>(parsed).message, QLatin1String(c.message)) << c.what;
        const Outcome outcome = tool(args(c.line));
        EXPECT_EQ(outcome.exit, ExitUsage) << c.what;
        EXPECT_TRUE(outcome.err.startsWith(QLatin1String(c.message) + u'\n')) << c.what;
    }
    // The system's own message stands alone.
    EXPECT_EQ(tool(args("general-medicine --from 2024-01-01 --to 2024-02-01 --output a.csv")).err,
              QStringLiteral("Izberete lekar\n"));
}

// Values typed on the command line reach the terminal escaped and cut, as
// values of the data do; --help-all, which the help lists, shows the help.
TEST(ReportCommand, TypedValuesAreShownEscapedAndCut)
{
    const QString escape = QStringLiteral("\x1b[31m");
    const QStringList dates{QStringLiteral("--from"), QStringLiteral("2024-01-01"), QStringLiteral("--to"),
                            QStringLiteral("2024-02-01")};
    struct Case {
        QStringList arguments;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("visits-children"), QStringLiteral("--from"), QStringLiteral("2024") + escape,
          QStringLiteral("--to"), QStringLiteral("2024-02-01"), QStringLiteral("--output"), QStringLiteral("a.csv")},
         QStringLiteral("'2024\\x1b[31m' is not a date of the form YYYY-MM-DD")},
        {QStringList{QStringLiteral("no") + escape} + dates, QStringLiteral("Unknown report 'no\\x1b[31m'")},
        {QStringList{QStringLiteral("general-medicine")} + dates
             + QStringList{QStringLiteral("--all-doctors"), QStringLiteral("--area"), escape + QStringLiteral("x"),
                           QStringLiteral("--output"), QStringLiteral("a.csv")},
         QStringLiteral("'\\x1b[31mx' is not an area: use urban, rural or both")},
        {QStringList{QStringLiteral("visits-children")} + dates
             + QStringList{QStringLiteral("--output"), QStringLiteral("a") + escape + QStringLiteral(".txt")},
         QStringLiteral("The output file 'a\\x1b[31m.txt' must end in .fp3, .pdf, .csv or .xlsx")},
    };
    for (const Case &c : cases) {
        const Outcome outcome = tool(c.arguments);
        EXPECT_EQ(outcome.exit, ExitUsage);
        EXPECT_EQ(outcome.err, c.message + QStringLiteral("\nTry 'tarel-report --help'.\n"));
    }
    const Outcome long10k = tool({QStringLiteral("visits-children"), QStringLiteral("--from"), QString(10000, u'9'),
                                  QStringLiteral("--to"), QStringLiteral("2024-02-01")});
    EXPECT_EQ(long10k.exit, ExitUsage);
    EXPECT_LT(long10k.err.size(), 200) << long10k.err.size();

    const Outcome helpAll = tool({QStringLiteral("--help-all")});
    EXPECT_EQ(helpAll.exit, ExitSuccess);
    EXPECT_EQ(helpAll.out, tool({QStringLiteral("--help")}).out);
}

TEST(ReportCommand, ParsedCommands)
{
    const auto visit = parseCommand(args("visits-children --from=2024-01-01 --to 2024-02-29 --output out.PDF"));
    ASSERT_TRUE(std::holds_alternative<Command>(visit));
    const Command &v = std::get<Command>(visit);
    EXPECT_EQ(v.kind, Command::Kind::Report);
    EXPECT_EQ(v.report, engine::findReport(u"visits-children"));
    EXPECT_EQ(v.from, QDate(2024, 1, 1));
    EXPECT_EQ(v.to, QDate(2024, 2, 29));
    EXPECT_EQ(v.format, OutputFormat::Pdf);
    EXPECT_TRUE(v.database.isEmpty());

    const auto morbidity = parseCommand(
        args("general-medicine --from 2024-01-01 --to 2024-02-01 --doctor L07 --area rural --database s.db --output r.fp3"));
    ASSERT_TRUE(std::holds_alternative<Command>(morbidity));
    const Command &m = std::get<Command>(morbidity);
    EXPECT_EQ(m.doctor, std::optional<QString>(QStringLiteral("L07")));
    EXPECT_EQ(m.area, std::optional<data::AreaFilter>(data::AreaFilter::Rural));
    EXPECT_EQ(m.database, QStringLiteral("s.db"));
    EXPECT_EQ(m.format, OutputFormat::PreparedFile);

    const auto batch = parseCommand(args("batch --month 2024-02 --folder out --format PDF,xlsx,pdf --each-doctor"));
    ASSERT_TRUE(std::holds_alternative<Command>(batch));
    const Command &b = std::get<Command>(batch);
    EXPECT_EQ(b.kind, Command::Kind::Batch);
    EXPECT_EQ(b.from, QDate(2024, 2, 1));
    EXPECT_EQ(b.to, QDate(2024, 2, 29));
    EXPECT_EQ(b.folder, QStringLiteral("out"));
    EXPECT_EQ(b.formats, (std::vector<OutputFormat>{OutputFormat::Pdf, OutputFormat::Workbook}));
    EXPECT_TRUE(b.eachDoctor);
    const auto plainBatch = parseCommand(args("batch --from 2024-12-01 --to 2024-12-31 --folder out --area urban"));
    ASSERT_TRUE(std::holds_alternative<Command>(plainBatch));
    EXPECT_EQ(std::get<Command>(plainBatch).formats, std::vector<OutputFormat>{OutputFormat::Workbook});
    EXPECT_EQ(std::get<Command>(plainBatch).area, std::optional<data::AreaFilter>(data::AreaFilter::Urban));

    const Outcome help = tool(args("visits-children --help"));
    EXPECT_EQ(help.exit, ExitSuccess);
    EXPECT_TRUE(help.out.startsWith(u"Usage: tarel-report REPORT")) << help.out.toStdString();
    for (const engine::ReportDefinition &report : engine::reportTable())
        EXPECT_TRUE(help.out.contains(QLatin1String(report.name))) << report.name;
    for (const char *option : {"--from", "--to", "--all-doctors", "--doctor", "--area", "--database", "--output",
                               "--month", "--folder", "--format", "--each-doctor", "batch"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
}

class ReportCommandRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        source.addInstitution(QStringLiteral("PZU Test"));
        source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrov"), QStringLiteral("Petar"), true);
        source.addDoctor(QStringLiteral("L02"), QStringLiteral("Ilieva"), QStringLiteral("Ana"), false);
        SourceDatabase::Visit visit;
        visit.datR = QStringLiteral("1980-01-01");
        source.addVisit(visit);
        visit.mb = QStringLiteral("0101990450013");
        visit.mesto = 123456;
        visit.vid = QStringLiteral("3");
        source.addVisit(visit);
    }
    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList visitRun(const QString &output) const
    {
        return {QStringLiteral("visits-general-medicine"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
                QStringLiteral("--to"), QStringLiteral("2024-03-31"), QStringLiteral("--database"), source.path(),
                QStringLiteral("--output"), output};
    }

    QTemporaryDir dir;
    SourceDatabase source;
};

TEST_F(ReportCommandRun, CsvHoldsTheCounts)
{
    const Outcome outcome = tool(visitRun(file("visits.csv")));
    ASSERT_EQ(outcome.exit, ExitSuccess) << outcome.err.toStdString();
    const QString csv = QString::fromUtf8(readAll(file("visits.csv")));
    // Rows GRAD, SELO, VKUPNO in Cyrillic: all, first, se, nositeli,
    // farmers, others.
    EXPECT_TRUE(csv.contains(QStringLiteral("\u0413\u0420\u0410\u0414,1,1,1,1,0,0\r\n"))) << csv.toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("\u0421\u0415\u041B\u041E,1,0,1,1,0,0\r\n"))) << csv.toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("\u0412\u041A\u0423\u041F\u041D\u041E,2,1,2,2,0,0\r\n")))
        << csv.toStdString();
}

// --cell: the visits behind one number instead of the report; a zero gives
// the header alone.
TEST_F(ReportCommandRun, CellWritesTheVisitsBehindItsNumber)
{
    QStringList arguments = visitRun(file("all.csv"));
    arguments << QStringLiteral("--cell") << QStringLiteral("VKUPNO_SELO");
    const Outcome outcome = tool(arguments);
    ASSERT_EQ(outcome.exit, ExitSuccess) << outcome.err.toStdString();
    const QByteArray header = "RED_BR,DATA,MB,PRE,IME,DAT_R,S_DIJA,S_DIJA2,LEKAR_S,MESTO_S,VidNaUsluga,row,band,sex\r\n";
    EXPECT_EQ(readAll(file("all.csv")), header + ",2024-03-15,0101990450013,,,1980-01-01,A01,,L01,123456,3,,,\r\n");

    arguments = visitRun(file("farmers.csv"));
    arguments << QStringLiteral("--cell") << QStringLiteral("zemjodelci");
    ASSERT_EQ(tool(arguments).exit, ExitSuccess);
    EXPECT_EQ(readAll(file("farmers.csv")), header);
}

TEST_F(ReportCommandRun, SavedReportConvertsToTheSameCsv)
{
    ASSERT_EQ(tool(visitRun(file("visits.csv"))).exit, ExitSuccess);
    ASSERT_EQ(tool(visitRun(file("visits.fp3"))).exit, ExitSuccess);
    ASSERT_TRUE(report::loadPrepared(file("visits.fp3")).ok());
    const Outcome convert = tool({QStringLiteral("convert"), file("visits.fp3"), file("converted.csv")});
    ASSERT_EQ(convert.exit, ExitSuccess) << convert.err.toStdString();
    EXPECT_EQ(readAll(file("converted.csv")), readAll(file("visits.csv")));
    ASSERT_EQ(tool({QStringLiteral("convert"), file("visits.fp3"), file("converted.pdf")}).exit, ExitSuccess);
    EXPECT_TRUE(readAll(file("converted.pdf")).startsWith("%PDF"));
    // A workbook from the run and one converted from the saved report hold the same sheets.
    ASSERT_EQ(tool(visitRun(file("visits.xlsx"))).exit, ExitSuccess);
    ASSERT_EQ(tool({QStringLiteral("convert"), file("visits.fp3"), file("converted.xlsx")}).exit, ExitSuccess);
    const auto run = tarel::testing::readXlsx(file("visits.xlsx"));
    const auto converted = tarel::testing::readXlsx(file("converted.xlsx"));
    ASSERT_TRUE(run && converted);
    ASSERT_EQ(run->sheets.size(), 2u);
    ASSERT_EQ(converted->sheets.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(run->sheets[i].name, converted->sheets[i].name);
        EXPECT_EQ(run->sheets[i].cells.size(), converted->sheets[i].cells.size());
        for (const auto &[position, cell] : run->sheets[i].cells) {
            const auto *other = converted->sheets[i].at(position.first, position.second);
            ASSERT_NE(other, nullptr);
            EXPECT_EQ(cell.text, other->text) << tarel::testing::cellName(position.first, position.second).toStdString();
        }
    }
}

TEST_F(ReportCommandRun, FailuresExitOneAndWriteNothing)
{
    QFile bad(file("bad.fp3"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a prepared report");
    bad.close();

    struct Case {
        const char *what;
        QStringList arguments;
        QString output;
        QString message; // empty: any message ending in a full stop
    };
    SourceDatabase broken;
    broken.exec(QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, PRE, IME, VidNaUsluga, DATA) "
                               "values (7, '1', 'Petrovska', 'Ana', '1', '2024-02-01')"));
    broken.exec(QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('1', 'x', 400017)"));
    QStringList brokenRun = visitRun(file("broken.csv"));
    brokenRun[6] = broken.path();
    QStringList missingDatabase = visitRun(file("missing.csv"));
    missingDatabase[6] = file("no-such.sqlite");
    const Case cases[] = {
        {"unreadable birth date", brokenRun, file("broken.csv"), QStringLiteral("'x' is not a valid date.\nVisit RED_BR 7 of 2024-02-01, Petrovska Ana.\n")},
        {"missing database file", missingDatabase, file("missing.csv"), QString()},
        {"output folder missing", visitRun(file("no-such-folder/a.pdf")), file("no-such-folder/a.pdf"), QString()},
        {"workbook folder missing", visitRun(file("no-such-folder/a.xlsx")), file("no-such-folder/a.xlsx"),
         QString()},
        {"not a prepared report", {QStringLiteral("convert"), file("bad.fp3"), file("bad.csv")}, file("bad.csv"),
         QString()},
        {"no such prepared report", {QStringLiteral("convert"), file("none.fp3"), file("none.csv")},
         file("none.csv"), QString()},
    };
    for (const Case &c : cases) {
        const Outcome outcome = tool(c.arguments);
        EXPECT_EQ(outcome.exit, ExitRunError) << c.what;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(outcome.err, c.message) << c.what;
        }
        EXPECT_TRUE(outcome.err.endsWith(QStringLiteral(".\n"))) << c.what << ": " << outcome.err.toStdString();
        EXPECT_FALSE(QFile::exists(c.output)) << c.what;
    }
}

TEST_F(ReportCommandRun, DoctorMustBeActive)
{
    struct Case {
        const char *what;
        const char *doctor;
        int exit;
        QString err;
    };
    const Case cases[] = {
        {"unknown code", "L99", ExitUsage, QStringLiteral("'L99' is not the code of an active doctor\n")},
        {"inactive doctor", "L02", ExitUsage, QStringLiteral("'L02' is not the code of an active doctor\n")},
        {"active doctor", "L01", ExitSuccess, QString()},
    };
    for (const Case &c : cases) {
        const Outcome outcome = tool({QStringLiteral("general-medicine"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
                                      QStringLiteral("--to"), QStringLiteral("2024-03-31"), QStringLiteral("--doctor"),
                                      QString::fromLatin1(c.doctor), QStringLiteral("--database"), source.path(),
                                      QStringLiteral("--output"), file("m.csv")});
        EXPECT_EQ(outcome.exit, c.exit) << c.what;
        EXPECT_EQ(outcome.err, c.err) << c.what;
        EXPECT_EQ(QFile::exists(file("m.csv")), c.exit == ExitSuccess) << c.what;
    }
}

// A run whose cancel flag is set stops with exit status 130 and writes no
// file.
TEST_F(ReportCommandRun, CancelledRunWritesNothing)
{
    std::atomic<bool> cancel{true};
    RunControl control;
    control.read.cancel = &cancel;
    bool readEnded = false;
    control.readEnded = [&] { readEnded = true; };
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int exit = runTool(visitRun(file("cancelled.pdf")), outStream, errStream, QDate(2024, 4, 2), control);
    errStream.flush();
    EXPECT_EQ(exit, ExitCancelled);
    EXPECT_EQ(err, QStringLiteral("The run was cancelled.\n"));
    EXPECT_TRUE(readEnded);
    EXPECT_FALSE(QFile::exists(file("cancelled.pdf")));
}

// Both outputs are checked before the run: a data check that would replace
// the database, or that names the report's own file through a link, is
// refused and nothing is written; else both are written.
TEST_F(ReportCommandRun, OutputsAreCheckedBeforeTheRun)
{
    const QString report = file("report.pdf");
    QStringList run = visitRun(report);
    ASSERT_TRUE(QFile::link(source.path(), file("database.json")));
    const Outcome database = tool(run + QStringList{QStringLiteral("--check"), file("database.json")});
    EXPECT_EQ(database.exit, ExitRunError);
    EXPECT_EQ(database.err, QStringLiteral("Cannot write \"%1\": it is the source database \"%2\", which is only "
                                           "read. Choose another file name.\n")
                                .arg(file("database.json"), source.path()));
    EXPECT_FALSE(QFile::exists(report));

    ASSERT_TRUE(QFile::link(report, file("own.json")));
    const Outcome own = tool(run + QStringList{QStringLiteral("--check"), file("own.json")});
    EXPECT_EQ(own.exit, ExitUsage);
    EXPECT_EQ(own.err, QStringLiteral("The data check and the report cannot go to the same file\n"));
    EXPECT_FALSE(QFile::exists(report));
    EXPECT_TRUE(QFileInfo(file("own.json")).isSymLink());

    const Outcome both = tool(run + QStringList{QStringLiteral("--check"), file("check.json")});
    ASSERT_EQ(both.exit, ExitSuccess) << both.err.toStdString();
    EXPECT_TRUE(readAll(report).startsWith("%PDF"));
    EXPECT_TRUE(readAll(file("check.json")).contains("\"selected\": 2"));
}

// What the database lacks is named: the database, the table or column, and
// what the program reads it for.
TEST_F(ReportCommandRun, MissingTablesAndColumnsAreNamed)
{
    struct Case {
        const char *change;
        QStringList arguments;
        const char *says;
    };
    const QStringList period{QStringLiteral("--from"), QStringLiteral("2024-01-01"), QStringLiteral("--to"),
                             QStringLiteral("2024-03-31"), QStringLiteral("--output"), file("out.csv")};
    const QStringList generalMedicine =
        QStringList{QStringLiteral("general-medicine"), QStringLiteral("--all-doctors")} + period;
    const Case cases[] = {
        {"drop table PREGLEDI1", generalMedicine,
         "has no table PREGLEDI1 (the visits), which the program reads for the report general-medicine. Check that "
         "it is the patient-administration program's database."},
        {"alter table PREGLEDI1 drop column S_DIJA2", generalMedicine,
         "The table PREGLEDI1 of the database \"%1\" has no column S_DIJA2, which the program reads for the report "
         "general-medicine."},
        {"drop table PZO", QStringList{QStringLiteral("visits-children")} + period,
         "has no table PZO (the institution's particulars), which the program reads for the report visits-children."},
        {"drop table Lekari",
         QStringList{QStringLiteral("children"), QStringLiteral("--doctor"), QStringLiteral("L01")} + period,
         "has no table Lekari (the doctors), which the program reads for the list of doctors."},
    };
    for (const Case &c : cases) {
        SourceDatabase lacking;
        lacking.addInstitution(QStringLiteral("PZU"));
        lacking.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrov"), QStringLiteral("Petar"), true);
        lacking.exec(QString::fromLatin1(c.change));
        const Outcome outcome = tool(c.arguments + QStringList{QStringLiteral("--database"), lacking.path()});
        EXPECT_EQ(outcome.exit, ExitRunError) << c.change;
        EXPECT_TRUE(outcome.err.contains(QString::fromLatin1(c.says).arg(lacking.path())))
            << c.change << ": " << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains(u'"' + lacking.path() + u'"')) << c.change;
    }
}

// A report that selects no visit (a wrong or stale database gives zeros as
// a quiet month does) says so, unless that is expected.
TEST_F(ReportCommandRun, AReportWithoutVisitsSaysSo)
{
    QStringList run = visitRun(file("empty.csv"));
    run[2] = QStringLiteral("2030-01-01");
    run[4] = QStringLiteral("2030-01-31");
    const Outcome empty = tool(run);
    EXPECT_EQ(empty.exit, ExitSuccess);
    EXPECT_EQ(empty.err, QStringLiteral("The report visits-general-medicine selects no visit from 2030-01-01 to "
                                        "2030-01-31. Check that the database is the right one and up to date.\n"));
    EXPECT_TRUE(QFile::exists(file("empty.csv")));
    EXPECT_EQ(tool(run + QStringList{QStringLiteral("--allow-empty")}).err, QString());
}

// 'check' tells a report saved without a data check from one whose check
// is damaged.
TEST_F(ReportCommandRun, CheckTellsAMissingCheckFromADamagedOne)
{
    ASSERT_EQ(tool(visitRun(file("saved.fp3"))).exit, ExitSuccess);
    const QByteArray saved = readAll(file("saved.fp3"));
    const qsizetype start = saved.indexOf("  \"check\": ");
    const qsizetype end = saved.indexOf('\n', start);
    ASSERT_GT(start, 0);
    auto variant = [&](const char *name, const QByteArray &line) {
        QFile out(file(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(saved.left(start) + line + saved.mid(end + 1));
        return file(name);
    };
    const QString none = variant("none.fp3", QByteArray());
    const QString wrongType = variant("number.fp3", "  \"check\": 5,\n");
    const QString incomplete = variant("incomplete.fp3", "  \"check\": {\"format\": \"tarel-data-check\"},\n");
    auto check = [&](const QString &path) { return tool({QStringLiteral("check"), path}); };
    EXPECT_EQ(check(none).err,
              QStringLiteral("\"%1\" holds no data check: it was saved before reports kept one.\n").arg(none));
    EXPECT_EQ(check(wrongType).err,
              QStringLiteral("Cannot read \"%1\": it is damaged: \"check\" is not an object.\n").arg(wrongType));
    // A part of the run's result that cannot be read refuses the whole file.
    EXPECT_TRUE(check(incomplete).err.startsWith(
        QStringLiteral("Cannot read \"%1\": its data check is damaged: ").arg(incomplete)));
    EXPECT_EQ(check(file("saved.fp3")).exit, ExitSuccess);
}
