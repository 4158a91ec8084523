#pragma once

// The main window's controls as data: one row per control with its name,
// kind, parent, geometry, font and text, as the window's stored layout holds
// them. One builder walks the rows and creates the widgets.

#include "macc.h"

#include <QHash>
#include <QRect>
#include <QString>

#include <span>

class QWidget;

namespace tarel::app {

enum class ControlKind { Label, GroupBox, DoctorBox, DatePicker, Button, CheckBox, RadioButton };

// A font as the layout states it; no family means the parent's font.
struct ControlFont {
    const char *family = nullptr;
    int pixels = 0;
    bool bold = false;
};

inline constexpr ControlFont ParentFont{};
inline constexpr ControlFont MaccSwiss(int pixels, bool bold = false) { return {report::kMaccSwiss, pixels, bold}; }
inline constexpr ControlFont MsSansSerif(int pixels) { return {"MS Sans Serif", pixels, false}; }

struct ControlSpec {
    const char *name;
    ControlKind kind;
    const char *parent;  // nullptr: the window itself
    QRect geometry;      // labels state only left and top: they size to their text
    ControlFont font;
    const char *text;    // as stored, in the encoding of the control's font
    int tabOrder = -1;   // within the parent; -1: after the ordered ones, in table order
    bool checked = false;
};

// The rows of the main window TfrmTarel, panels before their controls.
std::span<const ControlSpec> mainWindowControls();

// The main window's own font: "MS Sans Serif", 11 pixels.
inline constexpr ControlFont MainWindowFont = MsSansSerif(11);

// Display format of the date pickers: the system's short date format, its
// year always with four digits.
QString pickerDisplayFormat();

// Creates the controls under `window` (whose font is already set), names
// them, places them, sets their fonts and texts (MAC C texts converted to
// Cyrillic where the MAC C font is not installed) and chains the tab order:
// parents in their order, and within a parent the controls in theirs.
// Returns the widgets by name.
QHash<QString, QWidget *> buildControls(QWidget *window, std::span<const ControlSpec> controls);

} // namespace tarel::app
