#include "viewmodel/ExchangeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <memory>

#include <signal.h>
#include <unistd.h>

namespace
{
struct OwnFolder {
    QString caches;
    std::unique_ptr<QTemporaryDir> dir;
};

OwnFolder& ownFolder()
{
    static OwnFolder folder;
    return folder;
}

QString prefix() { return QStringLiteral("kestrune-%1-").arg(QSysInfo::machineHostName()); }

// A copy that ended without removing its folder (killed, or crashed) left it behind.
void removeLeftFolders(const QString& caches)
{
    static const QRegularExpression own(QStringLiteral("^%1(\\d+)-").arg(QRegularExpression::escape(prefix())));
    for (const QString& name : QDir(caches).entryList({ prefix() + QLatin1Char('*') }, QDir::Dirs | QDir::Hidden)) {
        const auto match = own.match(name);
        if (match.hasMatch() && kill(pid_t(match.captured(1).toLongLong()), 0) != 0 && errno == ESRCH)
            QDir(QDir(caches).filePath(name)).removeRecursively();
    }
}
} // namespace

QString exchangeFileName(const QString& imageName)
{
    const QStringList pieces = imageName.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    // A name of dots alone has no first piece; it still gets a file of its own kind.
    const QString stem = pieces.isEmpty() ? QStringLiteral("image") : pieces.first();
    return QLatin1Char('.') + stem + QStringLiteral(".json");
}

QString exchangeFolder(QString* error)
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty() || !QDir().mkpath(caches)) {
        if (error)
            *error = caches.isEmpty() ? QStringLiteral("There is no cache folder for this user.")
                                      : QStringLiteral("The cache folder %1 cannot be made.").arg(caches);
        return {};
    }
    OwnFolder& own = ownFolder();
    if (!own.dir || own.caches != caches || !QFileInfo(own.dir->path()).isDir()) {
        removeLeftFolders(caches);
        auto dir = std::make_unique<QTemporaryDir>(
            QDir(caches).filePath(prefix() + QString::number(getpid()) + QStringLiteral("-XXXXXX")));
        if (!dir->isValid()) {
            if (error)
                *error = QStringLiteral("No folder for the exchange files can be made in %1: %2")
                             .arg(caches, dir->errorString());
            return {};
        }
        own = { caches, std::move(dir) };
    }
    return own.dir->path();
}

QString exchangeFilePath(const QString& imageName, QString* error)
{
    const QString folder = exchangeFolder(error);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(exchangeFileName(imageName));
}

bool isInExchangeFolder(const QString& path)
{
    const OwnFolder& own = ownFolder();
    if (!own.dir || path.isEmpty())
        return false;
    const QString folder = QFileInfo(own.dir->path()).canonicalFilePath();
    const QFileInfo file(path);
    return !folder.isEmpty() && file.isFile() && QFileInfo(file.absolutePath()).canonicalFilePath() == folder;
}

namespace
{
QHash<QString, int>& claims()
{
    static QHash<QString, int> latest;
    return latest;
}
} // namespace

int claimExchangeFile(const QString& path)
{
    static int uses = 0;
    claims()[path] = ++uses;
    return uses;
}

bool releaseExchangeFile(const QString& path, int claim)
{
    if (claims().value(path) != claim)
        return false;
    claims().remove(path);
    return true;
}
