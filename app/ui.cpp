#include "ui.h"

#include "previewdialogs.h"
#include "previewwindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tarel::app {

namespace {
QString applicationTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Tarel") : name;
}
// The window's texts in the user's language (translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// A small window beside the main window, shown once a run has lasted a
// moment: what the run does, a bar of the rows read, and Cancel.
class ProgressWindow final : public RunProgress {
public:
    ProgressWindow(QWidget *parent, std::function<void()> cancel)
    {
        m_dialog = new QDialog(parent);
        m_dialog->setObjectName(QStringLiteral("runProgress"));
        m_dialog->setWindowTitle(applicationTitle());
        m_dialog->setWindowModality(Qt::NonModal);
        auto *layout = new QVBoxLayout(m_dialog);
        m_label = new QLabel(Text::tr("Waiting for the database to answer..."), m_dialog);
        m_label->setMinimumWidth(360);
        m_bar = new QProgressBar(m_dialog);
        m_bar->setRange(0, 0);
        m_cancel = new QPushButton(Text::tr("Cancel"), m_dialog);
        layout->addWidget(m_label);
        layout->addWidget(m_bar);
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        auto stop = [this, cancel = std::move(cancel)] {
            m_stopping = true;
            m_cancel->setEnabled(false);
            m_label->setText(Text::tr("Stopping the run..."));
            cancel();
        };
        QObject::connect(m_cancel, &QPushButton::clicked, m_dialog, stop);
        QObject::connect(m_dialog, &QDialog::rejected, m_dialog, stop);
        // A short run never shows it.
        QTimer::singleShot(300, m_dialog, [dialog = m_dialog] { dialog->show(); });
    }
    ~ProgressWindow() override { delete m_dialog; }

    void setProgress(const data::ReadProgress &progress) override
    {
        if (m_stopping)
            return;
        m_label->setText(progressText(progress));
        if (progress.estimated > 0) {
            m_bar->setRange(0, 1000);
            m_bar->setValue(int(qMin<qint64>(1000, progress.read * 1000 / progress.estimated)));
        } else {
            m_bar->setRange(0, 0);
        }
    }
    void setLocked() override
    {
        if (m_stopping)
            return;
        m_bar->setRange(0, 0);
        m_label->setText(Text::tr("Waiting for the database: another program is writing to it..."));
    }

private:
    QPointer<QDialog> m_dialog;
    QLabel *m_label = nullptr;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_stopping = false;
};

} // namespace

QString progressText(const data::ReadProgress &progress)
{
    const QLocale locale;
    const QString read = locale.toString(progress.read);
    const QString estimated = locale.toString(progress.estimated);
    switch (progress.stage) {
    case data::ReadProgress::Stage::Persons:
        return progress.estimated > 0 ? Text::tr("Reading the insured persons: %1 of %2").arg(read, estimated)
                                      : Text::tr("Reading the insured persons: %1").arg(read);
    case data::ReadProgress::Stage::Visits:
        break;
    }
    return progress.estimated > 0 ? Text::tr("Reading the visits of the period: %1 of about %2").arg(read, estimated)
                                  : Text::tr("Reading the visits of the period: %1").arg(read);
}

std::unique_ptr<RunProgress> WindowUi::showProgress(QWidget *parent, std::function<void()> cancel)
{
    return std::make_unique<ProgressWindow>(parent, std::move(cancel));
}

void WindowUi::showMessage(QWidget *parent, const QString &text)
{
    report::showMessageBox(parent, QMessageBox::NoIcon, applicationTitle(), text);
}

void WindowUi::showError(QWidget *parent, const QString &text)
{
    report::showMessageBox(parent, QMessageBox::Critical, applicationTitle(), text);
}

void WindowUi::showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    report::showReport(templ, prepared, parent, m_companion);
}

} // namespace tarel::app
