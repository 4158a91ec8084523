// The visits behind a number as the user meets them: a double-click on a
// count cell of the preview opens the list, titled in words, sortable, copied
// and saved; a report opened from a file runs its recorded request and says
// when the database now gives another number.

#include "runform.h"
#include "cellvisits.h"
#include "engine.h"
#include "generalmedicine.h"
#include "pageview.h"
#include "preparedfile.h"
#include "previewmodel.h"
#include "previewwindow.h"
#include "runcompanion.h"
#include "sourcedatabase.h"
#include "visitlistwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarel;
using tarel::testing::SourceDatabase;

namespace {

engine::Request requestFor(const char *report)
{
    engine::Request request;
    request.report = engine::findReport(QLatin1String(report));
    request.from = QDate(2024, 1, 1);
    request.to = QDate(2024, 6, 30);
    return request;
}

app::VisitListWindow *shownList()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<app::VisitListWindow *>(top); window && window->isVisible())
            return window;
    return nullptr;
}

// The list window once its run in the background has ended and opened it.
app::VisitListWindow *openList()
{
    QTest::qWaitFor([] { return shownList() != nullptr; }, 30000);
    return shownList();
}

// Three men aged 44 with typhoid fever, one of them with Hodgkin's disease
// too, and a woman of 30 seen at home: her visit counts nowhere in the
// morbidity report.
void addVisits(SourceDatabase &source)
{
    source.addInstitution(QStringLiteral("PZU"));
    int redBr = 0;
    auto visit = [&](const char *mb, const char *surname, const char *category, const char *kind) {
        source.insert(QStringLiteral("PREGLEDI1"),
                      {{"RED_BR", ++redBr}, {"DATA", QStringLiteral("2024-02-0%1").arg(redBr)},
                       {"MB", QString::fromLatin1(mb)}, {"PRE", QString::fromLatin1(surname)},
                       {"IME", QStringLiteral("Ana")}, {"S_DIJA", QString::fromLatin1(category)},
                       {"LEKAR_S", QStringLiteral("L01")}, {"VidNaUsluga", QString::fromLatin1(kind)}});
    };
    for (const auto &[mb, birth] : {std::pair{"0101980450012", "1980-01-01"}, std::pair{"0202980450023", "1980-02-02"},
                                    std::pair{"0303994455005", "1994-03-03"}})
        source.insert(QStringLiteral("osigurenici"), {{"MB", QString::fromLatin1(mb)}, {"DAT_R", QString::fromLatin1(birth)},
                                                      {"MESTO_S", 400017}, {"OSNOV", QStringLiteral("2")}});
    visit("0101980450012", "\\or|ievski", "A01", "1");
    visit("0202980450023", "Zdravkovski", "A01", "1");
    visit("0202980450023", "Zdravkovski", "C81", "2");
    visit("0303994455005", "Petrovska", "A01", "5");
}

} // namespace

// The whole path from the preview: a double-click on a row's count cell
// opens the list of its visits, titled in words; a label does nothing.
TEST(VisitListWindow, ADoubleClickOnACountCellListsItsVisits)
{
    QLocale::setDefault(QLocale::c());
    SourceDatabase source;
    addVisits(source);
    auto database = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(database.ok());
    const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, requestFor("general-medicine"));
    ASSERT_TRUE(filled.ok());

    report::PreparedReport prepared;
    app::RunCompanion companion(database->get());
    report::PreviewWindow preview(*filled, prepared);
    preview.setCompanion(&companion);
    preview.startPreparation();
    preview.resize(1200, 900);
    preview.show();
    QTRY_VERIFY(!preview.model().preparing() && preview.model().pageCount() > 0);

    // Row 1 (typhoid fever), men aged 45-54 as the form heads the band of 44-year-olds.
    // Memo 19 * 1 + 51 + 8.
    const QString cellName = QStringLiteral("Memo78");
    std::optional<report::CellPosition> position;
    for (int page = 0; page < int(prepared.pages.size()) && !position; ++page)
        for (int i = 0; i < int(prepared.pages[std::size_t(page)].cells.size()); ++i)
            if (prepared.pages[std::size_t(page)].cells[std::size_t(i)].name.compare(cellName, Qt::CaseInsensitive) == 0)
                position = report::CellPosition{page, i};
    ASSERT_TRUE(position.has_value());
    report::PageView *view = preview.pageView();
    view->setHighlight(*position);
    QPoint point(-1, -1);
    for (int y = 0; y < view->viewport()->height() && point.x() < 0; y += 3)
        for (int x = 0; x < view->viewport()->width(); x += 3)
            if (view->cellAt(QPoint(x, y)) == position) {
                point = QPoint(x + 1, y + 1);
                break;
            }
    ASSERT_GE(point.x(), 0);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);

    app::VisitListWindow *list = openList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowTitle(),
              QStringLiteral("Row 1, \u0422\u0438\u0444\u0443\u0441\u043D\u0438 \u0438 \u043F\u0430\u0440\u0430"
                             "\u0442\u0438\u0444\u0443\u0441\u043D\u0438 \u0433\u0440\u043E\u0437\u043D\u0438\u0446"
                             "\u0438, 45-54 \u0433., men: 2 visits"));
    EXPECT_EQ(list->model().rowCount(), 2);
    EXPECT_TRUE(list->note().isEmpty());
    // Surnames as the patient-administration program shows them.
    EXPECT_EQ(list->model().index(0, int(engine::VisitText::Surname)).data().toString(),
              QStringLiteral("\u0403\u043E\u0440\u0453\u0438\u0435\u0432\u0441\u043A\u0438"));
    list->close();

    // A label holds no count: no list, and the context menu's command is off.
    report::OutputCell label = prepared.pages[0].cells[0];
    label.name = QStringLiteral("pzu");
    EXPECT_FALSE(companion.explains(prepared, label));
}

// The title names subtotals, totals, rows with a Latin piece in their label
// and visit-report columns as the form prints them.
TEST(VisitListWindow, TitlesSayWhatTheCellIs)
{
    QLocale::setDefault(QLocale::c());
    SourceDatabase source;
    addVisits(source);
    auto database = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(database.ok());
    auto titleOf = [&](const char *report, const QString &cell) {
        const engine::Request request = requestFor(report);
        const Result<engine::CellListing> listing = engine::listCellVisits(**database, request, cell);
        EXPECT_TRUE(listing.ok()) << listing.message().toStdString();
        return listing ? app::cellTitle(*listing) : QString();
    };
    // Row 87, men of all ages: Memo 19 * 87 + 51.
    EXPECT_EQ(titleOf("general-medicine", QStringLiteral("Memo1704")),
              QStringLiteral("Row 87, Hodkin-\u043E\u0432\u0430 \u0431\u043E\u043B\u0435\u0441\u0442, all ages, men: "
                             "1 visit"));
    EXPECT_EQ(titleOf("general-medicine", QStringLiteral("S14")), QStringLiteral("Chapter I (A00 - B99), all ages, men: 2 visits"));
    EXPECT_EQ(titleOf("general-medicine", QStringLiteral("v5")), QStringLiteral("Total, all ages, women: 0 visits"));
    EXPECT_EQ(titleOf("visits-general-medicine", QStringLiteral("Memo36")),
              QStringLiteral("Column 14 (\u041E\u0441\u0442\u0430\u043D\u0430\u0442\u0438), urban: 4 visits"));
    EXPECT_EQ(titleOf("visits-children", QStringLiteral("vkupno_selo")),
              QStringLiteral("Column 2 (\u0412\u041A\u0423\u041F\u041D\u041E), rural: 0 visits"));
}

// A report saved and opened again runs its recorded request on its own
// database; a visit added since shows as a note. The list sorts, copies and
// saves.
TEST(VisitListWindow, AReopenedReportListsWhatTheDatabaseNowGives)
{
    QLocale::setDefault(QLocale::c());
    SourceDatabase source;
    addVisits(source);
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("report.fp3"));
    {
        auto database = data::Database::open(data::sqliteFile(source.path()));
        ASSERT_TRUE(database.ok());
        const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, requestFor("visits-general-medicine"));
        ASSERT_TRUE(filled.ok());
        ASSERT_TRUE(report::savePrepared(report::prepare(*filled), saved).ok());
    }
    source.insert(QStringLiteral("PREGLEDI1"), {{"RED_BR", 10}, {"DATA", QStringLiteral("2024-01-15")},
                                                {"MB", QStringLiteral("0101980450012")}, {"PRE", QStringLiteral("Zdravkovski")},
                                                {"VidNaUsluga", QStringLiteral("1")}});

    const Result<report::PreparedReport> reopened = report::loadPrepared(saved);
    ASSERT_TRUE(reopened.ok());
    const report::OutputCell *cell = nullptr;
    for (const report::OutputCell &candidate : reopened->pages[0].cells)
        if (candidate.name == u"Memo36")
            cell = &candidate;
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(cell->text, QStringLiteral("4"));
    app::RunCompanion companion; // not the program's database: the report's own file is opened
    ASSERT_TRUE(companion.explains(*reopened, *cell));
    companion.explain(nullptr, *reopened, *cell);
    app::VisitListWindow *list = openList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->note(), QStringLiteral("The database now gives 5 visits for this cell; the report shows 4."));
    EXPECT_EQ(list->model().rowCount(), 5);
    EXPECT_EQ(list->model().columnCount(), engine::kVisitTextCount);

    // In the list's order (by visit date) until a column is sorted.
    const int surname = int(engine::VisitText::Surname);
    auto column = [&](int index) {
        QStringList texts;
        for (int row = 0; row < list->model().rowCount(); ++row)
            texts << list->model().index(row, index).data().toString();
        return texts;
    };
    EXPECT_EQ(column(int(engine::VisitText::RowNumber)), QStringList({"10", "1", "2", "3", "4"}));
    list->table()->sortByColumn(int(engine::VisitText::RowNumber), Qt::DescendingOrder);
    EXPECT_EQ(column(int(engine::VisitText::RowNumber)), QStringList({"10", "4", "3", "2", "1"}));
    list->table()->sortByColumn(surname, Qt::AscendingOrder);
    const QStringList bySurname = column(surname);
    EXPECT_TRUE(std::is_sorted(bySurname.begin(), bySurname.end()));
    // Equal surnames keep the list's order.
    EXPECT_EQ(column(int(engine::VisitText::RowNumber)), QStringList({"1", "10", "2", "3", "4"}));

    list->table()->selectRow(0);
    const QStringList copied = list->copyText().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), 2);
    EXPECT_TRUE(copied[0].startsWith(QStringLiteral("No.\tDate\tCitizen no.\tSurname\t")));
    EXPECT_TRUE(copied[1].startsWith(QStringLiteral("1\t2024-02-01\t0101980450012\t")));
    list->findChild<QPushButton *>(QStringLiteral("copy"))->click();
    EXPECT_EQ(QApplication::clipboard()->text(), list->copyText());
    list->table()->clearSelection();
    EXPECT_EQ(list->copyText().count(u'\n'), 6);

    // Saved as the window shows it: its headings, its rows in the order
    // shown (here by surname), names in Cyrillic; UTF-8 with a byte order mark.
    const QString csv = dir.filePath(QStringLiteral("visits.csv"));
    ASSERT_TRUE(list->save(csv).ok());
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7); // the headings, five visits, the end
    EXPECT_EQ(lines[0], QStringLiteral("No.,Date,Citizen no.,Surname,Name,Born,Category,Sub.,Doctor,Settlement,Service"));
    EXPECT_EQ(lines[1], QStringLiteral("1,2024-02-01,0101980450012,\u0403\u043E\u0440\u0453\u0438\u0435\u0432\u0441"
                                       "\u043A\u0438,\u0410\u043D\u0430,1980-01-01,A01,,L01,400017,1"));
    EXPECT_EQ(lines[2], QStringLiteral("10,2024-01-15,0101980450012,\u0417\u0434\u0440\u0430\u0432\u043A\u043E"
                                       "\u0432\u0441\u043A\u0438,,1980-01-01,,,,400017,1"));
    list->close();
}

// Texts sort in Macedonian alphabetical order (Ѓ after Д, Ј after И, Џ
// after Ч), whatever the program's language; "Save as CSV" proposes a name
// in words.
TEST(VisitListWindow, SortsNamesAlphabeticallyAndProposesANameInWords)
{
    QLocale::setDefault(QLocale::c());
    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU"));
    source.insert(QStringLiteral("osigurenici"), {{"MB", QStringLiteral("0101980450012")},
                                                  {"DAT_R", QStringLiteral("1980-01-01")}, {"MESTO_S", 400017}});
    // Stored in the MAC C letters: Шаренков, Џафери, Чаловски, Јовановски,
    // Ѓорѓиевски, Димов, Апостолов.
    int redBr = 0;
    for (const char *surname : {"[arenkov", "Xaferi", "^alovski", "Jovanovski", "\\or|ievski", "Dimov", "Apostolov"})
        source.insert(QStringLiteral("PREGLEDI1"),
                      {{"RED_BR", ++redBr}, {"DATA", QStringLiteral("2024-02-01")}, {"MB", QStringLiteral("0101980450012")},
                       {"PRE", QString::fromLatin1(surname)}, {"S_DIJA", QStringLiteral("A01")},
                       {"LEKAR_S", QStringLiteral("L01")}, {"VidNaUsluga", QStringLiteral("1")}});
    auto database = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(database.ok());
    const engine::Request request = requestFor("general-medicine");
    // Row 1, men of 45 to 54: Memo 19 * 1 + 51 + 8.
    Result<engine::CellListing> listing = engine::listCellVisits(**database, request, QStringLiteral("Memo78"));
    ASSERT_TRUE(listing.ok()) << listing.message().toStdString();
    EXPECT_EQ(app::visitListFileName(*listing), QStringLiteral("General medicine, Row 1, 45-54 \u0433., men.csv"));

    const QString title = app::cellTitle(*listing);
    app::VisitListWindow list(std::move(*listing), title, QString(), std::nullopt);
    list.table()->sortByColumn(int(engine::VisitText::Surname), Qt::AscendingOrder);
    QStringList surnames;
    for (int row = 0; row < list.model().rowCount(); ++row)
        surnames << list.model().index(row, int(engine::VisitText::Surname)).data().toString();
    EXPECT_EQ(surnames, QStringList({QStringLiteral("\u0410\u043F\u043E\u0441\u0442\u043E\u043B\u043E\u0432"),
                                     QStringLiteral("\u0414\u0438\u043C\u043E\u0432"),
                                     QStringLiteral("\u0403\u043E\u0440\u0453\u0438\u0435\u0432\u0441\u043A\u0438"),
                                     QStringLiteral("\u0408\u043E\u0432\u0430\u043D\u043E\u0432\u0441\u043A\u0438"),
                                     QStringLiteral("\u0427\u0430\u043B\u043E\u0432\u0441\u043A\u0438"),
                                     QStringLiteral("\u040F\u0430\u0444\u0435\u0440\u0438"),
                                     QStringLiteral("\u0428\u0430\u0440\u0435\u043D\u043A\u043E\u0432")}));

    // A column of a visit report, and the characters a file name cannot hold.
    const engine::Request visits = requestFor("visits-general-medicine");
    const Result<engine::CellListing> column = engine::listCellVisits(**database, visits, QStringLiteral("Memo36"));
    ASSERT_TRUE(column.ok()) << column.message().toStdString();
    EXPECT_EQ(app::visitListFileName(*column),
              QStringLiteral("Visits, general medicine, Column 14, urban.csv"));
    EXPECT_EQ(report::fileNameOfWords(QStringLiteral("a/b\\c: d?")), QStringLiteral("a-b-c- d-"));
}
