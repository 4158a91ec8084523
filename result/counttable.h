#pragma once

// The counts of a run as data: a table of rows and columns, each with the
// identity the form prints (a row's number, label, code range and chapter; a
// column's number and headings), one number per cell. Some rows and columns
// are counted: a visit adds to their cells. The others are sums of rows or of
// columns (the chapter subtotals and the grand totals, the totals of both
// sexes, the visits of both areas), and their cells are derived from the
// counted ones in one place, CountTable::derive(). The shape is shared, so
// the tables of many periods of one report cost only their numbers.

#include "result.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <vector>

namespace tarel::result {

enum class RowKind : std::uint8_t { Counted, Subtotal, Total };
enum class Sex : std::uint8_t { Any, Male, Female };

// A line of the table. Texts are as the form prints them, read as Unicode.
struct RowIdentity {
    RowKind kind = RowKind::Counted;
    QString key;     // unique in the table: a catalogue row's number, "S" and a chapter's number, "V"; an area
    QString number;  // printed before the label (the ordinal); empty where nothing is
    QString label;
    QString codes;   // the printed code range; empty where the form prints none
    int chapter = -1;      // 0-based chapter of a row or a subtotal; -1: none
    std::vector<int> sums; // a sum of these rows; empty: counted

    bool operator==(const RowIdentity &) const = default;
};

struct ColumnIdentity {
    QString key;          // unique in the table
    QString number;       // the column's printed number
    QStringList headings; // the headings over it, outermost first
    int band = -1;        // morbidity reports: 0-based age band; -1: all ages
    Sex sex = Sex::Any;
    std::vector<int> sums; // a sum of these columns; empty: counted

    bool operator==(const ColumnIdentity &) const = default;
};

// The rows and columns of a table, checked when made: keys unique, sums of
// rows and of columns that exist and never sum themselves, however
// indirectly.
class TableShape {
public:
    // headings: the captions over the rows' number, label and code range;
    // numbers: those columns' printed numbers (both may be empty texts).
    static Result<std::shared_ptr<const TableShape>> make(std::vector<RowIdentity> rows,
                                                          std::vector<ColumnIdentity> columns,
                                                          QStringList headings = {}, QStringList numbers = {},
                                                          bool zeroAsDash = false);

    const std::vector<RowIdentity> &rows() const { return m_rows; }
    const std::vector<ColumnIdentity> &columns() const { return m_columns; }
    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    const QStringList &rowHeadings() const { return m_headings; }
    const QStringList &rowHeadingNumbers() const { return m_numbers; }
    // The form prints a count of 0 as "-".
    bool zeroAsDash() const { return m_zeroAsDash; }

    // By key; -1 for none.
    int rowOf(QStringView key) const;
    int columnOf(QStringView key) const;

    // How many times each counted row (column) enters the numbers of a row
    // (column): 1 for itself when counted, 0 for the others; a sum holds the
    // counted rows it adds up, each as often as it is added.
    std::vector<int> rowWeights(int row) const;
    std::vector<int> columnWeights(int column) const;

    // The derived rows and columns, each after those it sums.
    const std::vector<int> &rowOrder() const { return m_rowOrder; }
    const std::vector<int> &columnOrder() const { return m_columnOrder; }

    bool operator==(const TableShape &other) const;

private:
    TableShape() = default;
    std::vector<RowIdentity> m_rows;
    std::vector<ColumnIdentity> m_columns;
    QStringList m_headings;
    QStringList m_numbers;
    bool m_zeroAsDash = false;
    std::vector<int> m_rowOrder;
    std::vector<int> m_columnOrder;
};

// The numbers of one table. A table without a shape is empty: the counts of a
// report saved before results kept them.
class CountTable {
public:
    CountTable() = default;
    explicit CountTable(std::shared_ptr<const TableShape> shape);

    bool empty() const { return !m_shape; }
    const TableShape &shape() const { return *m_shape; }
    const std::shared_ptr<const TableShape> &sharedShape() const { return m_shape; }

    // A visit in a counted cell.
    void add(int row, int column) { ++m_values[index(row, column)]; }
    // Every derived cell from the counted ones; the derived cells' numbers
    // before are discarded.
    void derive();

    qint64 value(int row, int column) const { return m_values[index(row, column)]; }
    void setValue(int row, int column, qint64 value) { m_values[index(row, column)] = value; }

    bool operator==(const CountTable &other) const;

private:
    std::size_t index(int row, int column) const
    {
        return std::size_t(row) * std::size_t(m_shape->columnCount()) + std::size_t(column);
    }
    std::shared_ptr<const TableShape> m_shape;
    std::vector<qint64> m_values;
};

} // namespace tarel::result
