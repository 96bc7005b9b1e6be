#include "viewmodel/MatchSetting.h"

#include <QSettings>

namespace
{
// Only a stored text counts; any other kind of value reads as "".
QString storedText(const QSettings& settings, const char* key)
{
    const QVariant value = settings.value(QString::fromLatin1(key));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}
} // namespace

MatchSetting::MatchSetting(QObject* parent)
    : ObservableObject(parent)
{
    const QSettings settings(organization, application);
    pythonEnv.set(storedText(settings, pythonPathKey));
    pythonLibrary.set(storedText(settings, pythonLibraryKey));
}

bool MatchSetting::store(const char* key, const QString& value)
{
    QSettings settings(organization, application);
    settings.setValue(QString::fromLatin1(key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
