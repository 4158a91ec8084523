#include "ui.h"

#include "reportpreview.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace tarel::app {

namespace {
QString applicationTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Tarel") : name;
}
} // namespace

void WindowUi::showMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

void WindowUi::showInformation(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, applicationTitle(), text);
}

void WindowUi::showError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, applicationTitle(), text);
}

void WindowUi::showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    showReportPreview(parent, templ, prepared);
}

QString errorText(const QString &message)
{
    // As the platform's error box does: a message ending in a character that
    // sorts after "." gets a full stop, one ending in ".", "!" or ")" keeps its end.
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString reportNotAvailableText() { return QStringLiteral("The report is not available yet."); }

} // namespace tarel::app
