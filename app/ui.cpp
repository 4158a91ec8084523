#include "ui.h"

#include "previewdialogs.h"
#include "previewwindow.h"

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

void WindowUi::showError(QWidget *parent, const QString &text)
{
    report::showMessageBox(parent, QMessageBox::Critical, applicationTitle(), text);
}

void WindowUi::showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    report::showReport(templ, prepared, parent, m_companion);
}

} // namespace tarel::app
