#include "counttable.h"

#include <QSet>

namespace tarel::result {

namespace {

// Identities with a key and the indexes they sum.
template <typename Identity>
Result<void> checkKeysAndSums(const std::vector<Identity> &items, const char *what)
{
    QSet<QString> keys;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (keys.contains(items[i].key))
            return fail(QStringLiteral("Two %1s of a count table have the key '%2'")
                            .arg(QLatin1String(what), items[i].key));
        keys.insert(items[i].key);
        for (const int summed : items[i].sums)
            if (summed < 0 || std::size_t(summed) >= items.size())
                return fail(QStringLiteral("The %1 '%2' of a count table sums a %1 it does not have")
                                .arg(QLatin1String(what), items[i].key));
    }
    return {};
}

// The sums in an order where each comes after the sums it adds; an error
// where one adds itself, however indirectly.
template <typename Identity>
Result<std::vector<int>> derivationOrder(const std::vector<Identity> &items, const char *what)
{
    enum class State { New, Open, Done };
    std::vector<State> states(items.size(), State::New);
    std::vector<int> order;
    // Depth first, with a stack of its own: an item and the next of its sums to visit.
    for (std::size_t start = 0; start < items.size(); ++start) {
        if (states[start] != State::New)
            continue;
        std::vector<std::pair<int, std::size_t>> stack{{int(start), 0}};
        states[start] = State::Open;
        while (!stack.empty()) {
            auto &[item, next] = stack.back();
            const std::vector<int> &sums = items[std::size_t(item)].sums;
            if (next < sums.size()) {
                const int summed = sums[next++];
                if (states[std::size_t(summed)] == State::Open)
                    return fail(QStringLiteral("The %1 '%2' of a count table adds itself up")
                                    .arg(QLatin1String(what), items[std::size_t(summed)].key));
                if (states[std::size_t(summed)] == State::New) {
                    states[std::size_t(summed)] = State::Open;
                    stack.emplace_back(summed, 0);
                }
                continue;
            }
            states[std::size_t(item)] = State::Done;
            if (!sums.empty())
                order.push_back(item);
            stack.pop_back();
        }
    }
    return order;
}

template <typename Identity>
std::vector<int> weightsOf(const std::vector<Identity> &items, int item)
{
    std::vector<int> weights(items.size(), 0);
    std::vector<int> pending{item};
    while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        const std::vector<int> &sums = items[std::size_t(at)].sums;
        if (sums.empty())
            ++weights[std::size_t(at)];
        else
            pending.insert(pending.end(), sums.begin(), sums.end());
    }
    return weights;
}

template <typename Identity>
int indexOf(const std::vector<Identity> &items, QStringView key)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].key == key)
            return int(i);
    return -1;
}

} // namespace

Result<std::shared_ptr<const TableShape>> TableShape::make(std::vector<RowIdentity> rows,
                                                           std::vector<ColumnIdentity> columns, QStringList headings,
                                                           QStringList numbers, bool zeroAsDash)
{
    if (Result<void> checked = checkKeysAndSums(rows, "row"); !checked)
        return checked.error();
    if (Result<void> checked = checkKeysAndSums(columns, "column"); !checked)
        return checked.error();
    Result<std::vector<int>> rowOrder = derivationOrder(rows, "row");
    if (!rowOrder)
        return rowOrder.error();
    Result<std::vector<int>> columnOrder = derivationOrder(columns, "column");
    if (!columnOrder)
        return columnOrder.error();
    auto shape = std::shared_ptr<TableShape>(new TableShape);
    shape->m_rows = std::move(rows);
    shape->m_columns = std::move(columns);
    shape->m_headings = std::move(headings);
    shape->m_numbers = std::move(numbers);
    shape->m_zeroAsDash = zeroAsDash;
    shape->m_rowOrder = std::move(*rowOrder);
    shape->m_columnOrder = std::move(*columnOrder);
    return std::shared_ptr<const TableShape>(std::move(shape));
}

int TableShape::rowOf(QStringView key) const { return indexOf(m_rows, key); }
int TableShape::columnOf(QStringView key) const { return indexOf(m_columns, key); }
std::vector<int> TableShape::rowWeights(int row) const { return weightsOf(m_rows, row); }
std::vector<int> TableShape::columnWeights(int column) const { return weightsOf(m_columns, column); }

bool TableShape::operator==(const TableShape &other) const
{
    return m_rows == other.m_rows && m_columns == other.m_columns && m_headings == other.m_headings
        && m_numbers == other.m_numbers && m_zeroAsDash == other.m_zeroAsDash;
}

CountTable::CountTable(std::shared_ptr<const TableShape> shape)
    : m_shape(std::move(shape)),
      m_values(std::size_t(m_shape->rowCount()) * std::size_t(m_shape->columnCount()), 0)
{
}

void CountTable::derive()
{
    if (!m_shape)
        return;
    const std::vector<RowIdentity> &rows = m_shape->rows();
    const std::vector<ColumnIdentity> &columns = m_shape->columns();
    // The derived columns of the counted rows, then the derived rows whole.
    for (int row = 0; row < m_shape->rowCount(); ++row) {
        if (!rows[std::size_t(row)].sums.empty())
            continue;
        for (const int column : m_shape->columnOrder()) {
            qint64 sum = 0;
            for (const int summed : columns[std::size_t(column)].sums)
                sum += value(row, summed);
            setValue(row, column, sum);
        }
    }
    for (const int row : m_shape->rowOrder()) {
        for (int column = 0; column < m_shape->columnCount(); ++column) {
            qint64 sum = 0;
            for (const int summed : rows[std::size_t(row)].sums)
                sum += value(summed, column);
            setValue(row, column, sum);
        }
    }
}

bool CountTable::operator==(const CountTable &other) const
{
    if (!m_shape || !other.m_shape)
        return !m_shape && !other.m_shape;
    return (m_shape == other.m_shape || *m_shape == *other.m_shape) && m_values == other.m_values;
}

} // namespace tarel::result
