#include "model/RegularFile.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QString kindProblem(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    const char* kind = S_ISFIFO(mode) ? "a named pipe"
        : S_ISCHR(mode)               ? "a character device"
        : S_ISBLK(mode)               ? "a block device"
        : S_ISDIR(mode)               ? "a folder"
        : S_ISSOCK(mode)              ? "a socket"
                                      : "something else";
    return QStringLiteral("it is %1, not a regular file").arg(QLatin1String(kind));
}

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
} // namespace

QString shownPath(QString path)
{
    constexpr qsizetype half = 100;
    path.replace(QChar(u'\0'), QStringLiteral("\\0"));
    return path.size() <= 2 * half ? path : path.left(half) + QStringLiteral("…") + path.right(half);
}

QString regularFileProblem(const QString& path)
{
    // The system would take the name up to the NUL for another file's.
    if (path.contains(QChar(u'\0')))
        return QStringLiteral("its name holds a NUL character");
    struct stat info {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errnoText(errno);
    return kindProblem(info.st_mode);
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, QString* reason)
{
    const auto fail = [reason](const QString& why) {
        *reason = why;
        return std::nullopt;
    };
    // Looked at before it is opened: opening some devices already does something.
    if (QString problem = regularFileProblem(path); !problem.isEmpty())
        return fail(problem);
    // Non-blocking, in case it became a named pipe since.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errnoText(errno));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    struct stat info {
    };
    if (::fstat(fd, &info) != 0)
        return fail(errnoText(errno));
    if (QString problem = kindProblem(info.st_mode); !problem.isEmpty())
        return fail(problem);
    const auto tooLarge = [&](qint64 size) {
        const QLocale c = QLocale::c();
        return fail(QStringLiteral("it is %1, more than the %2 such a file may have")
                        .arg(c.formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat),
                            c.formattedDataSize(maxBytes, 1, QLocale::DataSizeTraditionalFormat)));
    };
    if (qint64(info.st_size) > maxBytes)
        return tooLarge(qint64(info.st_size));
    // Read on past the size seen, in case the file grows meanwhile, and one byte past the limit at most.
    QByteArray bytes = file.read(std::min(qint64(info.st_size), maxBytes) + 1);
    while (file.error() == QFileDevice::NoError && bytes.size() <= maxBytes) {
        const QByteArray more = file.read(std::min(qint64(1) << 20, maxBytes + 1 - bytes.size()));
        if (more.isEmpty())
            break;
        bytes += more;
    }
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > maxBytes)
        return tooLarge(bytes.size());
    return bytes;
}
