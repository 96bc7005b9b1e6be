#pragma once

#include <QString>
#include <QStringList>

// The modal open and save panels. The program answers them with QFileDialog; tests answer for
// the user. Every call returns plain file-system paths, empty when the user cancels.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // Several PNG or JPEG files, in the order the dialog gives them.
    virtual QStringList openImages() = 0;
    // One file to write; nameFilter like "JSON (*.json)".
    virtual QString saveFile(const QString& title, const QString& message, const QString& nameLabel,
        const QString& nameFilter, const QString& suggestedName)
        = 0;
    virtual QString openFile(const QString& title) = 0;
    virtual QString chooseFolder(const QString& title) = 0;
};
