#pragma once

#include "model/ObservableObject.h"

#include <QString>

// The matching threshold and the two Python paths, read once from the settings at start.
class MatchSetting : public ObservableObject
{
    Q_OBJECT
public:
    static constexpr const char* pythonPathKey = "pythonPath";
    static constexpr const char* pythonLibraryKey = "pythonLibrary";
    static constexpr const char* organization = "Kestrune";
    static constexpr const char* application = "Kestrune";

    explicit MatchSetting(QObject* parent = nullptr);

    Published<bool> settingsButtonClicked { this, false };
    Published<double> threshold { this, 0.6 };
    Published<QString> pythonEnv { this };
    Published<QString> pythonLibrary { this };

    // Writes one setting to the settings store; false when it could not be written.
    static bool store(const char* key, const QString& value);
};
