#include "inputfile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarel {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

QString kindProblem(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return Text::tr("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return Text::tr("it is a named pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Text::tr("it is a device, not a file");
    if (S_ISSOCK(mode))
        return Text::tr("it is a socket, not a file");
    return Text::tr("it is not a regular file");
}

} // namespace

QString notRegularFile(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return kindProblem(status.st_mode);
}

Result<QByteArray> readInputFile(const QString &path, qint64 maxBytes)
{
    // Opened without waiting (a named pipe would block the open itself), then
    // refused unless it is a regular file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return fail(Text::tr("the file does not exist"));
        return fail(qt_error_string(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return fail(qt_error_string(errno));
    if (const QString problem = kindProblem(status.st_mode); !problem.isEmpty())
        return fail(problem);
    if (status.st_size > maxBytes)
        return fail(Text::tr("it is larger than %1 MB").arg(maxBytes / (1024 * 1024)));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    QByteArray bytes;
    bytes.reserve(qsizetype(status.st_size));
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), size_t(chunk.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(qt_error_string(errno));
        }
        if (got == 0)
            break;
        bytes.append(chunk.constData(), qsizetype(got));
        // The file may have grown since it was measured.
        if (bytes.size() > maxBytes)
            return fail(Text::tr("it is larger than %1 MB").arg(maxBytes / (1024 * 1024)));
    }
    return bytes;
}

} // namespace tarel
