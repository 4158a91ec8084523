#include "Loading.h"

#include "macc.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace tarel::app {

namespace {

constexpr QSize kClientSize{494, 152};
constexpr QRgb kCream = qRgb(255, 251, 240);

// The four edge strips take the end colour of an inactive caption's
// gradient; Qt has no such role, so they use the inactive highlight.
struct PanelSpec {
    const char *name;
    QRect geometry;
    bool cream;
};
const PanelSpec kPanels[] = {
    {"Panel4", {0, 0, 494, 17}, false},
    {"Panel5", {0, 136, 494, 16}, false},
    {"Panel2", {0, 17, 14, 119}, false},
    {"Panel3", {480, 17, 14, 119}, false},
    {"Panel1", {15, 20, 465, 101}, true},
};

struct LabelSpec {
    const char *name;
    QRect geometry;
    const char *text;
};
const LabelSpec kLabels[] = {
    {"Label1", {1, 1, 463, 42}, "Ve molime po~ekajte"},
    {"Label2", {0, 48, 444, 42}, "se startuva programot ..."},
};

QFrame *raisedPanel(const PanelSpec &stated, QWidget *parent, const QColor &colour)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(stated.name));
    panel->setGeometry(stated.geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    return panel;
}

} // namespace

TfrmLoading::TfrmLoading(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmLoading"));
    setWindowTitle(QStringLiteral("Pelorida"));
    setFixedSize(kClientSize);

    QPalette own = palette();
    own.setColor(QPalette::Window, own.color(QPalette::Button));
    setPalette(own);
    setAutoFillBackground(true);

    // "MAC C Swiss", 37 pixels: its Latin letters read as Cyrillic.
    report::Font font;
    font.name = QString::fromLatin1(report::kMaccSwiss);
    font.height = 37;
    setFont(report::displayFont(font));

    const QColor caption = palette().color(QPalette::Inactive, QPalette::Highlight);
    QFrame *cream = nullptr;
    for (const PanelSpec &stated : kPanels) {
        QFrame *panel = raisedPanel(stated, this, stated.cream ? QColor(kCream) : caption);
        if (stated.cream)
            cream = panel;
    }
    for (const LabelSpec &stated : kLabels) {
        auto *label = new QLabel(report::displayText(font, QString::fromLatin1(stated.text)), cream);
        label->setObjectName(QString::fromLatin1(stated.name));
        label->setGeometry(stated.geometry);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    m_start = new QProgressBar(this);
    m_start->setObjectName(QStringLiteral("Start"));
    m_start->setGeometry(15, 120, 465, 17);
    m_start->setRange(0, 100);
    m_start->setValue(0);
    m_start->setTextVisible(false);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void TfrmLoading::stepBy(int amount)
{
    m_start->setValue(qBound(m_start->minimum(), m_start->value() + amount, m_start->maximum()));
}

int TfrmLoading::position() const { return m_start->value(); }

} // namespace tarel::app
