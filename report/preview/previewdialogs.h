#pragma once

// The dialogs the preview window opens, and the hooks through which it opens
// them: every question to the user and every message goes through
// PreviewDialogs, so that a test can answer instead of a person.

#include "previewmodel.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace tarel::report {

struct FindRequest {
    QString text;
    bool caseSensitive = false;
    bool fromBeginning = false;
};

// "Find Text": "Text to find:", "Case sensitive", "Search from begin".
class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(const FindRequest &initial, QWidget *parent = nullptr);
    FindRequest request() const;

private:
    QLineEdit *m_text;
    QCheckBox *m_caseSensitive;
    QCheckBox *m_fromBeginning;
};

struct PageSettingsChoice {
    PageSettings settings;
    bool allPages = false;
};

// "Page Settings": paper size, orientation, margins in cm, and whether they
// apply to the current page or to all pages.
class PageSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit PageSettingsDialog(const PageSettings &initial, QWidget *parent = nullptr);
    PageSettingsChoice choice() const;

private:
    void paperChosen();
    void checkMargins();

    QComboBox *m_paper;
    QDoubleSpinBox *m_width;
    QDoubleSpinBox *m_height;
    QRadioButton *m_portrait;
    QRadioButton *m_landscape;
    QDoubleSpinBox *m_left;
    QDoubleSpinBox *m_right;
    QDoubleSpinBox *m_top;
    QDoubleSpinBox *m_bottom;
    QRadioButton *m_currentPage;
    QRadioButton *m_allPages;
    QPushButton *m_ok = nullptr;
    int m_customCode;
};

enum class MessageKind { Information, Error };

// Shows a message box with an OK button, centred on the parent's window
// (shown or not), and waits for it. The box is kept wide enough for its title
// in a window manager's title bar, which also holds the window's icon and
// buttons: a short message would otherwise cut the title down to its first
// letter.
// A file's path quoted in the text is kept on one line (withUnbrokenPaths).
void showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text);
// The text with every quoted text that holds a "/" (a file's path) made
// unbreakable: an invisible word joiner (U+2060) after each of its slashes
// and hyphens, where lines would otherwise break ("/" at a line's end and
// "tmp/..." on the next read as two words).
inline constexpr QChar kWordJoiner{0x2060};
QString withUnbrokenPaths(const QString &text);

// How the preview asks and tells. The defaults open the real dialogs; a test
// replaces the members it needs.
struct PreviewDialogs {
    // Whether any printer is installed.
    std::function<bool()> printersInstalled;
    // The file to open; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &filter)> openFileName;
    // The file to save to, the name proposed (without folder) filled in;
    // empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption, const QString &filter, const QString &proposed)>
        saveFileName;
    std::function<void(QWidget *parent, MessageKind kind, const QString &text)> message;
    std::function<std::optional<FindRequest>(QWidget *parent, const FindRequest &previous)> find;
    std::function<std::optional<PageSettingsChoice>(QWidget *parent, const PageSettings &current)>
        pageSettings;
    // Lets the user set up the printer and pages; false when cancelled.
    std::function<bool(QWidget *parent, QPrinter &printer, int currentPage, int pageCount)> print;

    static PreviewDialogs standard();

    Q_DECLARE_TR_FUNCTIONS(PreviewDialogs)
};

// The dialogs new preview windows use; standard() unless a test changed them.
PreviewDialogs &previewDialogs();

} // namespace tarel::report
