#pragma once

#include "viewmodel/FileDialogs.h"

#include <QStringList>

// Answers the file dialogs as a user would, from answers queued by the test.
class FakeFileDialogs : public FileDialogs
{
public:
    QStringList imagesToOpen;
    QString fileToSave;
    QString fileToOpen;
    QString folderToChoose;
    int openImagesCalls = 0;
    QString lastSaveTitle, lastSaveMessage, lastSaveNameLabel, lastSaveFilter;

    QStringList openImages() override
    {
        ++openImagesCalls;
        return imagesToOpen;
    }
    QString saveFile(const QString& title, const QString& message, const QString& nameLabel, const QString& filter,
        const QString&) override
    {
        lastSaveTitle = title;
        lastSaveMessage = message;
        lastSaveNameLabel = nameLabel;
        lastSaveFilter = filter;
        return fileToSave;
    }
    QString openFile(const QString&) override { return fileToOpen; }
    QString chooseFolder(const QString&) override { return folderToChoose; }
};
