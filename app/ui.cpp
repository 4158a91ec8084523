#include "ui.h"

#include "previewdialogs.h"
#include "reportpreview.h"

#include <QCoreApplication>

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
    report::showMessageBox(parent, QMessageBox::NoIcon, applicationTitle(), text);
}

void WindowUi::showInformation(QWidget *parent, const QString &text)
{
    report::showMessageBox(parent, QMessageBox::Information, applicationTitle(), text);
}

void WindowUi::showError(QWidget *parent, const QString &text)
{
    report::showMessageBox(parent, QMessageBox::Critical, applicationTitle(), text);
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
