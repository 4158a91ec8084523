#include "previewdialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <cmath>

namespace tarel::report {

FindDialog::FindDialog(const FindRequest &initial, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(tr("Find Text"));
    auto *label = new QLabel(tr("Text to find:"), this);
    m_text = new QLineEdit(initial.text, this);
    m_text->setObjectName(QStringLiteral("textToFind"));
    label->setBuddy(m_text);
    m_caseSensitive = new QCheckBox(tr("Case sensitive"), this);
    m_caseSensitive->setObjectName(QStringLiteral("caseSensitive"));
    m_caseSensitive->setChecked(initial.caseSensitive);
    m_fromBeginning = new QCheckBox(tr("Search from begin"), this);
    m_fromBeginning->setObjectName(QStringLiteral("searchFromBegin"));
    m_fromBeginning->setChecked(initial.fromBeginning);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_text);
    layout->addWidget(m_caseSensitive);
    layout->addWidget(m_fromBeginning);
    layout->addWidget(buttons);
    m_text->selectAll();
}

FindRequest FindDialog::request() const
{
    return {m_text->text(), m_caseSensitive->isChecked(), m_fromBeginning->isChecked()};
}

namespace {

QDoubleSpinBox *centimetres(double millimetres, QWidget *parent, const char *name)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(2);
    box->setRange(0, 200);
    box->setSingleStep(0.1);
    box->setSuffix(PageSettingsDialog::tr(" cm"));
    box->setValue(millimetres / 10);
    return box;
}

double millimetres(const QDoubleSpinBox *box) { return box->value() * 10; }

} // namespace

PageSettingsDialog::PageSettingsDialog(const PageSettings &initial, QWidget *parent)
    : QDialog(parent), m_customCode(256)
{
    setObjectName(QStringLiteral("pageSettingsDialog"));
    setWindowTitle(tr("Page Settings"));

    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("paperSize"));
    for (const PaperSize &size : paperSizes())
        m_paper->addItem(QLatin1String(size.name), size.code);
    m_paper->addItem(tr("Custom"), m_customCode);
    m_width = centimetres(initial.paperWidth, this, "paperWidth");
    m_height = centimetres(initial.paperHeight, this, "paperHeight");
    OutputPage probe;
    probe.paperWidth = initial.paperWidth;
    probe.paperHeight = initial.paperHeight;
    const std::optional<PaperSize> named = paperSizeOf(probe);
    m_paper->setCurrentIndex(m_paper->findData(named ? named->code : m_customCode));
    const bool custom = !named;
    m_width->setEnabled(custom);
    m_height->setEnabled(custom);

    auto *paperBox = new QGroupBox(tr("Size"), this);
    auto *paperLayout = new QFormLayout(paperBox);
    paperLayout->addRow(tr("Size"), m_paper);
    paperLayout->addRow(tr("Width"), m_width);
    paperLayout->addRow(tr("Height"), m_height);

    auto *orientationBox = new QGroupBox(tr("Orientation"), this);
    m_portrait = new QRadioButton(tr("Portrait"), orientationBox);
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape = new QRadioButton(tr("Landscape"), orientationBox);
    m_landscape->setObjectName(QStringLiteral("landscape"));
    (initial.landscape ? m_landscape : m_portrait)->setChecked(true);
    auto *orientationLayout = new QVBoxLayout(orientationBox);
    orientationLayout->addWidget(m_portrait);
    orientationLayout->addWidget(m_landscape);

    auto *marginsBox = new QGroupBox(tr("Margins"), this);
    m_left = centimetres(initial.leftMargin, this, "leftMargin");
    m_right = centimetres(initial.rightMargin, this, "rightMargin");
    m_top = centimetres(initial.topMargin, this, "topMargin");
    m_bottom = centimetres(initial.bottomMargin, this, "bottomMargin");
    auto *marginsLayout = new QFormLayout(marginsBox);
    marginsLayout->addRow(tr("Left"), m_left);
    marginsLayout->addRow(tr("Right"), m_right);
    marginsLayout->addRow(tr("Top"), m_top);
    marginsLayout->addRow(tr("Bottom"), m_bottom);

    auto *applyBox = new QGroupBox(this);
    m_currentPage = new QRadioButton(tr("Apply to the current page"), applyBox);
    m_currentPage->setObjectName(QStringLiteral("applyToCurrentPage"));
    m_allPages = new QRadioButton(tr("Apply to all pages"), applyBox);
    m_allPages->setObjectName(QStringLiteral("applyToAllPages"));
    m_allPages->setChecked(true);
    auto *applyLayout = new QVBoxLayout(applyBox);
    applyLayout->addWidget(m_currentPage);
    applyLayout->addWidget(m_allPages);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(paperBox, 0, 0);
    grid->addWidget(orientationBox, 0, 1);
    grid->addWidget(marginsBox, 1, 0);
    grid->addWidget(applyBox, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);

    connect(m_paper, &QComboBox::currentIndexChanged, this, &PageSettingsDialog::paperChosen);
    connect(m_portrait, &QRadioButton::toggled, this, &PageSettingsDialog::checkMargins);
    for (QDoubleSpinBox *box : {m_width, m_height, m_left, m_right, m_top, m_bottom})
        connect(box, &QDoubleSpinBox::valueChanged, this, &PageSettingsDialog::checkMargins);
    checkMargins();
}

void PageSettingsDialog::paperChosen()
{
    const int code = m_paper->currentData().toInt();
    const bool custom = code == m_customCode;
    m_width->setEnabled(custom);
    m_height->setEnabled(custom);
    for (const PaperSize &size : paperSizes()) {
        if (size.code == code) {
            m_width->setValue(size.width / 10);
            m_height->setValue(size.height / 10);
        }
    }
}

void PageSettingsDialog::checkMargins()
{
    // The margins must leave some paper to print on.
    const double width = m_landscape->isChecked() ? m_height->value() : m_width->value();
    const double height = m_landscape->isChecked() ? m_width->value() : m_height->value();
    const bool fits = m_left->value() + m_right->value() < width
        && m_top->value() + m_bottom->value() < height && width > 0 && height > 0;
    if (m_ok)
        m_ok->setEnabled(fits);
}

PageSettingsChoice PageSettingsDialog::choice() const
{
    PageSettingsChoice result;
    result.settings.paperSize = m_paper->currentData().toInt();
    result.settings.paperWidth = millimetres(m_width);
    result.settings.paperHeight = millimetres(m_height);
    result.settings.landscape = m_landscape->isChecked();
    result.settings.leftMargin = millimetres(m_left);
    result.settings.rightMargin = millimetres(m_right);
    result.settings.topMargin = millimetres(m_top);
    result.settings.bottomMargin = millimetres(m_bottom);
    result.allPages = m_allPages->isChecked();
    return result;
}

namespace {

// A message box centred on its parent's window. The box takes its final size
// only as it is shown, after Qt has placed it by the size it had before.
class CentredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        if (QWidget *over = parentWidget() ? parentWidget()->window() : nullptr)
            move(over->geometry().center() - QPoint(width() / 2, height() / 2));
    }
};

} // namespace

QString withUnbrokenPaths(const QString &text)
{
    // A quoted text with a "/" in it, in the quotes of either language.
    static const QRegularExpression path(
        QStringLiteral("[\"\u201E\u201C][^\"\u201C\u201D\u201E\\n]*/[^\"\u201C\u201D\u201E\\n]*[\"\u201C\u201D]"));
    std::vector<std::pair<qsizetype, qsizetype>> paths;
    for (QRegularExpressionMatchIterator it = path.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        paths.emplace_back(match.capturedStart(), match.capturedEnd());
    }
    // A path too long for a box's line still breaks at its slashes, but
    // never after its first. The joiners go in from the end, so that the
    // positions found stay where they were.
    constexpr qsizetype kLongestUnbroken = 100;
    QString result = text;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        const bool whole = it->second - it->first <= kLongestUnbroken;
        const qsizetype firstSlash = result.indexOf(u'/', it->first);
        for (qsizetype i = it->second - 2; i > it->first; --i)
            if (result[i] == u'-' || (result[i] == u'/' && (whole || i == firstSlash)))
                result.insert(i + 1, kWordJoiner);
    }
    return result;
}

void showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    // Room for a title bar's icon and its minimise, maximise and close buttons.
    constexpr int kTitleBarButtons = 160;
    CentredMessageBox box(icon, title, withUnbrokenPaths(text), QMessageBox::Ok, parent);
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int width = QFontMetrics(box.font()).horizontalAdvance(title) + kTitleBarButtons;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box.exec();
}

namespace {

// The print dialog, its "Pages" field read as the user means it. Qt's own
// reading takes "7-", "5-3" or "abc" for all pages and prints the whole
// report without a word; here the field is read against the report's pages
// when the dialog is accepted: a text that names no page keeps the dialog
// open with a message, any other is written back as the closed ranges it
// means ("7-" becomes "7-13"), which Qt then reads as meant.
class PrintDialog : public QPrintDialog {
public:
    PrintDialog(QPrinter *printer, int pageCount, QWidget *parent)
        : QPrintDialog(printer, parent), m_pageCount(pageCount)
    {
    }

    void accept() override
    {
        auto *pages = findChild<QRadioButton *>(QStringLiteral("pagesRadioButton"));
        auto *field = findChild<QLineEdit *>(QStringLiteral("pagesLineEdit"));
        if (pages && field && pages->isChecked()) {
            const auto ranges = pageRangesTyped(field->text(), m_pageCount);
            if (!ranges) {
                showMessageBox(this, QMessageBox::Warning, windowTitle(),
                               PreviewDialogs::tr("\"%1\" names no page to print. Type page numbers or ranges "
                                                  "separated by commas, for example 1,3,5-12; 7- prints from page 7 "
                                                  "to the last, -3 the first three pages.")
                                   .arg(field->text()));
                field->setFocus();
                return;
            }
            field->setText(pageRangesText(*ranges));
        }
        QPrintDialog::accept();
    }

private:
    int m_pageCount;
};

} // namespace

PreviewDialogs PreviewDialogs::standard()
{
    PreviewDialogs dialogs;
    dialogs.printersInstalled = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
    dialogs.openFileName = [](QWidget *parent, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, tr("Open"), QString(), filter);
    };
    dialogs.saveFileName = [](QWidget *parent, const QString &caption, const QString &filter,
                              const QString &proposed) {
        return QFileDialog::getSaveFileName(parent, caption, proposed, filter);
    };
    dialogs.message = [](QWidget *parent, MessageKind kind, const QString &text) {
        showMessageBox(parent, kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Information,
                       tr("Preview"), text);
    };
    dialogs.find = [](QWidget *parent, const FindRequest &previous) -> std::optional<FindRequest> {
        FindDialog dialog(previous, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.request();
    };
    dialogs.pageSettings = [](QWidget *parent,
                              const PageSettings &current) -> std::optional<PageSettingsChoice> {
        PageSettingsDialog dialog(current, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.choice();
    };
    dialogs.print = [](QWidget *parent, QPrinter &printer, int currentPage, int pageCount) {
        PrintDialog dialog(&printer, pageCount, parent);
        dialog.setWindowTitle(tr("Print"));
        dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCurrentPage
                          | QAbstractPrintDialog::PrintCollateCopies
                          | QAbstractPrintDialog::PrintToFile);
        dialog.setMinMax(1, std::max(1, pageCount));
        dialog.setFromTo(1, std::max(1, pageCount));
        Q_UNUSED(currentPage);
        return dialog.exec() == QDialog::Accepted;
    };
    return dialogs;
}

PreviewDialogs &previewDialogs()
{
    static PreviewDialogs dialogs = PreviewDialogs::standard();
    return dialogs;
}

} // namespace tarel::report
