#pragma once

// The visits behind a number of the preview, in a window of their own: one
// line per visit counted in the cell (a visit counted in two rows of a
// chapter has a line for each), sortable, copied or saved as CSV, under a
// title that says what the cell is in words. The list comes from running the
// report's recorded request again, so a report opened from a file is served
// too while its database is reachable.

#include "cellvisits.h"
#include "prepared.h"
#include "recordedrequest.h"
#include "result.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <optional>
#include <vector>

class QLabel;
class QTableView;

namespace tarel::app {

// A cell in words, as the result names its row and column: where it is
// ("Row 9", "Chapter I", "Total", "Column 5"), the same with what the form
// prints there ("Row 9, <label>", "Chapter I (A00 - B99)", "Column 5
// (Вкупно)"), and its column of visits ("45-54 г., women", "all ages, men",
// "urban").
struct CellWords {
    QString place;
    QString placeInFull;
    QString column;
};
CellWords cellWords(const engine::CellListing &listing);

// The list's title: "Row 9, <label>, 45-54 г., women: 13 visits",
// "Chapter I (A00 - B99), all ages, men: ...", "Total, ...",
// "Column 5 (Вкупно), urban: ...".
QString cellTitle(const engine::CellListing &listing);

// The name "Save as CSV" proposes: the report, the place and the column in
// words ("General medicine, Row 300, 45-54 г., women.csv").
QString visitListFileName(const engine::CellListing &listing);

// The lines of a list as a table; sorting orders the rows shown, never the
// list, and equal entries keep the list's order.
class VisitListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit VisitListModel(const engine::CellListing &listing, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The list's line shown in a row.
    qsizetype lineOf(int row) const { return m_order[std::size_t(row)]; }

private:
    QString text(qsizetype line, int column) const;
    const engine::CellListing &m_listing;
    std::vector<qsizetype> m_order;
};

class VisitListWindow : public QDialog {
    Q_OBJECT
public:
    // fileName: the name "Save as CSV" proposes; shown: the number the
    // report shows in the cell, when it is known; a list of another length
    // is said to be the database's number now.
    VisitListWindow(engine::CellListing listing, const QString &title, const QString &fileName,
                    std::optional<qint64> shown, QWidget *parent = nullptr);

    QTableView *table() const { return m_table; }
    const VisitListModel &model() const { return *m_model; }
    // "The database now gives 14 visits for this cell; the report shows 13."; empty when they agree.
    QString note() const;

    // The selected rows (all when none is selected) with the column headings,
    // tab-separated, as Copy puts them on the clipboard.
    QString copyText() const;
    // Writes the list as the window shows it, as CSV: the column headings,
    // then the rows in the order shown with their texts as shown (names and
    // bands in Cyrillic); UTF-8 with a byte order mark, CRLF line ends,
    // fields quoted and guarded against formulas as in every CSV the
    // programs write. (tarel-report --cell writes the machine form.)
    Result<void> save(const QString &path) const;

private:
    void copy();
    void chooseAndSave();

    engine::CellListing m_listing;
    QString m_fileName;
    VisitListModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_note = nullptr;
};

// What the preview's companion asks of a cell: whether it holds a number
// whose visits can be listed (a count cell of a report that recorded its
// request), and the list in its window. own: the program's database, used
// when the report was read from it; any other is opened for the list. The
// list runs in the background (reportrun.h) as the reports do: the window
// opens when it ends, or its failure is said; Cancel ends it with nothing.
bool hasVisitList(const report::PreparedReport &report, const report::OutputCell &cell);
void openVisitList(QWidget *parent, data::Database *own, const report::PreparedReport &report,
                   const report::OutputCell &cell);
// The list of the cell named of the recorded request (which may be another
// period than the report's), titled by the cell and what is given after it
// ("03.2024"); shown: the number the caller shows for it, when known.
void openVisitList(QWidget *parent, data::Database *own, const engine::RecordedRequest &recorded,
                   const QString &cellName, std::optional<qint64> shown, const QString &titleEnd = {});

// The database a recorded request was read from: own, when it is that one;
// else opened into `opened`.
Result<data::Database *> databaseOf(data::Database *own, const engine::RecordedRequest &recorded,
                                    std::unique_ptr<data::Database> &opened);

} // namespace tarel::app
