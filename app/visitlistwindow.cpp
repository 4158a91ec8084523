#include "visitlistwindow.h"

#include "export.h"
#include "macc.h"
#include "outputfile.h"
#include "previewdialogs.h"
#include "previewmodel.h"
#include "recordedrequest.h"
#include "reportrun.h"
#include "ui.h"

#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace tarel::app {

namespace {

using engine::VisitText;

// The columns of the table: the visit's texts in the order of the CSV, then
// where a morbidity report counted it.
enum Column { RowColumn = engine::kVisitTextCount, BandColumn, SexColumn, MorbidityColumnCount };

// Texts the patient-administration program keeps in the MAC C letters, shown
// as it shows them.
bool isMaccText(int column) { return column == int(VisitText::Surname) || column == int(VisitText::Name); }

QString visitsText(qint64 count)
{
    return count == 1 ? VisitListWindow::tr("1 visit") : VisitListWindow::tr("%1 visits").arg(QLocale().toString(count));
}

void showFailure(QWidget *parent, const QString &message)
{
    report::showMessageBox(parent, QMessageBox::Critical, VisitListWindow::tr("Visits behind this number"),
                           VisitListWindow::tr("The visits behind this number cannot be listed: %1")
                               .arg(withFullStop(message)));
}

} // namespace

// A cell in words, from its row's and column's identities in the result.
CellWords cellWords(const engine::CellListing &listing)
{
    const engine::CountCell &cell = listing.cell;
    const result::RowIdentity &row = cell.rowIdentity();
    const result::ColumnIdentity &column = cell.columnIdentity();
    CellWords words;
    if (!cell.isMorbidity()) {
        words.place = VisitListWindow::tr("Column %1").arg(column.number);
        words.placeInFull = VisitListWindow::tr("%1 (%2)").arg(words.place, column.headings.value(column.headings.size() - 1));
        words.column = VisitListWindow::tr("total");
        if (row.key == u"urban")
            words.column = VisitListWindow::tr("urban");
        else if (row.key == u"rural")
            words.column = VisitListWindow::tr("rural");
        return words;
    }
    words.place = words.placeInFull = VisitListWindow::tr("Total");
    if (row.kind == result::RowKind::Counted) {
        words.place = VisitListWindow::tr("Row %1").arg(row.number);
        words.placeInFull = VisitListWindow::tr("%1, %2").arg(words.place, row.label);
    } else if (row.kind == result::RowKind::Subtotal) {
        words.place = VisitListWindow::tr("Chapter %1").arg(row.label.section(u' ', -1));
        words.placeInFull = VisitListWindow::tr("%1 (%2)").arg(words.place, row.codes);
    }
    const QString band = column.band < 0 ? VisitListWindow::tr("all ages") : column.headings.value(0);
    const QString sex = column.sex == result::Sex::Female ? VisitListWindow::tr("women") : VisitListWindow::tr("men");
    words.column = VisitListWindow::tr("%1, %2").arg(band, sex);
    return words;
}

QString cellTitle(const engine::CellListing &listing)
{
    const CellWords words = cellWords(listing);
    return VisitListWindow::tr("%1, %2: %3").arg(words.placeInFull, words.column, visitsText(listing.lines.size()));
}

QString visitListFileName(const engine::CellListing &listing)
{
    const CellWords words = cellWords(listing);
    return report::fileNameOfWords(VisitListWindow::tr("%1, %2, %3")
                                       .arg(engine::reportWords(*listing.cell.report), words.place, words.column))
        + QStringLiteral(".csv");
}

VisitListModel::VisitListModel(const engine::CellListing &listing, QObject *parent)
    : QAbstractTableModel(parent), m_listing(listing), m_order(std::size_t(listing.lines.size()))
{
    for (std::size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = qsizetype(i);
}

int VisitListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int VisitListModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_listing.cell.isMorbidity() ? MorbidityColumnCount : engine::kVisitTextCount;
}

QString VisitListModel::text(qsizetype line, int column) const
{
    const engine::CellVisitList &lines = m_listing.lines;
    if (column < engine::kVisitTextCount) {
        const QString stored = lines.text(line, VisitText(column));
        return isMaccText(column) ? report::maccToUnicode(stored) : stored;
    }
    const engine::CellVisitList::Line &entry = lines.line(line);
    const result::ColumnIdentity &counted = m_listing.cell.shape->columns()[std::size_t(entry.column)];
    switch (column) {
    case RowColumn:
        return m_listing.cell.shape->rows()[std::size_t(entry.row)].number;
    case BandColumn:
        return counted.band < 0 ? QString() : counted.headings.value(0);
    case SexColumn:
        return counted.sex == result::Sex::Female ? VisitListWindow::tr("female") : VisitListWindow::tr("male");
    default:
        break;
    }
    return {};
}

QVariant VisitListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return text(lineOf(index.row()), index.column());
    return {};
}

QVariant VisitListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    // Short headings keep the fourteen columns in one window; the tip says each in full.
    static const char *const headings[][2] = {
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "No."), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Visit number (RED_BR)")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Date"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Visit date")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Citizen no."), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Citizen number")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Surname"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Surname")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Name"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Name")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Born"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Birth date")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Category"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Diagnosis category")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Sub."), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Diagnosis sub-category")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Doctor"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Doctor")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Settlement"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Settlement code")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Service"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Kind of service")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Row"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Row of the form it was counted in")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Age band"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Age band it was counted in")},
        {QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Sex"), QT_TRANSLATE_NOOP("tarel::app::VisitListWindow", "Sex it was counted under")},
    };
    if (section < 0 || section >= columnCount())
        return {};
    return VisitListWindow::tr(headings[section][role == Qt::ToolTipRole ? 1 : 0]);
}

void VisitListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qsizetype> linesBefore;
    for (const QModelIndex &index : before)
        linesBefore.push_back(lineOf(index.row()));

    // Each line's entry is read once; numbers compare as numbers, texts in
    // Macedonian alphabetical order (Ѓ after Д, Ј after И, Џ after Ч)
    // through their collation keys: the names are Macedonian whatever the
    // language of the program's own words, as the main window's texts are.
    // A stable sort from the list's order keeps equal entries in the list's
    // order.
    std::vector<qsizetype> byList(m_order.size());
    for (std::size_t i = 0; i < byList.size(); ++i)
        byList[i] = qsizetype(i);
    const bool numeric = column == int(VisitText::RowNumber) || column == RowColumn;
    const QCollator collator{QLocale(QLocale::Macedonian)};
    std::vector<QCollatorSortKey> texts;
    std::vector<qint64> numbers;
    for (qsizetype line = 0; line < qsizetype(byList.size()); ++line) {
        if (column == RowColumn)
            numbers.push_back(m_listing.lines.line(line).row);
        else if (numeric)
            numbers.push_back(m_listing.lines.text(line, VisitText::RowNumber).toLongLong());
        else
            texts.push_back(collator.sortKey(text(line, column)));
    }
    auto less = [&](qsizetype a, qsizetype b) {
        return numeric ? numbers[std::size_t(a)] < numbers[std::size_t(b)]
                       : texts[std::size_t(a)].compare(texts[std::size_t(b)]) < 0;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(byList.begin(), byList.end(), less);
    else
        std::stable_sort(byList.begin(), byList.end(), [&](qsizetype a, qsizetype b) { return less(b, a); });
    m_order = std::move(byList);

    std::vector<int> rowOfLine(m_order.size());
    for (std::size_t row = 0; row < m_order.size(); ++row)
        rowOfLine[std::size_t(m_order[row])] = int(row);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(rowOfLine[std::size_t(linesBefore[std::size_t(i)])], before[i].column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

VisitListWindow::VisitListWindow(engine::CellListing listing, const QString &title, const QString &fileName,
                                 std::optional<qint64> shown, QWidget *parent)
    : QDialog(parent), m_listing(std::move(listing)), m_fileName(fileName)
{
    setObjectName(QStringLiteral("visitListWindow"));
    setWindowTitle(title);
    setSizeGripEnabled(true);
    resize(1100, 560);

    auto *heading = new QLabel(title, this);
    heading->setObjectName(QStringLiteral("heading"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    heading->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    const qint64 listed = m_listing.lines.size();
    if (shown && *shown != listed)
        m_note->setText(tr("The database now gives %1 for this cell; the report shows %2.")
                            .arg(visitsText(listed), QLocale().toString(*shown)));
    m_note->setVisible(!m_note->text().isEmpty());

    m_model = new VisitListModel(m_listing, this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("visits"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSortIndicator(int(VisitText::VisitDate), Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnsToContents();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copyButton = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copy"));
    QPushButton *saveButton = buttons->addButton(tr("Save as CSV..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("save"));
    connect(copyButton, &QPushButton::clicked, this, &VisitListWindow::copy);
    connect(saveButton, &QPushButton::clicked, this, &VisitListWindow::chooseAndSave);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_note);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
}

QString VisitListWindow::note() const { return m_note->text(); }

QString VisitListWindow::copyText() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty())
        for (int row = 0; row < m_model->rowCount(); ++row)
            rows.push_back(row);
    auto field = [](QString text) { return text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' '); };
    QString text;
    for (int column = 0; column < m_model->columnCount(); ++column)
        text += (column ? QStringLiteral("\t") : QString()) + m_model->headerData(column, Qt::Horizontal).toString();
    text += u'\n';
    for (const int row : rows) {
        for (int column = 0; column < m_model->columnCount(); ++column)
            text += (column ? QStringLiteral("\t") : QString()) + field(m_model->index(row, column).data().toString());
        text += u'\n';
    }
    return text;
}

Result<void> VisitListWindow::save(const QString &path) const
{
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    QIODevice &device = file.device();
    // A byte order mark, so that spreadsheet programs read the file as UTF-8.
    device.write("\xEF\xBB\xBF");
    auto writeLine = [&](auto textOf) {
        QString line;
        for (int column = 0; column < m_model->columnCount(); ++column) {
            if (column)
                line += u',';
            report::appendCsvField(line, textOf(column));
        }
        line += QLatin1String("\r\n");
        device.write(line.toUtf8());
    };
    writeLine([&](int column) { return m_model->headerData(column, Qt::Horizontal).toString(); });
    for (int row = 0; row < m_model->rowCount(); ++row)
        writeLine([&](int column) { return m_model->data(m_model->index(row, column)).toString(); });
    return file.commit();
}

void VisitListWindow::copy() { QApplication::clipboard()->setText(copyText()); }

void VisitListWindow::chooseAndSave()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save the visits as CSV"), m_fileName, tr("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (Result<void> saved = save(path); !saved)
        report::showMessageBox(this, QMessageBox::Critical, windowTitle(), withFullStop(saved.message()));
}

bool hasVisitList(const report::PreparedReport &report, const report::OutputCell &cell)
{
    if (!report.result)
        return false;
    const Result<engine::RecordedRequest> recorded = engine::recordedRequestOf(*report.result);
    return recorded && engine::countCellOf(*recorded->request.report, cell.name).ok();
}

Result<data::Database *> databaseOf(data::Database *own, const engine::RecordedRequest &recorded,
                                    std::unique_ptr<data::Database> &opened)
{
    if (own && engine::readsFrom(*own, recorded))
        return own;
    Result<std::unique_ptr<data::Database>> reopened = engine::openRecordedDatabase(recorded);
    if (!reopened)
        return reopened.error();
    opened = std::move(*reopened);
    return opened.get();
}

void openVisitList(QWidget *parent, data::Database *own, const engine::RecordedRequest &recorded,
                   const QString &cellName, std::optional<qint64> shown, const QString &titleEnd)
{
    std::unique_ptr<data::Database> opened;
    const Result<data::Database *> database = databaseOf(own, recorded, opened);
    if (!database)
        return showFailure(parent, database.message());

    // The list runs as the reports run, with the busy cursor and, when it
    // lasts, the progress window with Cancel; its window opens when it ends.
    auto *run = listingRun((*database)->settings(), recorded.request, cellName, parent);
    auto *busy = new BusyCursor(run);
    auto progress = std::shared_ptr<RunProgress>(WindowUi().showProgress(parent, [run] { run->cancel(); }));
    run->follow(progress.get());
    QObject::connect(run, &BackgroundRun::finished, run, [run, busy, progress, shown, titleEnd, parent]() mutable {
        Result<engine::CellListing> listing = run->takeResult();
        delete busy;
        progress.reset();
        run->deleteLater();
        if (!listing) {
            if (listing.error().kind != ErrorKind::Cancelled)
                showFailure(parent, listing.message());
            return;
        }
        QString title = cellTitle(*listing);
        if (!titleEnd.isEmpty())
            title += QStringLiteral(" (") + titleEnd + u')';
        const QString fileName = visitListFileName(*listing);
        auto *window = new VisitListWindow(std::move(*listing), title, fileName, shown, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
    run->start();
}

void openVisitList(QWidget *parent, data::Database *own, const report::PreparedReport &report,
                   const report::OutputCell &cell)
{
    if (!report.result)
        return showFailure(parent, VisitListWindow::tr("the report does not say what it was asked"));
    const Result<engine::RecordedRequest> recorded = engine::recordedRequestOf(*report.result);
    if (!recorded)
        return showFailure(parent, recorded.message());
    // The number the report shows in the cell, from its counts.
    std::optional<qint64> shown;
    const Result<std::shared_ptr<const result::RunResult>> counted = engine::resultOf(report);
    const Result<engine::CountCell> counting = engine::countCellOf(*recorded->request.report, cell.name);
    if (counted && counting)
        shown = (*counted)->counts.value(counting->row, counting->column);
    openVisitList(parent, own, *recorded, cell.name, shown);
}

} // namespace tarel::app
