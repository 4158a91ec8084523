#include "previewwindow.h"

#include "export.h"
#include "exportformats.h"
#include "macc.h"
#include "pageview.h"
#include "preparedfile.h"
#include "previewicons.h"
#include "printing.h"
#include "renderer.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tarel::report {

namespace {

constexpr int kOutlineWidth = 120;
constexpr double kZoomStep = 1.5;

// The file dialogs' one filter for prepared reports.
QString preparedFilter() { return PreviewWindow::tr("Prepared Report (*.fp3)"); }

} // namespace

PreviewWindow::PreviewWindow(const TfrxReport &templ, PreparedReport &prepared, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_template(templ), m_prepared(prepared), m_dialogs(previewDialogs())
{
    setObjectName(QStringLiteral("previewWindow"));
    setWindowTitle(tr("Preview"));
    setFont(displayFont(Font{QStringLiteral("Tahoma"), 11, false}));
    setModal(true);

    m_view = new PageView(m_prepared, this);
    m_outline = new QTreeWidget(this);
    m_outline->setObjectName(QStringLiteral("outline"));
    m_outline->setHeaderHidden(true);
    m_outline->setFixedWidth(kOutlineWidth);

    buildToolBar();

    auto *statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    m_pageLabel = new QLabel(statusBar);
    m_pageLabel->setObjectName(QStringLiteral("pageStatus"));
    m_pageLabel->setMinimumWidth(120);
    m_messageLabel = new QLabel(statusBar);
    m_messageLabel->setObjectName(QStringLiteral("messageStatus"));
    m_summaryLabel = new QLabel(statusBar);
    m_summaryLabel->setObjectName(QStringLiteral("summaryStatus"));
    m_detailsButton = new QPushButton(statusBar);
    m_detailsButton->setObjectName(QStringLiteral("detailsButton"));
    m_detailsButton->setFlat(true);
    // No button of the preview is pressed by Enter: a dialog's buttons are
    // its default buttons unless told otherwise, and Enter in the page and
    // zoom boxes would open the details too.
    m_detailsButton->setAutoDefault(false);
    m_detailsButton->setVisible(false);
    connect(m_detailsButton, &QPushButton::clicked, this, [this] {
        if (m_companion)
            m_companion->showDetails(this, m_prepared);
    });
    m_compareButton = new QPushButton(statusBar);
    m_compareButton->setObjectName(QStringLiteral("compareButton"));
    m_compareButton->setFlat(true);
    m_compareButton->setVisible(false);
    connect(m_compareButton, &QPushButton::clicked, this, [this] {
        if (m_companion)
            m_companion->compare(this, m_prepared);
    });
    statusBar->addWidget(m_pageLabel);
    statusBar->addWidget(m_messageLabel, 1);
    statusBar->addPermanentWidget(m_summaryLabel);
    statusBar->addPermanentWidget(m_detailsButton);
    statusBar->addPermanentWidget(m_compareButton);

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(m_outline);
    middle->addWidget(m_view, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addLayout(middle, 1);
    layout->addWidget(statusBar);

    connect(m_view, &PageView::currentPageChanged, this, [this](int page) {
        m_model.setCurrentPage(page);
        updateStatus();
    });
    connect(m_view, &PageView::viewportResized, this, [this] {
        if (m_model.zoomMode() != ZoomMode::Factor)
            applyZoom(m_model.zoomMode(), m_model.zoom());
    });
    connect(m_view, &PageView::cellDoubleClicked, this, [this](CellPosition cell) { explainCell(cell); });
    connect(m_view, &PageView::cellMenuRequested, this, [this](CellPosition cell, QPoint at) {
        if (!m_companion)
            return;
        QMenu menu(this);
        QAction *explain = menu.addAction(m_companion->explainCaption());
        explain->setEnabled(cellExplained(cell));
        if (menu.exec(at) == explain)
            explainCell(cell);
    });
    connect(m_view, &PageView::zoomClicked, this, [this](bool in, QPoint at) {
        applyZoom(ZoomMode::Factor, in ? m_model.zoom() * kZoomStep : m_model.zoom() / kZoomStep, at);
    });

    // F3 (the platform's "find next") goes on with the last search.
    auto *findNextAction = new QAction(tr("Find Next"), this);
    findNextAction->setObjectName(QStringLiteral("Find Next"));
    findNextAction->setShortcuts(QKeySequence::FindNext);
    findNextAction->setShortcutContext(Qt::WindowShortcut);
    connect(findNextAction, &QAction::triggered, this, &PreviewWindow::findNext);
    addAction(findNextAction);

    m_startTimer.setSingleShot(true);
    m_startTimer.setInterval(50);
    connect(&m_startTimer, &QTimer::timeout, this, &PreviewWindow::beginPreparation);
    m_stepTimer.setInterval(0);
    connect(&m_stepTimer, &QTimer::timeout, this, &PreviewWindow::prepareStep);

    // The preview opens maximized at 100 %, the outline hidden.
    m_model.setOutlineVisible(false);
    m_outline->setVisible(false);
    action(QStringLiteral("Outline"))->setChecked(false);
    m_model.setPageCount(int(m_prepared.pages.size()));
    m_view->pagesChanged();
    applyZoom(ZoomMode::Factor, 1);
    setWindowState(windowState() | Qt::WindowMaximized);
    updateStatus();
    updateActions();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setIconSize(QSize(22, 22));

    // A button's name is its English caption, whatever language it shows:
    // action() and the icons find it by that name.
    auto add = [this](const char *name, const QString &caption, const QString &hint, auto slot) {
        auto *action = new QAction(previewIcon(QLatin1String(name)), caption, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        connect(action, &QAction::triggered, this, slot);
        m_toolBar->addAction(action);
        if (QWidget *button = m_toolBar->widgetForAction(action)) {
            button->setObjectName(QLatin1String(name));
            button->setAccessibleName(caption);
            // The keyboard stays with the pages (arrows and page keys scroll).
            button->setFocusPolicy(Qt::NoFocus);
        }
        return action;
    };
    auto separator = [this] { m_toolBar->addSeparator(); };

    add("Print", tr("Print"), tr("Print"), &PreviewWindow::print);
    add("Open", tr("Open"), tr("Open"), &PreviewWindow::open);
    add("Save", tr("Save"), tr("Save"), &PreviewWindow::save);

    // "Export": a drop-down list with one entry per export format.
    auto *exportMenu = new QMenu(this);
    exportMenu->setObjectName(QStringLiteral("exportMenu"));
    for (std::size_t i = 0; i < exportFormats().size(); ++i) {
        QAction *entry = exportMenu->addAction(exportFormats()[i].menuText());
        entry->setObjectName(QLatin1String(exportFormats()[i].name) + QStringLiteral("..."));
        connect(entry, &QAction::triggered, this, [this, i] { exportTo(i); });
    }
    QAction *exportAction = add("Export", tr("Export"), tr("Export"), [] {});
    exportAction->setMenu(exportMenu);
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(exportAction)))
        button->setPopupMode(QToolButton::InstantPopup);
    separator();

    add("Find", tr("Find"), tr("Find"), &PreviewWindow::findText);
    separator();

    add("Whole Page", tr("Whole Page"), tr("Whole Page"),
        [this] { applyZoom(ZoomMode::WholePage); });
    add("Page Width", tr("Page Width"), tr("Page Width"),
        [this] { applyZoom(ZoomMode::PageWidth); });
    add("100%", QStringLiteral("100%"), QStringLiteral("100%"),
        [this] { applyZoom(ZoomMode::Factor, 1); });
    add("Two Pages", tr("Two Pages"), tr("Two Pages"),
        [this] { applyZoom(ZoomMode::TwoPages); });

    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->setAccessibleName(tr("Zoom"));
    m_zoomBox->setToolTip(tr("Zoom"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    m_zoomBox->addItems(zoomBoxItems());
    m_zoomBox->setCurrentText(QStringLiteral("100%"));
    m_zoomBox->setMinimumContentsLength(10);
    connect(m_zoomBox, &QComboBox::activated, this, [this] { zoomBoxEntered(); });
    connect(m_zoomBox->lineEdit(), &QLineEdit::returnPressed, this, &PreviewWindow::zoomBoxEntered);
    m_toolBar->addWidget(m_zoomBox);
    separator();

    add("Margins", tr("Margins"), tr("Margins"), &PreviewWindow::pageSettings);
    QAction *outline = add("Outline", tr("Outline"), tr("Outline"), [this] {
        const bool visible = action(QStringLiteral("Outline"))->isChecked();
        m_model.setOutlineVisible(visible);
        m_outline->setVisible(visible);
    });
    outline->setCheckable(true);
    separator();

    auto *tools = new QActionGroup(this);
    tools->setExclusive(true);
    QAction *drag = add("Drag", tr("Drag"), tr("Drag Tool"), [this] {
        m_model.setTool(PointerTool::Drag);
        m_view->setTool(PointerTool::Drag);
    });
    QAction *zoom = add("Zoom", tr("Zoom"), tr("Zoom Tool"), [this] {
        m_model.setTool(PointerTool::Zoom);
        m_view->setTool(PointerTool::Zoom);
    });
    for (QAction *tool : {drag, zoom}) {
        tool->setCheckable(true);
        tools->addAction(tool);
    }
    drag->setChecked(true);
    separator();

    add("Add Page", tr("Add Page"), tr("Add Page"), &PreviewWindow::addPage);
    add("Delete", tr("Delete"), tr("Delete Page"), &PreviewWindow::deleteCurrentPage);
    // The program includes no report designer, so editing a page does nothing.
    add("Edit", tr("Edit"), tr("Edit Page"), [] {});
    separator();

    add("First", tr("First"), tr("First Page"), [this] { goToPage(0); });
    add("Prior", tr("Prior"), tr("Prior Page"),
        [this] { goToPage(m_model.currentPage() - 1); });
    m_pageBox = new QLineEdit(this);
    m_pageBox->setObjectName(QStringLiteral("pageNumberBox"));
    m_pageBox->setAccessibleName(tr("Page Number"));
    m_pageBox->setToolTip(tr("Page Number"));
    m_pageBox->setValidator(new QIntValidator(0, 999999, m_pageBox));
    m_pageBox->setAlignment(Qt::AlignCenter);
    m_pageBox->setFixedWidth(48);
    connect(m_pageBox, &QLineEdit::returnPressed, this, &PreviewWindow::pageBoxEntered);
    m_toolBar->addWidget(m_pageBox);
    add("Next", tr("Next"), tr("Next Page"),
        [this] { goToPage(m_model.currentPage() + 1); });
    add("Last", tr("Last"), tr("Last Page"),
        [this] { goToPage(m_model.pageCount() - 1); });
    separator();

    add("Close", tr("Close"), tr("Close"), &PreviewWindow::closeOrCancel);

    // The keyboard: the platform's standard keys for the file and find
    // buttons, the page keys for the navigator; the tool tips name them.
    auto keys = [this](const char *caption, const QList<QKeySequence> &shortcuts) {
        QAction *target = action(QLatin1String(caption));
        target->setShortcuts(shortcuts);
        if (!shortcuts.isEmpty())
            target->setToolTip(QStringLiteral("%1 (%2)").arg(target->statusTip(),
                                                             shortcuts.first().toString(QKeySequence::NativeText)));
    };
    keys("Print", QKeySequence::keyBindings(QKeySequence::Print));
    keys("Open", QKeySequence::keyBindings(QKeySequence::Open));
    keys("Save", QKeySequence::keyBindings(QKeySequence::Save));
    keys("Find", QKeySequence::keyBindings(QKeySequence::Find));
    keys("Close", QKeySequence::keyBindings(QKeySequence::Close));
    keys("First", {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_Home)});
    keys("Last", {QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_End)});
    keys("Prior", {QKeySequence(Qt::Key_PageUp)});
    keys("Next", {QKeySequence(Qt::Key_PageDown)});
}

QAction *PreviewWindow::action(const QString &caption) const
{
    return findChild<QAction *>(caption, Qt::FindDirectChildrenOnly);
}

QString PreviewWindow::pageStatus() const { return m_pageLabel->text(); }
QString PreviewWindow::summaryStatus() const { return m_summaryLabel->text(); }

QString PreviewWindow::messageStatus() const { return m_messageLabel->text(); }

// ---- preparation -----------------------------------------------------------

void PreviewWindow::startPreparation()
{
    m_model.setPreparing(true);
    updateActions();
    m_startTimer.start();
}

void PreviewWindow::beginPreparation()
{
    m_startTimer.stop();
    m_preparer = std::make_unique<Preparer>(m_template);
    m_prepared.pages.clear();
    m_prepared.templateName = m_template.name;
    m_prepared.result = m_template.result;
    m_prepared.title = m_template.title;
    pagesReplaced();
    if (m_preparer->atEnd())
        finishPreparation();
    else
        m_stepTimer.start();
}

void PreviewWindow::prepareStep()
{
    if (!m_preparer || !m_preparer->prepareNext()) {
        finishPreparation();
        return;
    }
    const auto &produced = m_preparer->result().pages;
    if (produced.size() > m_prepared.pages.size()) {
        m_prepared.pages.push_back(produced.back());
        const bool first = m_prepared.pages.size() == 1;
        m_model.setPageCount(int(m_prepared.pages.size()));
        m_view->pagesChanged(true);
        if (m_model.zoomMode() != ZoomMode::Factor)
            applyZoom(m_model.zoomMode(), m_model.zoom());
        if (first)
            goToPage(0);
        updateStatus();
    }
    if (m_preparer->atEnd())
        finishPreparation();
}

void PreviewWindow::setCompanion(ReportCompanion *companion)
{
    m_companion = companion;
    updateCompanion();
}

void PreviewWindow::updateCompanion()
{
    const QString summary = m_companion ? m_companion->summary(m_prepared) : QString();
    m_summaryLabel->setText(summary);
    m_summaryLabel->setVisible(!summary.isEmpty());
    m_detailsButton->setText(m_companion ? m_companion->detailsCaption() : QString());
    m_detailsButton->setVisible(m_companion && m_companion->hasDetails(m_prepared));
    m_compareButton->setText(m_companion ? m_companion->compareCaption() : QString());
    m_compareButton->setVisible(m_companion && m_companion->comparable(m_prepared));
}

const OutputCell *PreviewWindow::cellOf(CellPosition position) const
{
    if (position.page < 0 || position.page >= int(m_prepared.pages.size()))
        return nullptr;
    const auto &cells = m_prepared.pages[std::size_t(position.page)].cells;
    return position.cell >= 0 && position.cell < int(cells.size()) ? &cells[std::size_t(position.cell)] : nullptr;
}

bool PreviewWindow::cellExplained(CellPosition position) const
{
    const OutputCell *cell = cellOf(position);
    return m_companion && cell && m_companion->explains(m_prepared, *cell);
}

void PreviewWindow::explainCell(CellPosition position)
{
    if (cellExplained(position))
        m_companion->explain(this, m_prepared, *cellOf(position));
}

void PreviewWindow::finishPreparation()
{
    m_startTimer.stop();
    m_stepTimer.stop();
    m_model.setPreparing(false);
    m_preparer.reset();
    updateActions();
    updateStatus();
}

void PreviewWindow::closeOrCancel()
{
    if (m_model.preparing()) {
        if (m_preparer)
            m_preparer->cancel();
        finishPreparation();
        return;
    }
    accept();
}

void PreviewWindow::reject()
{
    // Escape acts as "Close".
    closeOrCancel();
}

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    // While pages are being prepared only "Close" or Escape end it.
    if (m_model.preparing()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void PreviewWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The keyboard goes to the pages, so that the arrow and page keys scroll.
    m_view->setFocus();
}

// ---- state shown -----------------------------------------------------------

void PreviewWindow::updateStatus()
{
    m_pageLabel->setText(m_model.statusText());
    if (!m_pageBox->hasFocus() || m_pageBox->text().isEmpty())
        m_pageBox->setText(m_model.pageCount() ? QString::number(m_model.currentPage() + 1) : QString());
}

void PreviewWindow::updateActions()
{
    const bool idle = !m_model.preparing();
    for (const char *caption : {"Print", "Open", "Save", "Export", "Margins", "Add Page", "Delete", "Edit"})
        action(QLatin1String(caption))->setEnabled(idle);
}

void PreviewWindow::updateZoomBox()
{
    switch (m_model.zoomMode()) {
    case ZoomMode::PageWidth:
    case ZoomMode::WholePage: m_zoomBox->setCurrentText(fitZoomText(m_model.zoomMode())); break;
    case ZoomMode::Factor:
    case ZoomMode::TwoPages: m_zoomBox->setCurrentText(zoomText(m_model.zoom())); break;
    }
}

QSizeF PreviewWindow::currentPageSize() const
{
    if (m_prepared.pages.empty())
        return {mm(297), mm(210)};
    const OutputPage &page = m_prepared.pages[std::size_t(m_model.currentPage())];
    return {mm(page.paperWidth), mm(page.paperHeight)};
}

// ---- navigation and zoom ---------------------------------------------------

void PreviewWindow::goToPage(int page)
{
    m_model.setCurrentPage(page);
    m_view->showPage(m_model.currentPage());
    updateStatus();
}

void PreviewWindow::pageBoxEntered()
{
    bool ok = false;
    const int number = m_pageBox->text().toInt(&ok);
    if (ok)
        goToPage(number - 1);
    m_pageBox->setText(m_model.pageCount() ? QString::number(m_model.currentPage() + 1) : QString());
}

void PreviewWindow::applyZoom(ZoomMode mode, double factor, std::optional<QPoint> anchor)
{
    const double zoom = fitZoom(mode, currentPageSize(), m_view->viewport()->size(), factor);
    m_model.setZoom(mode, zoom);
    m_view->setZoom(zoom, mode == ZoomMode::TwoPages, anchor);
    m_model.setCurrentPage(m_view->currentPage());
    updateZoomBox();
    updateStatus();
}

void PreviewWindow::zoomBoxEntered()
{
    if (const std::optional<ZoomChoice> choice = parseZoomText(m_zoomBox->currentText()))
        applyZoom(choice->mode, choice->factor);
    else
        updateZoomBox();
}

// ---- find ------------------------------------------------------------------

void PreviewWindow::findText()
{
    const std::optional<FindRequest> request = m_dialogs.find(this, m_find);
    if (!request || request->text.isEmpty())
        return;
    m_find = *request;
    runFind(m_find.fromBeginning ? CellPosition{} : CellPosition{m_model.currentPage(), 0});
}

void PreviewWindow::findNext()
{
    if (m_find.text.isEmpty()) {
        findText();
        return;
    }
    runFind(m_findFrom);
}

void PreviewWindow::runFind(CellPosition from)
{
    const std::optional<CellPosition> found =
        report::findText(m_prepared, m_find.text, m_find.caseSensitive, from);
    if (!found) {
        // The next search starts again at the first page.
        m_findFrom = {};
        m_view->setHighlight(std::nullopt);
        m_dialogs.message(this, MessageKind::Information,
                          tr("Text \"%1\" not found.").arg(m_find.text));
        return;
    }
    m_findFrom = {found->page, found->cell + 1};
    m_model.setCurrentPage(found->page);
    m_view->setHighlight(found);
    updateStatus();
}

// ---- files -----------------------------------------------------------------

void PreviewWindow::setMessage(const QString &text)
{
    m_messageLabel->setText(text);
    m_messageLabel->repaint();
}

void PreviewWindow::showError(const QString &message)
{
    m_dialogs.message(this, MessageKind::Error, withFullStop(message.trimmed()));
}

void PreviewWindow::save()
{
    QString path = m_dialogs.saveFileName(this, tr("Save"), preparedFilter(), proposedFileName(QStringLiteral("fp3")));
    if (path.isEmpty())
        return;
    path = withPreparedExtension(path);
    setMessage(tr("Saving file..."));
    const Result<void> saved = savePrepared(m_prepared, path);
    setMessage(QString());
    if (!saved)
        showError(saved.message());
}

void PreviewWindow::open()
{
    const QString path = m_dialogs.openFileName(this, preparedFilter());
    if (path.isEmpty())
        return;
    setMessage(tr("Loading file..."));
    Result<PreparedReport> loaded = loadPrepared(path);
    setMessage(QString());
    if (!loaded) {
        showError(loaded.message());
        return;
    }
    m_prepared = std::move(loaded).value();
    m_openedFrom = path;
    pagesReplaced();
}

void PreviewWindow::exportTo(std::size_t index)
{
    if (index >= exportFormats().size())
        return;
    const ExportFormat &format = exportFormats()[index];
    QString path = m_dialogs.saveFileName(this, format.dialogTitle(), format.filterText(),
                                          proposedFileName(format.suffix));
    if (path.isEmpty())
        return;
    path = withDefaultSuffix(path, format.suffix);
    setMessage(tr("Saving file..."));
    const Result<void> written = format.write(m_prepared, path);
    setMessage(QString());
    if (!written)
        showError(written.message());
}

QString PreviewWindow::proposedFileName(const QString &suffix) const
{
    // The report and its period in words; a report opened from a file that
    // does not say them, by that file's name.
    QString name = m_companion ? m_companion->fileName(m_prepared) : QString();
    if (name.isEmpty() && !m_openedFrom.isEmpty())
        name = QFileInfo(m_openedFrom).completeBaseName();
    if (name.isEmpty())
        name = fileNameOfWords(documentTitle(m_prepared));
    return name + QLatin1Char('.') + suffix;
}

// ---- printing --------------------------------------------------------------

void PreviewWindow::print()
{
    if (!m_dialogs.printersInstalled()) {
        m_dialogs.message(this, MessageKind::Information,
                          tr("No printers installed in your system"));
        return;
    }
    QPrinter printer(QPrinter::HighResolution); // the system's default printer
    // The job's name, shown in the queue and offered as the file name when
    // printing to a file, is the report's title.
    const QString jobName = documentTitle(m_prepared);
    printer.setDocName(jobName.isEmpty() ? windowTitle() : jobName);
    printer.setCopyCount(1);
    printer.setCollateCopies(true);
    if (!m_prepared.pages.empty())
        applyPageLayout(printer, pageLayoutOf(m_prepared.pages[std::size_t(m_model.currentPage())]));
    if (!m_dialogs.print(this, printer, m_model.currentPage(), m_model.pageCount()))
        return;
    const std::vector<int> pages = pagesToPrint(printChoiceOf(printer), m_model.currentPage(),
                                                m_model.pageCount());
    if (pages.empty()) {
        m_dialogs.message(this, MessageKind::Information,
                          tr("None of the chosen pages is in the report, which has %1 pages.")
                              .arg(m_model.pageCount()));
        return;
    }
    const Result<void> printed = printPages(m_prepared, pages, printer);
    if (!printed)
        showError(printed.message());
}

// ---- editing prepared pages ------------------------------------------------

void PreviewWindow::pagesReplaced()
{
    updateCompanion();
    m_findFrom = {};
    m_view->setHighlight(std::nullopt);
    m_model.setPageCount(int(m_prepared.pages.size()));
    m_model.setCurrentPage(0);
    m_view->pagesChanged();
    if (m_model.zoomMode() != ZoomMode::Factor)
        applyZoom(m_model.zoomMode(), m_model.zoom());
    goToPage(0);
}

void PreviewWindow::pagesEdited()
{
    m_findFrom = {};
    m_view->setHighlight(std::nullopt);
    const int current = m_model.currentPage();
    m_model.setPageCount(int(m_prepared.pages.size()));
    m_view->pagesChanged();
    if (m_model.zoomMode() != ZoomMode::Factor)
        applyZoom(m_model.zoomMode(), m_model.zoom());
    goToPage(current);
}

void PreviewWindow::pageSettings()
{
    const PageSettings current = m_prepared.pages.empty()
        ? pageSettingsOf(OutputPage{})
        : pageSettingsOf(m_prepared.pages[std::size_t(m_model.currentPage())]);
    const std::optional<PageSettingsChoice> choice = m_dialogs.pageSettings(this, current);
    if (!choice)
        return;
    applyPageSettings(m_prepared, m_model.currentPage(), choice->settings, choice->allPages);
    pagesEdited();
}

void PreviewWindow::addPage()
{
    const int at = insertEmptyPage(m_prepared, m_model.currentPage());
    m_model.setPageCount(int(m_prepared.pages.size()));
    m_model.setCurrentPage(at);
    pagesEdited();
}

void PreviewWindow::deleteCurrentPage()
{
    if (deletePage(m_prepared, m_model.currentPage()))
        pagesEdited();
}

// ---- show report -----------------------------------------------------------

void showReport(const TfrxReport &templ, PreparedReport &prepared, QWidget *parent, ReportCompanion *companion)
{
    prepared.pages.clear();
    PreviewWindow window(templ, prepared, parent);
    window.setCompanion(companion);
    window.startPreparation();
    window.exec();
}

} // namespace tarel::report
