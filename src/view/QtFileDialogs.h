#pragma once

#include "viewmodel/FileDialogs.h"

// The real, modal file dialogs.
class QtFileDialogs : public FileDialogs {
public:
    QStringList openImages() override;
    QString saveFile(const QString& title, const QString& message, const QString& nameLabel, const QString& nameFilter,
                     const QString& suggestedName) override;
    QString openFile(const QString& title) override;
    QString chooseFolder(const QString& title) override;
};
