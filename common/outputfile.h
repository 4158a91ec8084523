#pragma once

// The one way the programs write a file (prepared reports, PDF, PNG, CSV):
// completely or not at all, and never over a file they read from.
//
// The bytes go to a new file beside the target; only when every write, the
// final flush and the sync to disk succeeded is it renamed over the target.
// A failed write (a full disk, a quota, a lost network share) removes the new
// file, leaves whatever was at the target as it was, and is an error that
// names the file and the system's reason ("No space left on device").
//
// Before anything is written, the target is checked: a symbolic link is
// followed to the file it names (unless a LinksReplaced scope says to replace
// it); a target that is a protected source (the source database, the journal
// files SQLite keeps beside it, the file a conversion reads) or that exists
// but is not a regular file (a folder, a named pipe, a device) is refused.

#include "result.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace tarel {

// Marks a file this process reads as one that no output may replace, for the
// rest of the process. what names it in the refusal ("the source database").
// A database file brings its companions "-wal", "-shm" and "-journal" along.
void protectSource(const QString &path, const QString &what);
void protectDatabaseFile(const QString &path);

// Checks a target as opening an OutputFile does, so that a long run can be
// refused before it starts.
Result<void> checkOutputTarget(const QString &path);
// Whether two paths name the same file to write (links followed as writing
// follows them), so that two outputs of one run can be refused before it.
bool sameOutputTarget(const QString &first, const QString &second);

// While it lives, the output files of this thread replace what is at their
// path: a symbolic link there is replaced by the new file, never followed.
// A batch writes so into its folder, where a link planted at a file's name
// must not lead the file outside.
class [[nodiscard]] LinksReplaced {
public:
    LinksReplaced();
    ~LinksReplaced();
    LinksReplaced(const LinksReplaced &) = delete;
    LinksReplaced &operator=(const LinksReplaced &) = delete;

private:
    bool m_previous;
};

// While it lives, the output files of this thread that commit are written
// and synced to disk but not yet renamed over their targets; commit()
// renames them all. Without commit() they are removed when it ends and every
// target stays as it was, so files that belong together (a report and its
// data check) are written both or neither.
class [[nodiscard]] OutputSet {
public:
    OutputSet();
    ~OutputSet();
    OutputSet(const OutputSet &) = delete;
    OutputSet &operator=(const OutputSet &) = delete;

    Result<void> commit();

private:
    friend class OutputFile;
    struct Pending;
    std::vector<Pending> m_pending;
    OutputSet *m_previous;
};

class OutputFile {
public:
    explicit OutputFile(QString path);
    ~OutputFile(); // an uncommitted file is removed, the target left alone
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    const QString &path() const { return m_path; }

    // Checks the target and creates the new file beside it.
    Result<void> open();
    // The new file's name, between open() and commit(), for a writer that
    // writes only to a file name (its bytes then replace the target as any
    // other's: commit() syncs and renames that file).
    const QString &temporaryPath() const { return m_temporary; }
    // Where the bytes go, between open() and commit(). A failed write fails
    // here (write() returns -1) and again at commit().
    QIODevice &device();
    // Writes what is buffered, syncs it to disk and renames it over the target.
    Result<void> commit();
    // Removes the new file; the target stays as it was.
    void cancel();
    // The system's reason of a write that failed so far, or an empty text.
    QString writeFailure() const;

    // "Cannot write "<path>": <problem>": the error of this file.
    Error error(const QString &problem) const;

private:
    class Device;
    QString m_path;
    QString m_target;    // the file that is replaced: m_path, its links followed unless they are replaced
    QString m_temporary; // the new file beside it
    std::unique_ptr<Device> m_device;
};

// Writes bytes to a file completely or not at all.
Result<void> writeOutputFile(const QString &path, const QByteArray &bytes);

namespace testing {

// A write fault for tests: once an output file has had afterBytes bytes
// written to disk, further writes fail with the system error errorNumber, as
// on a full disk. Active while the object lives.
class OutputFault {
public:
    OutputFault(qint64 afterBytes, int errorNumber);
    ~OutputFault();
    OutputFault(const OutputFault &) = delete;
    OutputFault &operator=(const OutputFault &) = delete;
};

} // namespace testing

} // namespace tarel
