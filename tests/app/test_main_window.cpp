// The main window: its panels as laid out, the doctor list, the default
// dates, and the frames of the morbidity and visit runs.
#include "appfixture.h"

#include "IzvestajzaTarel.h"
#include "macc.h"
#include "ui.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QStandardItemModel>
#include <QTextLayout>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>

#include <gtest/gtest.h>

using namespace tarel;
namespace fixture = tarel::testing;
using tarel::app::MorbidityPanel;
using tarel::app::TfrmTarel;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        fixture::SourceDatabase &db = aliased.source;
        db.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Marko"), true);
        db.addDoctor(QStringLiteral("L02"), QStringLiteral("Nikolova"), QStringLiteral("Ana"), true);
        db.addDoctor(QStringLiteral("L03"), QStringLiteral("Stojanov"), QStringLiteral("Ilija"), false);
        db.addInstitution(QStringLiteral("PZU Zdravje"));
        // Adult men treated for A01 in March 2024: one urban by L01, one rural by L02.
        fixture::SourceDatabase::Visit urban;
        urban.mb = QStringLiteral("0101980450012");
        urban.lekar = QStringLiteral("L01");
        db.addVisit(urban);
        fixture::SourceDatabase::Visit rural;
        rural.mb = QStringLiteral("0202980450023");
        rural.lekar = QStringLiteral("L02");
        rural.mesto = 123456;
        db.addVisit(rural);
    }

    std::unique_ptr<TfrmTarel> open(QDate today = QDate(2024, 5, 31))
    {
        app::MainWindowOptions options;
        options.ui = &ui;
        options.today = [today] { return today; };
        options.whileReading = whileReading;
        auto window = TfrmTarel::create(options);
        EXPECT_TRUE(window.ok()) << (window ? "" : window.message().toStdString());
        if (!window)
            return nullptr;
        (*window)->show();
        return std::move(*window);
    }

    template <typename W>
    static W *child(TfrmTarel &window, const char *name)
    {
        W *widget = window.findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // A report button clicked as the user does; then the window's events are
    // handled until the run it began has ended (its report, error or nothing
    // shown).
    static void runFrom(TfrmTarel &window, const char *button)
    {
        child<QPushButton>(window, button)->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.running(); }, 30000)) << button;
    }
    static void runFrom(TfrmTarel &window, QPushButton *button)
    {
        button->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.running(); }, 30000));
    }

    // A doctor chosen as the user does: the box shows it and the list's
    // current entry follows.
    static void choose(QComboBox *box, int row)
    {
        box->setCurrentIndex(row);
        Q_EMIT box->activated(row);
    }

    // Holds a run at its first progress report until the test lets it go
    // (from a timer of the window's thread, while the click still runs).
    void holdTheRunOnce()
    {
        whileReading = [this] {
            if (!m_held.exchange(true)) {
                m_reached.release();
                m_proceed.tryAcquire(1, 30000);
            }
        };
    }
    bool runIsHeld() { return m_reached.tryAcquire(); }
    void letTheRunGo() { m_proceed.release(); }

    // Calls step every few milliseconds while the window's thread handles
    // events, until it returns true.
    QTimer *every(std::function<bool()> step)
    {
        auto *timer = new QTimer(&m_timers);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, step = std::move(step)] {
            if (step())
                timer->stop();
        });
        timer->start(5);
        return timer;
    }

    fixture::AliasedSource aliased;
    fixture::RecordingUi ui;
    std::function<void()> whileReading;

private:
    QSemaphore m_reached;
    QSemaphore m_proceed;
    std::atomic<bool> m_held{false};
    QObject m_timers;
};

// "Izberete lekar", in Cyrillic as the window's texts.
const QString kChooseADoctor = QStringLiteral("\u0418\u0437\u0431\u0435\u0440\u0435\u0442\u0435 \u043B\u0435\u043A\u0430\u0440");

struct MorbidityPanelNames {
    MorbidityPanel panel;
    const char *button, *doctor, *allDoctors;
};
const MorbidityPanelNames kPanels[] = {
    {MorbidityPanel::GeneralMedicine, "btnIzvestaj", "cbLekar", "lekari"},
    {MorbidityPanel::SchoolYouth, "btnIzvestaj1", "cbLekar1", "lekari1"},
    {MorbidityPanel::Children, "btnIzvestaj2", "cbLekar2", "lekari2"},
};

TEST_F(MainWindowTest, LaysOutControlsAsStored)
{
    auto window = open();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Statisticki Izvestai"));

    struct Case {
        const char *name;
        const char *parent;
        QRect geometry;
    };
    const Case cases[] = {
        {"GroupBox4", "frmTarel", {528, 104, 449, 137}},
        {"GroupBox6", "frmTarel", {528, 248, 449, 137}},
        {"cbLekar1", "GroupBox2", {76, 23, 229, 20}},
        {"Datefrom", "GroupBox1", {76, 40, 117, 23}},
        {"datefrom2", "GroupBox3", {76, 48, 117, 20}},
        {"btnIzvestaj2", "GroupBox3", {78, 96, 115, 25}},
        {"lekari1", "GroupBox2", {384, 24, 105, 17}},
        {"gradselo", "GroupBox1", {384, 96, 113, 17}},
        {"dtnPosetaOrdinacija", "GroupBox5", {12, 80, 181, 25}},
        {"datumdo1", "GroupBox6", {76, 45, 117, 23}},
    };
    for (const Case &c : cases) {
        QWidget *widget = child<QWidget>(*window, c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(c.parent)) << c.name;
        EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
    }
    EXPECT_EQ(child<QLabel>(*window, "Label13")->pos(), QPoint(104, 64));
    EXPECT_EQ(child<QLabel>(*window, "Label9")->text(), QStringLiteral("Verzija 2.5"));

    // MAC C texts read as Cyrillic where the MAC C font is missing.
    const report::Font macc{QStringLiteral("MAC C Swiss"), 13, true};
    EXPECT_EQ(child<QGroupBox>(*window, "GroupBox5")->title(),
              report::displayText(macc, QStringLiteral("Izve{taj za poseta na ordinacija za op{ta medicina")));
    EXPECT_EQ(child<QPushButton>(*window, "btnIzvestaj")->text(), report::displayText(macc, QStringLiteral("Izve{taj")));

    for (const MorbidityPanelNames &panel : kPanels) {
        EXPECT_FALSE(child<QCheckBox>(*window, panel.allDoctors)->isChecked());
        EXPECT_EQ(child<QComboBox>(*window, panel.doctor)->currentIndex(), -1);
    }
    EXPECT_TRUE(child<QRadioButton>(*window, "gradselo2")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(*window, "grad2")->isChecked());
}

// The named control that has the keyboard (a picker, not its inner line edit).
QString focusedControl()
{
    QWidget *widget = QApplication::focusWidget();
    while (widget && (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_"))))
        widget = widget->parentWidget();
    return widget ? widget->objectName() : QString();
}

TEST_F(MainWindowTest, TabWalksAPanelAndLandsOnTheCheckedArea)
{
    auto window = open();
    ASSERT_TRUE(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The controls Tab reaches from `start` (Tab first walks a picker's day,
    // month and year).
    auto tabsFrom = [](QWidget *start, int count) {
        start->setFocus(Qt::TabFocusReason);
        QStringList visited{focusedControl()};
        for (int i = 0; i < count; ++i) {
            for (int key = 0; key < 4 && focusedControl() == visited.back(); ++key)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusedControl();
        }
        return visited;
    };
    // The area choice is one stop, on its checked button ("Grad/Selo" at first).
    EXPECT_EQ(tabsFrom(child<QWidget>(*window, "cbLekar"), 6),
              QStringList({"cbLekar", "Dateto", "Datefrom", "btnIzvestaj", "lekari", "gradselo", "cbLekar1"}));
    // Checked by the mouse or from the keyboard, the choice keeps the stop.
    auto *selo = child<QRadioButton>(*window, "selo");
    QTest::mouseClick(selo, Qt::LeftButton, Qt::NoModifier, QPoint(8, selo->height() / 2)); // on its circle
    ASSERT_TRUE(selo->isChecked());
    EXPECT_EQ(tabsFrom(child<QWidget>(*window, "lekari"), 1), QStringList({"lekari", "selo"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_TRUE(child<QRadioButton>(*window, "grad")->isChecked());
    EXPECT_EQ(tabsFrom(child<QWidget>(*window, "btnIzvestaj"), 2), QStringList({"btnIzvestaj", "lekari", "grad"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedControl(), QStringLiteral("lekari"));
}

TEST_F(MainWindowTest, EnterOnAReportButtonPressesIt)
{
    auto window = open();
    ASSERT_TRUE(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *button = child<QPushButton>(*window, "btnIzvestaj1");
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(button, Qt::Key_Space);
    // Three presses of the button, each asking for a doctor.
    EXPECT_EQ(ui.messages, QStringList(3, kChooseADoctor));
    // A held Enter runs the report once.
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(button, &repeated);
    EXPECT_EQ(ui.messages.size(), 3);
}

TEST_F(MainWindowTest, TypingAfterOneClickReplacesThePartClicked)
{
    auto window = open();
    ASSERT_TRUE(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *picker = child<QDateEdit>(*window, "Datefrom");
    ASSERT_EQ(picker->date(), QDate(2024, 2, 29));
    auto *edit = picker->findChild<QLineEdit *>();
    ASSERT_NE(edit, nullptr);
    // A point inside the month, found on the text as shown.
    const qsizetype month = picker->displayFormat().indexOf(QLatin1String("MM"));
    ASSERT_GE(month, 0);
    std::optional<QPoint> inside;
    for (int x = 0; x < edit->width() && !inside; ++x)
        if (edit->cursorPositionAt(QPoint(x, edit->height() / 2)) == month + 1)
            inside = QPoint(x, edit->height() / 2);
    ASSERT_TRUE(inside.has_value());
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, *inside);
    QTest::keyClicks(edit, QStringLiteral("07"));
    EXPECT_EQ(picker->date(), QDate(2024, 7, 29));
    // Its calendar names months and days in Macedonian.
    EXPECT_EQ(picker->calendarWidget()->locale().language(), QLocale::Macedonian);
}

// One click on the first part of "Datum od", then a whole date typed as the
// locale writes it, with or without separators, then Tab: the date typed.
TEST_F(MainWindowTest, ADateTypedWithSeparatorsIsTakenAsTyped)
{
    struct Case {
        QLocale locale;
        const char *typed;
        QDate expected;
    };
    const QLocale c = QLocale::c(), mk(QLocale::Macedonian), us(QLocale::English, QLocale::UnitedStates);
    const Case cases[] = {
        {c, "10.12.2024", {2024, 12, 10}},  {c, "10/12/2024", {2024, 12, 10}}, {c, "1.2.2025", {2025, 2, 1}},
        {c, "10122024", {2024, 12, 10}},    {c, "01-02-2025", {2025, 2, 1}},   {mk, "10.12.2024", {2024, 12, 10}},
        {mk, "1.2.2025", {2025, 2, 1}},     {mk, "10/2/2025", {2025, 2, 10}},  {mk, "3.11.2024", {2024, 11, 3}},
        {us, "12/10/2024", {2024, 12, 10}}, {us, "2/1/2025", {2025, 2, 1}},    {us, "12.31.2024", {2024, 12, 31}},
    };
    const QLocale before;
    for (const Case &typed : cases) {
        QLocale::setDefault(typed.locale);
        auto window = open();
        ASSERT_TRUE(window);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        auto *picker = child<QDateEdit>(*window, "Datefrom");
        auto *edit = picker->findChild<QLineEdit *>();
        std::optional<QPoint> first;
        for (int x = 0; x < edit->width() && !first; ++x)
            if (edit->cursorPositionAt(QPoint(x, edit->height() / 2)) == 1)
                first = QPoint(x, edit->height() / 2);
        ASSERT_TRUE(first.has_value());
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, *first);
        ASSERT_EQ(QApplication::focusWidget(), picker);
        QTest::keyClicks(picker, QLatin1String(typed.typed));
        QTest::keyClick(picker, Qt::Key_Tab);
        EXPECT_EQ(picker->date(), typed.expected)
            << typed.typed << " as " << picker->displayFormat().toStdString();
    }
    QLocale::setDefault(before);
}

TEST_F(MainWindowTest, ListsOnlyActiveDoctorsInOneSharedList)
{
    auto window = open();
    ASSERT_TRUE(window);
    QStandardItemModel *list = window->doctorList();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0)->data(Qt::UserRole).toString(), QStringLiteral("L01"));
    EXPECT_EQ(list->item(0)->data(TfrmTarel::DoctorNameRole).toString(), QStringLiteral("Petrovski Marko"));
    EXPECT_EQ(list->item(1)->data(TfrmTarel::DoctorNameRole).toString(), QStringLiteral("Nikolova Ana"));
    for (const MorbidityPanelNames &panel : kPanels)
        EXPECT_EQ(child<QComboBox>(*window, panel.doctor)->model(), list);

    choose(child<QComboBox>(*window, "cbLekar2"), 1);
    EXPECT_EQ(window->currentDoctor(), 1);
    choose(child<QComboBox>(*window, "cbLekar"), 0);
    EXPECT_EQ(window->currentDoctor(), 0);
    EXPECT_EQ(child<QComboBox>(*window, "cbLekar2")->currentIndex(), 1);
}

TEST_F(MainWindowTest, DefaultDatesWhenFirstShown)
{
    struct Case {
        const char *what;
        QDate today, from;
    };
    const Case cases[] = {
        {"31 May of a leap year", {2024, 5, 31}, {2024, 2, 29}},
        {"31 May of a common year", {2023, 5, 31}, {2023, 2, 28}},
        {"across the new year", {2024, 1, 15}, {2023, 10, 15}},
        {"31 July to 30 April", {2024, 7, 31}, {2024, 4, 30}},
    };
    const char *fromPickers[] = {"Datefrom", "datefrom1", "datefrom2", "datumod", "datumod1", "datumod2"};
    const char *toPickers[] = {"Dateto", "dateto1", "dateto2", "datumdo", "datumdo1", "datumdo2"};
    for (const Case &c : cases) {
        auto window = open(c.today);
        ASSERT_TRUE(window);
        for (const char *name : fromPickers)
            EXPECT_EQ(child<QDateEdit>(*window, name)->date(), c.from) << c.what << ": " << name;
        for (const char *name : toPickers)
            EXPECT_EQ(child<QDateEdit>(*window, name)->date(), c.today) << c.what << ": " << name;
    }
}

TEST_F(MainWindowTest, MissingDoctorStopsTheRunAndChangesNothing)
{
    auto window = open();
    ASSERT_TRUE(window);
    for (const MorbidityPanelNames &panel : kPanels) {
        ui.messages.clear();
        auto *button = child<QPushButton>(*window, panel.button);
        runFrom(*window, button);
        EXPECT_EQ(ui.messages, QStringList{kChooseADoctor}) << panel.button;
        EXPECT_TRUE(button->isEnabled()) << panel.button;
        EXPECT_FALSE(window->morbidityRequest(panel.panel).has_value());
    }
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(MainWindowTest, SiteLekariIgnoresTheDoctorBox)
{
    auto window = open();
    ASSERT_TRUE(window);
    child<QCheckBox>(*window, "lekari")->setChecked(true);
    const auto request = window->morbidityRequest(MorbidityPanel::GeneralMedicine);
    ASSERT_TRUE(request.has_value());
    EXPECT_FALSE(request->doctor.has_value());
    EXPECT_EQ(request->doctorText(), QStringLiteral("Site lekari"));

    runFrom(*window, "btnIzvestaj");
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_TRUE(ui.messages.isEmpty());
    const auto &cells = ui.reports[0].cells;
    EXPECT_EQ(cells.value(QStringLiteral("lekar")), QStringLiteral("Site lekari"));
    EXPECT_EQ(cells.value(QStringLiteral("GradSelo")), QStringLiteral("Grad i Selo"));
    EXPECT_EQ(cells.value(QStringLiteral("pzu")), QStringLiteral("PZU Zdravje"));
    EXPECT_EQ(cells.value(QStringLiteral("v4")), QStringLiteral("2")); // both men, both areas
}

TEST_F(MainWindowTest, EachPanelRunsWithItsOwnDoctor)
{
    auto window = open();
    ASSERT_TRUE(window);
    choose(child<QComboBox>(*window, "cbLekar"), 0);
    choose(child<QComboBox>(*window, "cbLekar2"), 1);

    runFrom(*window, "btnIzvestaj");
    runFrom(*window, "btnIzvestaj2");
    ASSERT_EQ(ui.reports.size(), 2u);
    EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("lekar")), QStringLiteral("Petrovski Marko"));
    EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("v4")), QStringLiteral("1"));
    EXPECT_EQ(ui.reports[1].cells.value(QStringLiteral("lekar")), QStringLiteral("Nikolova Ana"));
    // The children's report selects the doctor's one visit, an adult's it counts nowhere.
    EXPECT_EQ(ui.reports[1].selected, 1);
    EXPECT_EQ(ui.reports[1].cells.value(QStringLiteral("v4")), QStringLiteral("-"));

    // The middle panel has no doctor of its own.
    runFrom(*window, "btnIzvestaj1");
    EXPECT_EQ(ui.messages, QStringList{kChooseADoctor});
    EXPECT_EQ(ui.reports.size(), 2u);
}

TEST_F(MainWindowTest, AreaChoiceReachesTheRequest)
{
    struct Case {
        const char *radio;
        data::AreaFilter area;
        const char *text;
        const char *maleTotal;
    };
    const Case cases[] = {
        {"grad", data::AreaFilter::Urban, "Grad", "1"},
        {"selo", data::AreaFilter::Rural, "Selo", "1"},
        {"gradselo", data::AreaFilter::Both, "Grad i Selo", "2"},
    };
    auto window = open();
    ASSERT_TRUE(window);
    child<QCheckBox>(*window, "lekari")->setChecked(true);
    for (const Case &c : cases) {
        ui.reports.clear();
        child<QRadioButton>(*window, c.radio)->setChecked(true);
        const auto request = window->morbidityRequest(MorbidityPanel::GeneralMedicine);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->area, c.area) << c.radio;
        runFrom(*window, "btnIzvestaj");
        ASSERT_EQ(ui.reports.size(), 1u) << c.radio;
        EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("GradSelo")), QString::fromLatin1(c.text));
        EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("v4")), QString::fromLatin1(c.maleTotal)) << c.radio;
    }
}

TEST_F(MainWindowTest, ButtonIsEnabledAgainWhenThePreviewOpens)
{
    auto window = open();
    ASSERT_TRUE(window);
    auto *button = child<QPushButton>(*window, "btnIzvestaj");
    child<QCheckBox>(*window, "lekari")->setChecked(true);
    bool enabledWhileShowing = false;
    ui.whileShowing = [&] { enabledWhileShowing = button->isEnabled(); };
    runFrom(*window, button);
    EXPECT_TRUE(enabledWhileShowing);
}

// A report run from the keyboard: while the preview shows, the window keeps
// the focus on the button pressed, for when the preview closes, and there it
// is after the run; never on "Site lekari", where Space would change the next
// request.
TEST_F(MainWindowTest, FocusReturnsToTheButtonPressed)
{
    auto window = open();
    ASSERT_TRUE(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    child<QCheckBox>(*window, "lekari")->setChecked(true);
    for (const char *name : {"btnIzvestaj", "dtnPosetaOrdinacija"}) {
        auto *button = child<QPushButton>(*window, name);
        button->setFocus(Qt::TabFocusReason);
        QWidget *kept = nullptr;
        ui.whileShowing = [&] { kept = window->focusWidget(); };
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->running(); }, 30000)) << name;
        EXPECT_EQ(ui.reports.size(), 1u) << name;
        EXPECT_EQ(kept, button) << name << ": while the preview shows, "
                                << (kept ? kept->objectName().toStdString() : "nothing");
        EXPECT_EQ(window->focusWidget(), button) << name;
        ui.reports.clear();
    }
    EXPECT_TRUE(child<QCheckBox>(*window, "lekari")->isChecked());
}

TEST_F(MainWindowTest, VisitReportOpensTheOnePagePreview)
{
    struct Case {
        const char *button;
        const char *templateName;
    };
    const Case cases[] = {
        {"btnPosetaDecaMladina", "frxPosetaMladina"},
        {"btnPosetaMladina", "frxPosetaDeca"},
        {"dtnPosetaOrdinacija", "frxPosetaOrdinacija"},
    };
    auto window = open();
    ASSERT_TRUE(window);
    for (const Case &c : cases) {
        ui.reports.clear();
        runFrom(*window, c.button);
        ASSERT_TRUE(ui.errors.isEmpty()) << c.button << ": " << ui.errors.join(u'\n').toStdString();
        ASSERT_EQ(ui.reports.size(), 1u) << c.button;
        EXPECT_EQ(ui.reports[0].templateName, QString::fromLatin1(c.templateName));
        EXPECT_EQ(ui.reports[0].pages, 1) << c.button;
    }
    // Both adult visits, one per area, in the general-medicine report.
    const auto &cells = ui.reports[0].cells;
    EXPECT_EQ(cells.value(QStringLiteral("vkupno_grad")), QStringLiteral("1"));
    EXPECT_EQ(cells.value(QStringLiteral("vkupno_selo")), QStringLiteral("1"));
    EXPECT_EQ(cells.value(QStringLiteral("vkupno")), QStringLiteral("2"));
}

TEST_F(MainWindowTest, ErrorEndsTheRunAndLeavesTheWindowUsable)
{
    auto window = open();
    ASSERT_TRUE(window);
    child<QCheckBox>(*window, "lekari")->setChecked(true);
    aliased.source.exec(QStringLiteral("DROP TABLE PREGLEDI1"));

    for (const char *name : {"btnIzvestaj", "dtnPosetaOrdinacija"}) {
        ui.errors.clear();
        auto *button = child<QPushButton>(*window, name);
        runFrom(*window, button);
        ASSERT_EQ(ui.errors.size(), 1) << name;
        EXPECT_TRUE(ui.errors[0].endsWith(u'.')) << ui.errors[0].toStdString();
        EXPECT_TRUE(button->isEnabled()) << name;
    }
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_TRUE(window->isEnabled());
    // Still answering: the doctor check of another panel.
    runFrom(*window, "btnIzvestaj1");
    EXPECT_EQ(ui.messages, QStringList{kChooseADoctor});
}

// While a run counts, the window handles its events: the run's progress
// reaches it, and a click on another report is answered (not queued).
TEST_F(MainWindowTest, TheWindowAnswersWhileARunCounts)
{
    holdTheRunOnce();
    auto window = open();
    ASSERT_TRUE(window);
    child<QCheckBox>(*window, "lekari")->setChecked(true);
    bool answered = false;
    bool held = false;
    every([&] {
        held = held || runIsHeld();
        if (!held || ui.progress.rows < 0)
            return false; // the progress of the held run is on its way
        answered = window->running() && ui.progress.shown && window->cursor().shape() == Qt::BusyCursor;
        child<QPushButton>(*window, "dtnPosetaOrdinacija")->click();
        letTheRunGo();
        return true;
    });
    runFrom(*window, "btnIzvestaj");
    EXPECT_TRUE(answered);
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("A report is being prepared. Wait until it is shown, or cancel "
                                                      "it, before you ask for another.")});
    ASSERT_EQ(ui.reports.size(), 1u); // the held run, and no other
    EXPECT_EQ(ui.reports[0].templateName, QStringLiteral("frxDeca"));
    EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("v4")), QStringLiteral("2"));
    EXPECT_GT(ui.progress.estimated, 0);
    EXPECT_FALSE(ui.progress.shown);
    EXPECT_FALSE(window->running());
}

// Cancel stops the run: no report, no error, the panel as it was; the next
// run goes as usual.
TEST_F(MainWindowTest, ACancelledRunShowsNothing)
{
    holdTheRunOnce();
    auto window = open();
    ASSERT_TRUE(window);
    every([&] {
        if (!runIsHeld())
            return false;
        ui.progress.cancel();
        letTheRunGo();
        return true;
    });
    auto *button = child<QPushButton>(*window, "dtnPosetaOrdinacija");
    runFrom(*window, button);
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(u'\n').toStdString();
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(window->running());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);

    runFrom(*window, button);
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("vkupno")), QStringLiteral("2"));
}

// The window goes while a run counts: the run is cancelled and its thread
// awaited; nothing is shown, nothing is left running.
TEST_F(MainWindowTest, AWindowThatGoesStopsItsRun)
{
    holdTheRunOnce();
    auto window = open();
    ASSERT_TRUE(window);
    bool gone = false;
    every([&] {
        if (!runIsHeld())
            return false;
        letTheRunGo();
        window.reset();
        gone = true;
        return true;
    });
    child<QPushButton>(*window, "dtnPosetaOrdinacija")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone; }, 30000));
    QTest::qWait(50);
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(u'\n').toStdString();
}

// While another program holds the database locked, the run waits and the
// window shows that it waits (progress without rows, busy cursor); it goes
// on when the lock is gone.
TEST_F(MainWindowTest, ARunWaitsVisiblyForALockedDatabase)
{
    auto window = open();
    ASSERT_TRUE(window);
    aliased.source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    int ticks = 0;
    bool waitingShown = false;
    every([&] {
        if (++ticks < 60)
            return false; // the run has begun and is waiting
        waitingShown = window->running() && ui.progress.shown && ui.progress.rows < 0
            && window->cursor().shape() == Qt::BusyCursor;
        aliased.source.exec(QStringLiteral("COMMIT"));
        return true;
    });
    runFrom(*window, "dtnPosetaOrdinacija");
    EXPECT_TRUE(waitingShown);
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(u'\n').toStdString();
    EXPECT_EQ(ui.reports.size(), 1u);
}

// While another program holds the database locked (the wait begins as the
// run opens its connection), the progress window says that another program
// is writing to it, and its Cancel ends the wait at once: no error box, no
// report, long before the lock timeout (10 s) would have ended it.
TEST_F(MainWindowTest, CancelEndsTheWaitForALockAtOnce)
{
    struct RealProgressUi : fixture::RecordingUi {
        std::unique_ptr<app::RunProgress> showProgress(QWidget *parent, std::function<void()> cancel) override
        {
            return app::WindowUi().showProgress(parent, std::move(cancel));
        }
    } realUi;
    app::MainWindowOptions options;
    options.ui = &realUi;
    auto window = TfrmTarel::create(options);
    ASSERT_TRUE(window.ok()) << window.message().toStdString();
    (*window)->show();

    aliased.source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QString shown;
    QElapsedTimer sinceCancel;
    every([&] {
        auto *dialog = (*window)->findChild<QDialog *>(QStringLiteral("runProgress"));
        auto *label = dialog ? dialog->findChild<QLabel *>() : nullptr;
        if (!dialog || !dialog->isVisible() || !label || !label->text().contains(u"another program is writing"))
            return false;
        shown = label->text();
        sinceCancel.start();
        dialog->findChild<QPushButton *>()->click();
        return true;
    });
    runFrom(**window, "dtnPosetaOrdinacija");
    const qint64 afterCancel = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    aliased.source.exec(QStringLiteral("COMMIT"));

    EXPECT_EQ(shown, QStringLiteral("Waiting for the database: another program is writing to it..."));
    EXPECT_GE(afterCancel, 0);
    EXPECT_LT(afterCancel, 2000);
    EXPECT_TRUE(realUi.errors.isEmpty()) << realUi.errors.join(u'\n').toStdString();
    EXPECT_TRUE(realUi.reports.empty());
    EXPECT_FALSE((*window)->running());
}

TEST_F(MainWindowTest, ClosingClosesTheConnection)
{
    auto window = open();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->database().isOpen());
    EXPECT_TRUE(window->lookupsOpen());
    window->close();
    EXPECT_FALSE(window->database().isOpen());
    EXPECT_FALSE(window->lookupsOpen());
}

TEST(MessageBoxes, LeaveRoomForTheirTitleBesideTheTitleBarButtons)
{
    app::WindowUi windows;
    QString title;
    int width = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            width = box->width();
            box->accept();
        }
    });
    poll.start(20);
    windows.showMessage(nullptr, kChooseADoctor);
    ASSERT_FALSE(title.isEmpty());
    EXPECT_GE(width, QFontMetrics(QApplication::font()).horizontalAdvance(title) + 150) << title.toStdString();
}

// A file's path in an error box is kept on one line (not "/" at a line's end
// and "tmp/..." on the next, nor "general-" and "medicine.pdf").
TEST(MessageBoxes, KeepAQuotedPathOnOneLine)
{
    app::WindowUi windows;
    const QString path = QStringLiteral("/tmp/no-such-folder/general-medicine.pdf");
    const QString message = QStringLiteral("Cannot write \"%1\": the folder \"/tmp/no-such-folder\" does not exist. "
                                           "Choose a folder that exists.")
                                .arg(path);
    QStringList lines;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (!label->text().contains(u"Cannot"))
                continue;
            // The label's text laid out at the label's width, as it draws it.
            QTextLayout layout(label->text(), label->font());
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(label->contentsRect().width());
                lines << label->text().mid(line.textStart(), line.textLength()).remove(QChar(0x2060));
            }
            layout.endLayout();
        }
        box->accept();
    });
    poll.start(20);
    windows.showError(nullptr, message);
    ASSERT_GT(lines.size(), 1) << "a message of several lines";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString &line) { return line.contains(path); }))
        << lines.join(u'|').toStdString();
}

TEST(FullStop, AppendedOnce)
{
    struct Case {
        const char *message, *shown;
    };
    const Case cases[] = {
        {"no such table: PREGLEDI1", "no such table: PREGLEDI1."},
        {"'12a' is not a valid integer value", "'12a' is not a valid integer value."},
        {"Already a sentence.", "Already a sentence."},
        {"Ends in a bracket (1)", "Ends in a bracket (1)."},
        {"Ends in a quotation \"x\"", "Ends in a quotation \"x\"."},
        {"A question?", "A question?"},
        {"", ""},
        {"'x' is not a valid date\nVisit RED_BR 7 of 2024-02-01, A B.",
         "'x' is not a valid date.\nVisit RED_BR 7 of 2024-02-01, A B."},
    };
    for (const Case &c : cases)
        EXPECT_EQ(withFullStop(QString::fromLatin1(c.message)), QString::fromLatin1(c.shown)) << c.message;
}

} // namespace

// The three morbidity reports as built into the program, each run from its
// panel's button: the preview gets the report's full page count and the
// counts of the two adult visits (row 1, "A01", male; one urban, one rural).
TEST_F(MainWindowTest, BuiltInMorbidityReportsRunFromTheirButtons)
{
    struct Case {
        const char *button, *allDoctors, *grad;
        const char *templateName;
        int pages;
        const char *total; // v4: male visits of the whole report
    };
    const Case cases[] = {
        {"btnIzvestaj", "lekari", "grad", "frxDeca", 13, "2"},
        {"btnIzvestaj1", "lekari1", "grad1", "frxMladina", 13, "-"}, // adults are outside its bands
        {"btnIzvestaj2", "lekari2", "grad2", "frxDeca1", 10, "-"},
    };
    auto window = open(QDate(2024, 5, 31));
    ASSERT_TRUE(window);
    for (const Case &c : cases) {
        ui.reports.clear();
        child<QCheckBox>(*window, c.allDoctors)->setChecked(true);
        runFrom(*window, c.button);
        ASSERT_TRUE(ui.errors.isEmpty()) << c.button << ": " << ui.errors.join(u'\n').toStdString();
        ASSERT_EQ(ui.reports.size(), 1u) << c.button;
        EXPECT_EQ(ui.reports[0].templateName, QString::fromLatin1(c.templateName));
        EXPECT_EQ(ui.reports[0].pages, c.pages) << c.button;
        EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("v4")), QString::fromLatin1(c.total)) << c.button;
        EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("lekar")), QStringLiteral("Site lekari")) << c.button;
        EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("pzu")), QStringLiteral("PZU Zdravje")) << c.button;

        // Urban only: the rural visit drops out.
        ui.reports.clear();
        child<QRadioButton>(*window, c.grad)->setChecked(true);
        runFrom(*window, c.button);
        ASSERT_EQ(ui.reports.size(), 1u) << c.button;
        EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("GradSelo")), QStringLiteral("Grad")) << c.button;
        if (c.total == std::string("2")) {
            EXPECT_EQ(ui.reports[0].cells.value(QStringLiteral("v4")), QStringLiteral("1")) << c.button;
        }
    }
}
