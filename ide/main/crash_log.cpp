#include "ide/main/crash_log.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace {

const char CrashLogFolderName[] = "Veltrona Tarnwick Baseline edition";
const char CrashLogFileName[] = "CrashLog.txt";

// Closes the descriptor when it goes.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd)
        : fd_(fd)
    {
    }
    ~TFileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TFileDescriptor(TFileDescriptor&& other) noexcept
        : fd_(std::exchange(other.fd_, -1))
    {
    }
    TFileDescriptor& operator=(TFileDescriptor&&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

QString CrashLogFolder()
{
    return QDir(QDir::tempPath()).filePath(QString::fromLatin1(CrashLogFolderName));
}

// The temporary folder is usually shared by every user: the log folder is
// used only when it is this user's own, reached without a symbolic link, and
// closed to everyone else.
TFileDescriptor OpenOwnFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return TFileDescriptor(-1);
    TFileDescriptor directory(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!directory.valid() || ::fstat(directory.get(), &status) != 0 || !S_ISDIR(status.st_mode)
        || status.st_uid != ::geteuid())
        return TFileDescriptor(-1);
    if ((status.st_mode & 077) != 0 && ::fchmod(directory.get(), 0700) != 0)
        return TFileDescriptor(-1);
    return directory;
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

QString CrashLogPath()
{
    return QDir(CrashLogFolder()).filePath(QString::fromLatin1(CrashLogFileName));
}

bool SaveCrashLog(const QStringList& lines)
{
    const QString folder = CrashLogFolder();
    if (!QDir().mkpath(QDir::tempPath()))
        return false;
    const TFileDescriptor directory = OpenOwnFolder(folder);
    if (!directory.valid())
        return false;
    // Opened without truncating, so that nothing is changed before the file
    // is known to be a plain file of this user with no other name.
    const TFileDescriptor file(::openat(directory.get(), CrashLogFileName,
                                        O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    struct stat status {};
    if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)
        || status.st_uid != ::geteuid() || status.st_nlink != 1)
        return false;
    QByteArray content;
    for (const QString& line : lines)
        content += line.toLocal8Bit() + '\n';
    return ::ftruncate(file.get(), 0) == 0 && WriteAll(file.get(), content);
}
