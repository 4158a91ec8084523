// The data check as the user meets it: the status line and the button of the
// preview, and the dialog with its figures, diagnoses and Save.

#include "runform.h"
#include "datacheckdialog.h"
#include "engine.h"
#include "generator.h"
#include "pageview.h"
#include "previewwindow.h"
#include "runcompanion.h"

#include <QFile>
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

} // namespace

TEST(DataCheckView, ThePreviewShowsTheSummaryAndOpensTheDetails)
{
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.sqlite"));
    demodb::DemoOptions options;
    options.visits = 3000;
    options.lastDay = QDate(2024, 6, 30);
    ASSERT_TRUE(demodb::writeDemoDatabase(path, options).ok());
    auto database = data::Database::open(data::sqliteFile(path));
    ASSERT_TRUE(database.ok());
    engine::Request request;
    request.report = engine::findReport(u"children");
    request.from = QDate(2024, 1, 1);
    request.to = QDate(2024, 6, 30);
    const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, request);
    ASSERT_TRUE(filled.ok());
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

TEST(DataCheckView, TheDialogListsTheFiguresAndTheDiagnosesAndSavesThem)
{
    QLocale::setDefault(QLocale::c());
    app::DataCheckDialog dialog(sampleCheck());
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
