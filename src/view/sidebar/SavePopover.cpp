#include "view/sidebar/SavePopover.h"

#include "model/templatematching/PythonBridge.h"
#include "view/ScriptWaitDialog.h"
#include "viewmodel/ExchangeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <iostream>

namespace
{
QWidget* section(const QString& text, const QString& buttonTitle, QLabel** label, QPushButton** button)
{
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    layout->setAlignment(Qt::AlignHCenter);
    *label = new QLabel(text);
    *button = new QPushButton(buttonTitle);
    (*button)->setAutoDefault(false);
    layout->addWidget(*label, 0, Qt::AlignHCenter);
    layout->addWidget(*button, 0, Qt::AlignHCenter);
    return widget;
}
} // namespace

SavePopover::SavePopover(SharedObjects shared, QWidget* anchor)
    : Popover(anchor, Dismissal::ClickOutside)
    , m_shared(shared)
{
    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    QLabel* jsonText = nullptr;
    m_jsonSection = section(
        QStringLiteral("Save the bounding boxes in JSON format"), QStringLiteral("JSON"), &jsonText, &m_jsonButton);
    QWidget* csvSection = section(
        QStringLiteral("Save the bounding boxes in CSV format"), QStringLiteral("CSV"), &m_csvText, &m_csvButton);
    layout->addWidget(m_jsonSection);
    layout->addWidget(csvSection);
    connect(m_jsonButton, &QPushButton::clicked, this, &SavePopover::saveJson);
    connect(m_csvButton, &QPushButton::clicked, this, &SavePopover::saveCsv);
    connect(&m_shared.boundingBoxManager, &ObservableObject::changed, this, &SavePopover::refresh);
    refresh();
}

void SavePopover::showEvent(QShowEvent* event)
{
    refresh();
    Popover::showEvent(event);
}

void SavePopover::refresh()
{
    // Any shown box on any image enables both, though only the current image's boxes are saved.
    const bool anyBox = m_shared.boundingBoxManager.getTotalVisibleCount() > 0;
    m_jsonSection->setEnabled(anyBox);
    m_csvButton->setEnabled(anyBox);
}

QString SavePopover::askForFile(const QString& kind, const QString& ending)
{
    // Both read the current image's name: with none open there is nothing to save.
    if (!m_shared.imageManager.hasCurrentImage())
        return {};
    // The dialog comes in place of the popover.
    hide();
    QString path = m_shared.fileDialogs.saveFile(QStringLiteral("Save %1 file").arg(kind),
        QStringLiteral("Choose a folder and a name to store your %1 file.").arg(ending),
        QStringLiteral("%1 name:").arg(kind), QStringLiteral("%1 (*.%2)").arg(kind, ending), QString());
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + ending;
    return path;
}

void SavePopover::reportFailure(const QString& kind, const QString& reason)
{
    // A script's failure ends with the exception's own line; the whole traceback went to the output.
    const QString shown
        = reason.contains(QStringLiteral("\nTraceback")) ? reason.section(QLatin1Char('\n'), -1) : reason;
    QMessageBox::warning(
        window(), QStringLiteral("Save Failed"), QStringLiteral("The %1 file was not saved.\n\n%2").arg(kind, shown));
}

// Neither save replaces a file that has no write permission, not even for root.
bool SavePopover::isWritable(const QString& path)
{
    const QFileInfo file(path);
    const auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!file.exists() || (file.isWritable() && (file.permissions() & writeBits)))
        return true;
    std::cout << "Not saved: " << path.toStdString() << " is read-only" << std::endl;
    return false;
}

bool SavePopover::saveJson()
{
    const QString path = askForFile(QStringLiteral("JSON"), QStringLiteral("json"));
    if (path.isEmpty())
        return false;
    const ImageManager& images = m_shared.imageManager;
    QString error = QStringLiteral("%1 is read-only.").arg(path);
    if (!isWritable(path)
        || !m_shared.boundingBoxManager.saveAsJson(
            QUrl::fromLocalFile(path), images.currentImage()->getImageName(), images.currentImageIndex, &error)) {
        reportFailure(QStringLiteral("JSON"), error);
        return false;
    }
    return true;
}

bool SavePopover::saveCsv()
{
    const QString path = askForFile(QStringLiteral("CSV"), QStringLiteral("csv"));
    if (path.isEmpty())
        return false;
    const ImageManager& images = m_shared.imageManager;
    const QString name = images.currentImage()->getImageName();
    QString error = QStringLiteral("%1 is read-only.").arg(path);
    if (!isWritable(path)) {
        reportFailure(QStringLiteral("CSV"), error);
        return false;
    }
    const QString temporary = exchangeFilePath(name, &error);
    const int claim = temporary.isEmpty() ? 0 : claimExchangeFile(temporary);
    ScriptWaitDialog waiting(QStringLiteral("Saving the CSV file…"), window());
    // The conversion never runs on a file that holds anything but these boxes.
    const bool saved = !temporary.isEmpty()
        && m_shared.boundingBoxManager.saveAsJson(
            QUrl::fromLocalFile(temporary), name, images.currentImageIndex, &error)
        && saveBoxes(temporary, path, m_shared.matchSetting.pythonLibrary, &error, &waiting);
    if (!temporary.isEmpty() && releaseExchangeFile(temporary, claim))
        QFile::remove(temporary);
    if (!saved && (!waiting.wasCancelled() || waiting.gaveUp()))
        reportFailure(QStringLiteral("CSV"), error);
    return saved;
}
