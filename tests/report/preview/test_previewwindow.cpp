// The preview window driven as a user would: prepared pages, navigation,
// zoom, find, files, printing, page edits and closing.
#include "pageview.h"
#include "outputfile.h"
#include "preparedfile.h"
#include "previewwindow.h"
#include "reportfixtures.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace tarel::report;

namespace {

TfrxMemoView cell(const QString &name, double left, double top, const QString &text,
                  std::optional<Font> font = std::nullopt)
{
    TfrxMemoView memo;
    memo.name = name;
    memo.left = left;
    memo.top = top;
    memo.width = 150;
    memo.height = 24;
    memo.frame = FrameAll;
    memo.font = std::move(font);
    memo.setText(text);
    return memo;
}

// Three pages: a title in MAC C Swiss on the first, "[Test]" in Arial on the
// second and "[test] 2" on the third.
TfrxReport smallTemplate()
{
    TfrxReport report(QStringLiteral("frxProba"));
    for (int i = 0; i < 3; ++i) {
        TfrxReportPage page;
        page.name = QStringLiteral("Page%1").arg(i + 1);
        page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 10;
        page.cells.push_back(cell(QStringLiteral("Memo%1").arg(10 * i + 1), 0, 100, QString::number(i + 1)));
        page.cells.push_back(cell(QStringLiteral("Memo%1").arg(10 * i + 2), 150, 100, QStringLiteral("-")));
        report.pages.push_back(std::move(page));
    }
    TfrxReportTitle title;
    title.width = report.pages[0].printableWidth();
    title.height = 60;
    title.cells.push_back(cell(QStringLiteral("Naslov"), 300, 10, QStringLiteral("IZVE[TAJ"),
                               Font{QStringLiteral("MAC C Swiss"), 16, true}));
    report.pages[0].title = title;
    report.pages[1].cells.push_back(cell(QStringLiteral("lekar"), 400, 300, QStringLiteral("[Test]"),
                                         Font{QStringLiteral("Arial"), 13, false}));
    report.pages[2].cells.push_back(cell(QStringLiteral("pzu"), 400, 500, QStringLiteral("[test] 2")));
    report.result = tarel::report::testing::smallResult();
    return report;
}

struct Message {
    MessageKind kind;
    QString text;
};

class PreviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override { templ = smallTemplate(); }

    // Dialogs answered by the test; messages are collected.
    PreviewDialogs fakeDialogs()
    {
        PreviewDialogs dialogs;
        dialogs.printersInstalled = [this] { return printers; };
        dialogs.openFileName = [this](QWidget *, const QString &filter) {
            filters << filter;
            return openPath;
        };
        dialogs.saveFileName = [this](QWidget *, const QString &caption, const QString &filter,
                                      const QString &proposed) {
            filters << filter;
            saveDialogs.push_back({caption, proposed});
            return savePath;
        };
        dialogs.message = [this](QWidget *, MessageKind kind, const QString &text) {
            messages.push_back({kind, text});
        };
        dialogs.find = [this](QWidget *, const FindRequest &) {
            ++findDialogs;
            return findAnswer;
        };
        dialogs.pageSettings = [this](QWidget *, const PageSettings &) { return pageAnswer; };
        dialogs.print = [this](QWidget *, QPrinter &printer, int, int) {
            ++printDialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
            printer.setPrintRange(QPrinter::CurrentPage);
            return true;
        };
        return dialogs;
    }

    // A window with its pages prepared, as show report leaves it.
    PreviewWindow &openWindow()
    {
        window = std::make_unique<PreviewWindow>(templ, prepared);
        window->setDialogs(fakeDialogs());
        window->show();
        window->startPreparation();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !window->model().preparing(); }, 5000));
        return *window;
    }

    void trigger(const QString &caption)
    {
        QAction *action = window->action(caption);
        ASSERT_NE(action, nullptr) << caption.toStdString();
        action->trigger();
    }

    TfrxReport templ;
    PreparedReport prepared;
    std::unique_ptr<PreviewWindow> window;
    QTemporaryDir dir;
    bool printers = true;
    QString openPath, savePath;
    QStringList filters;
    std::vector<Message> messages;
    std::optional<FindRequest> findAnswer;
    std::optional<PageSettingsChoice> pageAnswer;
    int printDialogs = 0;
    int findDialogs = 0;
    std::vector<std::pair<QString, QString>> saveDialogs; // caption and proposed name
};

// Waits for the modal widget of the given type, hands it to `act`, and
// reports whether one came.
template <typename Widget>
void whenModal(std::function<void(Widget *)> act, bool *seen = nullptr)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act, seen] {
        if (auto *widget = qobject_cast<Widget *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            if (seen)
                *seen = true;
            act(widget);
        }
    });
    poll->start();
}

} // namespace

TEST_F(PreviewWindowTest, ShowReportPreparesEveryTemplatePageOnEachShow)
{
    for (int show = 1; show <= 2; ++show) {
        int pagesSeen = -1;
        QString status;
        bool seen = false;
        whenModal<PreviewWindow>(
            [&](PreviewWindow *shown) {
                EXPECT_TRUE(QTest::qWaitFor([shown] { return !shown->model().preparing(); }, 5000));
                pagesSeen = shown->model().pageCount();
                status = shown->pageStatus();
                shown->action(QStringLiteral("Close"))->trigger();
            },
            &seen);
        showReport(templ, prepared);
        EXPECT_TRUE(seen) << "show " << show;
        EXPECT_EQ(pagesSeen, 3) << "show " << show;
        EXPECT_EQ(prepared.pages.size(), 3u) << "show " << show << ": the earlier pages are discarded";
        EXPECT_EQ(status, QStringLiteral("Page 1 of 3"));
    }
    EXPECT_EQ(prepared, prepare(templ)) << "the prepared pages stay with the caller";
    EXPECT_EQ(templ.findCell(u"lekar")->text(), QStringLiteral("[Test]")) << "the template keeps its texts";
}

TEST_F(PreviewWindowTest, OpensAsTheTemplateAsks)
{
    PreviewWindow &w = openWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Preview"));
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(w.isModal());
    EXPECT_EQ(w.font().pixelSize(), 11);
    EXPECT_EQ(w.zoomBox()->currentText(), QStringLiteral("100%"));
    EXPECT_DOUBLE_EQ(w.model().zoom(), 1);
    EXPECT_TRUE(w.action(QStringLiteral("Drag"))->isChecked());
    EXPECT_FALSE(w.action(QStringLiteral("Zoom"))->isChecked());
    EXPECT_FALSE(w.findChild<QTreeWidget *>(QStringLiteral("outline"))->isVisible());

    // The toolbar, in order, with its hints.
    const QStringList captions = {"Print", "Open", "Save", "Export", "Find", "Whole Page", "Page Width",
                                  "100%", "Two Pages", "zoomBox", "Margins", "Outline", "Drag", "Zoom",
                                  "Add Page", "Delete", "Edit", "First", "Prior", "pageNumberBox", "Next",
                                  "Last", "Close"};
    QStringList shown;
    QStringList hints;
    auto *toolBar = w.findChild<QToolBar *>(QStringLiteral("toolBar"));
    for (QAction *action : toolBar->actions()) {
        if (action->isSeparator())
            continue;
        QWidget *widget = toolBar->widgetForAction(action);
        shown << widget->objectName();
        hints << widget->toolTip().section(QStringLiteral(" ("), 0, 0); // without the key named
        EXPECT_TRUE(action->isVisible()) << widget->objectName().toStdString();
    }
    EXPECT_EQ(shown, captions);
    EXPECT_EQ(hints.mid(12, 2), QStringList({"Drag Tool", "Zoom Tool"}));
    EXPECT_EQ(hints.mid(15, 8), QStringList({"Delete Page", "Edit Page", "First Page", "Prior Page",
                                             "Page Number", "Next Page", "Last Page", "Close"}));
    EXPECT_EQ(hints[9], QStringLiteral("Zoom"));

    QStringList exportEntries;
    for (QAction *entry : w.action(QStringLiteral("Export"))->menu()->actions())
        exportEntries << entry->text();
    EXPECT_EQ(exportEntries, QStringList({"PDF file...", "CSV file...", "Excel workbook..."}));
}

TEST_F(PreviewWindowTest, NavigationAndStatusText)
{
    PreviewWindow &w = openWindow();
    struct Step {
        const char *what;
        std::function<void()> act;
        const char *status;
    };
    auto typePage = [&](const char *number) {
        return [&w, number] {
            w.pageNumberBox()->setFocus();
            w.pageNumberBox()->setText(QLatin1String(number));
            QTest::keyClick(w.pageNumberBox(), Qt::Key_Return);
        };
    };
    const Step steps[] = {
        {"Next", [&] { trigger(QStringLiteral("Next")); }, "Page 2 of 3"},
        {"Next", [&] { trigger(QStringLiteral("Next")); }, "Page 3 of 3"},
        {"Next on the last page", [&] { trigger(QStringLiteral("Next")); }, "Page 3 of 3"},
        {"Prior", [&] { trigger(QStringLiteral("Prior")); }, "Page 2 of 3"},
        {"First", [&] { trigger(QStringLiteral("First")); }, "Page 1 of 3"},
        {"Prior on the first page", [&] { trigger(QStringLiteral("Prior")); }, "Page 1 of 3"},
        {"Last", [&] { trigger(QStringLiteral("Last")); }, "Page 3 of 3"},
        {"page box 2 and Enter", typePage("2"), "Page 2 of 3"},
        {"page box beyond the end", typePage("9"), "Page 3 of 3"},
        {"page box 0", typePage("0"), "Page 1 of 3"},
    };
    for (const Step &step : steps) {
        step.act();
        EXPECT_EQ(w.pageStatus(), QLatin1String(step.status)) << step.what;
        EXPECT_EQ(w.pageNumberBox()->text(), QString(QLatin1Char(step.status[5]))) << step.what;
    }

    // Scrolling moves the current page along.
    w.goToPage(0);
    QScrollBar *bar = w.pageView()->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 3 of 3"));
    bar->setValue(0);
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 1 of 3"));
}

TEST_F(PreviewWindowTest, KeyboardOfThePagesAndTheButtons)
{
    PreviewWindow &w = openWindow();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget *pages = w.pageView();
    ASSERT_TRUE(pages->hasFocus());
    struct Step {
        const char *what;
        QKeyCombination key;
        int page; // from 0
    };
    const Step steps[] = {
        {"End", Qt::Key_End, 2},
        {"Home", Qt::Key_Home, 0},
        {"PageDown", Qt::Key_PageDown, 1},
        {"PageDown", Qt::Key_PageDown, 2},
        {"PageDown on the last page", Qt::Key_PageDown, 2},
        {"PageUp", Qt::Key_PageUp, 1},
        {"Ctrl+Home", Qt::CTRL | Qt::Key_Home, 0},
        {"Ctrl+End", Qt::CTRL | Qt::Key_End, 2},
    };
    for (const Step &step : steps) {
        QTest::keyClick(pages, step.key.key(), step.key.keyboardModifiers());
        EXPECT_EQ(w.model().currentPage(), step.page) << step.what;
    }
    // In the page number box Home and End move the cursor, not the pages.
    w.pageNumberBox()->setFocus();
    w.pageNumberBox()->setText(QStringLiteral("12"));
    QTest::keyClick(w.pageNumberBox(), Qt::Key_Home);
    EXPECT_EQ(w.pageNumberBox()->cursorPosition(), 0);
    EXPECT_EQ(w.model().currentPage(), 2);
    pages->setFocus();

    // The platform's standard keys press the buttons, and their tips name them.
    struct Standard {
        const char *caption;
        QKeySequence::StandardKey key;
    };
    const Standard standards[] = {{"Print", QKeySequence::Print}, {"Open", QKeySequence::Open},
                                  {"Save", QKeySequence::Save},   {"Find", QKeySequence::Find},
                                  {"Close", QKeySequence::Close}};
    for (const Standard &standard : standards) {
        const QList<QKeySequence> bound = QKeySequence::keyBindings(standard.key);
        ASSERT_FALSE(bound.isEmpty()) << standard.caption;
        EXPECT_EQ(w.action(QLatin1String(standard.caption))->toolTip(),
                  QStringLiteral("%1 (%2)").arg(QLatin1String(standard.caption), bound[0].toString(QKeySequence::NativeText)));
    }
    QTest::keySequence(&w, QKeySequence::Print);
    EXPECT_EQ(printDialogs, 1);
    QTest::keySequence(&w, QKeySequence::Open);
    QTest::keySequence(&w, QKeySequence::Save);
    EXPECT_EQ(filters.size(), 2) << "the open and the save dialog";
    QTest::keySequence(&w, QKeySequence::Find);
    EXPECT_EQ(findDialogs, 1);
    EXPECT_TRUE(w.action(QStringLiteral("Last"))->toolTip().contains(QKeySequence(Qt::Key_End).toString(QKeySequence::NativeText)));
    QTest::keySequence(&w, QKeySequence::Close);
    EXPECT_FALSE(w.isVisible());
}

// A companion with details, counting how often they are shown.
class CountingCompanion : public ReportCompanion {
public:
    QString summary(const PreparedReport &) const override { return QStringLiteral("3 visits"); }
    QString fileName(const PreparedReport &) const override { return QStringLiteral("Proba, 2024-01-01 to 2024-06-30"); }
    QString detailsCaption() const override { return QStringLiteral("Data check..."); }
    bool hasDetails(const PreparedReport &) const override { return true; }
    void showDetails(QWidget *, const PreparedReport &) override { ++shown; }
    QString explainCaption() const override { return {}; }
    bool explains(const PreparedReport &, const OutputCell &) const override { return false; }
    void explain(QWidget *, const PreparedReport &, const OutputCell &) override {}
    int shown = 0;
};

// Enter goes to the page box or the zoom box it is typed in, and nowhere
// else: no button of the preview is pressed by it.
TEST_F(PreviewWindowTest, EnterPressesNoButton)
{
    CountingCompanion companion;
    PreviewWindow &w = openWindow();
    w.setCompanion(&companion);
    ASSERT_TRUE(w.detailsButton()->isVisible());

    QTest::keyClick(w.pageView(), Qt::Key_Return);
    EXPECT_EQ(companion.shown, 0) << "Enter on a fresh preview";

    w.pageNumberBox()->setFocus();
    w.pageNumberBox()->setText(QStringLiteral("3"));
    QTest::keyClick(w.pageNumberBox(), Qt::Key_Return);
    EXPECT_EQ(w.model().currentPage(), 2);
    EXPECT_EQ(companion.shown, 0) << "Enter in the page box";

    w.zoomBox()->setEditText(QStringLiteral("150"));
    QTest::keyClick(w.zoomBox()->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_DOUBLE_EQ(w.model().zoom(), 1.5);
    EXPECT_EQ(companion.shown, 0) << "Enter in the zoom box";

    // The button itself still opens the details.
    w.detailsButton()->click();
    EXPECT_EQ(companion.shown, 1);
}

TEST_F(PreviewWindowTest, ZoomModesFitTheViewport)
{
    PreviewWindow &w = openWindow();
    const QSize viewport = w.pageView()->viewport()->size();
    const QSizeF page(mm(297), mm(210));
    struct Case {
        const char *caption;
        ZoomMode mode;
        double expected;
        const char *box;
    };
    const double width = (viewport.width() - 2 * kPageGap) / page.width();
    const double height = (viewport.height() - 2 * kPageGap) / page.height();
    const double twoWide = (viewport.width() - 3 * kPageGap) / (2 * page.width());
    const Case cases[] = {
        {"Whole Page", ZoomMode::WholePage, std::min(width, height), "Whole page"},
        {"Page Width", ZoomMode::PageWidth, width, "Page width"},
        {"Two Pages", ZoomMode::TwoPages, std::min(twoWide, height), nullptr},
        {"100%", ZoomMode::Factor, 1, "100%"},
    };
    for (const Case &c : cases) {
        trigger(QLatin1String(c.caption));
        EXPECT_EQ(w.model().zoomMode(), c.mode) << c.caption;
        EXPECT_NEAR(w.model().zoom(), c.expected, 1e-9) << c.caption;
        EXPECT_NEAR(w.pageView()->zoom(), c.expected, 1e-9) << c.caption;
        if (c.box) {
            EXPECT_EQ(w.zoomBox()->currentText(), QLatin1String(c.box)) << c.caption;
        }
    }
    const auto &two = w.pageView()->pageLayout().pages;
    trigger(QStringLiteral("Two Pages"));
    EXPECT_EQ(two[0].top(), two[1].top()) << "two pages side by side";

    // The zoom box applies on Enter; nonsense is put back.
    w.zoomBox()->setEditText(QStringLiteral("150"));
    QTest::keyClick(w.zoomBox()->lineEdit(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(w.model().zoom(), 1.5);
    EXPECT_EQ(w.zoomBox()->currentText(), QStringLiteral("150%"));
    w.zoomBox()->setEditText(QStringLiteral("big"));
    QTest::keyClick(w.zoomBox()->lineEdit(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(w.model().zoom(), 1.5);
    EXPECT_EQ(w.zoomBox()->currentText(), QStringLiteral("150%"));
    w.zoomBox()->setCurrentIndex(w.zoomBox()->findText(QStringLiteral("Whole page")));
    Q_EMIT w.zoomBox()->activated(w.zoomBox()->currentIndex());
    EXPECT_EQ(w.model().zoomMode(), ZoomMode::WholePage);

    // Fitting modes follow the window's size.
    w.setWindowState(Qt::WindowNoState);
    w.resize(700, 500);
    QTest::qWait(50);
    EXPECT_NEAR(w.model().zoom(),
                fitZoom(ZoomMode::WholePage, page, w.pageView()->viewport()->size()), 1e-9);
}

TEST_F(PreviewWindowTest, PointerTools)
{
    PreviewWindow &w = openWindow();
    QWidget *viewport = w.pageView()->viewport();
    const QPoint middle = viewport->rect().center();

    // The menu of a cell: opened by the right button with the drag tool;
    // with the zoom tool that button zooms out and does nothing else.
    std::optional<QPoint> onCell;
    for (int y = 0; y < viewport->height() && !onCell; y += 4)
        for (int x = 0; x < viewport->width() && !onCell; x += 4)
            if (w.pageView()->cellAt(QPoint(x, y)))
                onCell = QPoint(x, y);
    ASSERT_TRUE(onCell.has_value());
    QSignalSpy menus(w.pageView(), &PageView::cellMenuRequested);
    auto rightClickMenu = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, *onCell, viewport->mapToGlobal(*onCell));
        QApplication::sendEvent(viewport, &event);
    };
    rightClickMenu();
    EXPECT_EQ(menus.count(), 1) << "drag tool";

    trigger(QStringLiteral("Zoom"));
    EXPECT_EQ(w.model().tool(), PointerTool::Zoom);
    EXPECT_FALSE(w.action(QStringLiteral("Drag"))->isChecked());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, middle);
    EXPECT_DOUBLE_EQ(w.model().zoom(), 1.5);
    QTest::mouseClick(viewport, Qt::RightButton, {}, middle);
    EXPECT_DOUBLE_EQ(w.model().zoom(), 1);
    rightClickMenu();
    EXPECT_EQ(menus.count(), 1) << "zoom tool: no menu";
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, middle);
    EXPECT_NEAR(w.model().zoom(), 1 / 1.5, 1e-9);

    trigger(QStringLiteral("Drag"));
    w.applyZoom(ZoomMode::Factor, 2);
    QScrollBar *h = w.pageView()->horizontalScrollBar();
    QScrollBar *v = w.pageView()->verticalScrollBar();
    h->setValue(200);
    v->setValue(200);
    QTest::mousePress(viewport, Qt::LeftButton, {}, middle);
    QTest::mouseMove(viewport, middle - QPoint(40, 30));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, middle - QPoint(40, 30));
    EXPECT_EQ(h->value(), 240);
    EXPECT_EQ(v->value(), 230);

    // The wheel scrolls down.
    QWheelEvent wheel(QPointF(middle), viewport->mapToGlobal(QPointF(middle)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_GT(v->value(), 230);
}

TEST_F(PreviewWindowTest, FindMovesToTheTextAndGoesOnWithF3)
{
    PreviewWindow &w = openWindow();
    struct Step {
        const char *what;
        std::optional<FindRequest> ask; // nothing: press F3
        std::optional<CellPosition> found;
    };
    const Step steps[] = {
        {"[Test] from the first page", FindRequest{QStringLiteral("[Test]"), false, true}, CellPosition{1, 2}},
        {"F3: [test] 2 on page 3", std::nullopt, CellPosition{2, 2}},
        {"F3: no more", std::nullopt, std::nullopt},
        {"F3 after the end starts again", std::nullopt, CellPosition{1, 2}},
        {"case sensitive skips [test]", FindRequest{QStringLiteral("[Test]"), true, true}, CellPosition{1, 2}},
        {"F3 case sensitive: no more", std::nullopt, std::nullopt},
        {"the Cyrillic reading of IZVE[TAJ", FindRequest{QStringLiteral("Извештај"), false, true}, CellPosition{0, 2}},
        {"the stored MAC C text", FindRequest{QStringLiteral("zve[t"), false, true}, CellPosition{0, 2}},
        {"absent text", FindRequest{QStringLiteral("nowhere"), false, true}, std::nullopt},
    };
    for (const Step &step : steps) {
        messages.clear();
        if (step.ask) {
            findAnswer = step.ask;
            trigger(QStringLiteral("Find"));
        } else {
            QTest::keyClick(&w, Qt::Key_F3);
        }
        EXPECT_EQ(w.pageView()->highlight(), step.found) << step.what;
        if (step.found) {
            EXPECT_EQ(w.model().currentPage(), step.found->page) << step.what;
            EXPECT_TRUE(messages.empty()) << step.what;
        } else {
            ASSERT_EQ(messages.size(), 1u) << step.what;
            EXPECT_EQ(messages[0].kind, MessageKind::Information);
            EXPECT_TRUE(messages[0].text.contains(QStringLiteral("not found"))) << step.what;
        }
    }

    // Without "Search from begin" the search starts at the current page.
    w.goToPage(2);
    findAnswer = FindRequest{QStringLiteral("[test]"), false, false};
    trigger(QStringLiteral("Find"));
    EXPECT_EQ(w.pageView()->highlight(), (CellPosition{2, 2}));
}

TEST_F(PreviewWindowTest, FindTextDialogAsTheUserSeesIt)
{
    PreviewWindow &w = openWindow();
    w.setDialogs([&] {
        PreviewDialogs dialogs = fakeDialogs();
        dialogs.find = PreviewDialogs::standard().find;
        return dialogs;
    }());
    QStringList texts;
    whenModal<FindDialog>([&](FindDialog *dialog) {
        texts << dialog->windowTitle();
        for (auto *box : dialog->findChildren<QCheckBox *>())
            texts << box->text();
        dialog->findChild<QLineEdit *>(QStringLiteral("textToFind"))->setText(QStringLiteral("[test]"));
        dialog->findChild<QCheckBox *>(QStringLiteral("searchFromBegin"))->setChecked(true);
        dialog->accept();
    });
    trigger(QStringLiteral("Find"));
    EXPECT_EQ(texts, QStringList({"Find Text", "Case sensitive", "Search from begin"}));
    EXPECT_EQ(w.pageView()->highlight(), (CellPosition{1, 2}));
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 2 of 3"));
}

TEST_F(PreviewWindowTest, SaveThenOpenGivesTheSameReport)
{
    PreviewWindow &w = openWindow();
    const PreparedReport original = prepared;
    savePath = dir.filePath(QStringLiteral("izvestaj.txt"));
    trigger(QStringLiteral("Save"));
    const QString saved = dir.filePath(QStringLiteral("izvestaj.fp3"));
    ASSERT_TRUE(QFile::exists(saved)) << "the extension becomes .fp3";
    EXPECT_FALSE(QFile::exists(savePath));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w.messageStatus().isEmpty()) << "the status is cleared afterwards";

    trigger(QStringLiteral("Delete"));
    trigger(QStringLiteral("Delete"));
    ASSERT_EQ(prepared.pages.size(), 1u);
    openPath = saved;
    trigger(QStringLiteral("Open"));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(serializePrepared(prepared), serializePrepared(original));
    EXPECT_EQ(prepared, original);
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 1 of 3"));
    EXPECT_EQ(filters, QStringList({"Prepared Report (*.fp3)", "Prepared Report (*.fp3)"}));
}

TEST_F(PreviewWindowTest, FileErrorsAreShownAndChangeNothing)
{
    PreviewWindow &w = openWindow();
    w.goToPage(1);
    const PreparedReport original = prepared;
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"not a prepared report", "this is no report"},
        {"an empty file", ""},
        {"truncated", serializePrepared(original).left(200)},
    };
    for (const Case &c : cases) {
        messages.clear();
        openPath = dir.filePath(QStringLiteral("bad.fp3"));
        QFile file(openPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        trigger(QStringLiteral("Open"));
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].kind, MessageKind::Error) << c.what;
        EXPECT_FALSE(messages[0].text.isEmpty()) << c.what;
        EXPECT_EQ(prepared, original) << c.what;
        EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 2 of 3")) << c.what;
    }

    messages.clear();
    openPath = dir.filePath(QStringLiteral("missing.fp3"));
    trigger(QStringLiteral("Open"));
    EXPECT_EQ(messages.size(), 1u) << "a missing file";
    EXPECT_EQ(prepared, original);

    messages.clear();
    savePath = dir.filePath(QStringLiteral("no-such-folder/report.fp3"));
    trigger(QStringLiteral("Save"));
    ASSERT_EQ(messages.size(), 1u) << "an unwritable place";
    EXPECT_EQ(messages[0].kind, MessageKind::Error);

    // The source database is never overwritten, by Save or by Export.
    const QString source = dir.filePath(QStringLiteral("source.fp3"));
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("database");
    }
    tarel::protectDatabaseFile(source);
    for (const QString &action : {QStringLiteral("Save"), QStringLiteral("PDF file")}) {
        messages.clear();
        savePath = source;
        if (action == u"Save")
            trigger(action);
        else
            w.action(QStringLiteral("Export"))->menu()->actions()[0]->trigger();
        ASSERT_EQ(messages.size(), 1u) << action.toStdString();
        EXPECT_TRUE(messages[0].text.contains(QStringLiteral("it is the source database"))) << messages[0].text.toStdString();
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("database")) << action.toStdString();
    }

    messages.clear();
    openPath.clear();
    trigger(QStringLiteral("Open"));
    EXPECT_TRUE(messages.empty()) << "a cancelled dialog does nothing";
    EXPECT_EQ(prepared, original);
}

TEST_F(PreviewWindowTest, ExportWritesTheChosenFormat)
{
    PreviewWindow &w = openWindow();
    QMenu *menu = w.action(QStringLiteral("Export"))->menu();
    savePath = dir.filePath(QStringLiteral("izvestaj"));
    menu->actions()[1]->trigger();
    EXPECT_TRUE(messages.empty());
    QFile csv(dir.filePath(QStringLiteral("izvestaj.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << "a name without extension gets .csv";
    EXPECT_TRUE(QString::fromUtf8(csv.readAll()).contains(QStringLiteral("Утврдени заболувања")));

    savePath = dir.filePath(QStringLiteral("izvestaj.pdf"));
    menu->actions()[0]->trigger();
    EXPECT_TRUE(QFile(savePath).size() > 0);

    savePath = dir.filePath(QStringLiteral("izvestaj"));
    menu->actions()[2]->trigger();
    QFile workbook(dir.filePath(QStringLiteral("izvestaj.xlsx")));
    ASSERT_TRUE(workbook.open(QIODevice::ReadOnly)) << "a name without extension gets .xlsx";
    EXPECT_TRUE(workbook.read(2) == "PK");

    savePath = dir.filePath(QStringLiteral("no-such-folder/x.pdf"));
    menu->actions()[0]->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);

    // Each dialog says what it exports and proposes a name: the report by
    // its title (here its template's name) ...
    ASSERT_EQ(saveDialogs.size(), 4u);
    EXPECT_EQ(saveDialogs[0], std::pair(QStringLiteral("Export as CSV file"), QStringLiteral("frxProba.csv")));
    EXPECT_EQ(saveDialogs[1], std::pair(QStringLiteral("Export as PDF file"), QStringLiteral("frxProba.pdf")));
    EXPECT_EQ(saveDialogs[2].first, QStringLiteral("Export as Excel workbook"));
    // ... or, where the program knows them, its report and period.
    CountingCompanion companion;
    w.setCompanion(&companion);
    savePath.clear();
    menu->actions()[2]->trigger();
    trigger(QStringLiteral("Save"));
    EXPECT_EQ(saveDialogs[4].second, QStringLiteral("Proba, 2024-01-01 to 2024-06-30.xlsx"));
    EXPECT_EQ(saveDialogs[5].second, QStringLiteral("Proba, 2024-01-01 to 2024-06-30.fp3"));
}

TEST_F(PreviewWindowTest, PrintWithAndWithoutPrinters)
{
    PreviewWindow &w = openWindow();
    printers = false;
    trigger(QStringLiteral("Print"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("No printers installed in your system"));
    EXPECT_EQ(printDialogs, 0) << "and nothing else";

    messages.clear();
    printers = true;
    w.goToPage(1);
    trigger(QStringLiteral("Print"));
    EXPECT_EQ(printDialogs, 1);
    EXPECT_TRUE(messages.empty());
    QFile pdf(dir.filePath(QStringLiteral("printed.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.readAll().count("/Type /Page\n"), 1) << "the current page only";
}

TEST_F(PreviewWindowTest, NoPrinterMessageBox)
{
    PreviewWindow &w = openWindow();
    PreviewDialogs dialogs = PreviewDialogs::standard();
    dialogs.printersInstalled = [] { return false; };
    w.setDialogs(dialogs);
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    trigger(QStringLiteral("Print"));
    EXPECT_EQ(text, QStringLiteral("No printers installed in your system"));
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST_F(PreviewWindowTest, EscapeClosesAndCancelsPreparation)
{
    // While preparing: Escape cancels, the window stays; closing otherwise is refused.
    window = std::make_unique<PreviewWindow>(templ, prepared);
    window->setDialogs(fakeDialogs());
    window->show();
    window->startPreparation();
    EXPECT_TRUE(window->model().preparing());
    EXPECT_FALSE(window->close()) << "the window cannot be closed while preparing";
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->model().preparing());
    EXPECT_TRUE(window->isVisible());
    QTest::qWait(100);
    EXPECT_EQ(prepared.pages.size(), 0u) << "cancelled before the first page";
    EXPECT_EQ(window->pageStatus(), QStringLiteral("Page 0 of 0"));

    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);

    PreviewWindow &w = openWindow();
    EXPECT_TRUE(w.isVisible());
    w.zoomBox()->lineEdit()->setFocus();
    QTest::keyClick(w.zoomBox()->lineEdit(), Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible()) << "Escape in the zoom box closes too";
}

TEST_F(PreviewWindowTest, AddDeleteEditAndMargins)
{
    PreviewWindow &w = openWindow();
    const PreparedReport original = prepared;
    w.goToPage(1);

    trigger(QStringLiteral("Edit"));
    EXPECT_EQ(prepared, original) << "Edit does nothing";
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 2 of 3"));

    trigger(QStringLiteral("Add Page"));
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 2 of 4"));
    EXPECT_TRUE(prepared.pages[1].cells.empty()) << "the empty page is inserted at the current page";
    EXPECT_EQ(prepared.pages[2], original.pages[1]);
    trigger(QStringLiteral("Delete"));
    EXPECT_EQ(prepared, original);
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 2 of 3"));

    PageSettingsChoice portrait{pageSettingsOf(prepared.pages[1]), false};
    portrait.settings.landscape = false;
    portrait.settings.leftMargin = 25;
    pageAnswer = portrait;
    trigger(QStringLiteral("Margins"));
    EXPECT_FALSE(prepared.pages[1].landscape);
    EXPECT_EQ(prepared.pages[1].leftMargin, 25);
    EXPECT_TRUE(prepared.pages[0].landscape) << "only the current page";
    pageAnswer->allPages = true;
    trigger(QStringLiteral("Margins"));
    for (const OutputPage &page : prepared.pages) {
        EXPECT_EQ(page.paperWidth, 210);
    }
    pageAnswer.reset();
    const PreparedReport before = prepared;
    trigger(QStringLiteral("Margins"));
    EXPECT_EQ(prepared, before) << "a cancelled dialog changes nothing";

    for (int i = 0; i < 4; ++i)
        trigger(QStringLiteral("Delete"));
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 0 of 0"));
    trigger(QStringLiteral("Next"));
    trigger(QStringLiteral("Two Pages"));
    findAnswer = FindRequest{QStringLiteral("x"), false, true};
    trigger(QStringLiteral("Find"));
    trigger(QStringLiteral("Add Page"));
    EXPECT_EQ(w.pageStatus(), QStringLiteral("Page 1 of 1"));
}

TEST_F(PreviewWindowTest, OutlinePanelToggles)
{
    PreviewWindow &w = openWindow();
    auto *outline = w.findChild<QTreeWidget *>(QStringLiteral("outline"));
    trigger(QStringLiteral("Outline"));
    EXPECT_TRUE(outline->isVisible());
    EXPECT_EQ(outline->width(), 120);
    EXPECT_EQ(outline->topLevelItemCount(), 0);
    trigger(QStringLiteral("Outline"));
    EXPECT_FALSE(outline->isVisible());
}

// Not a check: leaves a picture of the window for a person to look at.
TEST_F(PreviewWindowTest, PictureOfTheWindow)
{
    PreviewWindow &w = openWindow();
    w.setWindowState(Qt::WindowNoState);
    w.resize(1280, 800);
    QTest::qWait(50);
    findAnswer = FindRequest{QStringLiteral("[Test]"), false, true};
    trigger(QStringLiteral("Find"));
    const QString path = qEnvironmentVariable("TAREL_PREVIEW_PICTURE");
    if (path.isEmpty())
        return;
    EXPECT_TRUE(w.grab().save(path));
    w.goToPage(0);
    trigger(QStringLiteral("Whole Page"));
    trigger(QStringLiteral("Outline"));
    EXPECT_TRUE(w.grab().save(QString(path).replace(QStringLiteral(".png"), QStringLiteral("-whole.png"))));
}

TEST(PageSettingsDialogTest, EditsPaperOrientationAndMargins)
{
    OutputPage page; // A4 landscape
    page.leftMargin = 10;
    PageSettingsDialog dialog(pageSettingsOf(page));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Page Settings"));
    QStringList radios;
    for (auto *radio : dialog.findChildren<QRadioButton *>())
        radios << radio->text();
    EXPECT_EQ(radios, QStringList({"Portrait", "Landscape", "Apply to the current page", "Apply to all pages"}));
    EXPECT_EQ(dialog.findChild<QDoubleSpinBox *>(QStringLiteral("leftMargin"))->value(), 1.0) << "in cm";

    dialog.findChild<QRadioButton *>(QStringLiteral("portrait"))->setChecked(true);
    auto *paper = dialog.findChild<QComboBox *>(QStringLiteral("paperSize"));
    paper->setCurrentIndex(paper->findText(QStringLiteral("A3")));
    dialog.findChild<QDoubleSpinBox *>(QStringLiteral("topMargin"))->setValue(2.5);
    dialog.findChild<QRadioButton *>(QStringLiteral("applyToCurrentPage"))->setChecked(true);
    const PageSettingsChoice choice = dialog.choice();
    EXPECT_FALSE(choice.allPages);
    EXPECT_FALSE(choice.settings.landscape);
    EXPECT_EQ(choice.settings.paperSize, 8);
    EXPECT_DOUBLE_EQ(choice.settings.paperWidth, 297);
    EXPECT_DOUBLE_EQ(choice.settings.paperHeight, 420);
    EXPECT_DOUBLE_EQ(choice.settings.topMargin, 25);

    auto *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    EXPECT_TRUE(ok->isEnabled());
    dialog.findChild<QDoubleSpinBox *>(QStringLiteral("leftMargin"))->setValue(20);
    dialog.findChild<QDoubleSpinBox *>(QStringLiteral("rightMargin"))->setValue(10);
    EXPECT_FALSE(ok->isEnabled()) << "margins wider than the paper";
}
