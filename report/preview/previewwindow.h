#pragma once

// The preview window of a report run: prepares the template's pages inside
// its own modal event loop and shows them, with the toolbar to print, open,
// save, export, find, zoom, set up and navigate the prepared pages.

#include "previewdialogs.h"
#include "previewmodel.h"
#include "renderer.h"
#include "reportcompanion.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;
class QTreeWidget;

namespace tarel::report {

class PageView;
class Preparer;

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    // Shows `prepared`, which belongs to the caller, as the pages of `templ`;
    // both must outlive the window, and the template must stay unchanged
    // while its pages are prepared.
    PreviewWindow(const TfrxReport &templ, PreparedReport &prepared, QWidget *parent = nullptr);
    ~PreviewWindow() override;

    // Arms the 50 ms timer that prepares the template's pages into the
    // prepared report, one page per turn of the event loop.
    void startPreparation();

    const PreviewModel &model() const { return m_model; }
    PageView *pageView() const { return m_view; }
    // A toolbar action by its English caption, whatever language it shows
    // ("Print", "Two Pages", ...).
    QAction *action(const QString &caption) const;
    QComboBox *zoomBox() const { return m_zoomBox; }
    QLineEdit *pageNumberBox() const { return m_pageBox; }
    QString pageStatus() const;    // the first status panel
    QString messageStatus() const; // the second: "Saving file..." and the like

    void setDialogs(PreviewDialogs dialogs) { m_dialogs = std::move(dialogs); }
    // What the program adds to the preview: the summary in the status bar,
    // the details and compare commands and the explanation of count cells.
    // Not owned; nullptr: none.
    void setCompanion(ReportCompanion *companion);
    QString summaryStatus() const; // the status bar's summary of the report
    QPushButton *detailsButton() const { return m_detailsButton; }
    QPushButton *compareButton() const { return m_compareButton; }
    // Double-clicking a cell: its explanation, where the companion has one.
    void explainCell(CellPosition cell);

    // What the toolbar does, callable directly.
    void goToPage(int page); // from 0
    void applyZoom(ZoomMode mode, double factor = 1, std::optional<QPoint> anchor = std::nullopt);
    void findText();
    void findNext();
    void closeOrCancel();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void buildToolBar();
    void beginPreparation();
    void prepareStep();
    void finishPreparation();
    void pagesReplaced();
    void pagesEdited();
    void updateStatus();
    void updateCompanion();
    const OutputCell *cellOf(CellPosition position) const;
    bool cellExplained(CellPosition position) const;
    void updateActions();
    void updateZoomBox();
    void zoomBoxEntered();
    void pageBoxEntered();
    void runFind(CellPosition from);
    void print();
    void open();
    void save();
    void exportTo(std::size_t format);
    // The name the save and export dialogs propose, with the suffix.
    QString proposedFileName(const QString &suffix) const;
    void pageSettings();
    void addPage();
    void deleteCurrentPage();
    void showError(const QString &message);
    void setMessage(const QString &text);
    QSizeF currentPageSize() const;

    const TfrxReport &m_template;  // not owned
    PreparedReport &m_prepared;    // not owned: stays with the report run
    PreviewModel m_model;
    PreviewDialogs m_dialogs;
    std::unique_ptr<Preparer> m_preparer;
    QTimer m_startTimer;
    QTimer m_stepTimer;

    FindRequest m_find;
    CellPosition m_findFrom;
    QString m_openedFrom; // the file the pages were last opened from

    QToolBar *m_toolBar = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QLineEdit *m_pageBox = nullptr;
    QTreeWidget *m_outline = nullptr;
    PageView *m_view = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_messageLabel = nullptr;
    QLabel *m_summaryLabel = nullptr;
    QPushButton *m_detailsButton = nullptr;
    QPushButton *m_compareButton = nullptr;
    ReportCompanion *m_companion = nullptr; // not owned
};

// Show report: discards the prepared pages, opens the preview window
// modally, prepares the template's pages in it and returns when the user has
// closed it. The prepared pages stay in `prepared`.
void showReport(const TfrxReport &templ, PreparedReport &prepared, QWidget *parent = nullptr,
                ReportCompanion *companion = nullptr);

} // namespace tarel::report
