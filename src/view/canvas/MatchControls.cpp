#include "view/canvas/MatchControls.h"

#include "model/templatematching/PythonBridge.h"
#include "view/ScriptWaitDialog.h"
#include "view/canvas/Alert.h"
#include "view/canvas/CanvasState.h"
#include "view/modifiers/Symbols.h"
#include "viewmodel/ExchangeFile.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <iostream>

namespace
{
const QString matchTitle = QStringLiteral("Match");

// The label's colour in every state of the button, disabled included.
void setLabelColour(QPushButton* button, const QColor& color)
{
    QPalette palette = button->palette();
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        palette.setColor(group, QPalette::ButtonText, color);
    button->setPalette(palette);
}

// An icon's accessible name is its help text.
QPushButton* thresholdButton(const QString& help, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setAccessibleName(help);
    button->setToolTip(help);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// Files a run made, removed a moment later: the exchange file unless a later run claimed it, and
// the result file (only ever one in our own exchange folder).
void removeLater(const QString& exchangePath, int claim, const QString& result = {})
{
    QTimer::singleShot(MatchControls::cleanUpDelayMs, qApp, [=] {
        // Each file on its own: one that cannot be removed does not keep the other.
        for (const QString& path : { releaseExchangeFile(exchangePath, claim) ? exchangePath : QString(), result }) {
            QFile file(path);
            if (!path.isEmpty() && file.exists() && !file.remove())
                std::cout << "Failed to remove " << path.toStdString() << ": " << file.errorString().toStdString()
                          << std::endl;
        }
    });
}
} // namespace

MatchControls::MatchControls(SharedObjects shared, CanvasState& canvas, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
    , m_canvas(canvas)
{
    m_minusButton = thresholdButton(
        QStringLiteral("Click here to increase the threshold of template matching algorithm which will reduce the "
                       "number of matched boxes. This may reduce the number of true positive matches."),
        this);
    m_minusButton->setObjectName(QStringLiteral("minus"));
    m_matchButton = thresholdButton(QStringLiteral("Click here to match all the similar boxes."), this);
    m_matchButton->setAccessibleName(matchTitle);
    m_matchButton->setText(matchTitle);
    m_matchButton->setFixedWidth(matchButtonWidth);
    m_plusButton = thresholdButton(
        QStringLiteral("Click here to reduce the threshold of template matching algorithm which will increase the "
                       "number of matched boxes. This may result in false positives."),
        this);
    m_plusButton->setObjectName(QStringLiteral("plus"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_minusButton);
    row->addWidget(m_matchButton);
    row->addWidget(m_plusButton);

    MatchSetting& settings = shared.matchSetting;
    connect(m_minusButton, &QPushButton::clicked, this, [this, &settings] {
        settings.threshold.set(settings.threshold + 0.1);
        startMatching();
    });
    connect(m_matchButton, &QPushButton::clicked, this, [this, &settings] {
        settings.threshold.set(0.6);
        m_canvas.setMatchClicked(true);
        startMatching();
    });
    connect(m_plusButton, &QPushButton::clicked, this, [this, &settings] {
        settings.threshold.set(settings.threshold - 0.1);
        startMatching();
    });

    connect(&shared.imageManager, &ObservableObject::changed, this, &MatchControls::refresh);
    connect(&shared.boundingBoxManager, &ObservableObject::changed, this, &MatchControls::refresh);
    connect(&canvas, &CanvasState::matchClickedChanged, this, &MatchControls::refresh);
    refresh();
}

bool MatchControls::disableButton() const
{
    const ImageManager& images = m_shared.imageManager;
    if (images.imageCount() == 0)
        return true;
    const auto* boxes = m_shared.boundingBoxManager.boxesOf(images.currentImageIndex);
    return !boxes || boxes->empty();
}

void MatchControls::refresh()
{
    const bool disabled = disableButton();
    if (!m_drawnDisabled || *m_drawnDisabled != disabled) {
        m_drawnDisabled = disabled;
        const QColor thresholdColour = disabled ? Palette::gray : Palette::withOpacity(Palette::blue, 0.5);
        // The symbols keep their colour while the buttons wait for a first "Match".
        m_minusButton->setIcon(symbolIcon(QStringLiteral("minus"), thresholdColour, true));
        m_plusButton->setIcon(symbolIcon(QStringLiteral("plus"), thresholdColour, true));
        setLabelColour(m_matchButton, disabled ? Palette::gray : Palette::blue);
    }
    m_matchButton->setEnabled(!disabled);
    m_minusButton->setEnabled(!disabled && m_canvas.isMatchClicked());
    m_plusButton->setEnabled(!disabled && m_canvas.isMatchClicked());
}

void MatchControls::showFailure(const QString& message)
{
    runAlert(this, matchTitle, message, { { QStringLiteral("OK"), QMessageBox::AcceptRole } });
}

void MatchControls::startMatching()
{
    ImageManager& images = m_shared.imageManager;
    BoundingBoxManager& boxes = m_shared.boundingBoxManager;
    const ImagePtr image = images.currentImage();
    if (m_matching || !image || disableButton())
        return;
    const std::int64_t cur = images.currentImageIndex;
    const QString name = image->getImageName();
    // The script reads the file, not the picture on screen: matches in another picture's pixels
    // would land in the wrong places.
    const auto imageChanged = [&] {
        const QString change = image->changedOnDisk();
        if (!change.isEmpty())
            showFailure(change + QStringLiteral(" Nothing was matched; open the image again to match it."));
        return !change.isEmpty();
    };
    if (imageChanged())
        return;

    QString error;
    const QString exchangePath = exchangeFilePath(name, &error);
    if (exchangePath.isEmpty()) {
        showFailure(error);
        return;
    }
    const QUrl cacheUrl = QUrl::fromLocalFile(exchangePath);
    const int claim = claimExchangeFile(exchangePath);

    // Matching on with an older file of the same name would match another image's templates.
    if (!boxes.cacheJson(cacheUrl, name, cur, &error)) {
        removeLater(exchangePath, claim);
        showFailure(error);
        return;
    }
    ScriptWaitDialog waiting(QStringLiteral("Matching…"), window());
    m_matching = true;
    const std::optional<QString> result
        = getBoxes(cacheUrl.toString(QUrl::FullyEncoded), image->imagePath.toString(QUrl::FullyEncoded),
            m_shared.matchSetting.threshold, m_shared.matchSetting.pythonLibrary, &error, &waiting);
    m_matching = false;
    // A script may name any file as its result: only one it wrote into our own folder is removed.
    const bool ours = result && !result->contains(QChar(u'\0')) && isInExchangeFolder(*result)
        && *result != image->imagePath.toLocalFile();
    removeLater(exchangePath, claim, ours ? *result : QString());
    if (waiting.wasCancelled()) {
        // Stopped as asked: the boxes stay as they were, and only a script left running is news.
        if (waiting.gaveUp())
            showFailure(error);
        return;
    }
    if (!result) {
        showFailure(error);
        return;
    }
    // Replaced while the script ran.
    if (imageChanged())
        return;
    // disableButton() has seen this first box, and no input reached the window since.
    const BoxPtr first = boxes.boxAt(0, cur);
    const double scaleFactor = first ? first->scaleFactor() : 1.0;
    // Encoded, so that a path with "#", "%" or "?" in it still names the file.
    if (!boxes.updateMatchedBox(
            QUrl::fromLocalFile(*result).toString(QUrl::FullyEncoded), scaleFactor, images.currentZoom(), &error))
        showFailure(QStringLiteral("The matching script's result cannot be used, and the boxes stay as they were.\n\n")
            + error);
}
