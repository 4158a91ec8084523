#include "template.h"

#include <QHash>

namespace tarel::report {

bool Font::operator==(const Font &other) const
{
    return name.compare(other.name, Qt::CaseInsensitive) == 0 && height == other.height
        && bold == other.bold;
}

Font defaultFont() { return Font{}; }

void TfrxMemoView::setText(const QString &text)
{
    if (text.isEmpty()) {
        memo.clear();
        return;
    }
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    memo = normalized.split(QLatin1Char('\n'));
}

struct TfrxReport::Index {
    int cellCount = -1;
    QHash<QString, TfrxMemoView *> byName; // lower-case name -> first cell
};

TfrxReport::TfrxReport(QString n) : name(std::move(n)) {}
TfrxReport::IndexCache::IndexCache() = default;
TfrxReport::IndexCache::IndexCache(const IndexCache &) {}
TfrxReport::IndexCache &TfrxReport::IndexCache::operator=(const IndexCache &other)
{
    if (this != &other)
        index.reset();
    return *this;
}
TfrxReport::IndexCache::IndexCache(IndexCache &&) noexcept = default;
TfrxReport::IndexCache &TfrxReport::IndexCache::operator=(IndexCache &&) noexcept = default;
TfrxReport::IndexCache::~IndexCache() = default;


int TfrxReport::cellCount() const
{
    int count = 0;
    for (const TfrxReportPage &page : pages) {
        if (page.title)
            count += int(page.title->cells.size());
        count += int(page.cells.size());
    }
    return count;
}

void TfrxReport::ensureIndex() const
{
    const int count = cellCount();
    if (m_index.index && m_index.index->cellCount == count)
        return;
    auto index = std::make_unique<Index>();
    index->cellCount = count;
    index->byName.reserve(count);
    auto add = [&index](TfrxMemoView &cell) {
        const QString key = cell.name.toLower();
        if (!index->byName.contains(key))
            index->byName.insert(key, &cell);
    };
    auto *self = const_cast<TfrxReport *>(this);
    for (TfrxReportPage &page : self->pages) {
        if (page.title)
            for (TfrxMemoView &cell : page.title->cells)
                add(cell);
        for (TfrxMemoView &cell : page.cells)
            add(cell);
    }
    m_index.index = std::move(index);
}

TfrxMemoView *TfrxReport::findCell(QStringView cellName)
{
    ensureIndex();
    return m_index.index->byName.value(cellName.toString().toLower(), nullptr);
}

const TfrxMemoView *TfrxReport::findCell(QStringView cellName) const
{
    return const_cast<TfrxReport *>(this)->findCell(cellName);
}

bool TfrxReport::setCellText(QStringView cellName, const QString &text)
{
    TfrxMemoView *cell = findCell(cellName);
    if (!cell)
        return false;
    cell->setText(text);
    return true;
}

Result<void> TfrxReport::setCellTexts(const std::vector<std::pair<QString, QString>> &texts)
{
    std::vector<TfrxMemoView *> cells;
    cells.reserve(texts.size());
    for (const auto &[cellName, text] : texts) {
        TfrxMemoView *cell = findCell(cellName);
        if (!cell)
            return fail(QStringLiteral("The template '%1' has no cell '%2'").arg(name, cellName));
        cells.push_back(cell);
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i]->setText(texts[i].second);
    return {};
}

Font TfrxReport::resolvedFont(const TfrxReportPage &page, const TfrxReportTitle *band,
                              const TfrxMemoView &cell) const
{
    if (cell.font)
        return *cell.font;
    if (band && band->font)
        return *band->font;
    if (page.font)
        return *page.font;
    return defaultFont();
}

} // namespace tarel::report
