#include "viewmodel/ExchangeFile.h"

#include <QDir>
#include <QStandardPaths>

QString exchangeFileName(const QString& imageName)
{
    const QStringList pieces = imageName.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    // A name of dots alone has no first piece; it still gets a file of its own kind.
    const QString stem = pieces.isEmpty() ? QStringLiteral("image") : pieces.first();
    return QLatin1Char('.') + stem + QStringLiteral(".json");
}

QString exchangeFilePath(const QString& imageName, QString* error)
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty() || !QDir().mkpath(caches)) {
        if (error)
            *error = caches.isEmpty() ? QStringLiteral("There is no cache folder for this user.")
                                      : QStringLiteral("The cache folder %1 cannot be made.").arg(caches);
        return {};
    }
    return QDir(caches).filePath(exchangeFileName(imageName));
}
