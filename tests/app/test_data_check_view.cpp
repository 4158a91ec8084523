// The data check as the user meets it: the status line and the button of the
// preview, and the dialog with its figures, diagnoses and Save.

#include "runform.h"
#include "datacheckdialog.h"
#include "engine.h"
#include "export.h"
#include "generator.h"
#include "pageview.h"
#include "previewwindow.h"
#include "runcompanion.h"

#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarel;

namespace {

result::DataCheck sampleCheck()
{
    result::DataCheck check;
    check.report = QStringLiteral("general-medicine");
    check.from = QStringLiteral("2024-12-01");
    check.to = QStringLiteral("2026-11-30");
    check.area = QStringLiteral("both");
    check.selected = 781718;
    check.counted = 760102;
    check.noRow = 19918;
    check.outsideBands = 1698;
    check.noRowDiagnoses = {{QStringLiteral("S45"), QString(), 12}, {QStringLiteral("M95"), QStringLiteral("1"), 30}};
    check.countedTwice = 5021;
    return check;
}

// A report run over a demo database of 3,000 visits up to 30 June 2024.
Result<report::TfrxReport> runOnDemoData(QStringView name, QDate from, QDate to)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.sqlite"));
    demodb::DemoOptions options;
    options.visits = 3000;
    options.lastDay = QDate(2024, 6, 30);
    if (Result<demodb::DemoStats> written = demodb::writeDemoDatabase(path, options); !written)
        return written.error();
    auto database = data::Database::open(data::sqliteFile(path));
    if (!database)
        return database.error();
    engine::Request request;
    request.report = engine::findReport(name);
    request.from = from;
    request.to = to;
    return tarel::testing::runForm(**database, request);
}

} // namespace

TEST(DataCheckView, ThePreviewShowsTheSummaryAndOpensTheDetails)
{
    QLocale::setDefault(QLocale::c());
    const Result<report::TfrxReport> filled = runOnDemoData(u"children", QDate(2024, 1, 1), QDate(2024, 6, 30));
    ASSERT_TRUE(filled.ok()) << filled.message().toStdString();
    const result::DataCheck check = *filled->result->check;

    report::PreparedReport prepared;
    app::RunCompanion companion;
    report::PreviewWindow window(*filled, prepared);
    window.setCompanion(&companion);
    window.startPreparation();
    window.show();
    QTRY_VERIFY(!window.model().preparing() && window.model().pageCount() == 10);
    EXPECT_EQ(window.summaryStatus(), QStringLiteral("%1 visits selected, %2 counted, %3 not counted")
                                          .arg(check.selected)
                                          .arg(check.counted)
                                          .arg(check.notCounted()));
    ASSERT_TRUE(window.detailsButton()->isVisible());
    EXPECT_EQ(window.detailsButton()->text(), QStringLiteral("Data check..."));
    // The save and export dialogs propose the report and its period.
    EXPECT_EQ(companion.fileName(prepared), QStringLiteral("Children, 2024-01-01 to 2024-06-30"));

    // The dialog opens on the button; closing it returns to the preview.
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qApp->findChild<app::DataCheckDialog *>();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *candidate = qobject_cast<app::DataCheckDialog *>(top))
                dialog = candidate;
        opened = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    window.detailsButton()->click();
    EXPECT_TRUE(opened);

    // A report without a data check (an old file) has neither.
    report::PreparedReport plain = prepared;
    plain.result = {};
    EXPECT_TRUE(companion.summary(plain).isEmpty());
    EXPECT_FALSE(companion.hasDetails(plain));
}

// "Datum od" later than "Datum do": the run keeps the period as asked and
// counts nothing; the status bar says why.
TEST(DataCheckView, AReversedPeriodIsSaidToBeEmpty)
{
    QLocale::setDefault(QLocale::c());
    const Result<report::TfrxReport> filled =
        runOnDemoData(u"visits-children", QDate(2024, 6, 30), QDate(2024, 1, 1));
    ASSERT_TRUE(filled.ok()) << filled.message().toStdString();
    EXPECT_EQ(filled->result->check->selected, 0);

    report::PreparedReport prepared;
    app::RunCompanion companion;
    report::PreviewWindow window(*filled, prepared);
    window.setCompanion(&companion);
    window.startPreparation();
    QTRY_VERIFY(!window.model().preparing());
    EXPECT_EQ(window.summaryStatus(),
              QStringLiteral("No visits: the period is empty, because \"\u0414\u0430\u0442\u0443\u043C "
                             "\u043E\u0434\" (30.06.2024) is later than \"\u0414\u0430\u0442\u0443\u043C "
                             "\u0434\u043E\" (01.01.2024)"));
}

// A printed form with its run's result, as the preview holds it.
report::PreparedReport printedForm(const char *name)
{
    return report::prepare(runOnDemoData(QString::fromLatin1(name), QDate(2024, 1, 1), QDate(2024, 1, 31)).value());
}

QStringList column(const QTableWidget *table, int index)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << table->item(row, index)->text();
    return texts;
}

// The words a statistician reads: the report by its form's title, rows by
// the numbers and code texts the form prints, and no figure that cannot
// apply to a visit report.
TEST(DataCheckView, TheDialogSpeaksInTheFormsWords)
{
    QLocale::setDefault(QLocale::c());
    result::DataCheck check = sampleCheck();
    check.noRowDiagnoses = {{QStringLiteral("Z31"), QString(), 7}, {QStringLiteral("K59"), QStringLiteral("5"), 3}};
    const report::PreparedReport form = printedForm("general-medicine");
    app::DataCheckDialog dialog(check, form);
    const QString heading = dialog.findChild<QLabel *>(QStringLiteral("heading"))->text();
    EXPECT_TRUE(heading.startsWith(report::documentTitle(form) + QStringLiteral(", 01.12.2024 to 30.11.2026.")))
        << heading.toStdString();
    EXPECT_FALSE(heading.contains(QStringLiteral("general-medicine")));
    // The catalogue's row 308 prints as 300; "(bez K59.3)" is in MAC C.
    EXPECT_EQ(column(dialog.diagnoses(), 3),
              QStringList({QStringLiteral("row 300 (Z31-Z39,Z55-Z57, Z59-Z65,Z70-Z71, Z73-Z99)"),
                           QStringLiteral("row 195 (K59.3); row 196 (K52-K55,K58-K67 "
                                          "(\u0431\u0435\u0437 \u041A59.3))")}));
    EXPECT_TRUE(column(dialog.figures(), 0).contains(QStringLiteral("Counted in two rows")));

    result::DataCheck visits = check;
    visits.report = QStringLiteral("visits-general-medicine");
    visits.noRow = visits.countedTwice = 0;
    visits.noRowDiagnoses.clear();
    app::DataCheckDialog visitDialog(visits, printedForm("visits-general-medicine"));
    const QStringList names = column(visitDialog.figures(), 0);
    EXPECT_EQ(names.size(), 8);
    EXPECT_FALSE(names.contains(QStringLiteral("Diagnosis in no row")));
    EXPECT_FALSE(names.contains(QStringLiteral("Counted in two rows")));
    EXPECT_TRUE(names.contains(QStringLiteral("Age in no band")));
}

TEST(DataCheckView, TheDialogListsTheFiguresAndTheDiagnosesAndSavesThem)
{
    QLocale::setDefault(QLocale::c());
    app::DataCheckDialog dialog(sampleCheck(), printedForm("general-medicine"));
    EXPECT_EQ(dialog.figures()->rowCount(), 10);
    EXPECT_EQ(dialog.figures()->item(0, 1)->text(), QLocale::c().toString(781718));

    // Sorted by visits on a click.
    QTableWidget *diagnoses = dialog.diagnoses();
    ASSERT_EQ(diagnoses->rowCount(), 2);
    diagnoses->sortItems(2, Qt::DescendingOrder);
    EXPECT_EQ(diagnoses->item(0, 0)->text(), QStringLiteral("M95"));
    diagnoses->sortItems(2, Qt::AscendingOrder);
    EXPECT_EQ(diagnoses->item(0, 0)->text(), QStringLiteral("S45"));

    QTemporaryDir dir;
    for (const char *name : {"check.json", "check.csv"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(dialog.save(path).ok());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray(name).endsWith(".csv") ? result::dataCheckCsv(sampleCheck())
                                                                    : sampleCheck().toJsonText());
    }
}
