#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <variant>

namespace tarel {

// What kind of failure an error is, so that a caller can act on it: the
// command-line tool exits 2 on a usage error and 1 on the others, the window
// shows nothing for a cancelled run.
enum class ErrorKind {
    Run,       // the run or the database failed
    Usage,     // the request itself cannot be run (bad option, unknown doctor)
    File,      // a file could not be read or written
    Cancelled, // the user stopped the run
};

// The message of a failed operation, in the words the user sees (the window
// shows it in an error box, the command-line tool on standard error, both
// with withFullStop).
struct Error {
    QString message;
    ErrorKind kind = ErrorKind::Run;
};

// A value or an error, passed across library boundaries instead of exceptions.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    explicit operator bool() const { return m_state.index() == 0; }
    bool ok() const { return m_state.index() == 0; }

    T &value() & { return std::get<0>(m_state); }
    const T &value() const & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }

    const Error &error() const { return std::get<1>(m_state); }
    const QString &message() const { return error().message; }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    explicit operator bool() const { return !m_error; }
    bool ok() const { return !m_error; }
    const Error &error() const { return *m_error; }
    const QString &message() const { return m_error->message; }

private:
    std::optional<Error> m_error;
};

inline Error fail(QString message, ErrorKind kind = ErrorKind::Run) { return Error{std::move(message), kind}; }

// The one rule for ending a message shown to the user, in the error box and
// on standard error alike: a full stop is appended to each line of the
// message unless the line already ends a sentence (".", "!" or "?").
inline QString withFullStop(const QString &message)
{
    const QList<QStringView> lines = QStringView(message).split(QLatin1Char('\n'));
    QString shown;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            shown += QLatin1Char('\n');
        shown += lines[i];
        if (!lines[i].isEmpty() && !lines[i].endsWith(QLatin1Char('.')) && !lines[i].endsWith(QLatin1Char('!'))
            && !lines[i].endsWith(QLatin1Char('?')))
            shown += QLatin1Char('.');
    }
    return shown;
}

} // namespace tarel
