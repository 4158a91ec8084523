// The program in Macedonian: the translation the program installs under a
// Macedonian locale, seen in the preview, its dialogs, the data check and
// the messages of the libraries; and English wherever none is installed.
#include "aliases.h"
#include "database.h"
#include "datacheckdialog.h"
#include "preparedfile.h"
#include "previewdialogs.h"
#include "previewwindow.h"
#include "runcompanion.h"
#include "translation.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace tarel;

namespace {

// One page with one cell, and the data check of a run.
report::TfrxReport checkedTemplate()
{
    report::TfrxReport templ(QStringLiteral("frxProba"));
    report::TfrxReportPage page;
    page.name = QStringLiteral("Page1");
    report::TfrxMemoView cell;
    cell.name = QStringLiteral("Memo1");
    cell.width = 150;
    cell.height = 24;
    cell.setText(QStringLiteral("1"));
    page.cells.push_back(cell);
    templ.pages.push_back(std::move(page));
    auto kept = std::make_shared<result::RunResult>();
    result::DataCheck &check = kept->check.emplace();
    check.report = QStringLiteral("general-medicine");
    check.selected = 781718;
    check.counted = 760102;
    check.noRow = 19918;
    check.outsideBands = 1698;
    templ.result = std::move(kept);
    return templ;
}

// A preview of checkedTemplate() with the window's data check, prepared.
struct Preview {
    report::TfrxReport templ = checkedTemplate();
    report::PreparedReport prepared;
    app::RunCompanion companion;
    report::PreviewWindow window{templ, prepared};

    Preview()
    {
        window.setCompanion(&companion);
        window.startPreparation();
    }
    bool ready() { return QTest::qWaitFor([this] { return !window.model().preparing(); }); }
};

class Macedonian : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousLocale = QLocale();
        const QLocale macedonian(QStringLiteral("mk_MK"));
        QLocale::setDefault(macedonian);
        m_translation = installTranslation(macedonian);
        ASSERT_NE(m_translation, nullptr);
    }
    void TearDown() override
    {
        m_translation.reset();
        QLocale::setDefault(m_previousLocale);
    }

private:
    QLocale m_previousLocale;
    std::unique_ptr<QTranslator> m_translation;
};

} // namespace

TEST_F(Macedonian, ThePreviewAndItsDialogs)
{
    Preview preview;
    ASSERT_TRUE(preview.ready());
    report::PreviewWindow &window = preview.window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Преглед"));
    EXPECT_EQ(window.pageStatus(), QStringLiteral("Страница 1 од 1"));
    EXPECT_EQ(window.action(QStringLiteral("Print"))->text(), QStringLiteral("Печати"));
    EXPECT_EQ(window.action(QStringLiteral("Last"))->statusTip(), QStringLiteral("Последна страница"));
    // The figures grouped as Macedonian writes them.
    EXPECT_EQ(window.summaryStatus(), QStringLiteral("Избрани посети: 781.718, избројани: 760.102, неизбројани: 21.616"));
    EXPECT_EQ(window.detailsButton()->text(), QStringLiteral("Проверка на податоците..."));

    // No button keeps its English caption (the name it is found by).
    for (QAction *action : window.findChild<QToolBar *>()->actions()) {
        if (!action->isSeparator() && !action->objectName().isEmpty() && action->objectName() != u"100%") {
            EXPECT_NE(action->text(), action->objectName());
        }
    }

    // The zoom box shows and takes its fitting modes in Macedonian.
    window.action(QStringLiteral("Whole Page"))->trigger();
    EXPECT_EQ(window.zoomBox()->currentText(), QStringLiteral("Цела страница"));
    EXPECT_EQ(report::parseZoomText(QStringLiteral("ширина на страницата"))->mode, report::ZoomMode::PageWidth);

    // Dialogs, with Qt's standard buttons.
    report::FindDialog find({});
    EXPECT_EQ(find.windowTitle(), QStringLiteral("Барање текст"));
    const QDialogButtonBox *buttons = find.findChild<QDialogButtonBox *>();
    EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("Во ред"));
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Откажи"));
    EXPECT_EQ(report::PageSettingsDialog({}).windowTitle(), QStringLiteral("Поставки на страницата"));
    app::DataCheckDialog check(*preview.templ.result->check, preview.prepared);
    EXPECT_EQ(check.windowTitle(), QStringLiteral("Проверка на податоците"));
    EXPECT_EQ(check.figures()->item(0, 0)->text(), QStringLiteral("Избрани посети"));
    EXPECT_EQ(check.figures()->item(0, 1)->text(), QStringLiteral("781.718"));
}

TEST_F(Macedonian, MessagesOfTheLibraries)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("none.sqlite"));
    EXPECT_EQ(data::Database::open(data::sqliteFile(missing)).message(),
              QStringLiteral("Датотеката на базата на податоци „%1“ не постои").arg(missing));
    const QString report = dir.filePath(QStringLiteral("none.fp3"));
    EXPECT_EQ(report::loadPrepared(report).message(),
              QStringLiteral("Не може да се прочита „%1“: датотеката не постои").arg(report));
    // A message in a function whose file's class lupdate does not see.
    const QByteArray badFrame = R"({"format": "tarel-prepared-report", "version": 1, "pages": [
        {"paperWidth": 297, "paperHeight": 210, "cells": [{"name": "Memo1", "left": 0, "top": 0, "width": 10,
         "height": 10, "frame": ["round"], "text": ""}]}]})";
    EXPECT_EQ(report::parsePrepared(badFrame, QStringLiteral("r.fp3")).message(),
              QStringLiteral("Не може да се прочита „r.fp3“: страница 1, ќелија 1: „frame“ содржи нешто друго "
                             "освен left, right, top и bottom"));
}

TEST(Translation, EnglishWhereNoTranslationIsInstalled)
{
    QLocale::setDefault(QLocale::c());
    for (const char *name : {"C", "en_US", "de_DE"})
        EXPECT_EQ(installTranslation(QLocale(QLatin1String(name))), nullptr) << name;
    // A Macedonian translation, once removed, leaves the English texts.
    installTranslation(QLocale(QStringLiteral("mk_MK"))).reset();

    Preview preview;
    ASSERT_TRUE(preview.ready());
    EXPECT_EQ(preview.window.windowTitle(), QStringLiteral("Preview"));
    EXPECT_EQ(preview.window.pageStatus(), QStringLiteral("Page 1 of 1"));
    EXPECT_EQ(preview.window.action(QStringLiteral("Print"))->text(), QStringLiteral("Print"));
    EXPECT_EQ(preview.window.summaryStatus(), QStringLiteral("781718 visits selected, 760102 counted, 21616 not counted"));
}
