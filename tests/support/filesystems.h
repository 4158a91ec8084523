#pragma once

// File-system situations for tests of what the programs refuse or survive:
// a named pipe that cannot hang the test, a small or read-only file system.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarel::testing {

// A named pipe at path. Code under test must refuse it without opening it;
// should it open it after all, the reader is released after a few seconds
// (a writer comes and goes, the reader sees the end), so the test fails
// instead of hanging.
class NamedPipe {
public:
    explicit NamedPipe(const QString &path, std::chrono::milliseconds release = std::chrono::seconds(3))
        : m_path(QFile::encodeName(path))
    {
        if (::mkfifo(m_path.constData(), 0600) != 0)
            ADD_FAILURE() << "mkfifo " << m_path.constData();
        m_releaser = std::thread([this, release] {
            const auto deadline = std::chrono::steady_clock::now() + release;
            while (!m_stop) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0)
                        ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~NamedPipe()
    {
        m_stop = true;
        m_releaser.join();
        ::unlink(m_path.constData());
    }
    NamedPipe(const NamedPipe &) = delete;
    NamedPipe &operator=(const NamedPipe &) = delete;

private:
    QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::thread m_releaser;
};

// A tmpfs of the given size mounted on an existing folder, for as long as the
// object lives. Mounting needs privileges: mounted() is false without them,
// and the test skips.
class SmallFileSystem {
public:
    SmallFileSystem(const QString &folder, const char *size)
        : m_folder(QFile::encodeName(folder))
    {
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool mounted() const { return m_mounted; }
    // Makes the file system read-only, as a read-only medium is.
    bool makeReadOnly()
    {
        return m_mounted
            && ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

} // namespace tarel::testing
