// The start-up: the splash window, its progress steps around the creation of
// the main window, and a database that cannot be opened.
#include "appfixture.h"

#include "Loading.h"
#include "macc.h"
#include "startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tarel;
namespace fixture = tarel::testing;
using tarel::app::StartupEvent;

namespace {

class StartupTest : public ::testing::Test {
protected:
    StartupTest()
    {
        aliased.source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Marko"), true);
        aliased.source.addInstitution(QStringLiteral("PZU Zdravje"));
    }

    // The events as text: "shown", a progress position, "window" or "hidden",
    // with "+splash" while the splash is visible and "+main" once the main
    // window is visible.
    app::StartupOptions options(QStringList &trace)
    {
        app::StartupOptions result;
        result.window.ui = &ui;
        result.pausePerBillionCounts = std::chrono::nanoseconds(0);
        result.observer = [&trace](const StartupEvent &event) {
            QString text;
            switch (event.kind) {
            case StartupEvent::SplashShown: text = QStringLiteral("shown"); break;
            case StartupEvent::Progress: text = QString::number(event.position); break;
            case StartupEvent::MainWindowCreated: text = QStringLiteral("window"); break;
            case StartupEvent::SplashHidden: text = QStringLiteral("hidden"); break;
            }
            if (event.splash && event.splash->isVisible())
                text += QStringLiteral("+splash");
            if (event.window && event.window->isVisible())
                text += QStringLiteral("+main");
            trace << text;
        };
        return result;
    }

    fixture::AliasedSource aliased;
    fixture::RecordingUi ui;
};

TEST_F(StartupTest, ProgressStepsAroundTheMainWindow)
{
    QStringList trace;
    auto window = app::startUp(options(trace));
    ASSERT_TRUE(window.ok());
    const QStringList expected = {"shown+splash", "1+splash", "6+splash", "13+splash", "23+splash", "window+splash",
                                  "53+splash", "100+splash", "100+splash", "hidden"};
    EXPECT_EQ(trace, expected);
    EXPECT_FALSE((*window)->isVisible());
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(StartupTest, SplashLastsAboutASecond)
{
    QStringList trace;
    app::StartupOptions timed = options(trace);
    timed.pausePerBillionCounts = std::chrono::milliseconds(100);
    QElapsedTimer timer;
    timer.start();
    auto window = app::startUp(timed);
    ASSERT_TRUE(window.ok());
    EXPECT_GE(timer.elapsed(), 800); // 8,000,000,000 counts of pauses
}

TEST_F(StartupTest, MissingDatabaseHidesTheSplashAndShowsTheErrorInItsPlace)
{
    aliased.pointAtMissingFile();
    QStringList trace;
    app::StartupOptions startup = options(trace);
    startup.window.ui = nullptr; // the real error box
    QRect splashPlace;
    const auto record = startup.observer;
    startup.observer = [&](const StartupEvent &event) {
        if (event.kind == StartupEvent::SplashShown)
            splashPlace = event.splash->frameGeometry();
        record(event);
    };
    // The box as it stands on the screen, then closed as a user would.
    QString boxText;
    QRect boxPlace;
    bool splashVisible = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxText = box->text();
        boxPlace = box->frameGeometry();
        splashVisible = false;
        for (QWidget *top : QApplication::topLevelWidgets())
            splashVisible = splashVisible || (qobject_cast<app::TfrmLoading *>(top) && top->isVisible());
        box->accept();
    });
    poll.start(20);
    auto window = app::startUp(startup);
    poll.stop();
    ASSERT_FALSE(window.ok());
    EXPECT_EQ(boxText, withFullStop(window.message()));
    EXPECT_FALSE(splashVisible) << "the splash, always on top, would hide the box";
    EXPECT_LE((boxPlace.center() - splashPlace.center()).manhattanLength(), 2)
        << "box centred at " << boxPlace.center().x() << "," << boxPlace.center().y() << ", splash at "
        << splashPlace.center().x() << "," << splashPlace.center().y();
    const QStringList expected = {"shown+splash", "1+splash", "6+splash", "13+splash", "23+splash", "hidden"};
    EXPECT_EQ(trace, expected);
}

TEST_F(StartupTest, WindowSystemEventsAreHandledBetweenTheSteps)
{
    // A window manager shows the splash a moment after it is asked to; the
    // news that it is on screen, and with it the first picture, comes as an
    // event that only the event loop carries out. One that arrives while the
    // splash is up must be handled before the main window is created.
    struct Receiver : QObject {
        int received = 0;
        bool event(QEvent *event) override
        {
            if (event->type() == QEvent::User)
                ++received;
            return QObject::event(event);
        }
    } receiver;
    QStringList trace;
    app::StartupOptions startup = options(trace);
    int receivedWhenCreated = -1;
    const auto record = startup.observer;
    startup.observer = [&](const StartupEvent &event) {
        if (event.kind == StartupEvent::SplashShown)
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        if (event.kind == StartupEvent::MainWindowCreated)
            receivedWhenCreated = receiver.received;
        record(event);
    };
    auto window = app::startUp(startup);
    ASSERT_TRUE(window.ok());
    EXPECT_EQ(receivedWhenCreated, 1);
}

TEST(Splash, LayoutAndStepping)
{
    app::TfrmLoading splash;
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.size(), QSize(494, 152));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto *cream = splash.findChild<QFrame *>(QStringLiteral("Panel1"));
    ASSERT_NE(cream, nullptr);
    EXPECT_EQ(cream->geometry(), QRect(15, 20, 465, 101));
    EXPECT_EQ(cream->palette().color(QPalette::Window), QColor(255, 251, 240));
    EXPECT_EQ(cream->frameShadow(), QFrame::Raised);
    auto *label = splash.findChild<QLabel *>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), cream);
    const report::Font macc{QStringLiteral("MAC C Swiss"), 37, false};
    EXPECT_EQ(label->text(), report::displayText(macc, QStringLiteral("Ve molime po~ekajte")));

    QProgressBar *bar = splash.progressBar();
    EXPECT_EQ(bar->objectName(), QStringLiteral("Start"));
    EXPECT_EQ(bar->geometry(), QRect(15, 120, 465, 17));
    EXPECT_EQ(splash.position(), 0);
    splash.stepBy(90);
    splash.stepBy(30); // kept at the maximum
    EXPECT_EQ(splash.position(), 100);
}

} // namespace

TEST(NoDisplay, TheProgramSaysSoAndEndsInsteadOfAborting)
{
    // In English, and in Macedonian under a Macedonian locale; the example
    // commands as they are.
    const std::pair<const char *, QString> languages[] = {
        {"C.UTF-8", QStringLiteral("tarel: no display. The Tarel window needs a desktop session")},
        {"mk_MK.UTF-8", QStringLiteral("tarel: нема екран. Прозорецот на Tarel бара графичка сесија")},
    };
    for (const auto &[locale, opening] : languages) {
        QProcess tarel;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_MESSAGES"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
        tarel.setProcessEnvironment(environment);
        tarel.start(QStringLiteral(TAREL_PROGRAM), {});
        ASSERT_TRUE(tarel.waitForFinished(30000));
        EXPECT_EQ(tarel.exitStatus(), QProcess::NormalExit) << "not an abort";
        EXPECT_EQ(tarel.exitCode(), 1);
        const QString said = QString::fromUtf8(tarel.readAllStandardError());
        EXPECT_TRUE(said.startsWith(opening)) << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("tarel-report visits-general-medicine --from"))) << said.toStdString();
    }

    // Platforms that draw without a display, or a display named, let it start.
    struct Case {
        const char *what;
        app::DisplayEnvironment environment;
        bool refused;
    };
    const Case cases[] = {
        {"Wayland then X11, no display", {QStringLiteral("wayland;xcb"), {}, {}}, true},
        {"a Wayland display", {{}, {}, QStringLiteral("wayland-0")}, false},
        {"X11, else offscreen", {QStringLiteral("xcb;offscreen"), {}, {}}, false},
        {"VNC with options", {QStringLiteral("vnc:size=800x600"), {}, {}}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(app::noDisplayMessage(c.environment).has_value(), c.refused) << c.what;
    const app::DisplayEnvironment asked =
        app::DisplayEnvironment::current({QStringLiteral("tarel"), QStringLiteral("-platform"), QStringLiteral("minimal")});
    EXPECT_EQ(asked.platform, QStringLiteral("minimal"));
}
