#pragma once

// Values read from a database or a file, as messages quote them.

#include <QString>
#include <QStringView>

namespace tarel {

// The longest value a message quotes, in characters; a longer one is cut and
// ends in "...".
inline constexpr qsizetype kShownTextLength = 60;
// The longest message of another program (a database server's error, which
// may itself quote a value) that is passed on.
inline constexpr qsizetype kShownMessageLength = 400;

// A value as a message quotes it: control and invisible formatting characters
// (an escape sequence, a NUL, a line break, a right-to-left override) written
// as \xNN or \uNNNN, so that nothing in the value acts on the terminal or the
// message box, and a long value cut to maxLength characters. Ordinary text
// comes back unchanged.
QString shownText(QStringView text, qsizetype maxLength = kShownTextLength);

} // namespace tarel
