// Printing from the preview through Qt's own print dialog to a CUPS queue of
// a print server the suite starts itself (cups-server): what the queue
// prints is read back. Skipped when CUPS is not installed.
#include "previewwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tarel::report;

namespace {

// The server's folder, or empty when the suite did not start one.
QString serverFolder()
{
    QFile file(qEnvironmentVariable("TAREL_CUPS_SERVER") + QStringLiteral("/server-dir"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).trimmed();
}

// Six landscape pages, each printing "PAGE n".
TfrxReport sixPages()
{
    TfrxReport report(QStringLiteral("frxProba"));
    report.title = QStringLiteral("IZVE[TAJ ZA PROBA");
    for (int i = 1; i <= 6; ++i) {
        TfrxReportPage page;
        page.name = QStringLiteral("Page%1").arg(i);
        page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 10;
        TfrxMemoView cell;
        cell.name = QStringLiteral("Memo%1").arg(i);
        cell.top = 100;
        cell.width = 300;
        cell.height = 40;
        cell.setText(QStringLiteral("PAGE %1").arg(i));
        page.cells.push_back(cell);
        report.pages.push_back(std::move(page));
    }
    return report;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

TEST(CupsPrinting, PagesTypedIntoTheRealDialogPrintOnceOnALandscapeJobNamedByTheTitle)
{
    const QString server = serverFolder();
    if (server.isEmpty())
        GTEST_SKIP() << "CUPS server not available";
    qputenv("CUPS_SERVER", (server + QStringLiteral("/cups.sock")).toLocal8Bit());
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains(QStringLiteral("TarelTest")));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    ASSERT_FALSE(pdftotext.isEmpty() || pdfinfo.isEmpty()) << "poppler-utils not installed";

    const TfrxReport templ = sixPages();
    PreparedReport prepared;
    PreviewWindow window(templ, prepared);
    PreviewDialogs dialogs = PreviewDialogs::standard();
    std::vector<QString> messages;
    dialogs.message = [&messages](QWidget *, MessageKind, const QString &text) { messages.push_back(text); };
    // The real dialog, answered as a user would: "Pages", then the text
    // typed, then OK; a message box the dialog answers with is read and
    // closed, and the dialog cancelled.
    QString typed;
    QString refused;
    dialogs.print = [&typed, &refused, standard = dialogs.print](QWidget *parent, QPrinter &printer, int current,
                                                                 int count) {
        QTimer::singleShot(100, [&typed, &refused] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QRadioButton *>(QStringLiteral("pagesRadioButton"))->setChecked(true);
            dialog->findChild<QLineEdit *>(QStringLiteral("pagesLineEdit"))->setText(typed);
            QTimer::singleShot(100, [&refused] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    refused = box->text();
                    box->accept();
                }
            });
            dialog->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        return standard(parent, printer, current, count);
    };
    window.setDialogs(dialogs);
    window.show();
    window.startPreparation();
    ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.model().preparing(); }, 5000));
    ASSERT_EQ(prepared.pages.size(), 6u);

    const QString output = server + QStringLiteral("/out/job.pdf");
    auto printAndRead = [&](const QString &pages) -> QString {
        QFile::remove(output);
        typed = pages;
        window.action(QStringLiteral("Print"))->trigger();
        // The queue is done when it holds no job that has not completed.
        const bool done = QTest::qWaitFor(
            [&] {
                return QFile::exists(output) && run(QStringLiteral("lpstat"), {QStringLiteral("-o")}).isEmpty();
            },
            30000);
        return done ? output : QString();
    };

    const QString printed = printAndRead(QStringLiteral("2,5"));
    ASSERT_FALSE(printed.isEmpty()) << "the queue printed nothing";
    const QString text = run(pdftotext, {printed, QStringLiteral("-")}).simplified();
    EXPECT_EQ(text, QStringLiteral("PAGE 2 PAGE 5")) << "each chosen page once, nothing else";
    const QString info = run(pdfinfo, {printed});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title: +ИЗВЕШТАЈ ЗА ПРОБА\n"))))
        << info.toStdString();

    // The job was marked landscape, as its pages are: the server keeps the
    // job's attributes in its control file (written once the job is done).
    const QDir spool(server + QStringLiteral("/spool"));
    const bool landscape = QTest::qWaitFor(
        [&spool] {
            QFile attributes(spool.filePath(QStringLiteral("c00001")));
            return attributes.open(QIODevice::ReadOnly) && attributes.readAll().contains("landscape");
        },
        10000);
    EXPECT_TRUE(landscape);

    // Open-ended and reversed ranges, as a user means them.
    struct Range {
        const char *typed;
        const char *printed;
    };
    for (const Range &range : {Range{"4-", "PAGE 4 PAGE 5 PAGE 6"}, Range{"-2", "PAGE 1 PAGE 2"},
                               Range{" 5 - 3 , 1", "PAGE 1 PAGE 3 PAGE 4 PAGE 5"}}) {
        const QString pages = printAndRead(QLatin1String(range.typed));
        ASSERT_FALSE(pages.isEmpty()) << range.typed << ": the queue printed nothing";
        EXPECT_EQ(run(pdftotext, {pages, QStringLiteral("-")}).simplified(), QString::fromLatin1(range.printed))
            << range.typed;
    }

    // A text that names no page is refused in the dialog; nothing prints.
    for (const char *nothing : {"abc", "0", "-", "3,x"}) {
        QFile::remove(output);
        refused.clear();
        typed = QLatin1String(nothing);
        window.action(QStringLiteral("Print"))->trigger();
        EXPECT_TRUE(refused.contains(QStringLiteral("names no page"))) << nothing << ": " << refused.toStdString();
        QTest::qWait(300);
        EXPECT_FALSE(QFile::exists(output)) << nothing;
    }

    // A page the report does not have is not printed; the user is told so.
    EXPECT_TRUE(messages.empty());
    QFile::remove(output);
    typed = QStringLiteral("7");
    window.action(QStringLiteral("Print"))->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("6 pages"))) << messages[0].toStdString();
    QTest::qWait(500);
    EXPECT_FALSE(QFile::exists(output));
}
