#include "view/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>

namespace
{
// Runs the dialog; the one file or folder chosen, or "" when the user cancels.
QString firstChosen(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
} // namespace

QStringList QtFileDialogs::openImages()
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(QStringLiteral("Images (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtFileDialogs::saveFile(const QString& title, const QString& message, const QString& nameLabel,
    const QString& nameFilter, const QString& suggestedName)
{
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(nameFilter);
    dialog.setLabelText(QFileDialog::FileName, nameLabel);
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    if (!message.isEmpty()) {
        // Qt's own dialog has no message line; it goes above the file view.
        if (auto* layout = dialog.layout()) {
            auto* label = new QLabel(message, &dialog);
            label->setObjectName(QStringLiteral("saveMessage"));
            layout->addWidget(label);
        }
    }
    return firstChosen(dialog);
}

QString QtFileDialogs::openFile(const QString& title)
{
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    return firstChosen(dialog);
}

QString QtFileDialogs::chooseFolder(const QString& title)
{
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    return firstChosen(dialog);
}
