#include "controls.h"

#include "dateformat.h"

#include "macc.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <qdrawutil.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace tarel::app {

namespace {

using K = ControlKind;

// Positions and sizes in pixels (left, top, width, height), relative to the
// parent's top-left corner; tab order within the parent.
const ControlSpec kControls[] = {
    // Header
    {"Label7", K::Label, nullptr, {8, 8, 0, 0}, MaccSwiss(16, true), "Halmor in`enering"},
    {"Label8", K::Label, nullptr, {720, 8, 0, 0}, MaccSwiss(16, true), "Softver za izve{tai"},
    {"Label9", K::Label, nullptr, {904, 8, 0, 0}, MsSansSerif(16), "Verzija 2.5"},
    {"Label14", K::Label, nullptr, {912, 32, 0, 0}, MsSansSerif(13), "09-05-2010"},
    {"Label21", K::Label, nullptr, {128, 40, 0, 0}, MaccSwiss(16, true),
     "Ovaa verzija od programata se koristi dokolku imate Pelorida Vo-Trak 8.4 ili ponova"},
    {"Label13", K::Label, nullptr, {104, 64, 0, 0}, MaccSwiss(15, true),
     "Vo zavisnost od konfiguracijata na kompjuterot, kreiraweto na izve{tajot mo`e da trae i do 5 minuti"},

    // The six panels
    {"GroupBox1", K::GroupBox, nullptr, {8, 96, 505, 137}, MaccSwiss(13, true),
     "Sostojbi spored spored vozrasta i polot vo dejnost 3 op{ta medicina", 0},
    {"GroupBox2", K::GroupBox, nullptr, {8, 248, 505, 137}, MaccSwiss(13, true),
     "Sostojbi spored spored vozrasta i polot na u~ili{ni deca i mladina", 1},
    {"GroupBox3", K::GroupBox, nullptr, {8, 400, 505, 137}, MaccSwiss(13, true),
     "Sostojbi spored spored vozrasta i polot na decata ", 2},
    {"GroupBox4", K::GroupBox, nullptr, {528, 104, 449, 137}, MaccSwiss(13, true),
     "Izve{taj za poseta na ordinacija za u~ili{ni deca i mladina", 3},
    {"GroupBox5", K::GroupBox, nullptr, {528, 400, 449, 137}, MaccSwiss(13, true),
     "Izve{taj za poseta na ordinacija za op{ta medicina", 4},
    {"GroupBox6", K::GroupBox, nullptr, {528, 248, 449, 137}, MaccSwiss(13, true), "Izve{taj za poseta za deca ", 5},

    // General-medicine morbidity panel
    {"Label1", K::Label, "GroupBox1", {27, 17, 0, 0}, MaccSwiss(13, true), "Lekar:"},
    {"cbLekar", K::DoctorBox, "GroupBox1", {76, 15, 229, 20}, MaccSwiss(11), "", 0},
    {"Label3", K::Label, "GroupBox1", {7, 41, 0, 0}, ParentFont, "Datum od:"},
    {"Datefrom", K::DatePicker, "GroupBox1", {76, 40, 117, 23}, MaccSwiss(13), "", 2},
    {"Label4", K::Label, "GroupBox1", {7, 65, 0, 0}, ParentFont, "Datum do:"},
    {"Dateto", K::DatePicker, "GroupBox1", {76, 64, 117, 23}, ParentFont, "", 1},
    {"btnIzvestaj", K::Button, "GroupBox1", {76, 96, 113, 25}, MaccSwiss(13, true), "Izve{taj", 3},
    {"lekari", K::CheckBox, "GroupBox1", {384, 24, 105, 17}, ParentFont, "Site lekari", 4},
    {"grad", K::RadioButton, "GroupBox1", {384, 48, 113, 17}, ParentFont, "Grad", 5},
    {"selo", K::RadioButton, "GroupBox1", {384, 72, 113, 17}, ParentFont, "Selo", 6},
    {"gradselo", K::RadioButton, "GroupBox1", {384, 96, 113, 17}, ParentFont, "Grad/Selo", 7, true},

    // School children and youth morbidity panel
    {"Label6", K::Label, "GroupBox2", {27, 25, 0, 0}, MaccSwiss(13, true), "Lekar:"},
    {"cbLekar1", K::DoctorBox, "GroupBox2", {76, 23, 229, 20}, MaccSwiss(11), "", 0},
    {"Label2", K::Label, "GroupBox2", {7, 49, 0, 0}, ParentFont, "Datum od:"},
    {"datefrom1", K::DatePicker, "GroupBox2", {76, 48, 117, 20}, MaccSwiss(11), "", 2},
    {"Label5", K::Label, "GroupBox2", {7, 73, 0, 0}, ParentFont, "Datum do:"},
    {"dateto1", K::DatePicker, "GroupBox2", {76, 72, 117, 20}, ParentFont, "", 1},
    {"btnIzvestaj1", K::Button, "GroupBox2", {76, 96, 113, 25}, MaccSwiss(13, true), "Izve{taj", 3},
    {"lekari1", K::CheckBox, "GroupBox2", {384, 24, 105, 17}, ParentFont, "Site lekari", 4},
    {"grad1", K::RadioButton, "GroupBox2", {384, 48, 113, 17}, ParentFont, "Grad", 5},
    {"selo1", K::RadioButton, "GroupBox2", {384, 72, 113, 17}, ParentFont, "Selo", 6},
    {"gradselo1", K::RadioButton, "GroupBox2", {384, 96, 113, 17}, ParentFont, "Grad/Selo", 7, true},

    // Pre-school children morbidity panel
    {"Label12", K::Label, "GroupBox3", {27, 25, 0, 0}, MaccSwiss(13, true), "Lekar:"},
    {"cbLekar2", K::DoctorBox, "GroupBox3", {76, 23, 229, 20}, MaccSwiss(11), "", 0},
    {"Label10", K::Label, "GroupBox3", {7, 49, 0, 0}, ParentFont, "Datum od:"},
    {"datefrom2", K::DatePicker, "GroupBox3", {76, 48, 117, 20}, MaccSwiss(11), "", 2},
    {"Label11", K::Label, "GroupBox3", {7, 73, 0, 0}, ParentFont, "Datum do:"},
    {"dateto2", K::DatePicker, "GroupBox3", {76, 72, 117, 20}, ParentFont, "", 1},
    {"btnIzvestaj2", K::Button, "GroupBox3", {78, 96, 115, 25}, MaccSwiss(13, true), "Izve{taj", 3},
    {"lekari2", K::CheckBox, "GroupBox3", {384, 24, 105, 17}, ParentFont, "Site lekari", 4},
    {"grad2", K::RadioButton, "GroupBox3", {384, 48, 113, 17}, ParentFont, "Grad", 5},
    {"selo2", K::RadioButton, "GroupBox3", {384, 72, 113, 17}, ParentFont, "Selo", 6},
    {"gradselo2", K::RadioButton, "GroupBox3", {384, 96, 113, 17}, ParentFont, "Grad/Selo", 7, true},

    // Visit panels: school children and youth, children, general medicine
    {"Label15", K::Label, "GroupBox4", {7, 22, 0, 0}, ParentFont, "Datum od:"},
    {"datumod", K::DatePicker, "GroupBox4", {76, 21, 117, 23}, MaccSwiss(13), ""},
    {"Label16", K::Label, "GroupBox4", {7, 46, 0, 0}, ParentFont, "Datum do:"},
    {"datumdo", K::DatePicker, "GroupBox4", {76, 45, 117, 23}, MaccSwiss(13), ""},
    {"btnPosetaDecaMladina", K::Button, "GroupBox4", {12, 80, 181, 25}, MaccSwiss(13, true), "Izve{taj"},

    {"Label18", K::Label, "GroupBox6", {7, 22, 0, 0}, ParentFont, "Datum od:"},
    {"datumod1", K::DatePicker, "GroupBox6", {76, 21, 117, 23}, MaccSwiss(13), ""},
    {"Label17", K::Label, "GroupBox6", {7, 46, 0, 0}, ParentFont, "Datum do:"},
    {"datumdo1", K::DatePicker, "GroupBox6", {76, 45, 117, 23}, MaccSwiss(13), ""},
    {"btnPosetaMladina", K::Button, "GroupBox6", {12, 80, 181, 25}, MaccSwiss(13, true), "Izve{taj"},

    {"Label19", K::Label, "GroupBox5", {7, 22, 0, 0}, ParentFont, "Datum od:"},
    {"datumod2", K::DatePicker, "GroupBox5", {76, 21, 117, 23}, MaccSwiss(13), ""},
    {"Label20", K::Label, "GroupBox5", {7, 46, 0, 0}, ParentFont, "Datum do:"},
    {"datumdo2", K::DatePicker, "GroupBox5", {76, 45, 117, 23}, MaccSwiss(13), ""},
    {"dtnPosetaOrdinacija", K::Button, "GroupBox5", {12, 80, 181, 25}, MaccSwiss(13, true), "Izve{taj"},
};

bool sameName(const char *a, const char *b)
{
    if (!a || !b)
        return a == b;
    return qstrcmp(a, b) == 0;
}

report::Font reportFont(const ControlFont &font)
{
    report::Font result;
    result.name = QString::fromLatin1(font.family);
    result.height = font.pixels;
    result.bold = font.bold;
    return result;
}

// The font a control draws with: its own, else its parent's, else the window's.
ControlFont effectiveFont(std::span<const ControlSpec> controls, const ControlSpec &control)
{
    const ControlSpec *current = &control;
    while (current) {
        if (current->font.family)
            return current->font;
        const ControlSpec *parent = nullptr;
        for (const ControlSpec &candidate : controls)
            if (current->parent && sameName(candidate.name, current->parent))
                parent = &candidate;
        current = parent;
    }
    return MainWindowFont;
}

// A report button: Enter and the keypad's Enter press it as Space does, so a
// report runs from the keyboard wherever the focus rests on its button.
class ReportButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // A held key repeats; the report runs once.
            if (!event->isAutoRepeat())
                click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// A date picker: a single click into its date selects the part clicked (day,
// month or year), so that typing replaces it, as after a double click or
// after tabbing in. A date is typed as it is written: digits alone, or with
// ".", "/", "-" or a blank between day, month and year, whatever separator
// the display shows. Its calendar names months and days in Macedonian.
class DatePicker : public QDateEdit {
public:
    explicit DatePicker(QWidget *parent) : QDateEdit(parent)
    {
        setCalendarPopup(true);
        setDisplayFormat(pickerDisplayFormat());
        calendarWidget()->setLocale(QLocale(QLocale::Macedonian));
        lineEdit()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The press has placed the cursor, and with it the current part; a
        // drag has selected text of its own.
        if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && !lineEdit()->hasSelectedText()) {
            setSelectedSection(currentSection());
            m_movedOn = false;
        }
        return QDateEdit::eventFilter(watched, event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const QString typed = event->text();
        if (typed.size() == 1 && isSeparator(typed.front())) {
            // The part before is complete: the cursor moves to the next
            // part, unless its last digit already moved it there.
            if (!m_movedOn && currentSectionIndex() + 1 < sectionCount()) {
                setCurrentSectionIndex(currentSectionIndex() + 1);
                setSelectedSection(currentSection());
            }
            m_movedOn = false;
            event->accept();
            return;
        }
        const int before = currentSectionIndex();
        QDateEdit::keyPressEvent(event);
        // A part full of digits (two for the day) moves the cursor on by itself.
        m_movedOn = typed.size() == 1 && typed.front().isDigit() && currentSectionIndex() != before;
    }

    void focusInEvent(QFocusEvent *event) override
    {
        m_movedOn = false;
        QDateEdit::focusInEvent(event);
    }

private:
    static bool isSeparator(QChar c) { return c.isPrint() && !c.isLetterOrNumber(); }

    bool m_movedOn = false; // the last digit typed completed its part and moved on
};

// A panel: an etched frame whose top line runs at the middle of the
// caption's height, broken for the caption, so the controls placed just below
// the caption stay inside the frame. (The style's own group box draws its
// frame below the caption, through the controls of the top row.)
class Panel : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const QRect caption(kCaptionIndent, 0, metrics.horizontalAdvance(title()) + 2 * kCaptionGap,
                            metrics.height());
        painter.setClipRegion(QRegion(rect()) - caption);
        qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1, 0);
        painter.setClipping(false);
        style()->drawItemText(&painter, caption.adjusted(kCaptionGap, 0, -kCaptionGap, 0),
                              Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), title(),
                              QPalette::WindowText);
    }

private:
    static constexpr int kCaptionIndent = 6;
    static constexpr int kCaptionGap = 2;
};

// The area choice of a panel is one stop of the tab chain, on its checked
// button; the arrow keys move the choice within the group.
void keepTabStopOnChecked(QRadioButton *checked)
{
    for (QRadioButton *button : checked->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
        button->setFocusPolicy(button == checked ? Qt::StrongFocus : Qt::ClickFocus);
}

QWidget *createControl(const ControlSpec &stated, QWidget *parent, const QString &text)
{
    switch (stated.kind) {
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::GroupBox:
        return new Panel(text, parent);
    case ControlKind::DoctorBox:
        return new QComboBox(parent);
    case ControlKind::DatePicker:
        return new DatePicker(parent);
    case ControlKind::Button:
        return new ReportButton(text, parent);
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(text, parent);
        box->setChecked(stated.checked);
        return box;
    }
    case ControlKind::RadioButton: {
        auto *button = new QRadioButton(text, parent);
        button->setChecked(stated.checked);
        QObject::connect(button, &QRadioButton::toggled, button, [button](bool on) {
            if (on)
                keepTabStopOnChecked(button);
        });
        return button;
    }
    }
    return nullptr;
}

bool takesFocus(ControlKind kind) { return kind != ControlKind::Label && kind != ControlKind::GroupBox; }

// The focusable controls under one parent in tab order, panels expanded in place.
void collectTabChain(std::span<const ControlSpec> controls, const char *parent,
                     const QHash<QString, QWidget *> &widgets, std::vector<QWidget *> &chain)
{
    std::vector<const ControlSpec *> children;
    for (const ControlSpec &control : controls)
        if (sameName(control.parent, parent))
            children.push_back(&control);
    std::stable_sort(children.begin(), children.end(), [](const ControlSpec *a, const ControlSpec *b) {
        return (a->tabOrder < 0 ? INT_MAX : a->tabOrder) < (b->tabOrder < 0 ? INT_MAX : b->tabOrder);
    });
    for (const ControlSpec *child : children) {
        if (takesFocus(child->kind))
            chain.push_back(widgets.value(QString::fromLatin1(child->name)));
        else if (child->kind == ControlKind::GroupBox)
            collectTabChain(controls, child->name, widgets, chain);
    }
}

} // namespace

std::span<const ControlSpec> mainWindowControls() { return kControls; }

QString pickerDisplayFormat()
{
    // The same short date format the report headers print, with the century
    // always shown so a typed year never lands in the wrong century. The
    // program's locale is the system's (tests set another).
    return shortDateFormat(QLocale());
}

QHash<QString, QWidget *> buildControls(QWidget *window, std::span<const ControlSpec> controls)
{
    QHash<QString, QWidget *> widgets;
    for (const ControlSpec &stated : controls) {
        QWidget *parent = stated.parent ? widgets.value(QString::fromLatin1(stated.parent)) : window;
        Q_ASSERT(parent);
        const report::Font font = reportFont(effectiveFont(controls, stated));
        const QString text = report::displayText(font, QString::fromLatin1(stated.text));
        QWidget *widget = createControl(stated, parent, text);
        widget->setObjectName(QString::fromLatin1(stated.name));
        if (stated.font.family)
            widget->setFont(report::displayFont(font));
        if (stated.kind == ControlKind::Label) {
            widget->move(stated.geometry.topLeft());
            widget->adjustSize();
        } else {
            widget->setGeometry(stated.geometry);
        }
        widgets.insert(widget->objectName(), widget);
    }

    for (QWidget *widget : std::as_const(widgets))
        if (auto *button = qobject_cast<QRadioButton *>(widget); button && button->isChecked())
            keepTabStopOnChecked(button);

    std::vector<QWidget *> chain;
    collectTabChain(controls, nullptr, widgets, chain);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    return widgets;
}

} // namespace tarel::app
