#include "outputfile.h"

#include "inputfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace tarel {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

QString systemReason(int errorNumber) { return qt_error_string(errorNumber); }

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

// ---- protected sources -------------------------------------------------------

struct ProtectedFile {
    QString path;   // absolute, links followed where the file exists
    QString source; // the source it is or belongs to, as registered
    QString what;   // "the source database"
    bool companion = false;
};

QMutex registryMutex;
std::vector<ProtectedFile> &registry()
{
    static std::vector<ProtectedFile> files;
    return files;
}

QString resolvedExisting(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

void addProtected(const QString &path, const QString &source, const QString &what, bool companion)
{
    ProtectedFile file{resolvedExisting(path), source, what, companion};
    QMutexLocker lock(&registryMutex);
    for (const ProtectedFile &known : registry())
        if (known.path == file.path)
            return;
    registry().push_back(file);
}

// Whether a protected file is, at this moment, the file target names by
// another path (a hard link, a bind mount): the same device and inode.
bool sameFileNow(const ProtectedFile &file, const struct stat &target)
{
    struct stat status {};
    return ::stat(QFile::encodeName(file.path).constData(), &status) == 0 && status.st_dev == target.st_dev
        && status.st_ino == target.st_ino;
}

// ---- write faults for tests ----------------------------------------------------

struct Fault {
    qint64 afterBytes;
    int errorNumber;
};
QMutex faultMutex;
std::optional<Fault> activeFault;

std::optional<Fault> currentFault()
{
    QMutexLocker lock(&faultMutex);
    return activeFault;
}

// A rename reaches the disk with its folder.
void syncFolderOf(const QString &file)
{
    const int folder = ::open(encoded(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// ---- this thread's ways of writing ---------------------------------------------

thread_local bool linksReplaced = false;
thread_local OutputSet *currentSet = nullptr;

// ---- the target ------------------------------------------------------------------

struct Target {
    QString path;              // the file that is replaced
    std::optional<mode_t> mode; // its mode, when it exists
};

// The file a write to path replaces: symbolic links followed (a link is
// kept and the file it names is replaced) unless links are replaced, the
// folder's links resolved; an error when that file may not be replaced. The
// message is the problem alone.
Result<Target> resolveTarget(const QString &path)
{
    if (path.isEmpty())
        return fail(Text::tr("no file name given"));
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int hops = 0; !linksReplaced; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            break;
        if (hops == 40)
            return fail(systemReason(ELOOP));
        current = QDir::cleanPath(info.symLinkTarget());
    }
    const QFileInfo info(current);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return fail(Text::tr("the folder \"%1\" does not exist").arg(info.absolutePath()));
    Target target;
    target.path = QDir(folder).filePath(info.fileName());

    struct stat status {};
    if (::lstat(encoded(target.path).constData(), &status) == 0) {
        if (linksReplaced && S_ISLNK(status.st_mode))
            return target; // the link itself is replaced: nothing it names is touched
        if (!S_ISREG(status.st_mode))
            return fail(notRegularFile(target.path));
        target.mode = status.st_mode;
    } else if (errno != ENOENT) {
        return fail(systemReason(errno));
    }

    QMutexLocker lock(&registryMutex);
    for (const ProtectedFile &file : registry()) {
        if (file.path != target.path && !(target.mode && sameFileNow(file, status)))
            continue;
        if (file.companion)
            return fail(Text::tr("it belongs to %1 \"%2\", which is only read. Choose another file name")
                            .arg(file.what, file.source));
        return fail(Text::tr("it is %1 \"%2\", which is only read. Choose another file name")
                        .arg(file.what, file.source));
    }
    return target;
}

bool writeAll(int fd, const char *data, qint64 size, qint64 *written, int *errorNumber)
{
    const std::optional<Fault> fault = currentFault();
    while (size > 0) {
        qint64 chunk = size;
        if (fault) {
            const qint64 room = fault->afterBytes - *written;
            if (room <= 0) {
                *errorNumber = fault->errorNumber;
                return false;
            }
            chunk = std::min(chunk, room);
        }
        const ssize_t done = ::write(fd, data, size_t(chunk));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            *errorNumber = errno;
            return false;
        }
        if (done == 0) {
            *errorNumber = EIO;
            return false;
        }
        data += done;
        size -= done;
        *written += done;
    }
    return true;
}

} // namespace

// ---- the device ----------------------------------------------------------------------

// Buffers the writes (a PDF arrives in many small pieces) and latches the
// first failure: every later write fails too, and so does the commit.
class OutputFile::Device final : public QIODevice {
public:
    explicit Device(int fd) : m_fd(fd)
    {
        m_buffer.reserve(BufferSize);
        QIODevice::open(QIODevice::WriteOnly);
    }

    int fd() const { return m_fd; }
    int errorNumber() const { return m_error; }

    bool flushBuffer()
    {
        if (m_error)
            return false;
        if (m_buffer.isEmpty())
            return true;
        const bool ok = writeAll(m_fd, m_buffer.constData(), m_buffer.size(), &m_written, &m_error);
        m_buffer.clear();
        if (!ok)
            setErrorString(systemReason(m_error));
        return ok;
    }

    bool seek(qint64 position) override
    {
        if (!flushBuffer())
            return false;
        if (::lseek(m_fd, off_t(position), SEEK_SET) < 0) {
            m_error = errno;
            setErrorString(systemReason(m_error));
            return false;
        }
        return QIODevice::seek(position);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }

    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_error)
            return -1;
        if (m_buffer.size() + size > BufferSize && !flushBuffer())
            return -1;
        if (size >= BufferSize) {
            if (!writeAll(m_fd, data, size, &m_written, &m_error)) {
                setErrorString(systemReason(m_error));
                return -1;
            }
            return size;
        }
        m_buffer.append(data, size);
        return size;
    }

private:
    static constexpr qsizetype BufferSize = 256 * 1024;
    int m_fd;
    QByteArray m_buffer;
    qint64 m_written = 0;
    int m_error = 0;
};

// ---- the output file ---------------------------------------------------------------

void protectSource(const QString &path, const QString &what)
{
    addProtected(path, path, what, false);
}

void protectDatabaseFile(const QString &path)
{
    const QString what = Text::tr("the source database");
    addProtected(path, path, what, false);
    // SQLite names its companions after the database file as it was opened.
    const QString base = resolvedExisting(path);
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        addProtected(base + QLatin1String(suffix), path, what, true);
}

Result<void> checkOutputTarget(const QString &path)
{
    if (Result<Target> target = resolveTarget(path); !target)
        return fail(Text::tr("Cannot write \"%1\": %2").arg(path, target.message()));
    return {};
}

bool sameOutputTarget(const QString &first, const QString &second)
{
    const Result<Target> a = resolveTarget(first);
    const Result<Target> b = resolveTarget(second);
    if (!a || !b)
        return false;
    if (a->path == b->path)
        return true;
    struct stat one {}, other {};
    return ::stat(encoded(a->path).constData(), &one) == 0 && ::stat(encoded(b->path).constData(), &other) == 0
        && one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

LinksReplaced::LinksReplaced() : m_previous(linksReplaced) { linksReplaced = true; }

LinksReplaced::~LinksReplaced() { linksReplaced = m_previous; }

// A file of a set, written and synced, waiting for its rename.
struct OutputSet::Pending {
    QString path;      // as the writer named it
    QString target;    // the file it replaces
    QString temporary; // the new file
};

OutputSet::OutputSet() : m_previous(currentSet) { currentSet = this; }

OutputSet::~OutputSet()
{
    currentSet = m_previous;
    for (const Pending &file : m_pending)
        ::unlink(encoded(file.temporary).constData());
}

Result<void> OutputSet::commit()
{
    // Every target once more before the first rename, so that a target that
    // changed meanwhile leaves them all as they were.
    for (const Pending &file : m_pending) {
        Result<Target> target = resolveTarget(file.path);
        if (!target || target->path != file.target)
            return fail(Text::tr("Cannot write \"%1\": %2")
                            .arg(file.path, target ? Text::tr("the file changed while it was written")
                                                   : target.message()));
    }
    while (!m_pending.empty()) {
        const Pending file = m_pending.front();
        if (::rename(encoded(file.temporary).constData(), encoded(file.target).constData()) != 0)
            return fail(Text::tr("Cannot write \"%1\": %2").arg(file.path, systemReason(errno)));
        m_pending.erase(m_pending.begin());
        syncFolderOf(file.target);
    }
    return {};
}

OutputFile::OutputFile(QString path) : m_path(std::move(path)) {}

OutputFile::~OutputFile() { cancel(); }

Error OutputFile::error(const QString &problem) const
{
    return fail(Text::tr("Cannot write \"%1\": %2").arg(m_path, problem));
}

Result<void> OutputFile::open()
{
    cancel();
    Result<Target> target = resolveTarget(m_path);
    if (!target)
        return error(target.message());
    m_target = target->path;

    // A new name beside the target, so the rename stays on one file system.
    const qint64 pid = QCoreApplication::applicationPid();
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        m_temporary = QStringLiteral("%1.partial-%2-%3").arg(m_target).arg(pid).arg(attempt);
        fd = ::open(encoded(m_temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) {
            const int errorNumber = errno;
            m_temporary.clear();
            return error(systemReason(errorNumber));
        }
    }
    // A replaced file keeps its permissions.
    if (target->mode)
        ::fchmod(fd, target->mode.value() & 0777);
    m_device = std::make_unique<Device>(fd);
    return {};
}

QIODevice &OutputFile::device()
{
    Q_ASSERT(m_device);
    return *m_device;
}

Result<void> OutputFile::commit()
{
    if (!m_device)
        return error(Text::tr("the file was not opened"));
    auto failWith = [this](int errorNumber) {
        const Error failure = error(systemReason(errorNumber));
        cancel();
        return failure;
    };
    if (!m_device->flushBuffer())
        return failWith(m_device->errorNumber());
    const int fd = m_device->fd();
    while (::fsync(fd) != 0)
        if (errno != EINTR)
            return failWith(errno);
    m_device->close();
    const int closed = ::close(fd);
    const int closeError = errno;
    m_device.reset();
    if (closed != 0)
        return failWith(closeError);

    // The target again, in case it changed while the bytes were written.
    Result<Target> target = resolveTarget(m_path);
    if (!target || target->path != m_target) {
        const Error failure = error(target ? Text::tr("the file changed while it was written")
                                           : target.message());
        cancel();
        return failure;
    }
    if (currentSet) {
        currentSet->m_pending.push_back({m_path, m_target, m_temporary});
        m_temporary.clear();
        return {};
    }
    if (::rename(encoded(m_temporary).constData(), encoded(m_target).constData()) != 0)
        return failWith(errno);
    m_temporary.clear();

    syncFolderOf(m_target);
    return {};
}

QString OutputFile::writeFailure() const
{
    return m_device && m_device->errorNumber() ? systemReason(m_device->errorNumber()) : QString();
}

void OutputFile::cancel()
{
    if (m_device) {
        const int fd = m_device->fd();
        m_device->close();
        m_device.reset();
        ::close(fd);
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(encoded(m_temporary).constData());
        m_temporary.clear();
    }
}

Result<void> writeOutputFile(const QString &path, const QByteArray &bytes)
{
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    file.device().write(bytes);
    return file.commit();
}

namespace testing {

OutputFault::OutputFault(qint64 afterBytes, int errorNumber)
{
    QMutexLocker lock(&faultMutex);
    activeFault = Fault{afterBytes, errorNumber};
}

OutputFault::~OutputFault()
{
    QMutexLocker lock(&faultMutex);
    activeFault.reset();
}

} // namespace testing

} // namespace tarel
