#include "ui.h"

#include "previewwindow.h"

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

void WindowUi::showError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, applicationTitle(), text);
}

void WindowUi::showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    report::showReport(templ, prepared, parent, m_companion);
}

} // namespace tarel::app
