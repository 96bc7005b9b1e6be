#include "view/canvas/ImageNavigation.h"

#include "view/canvas/Alert.h"
#include "view/canvas/CanvasState.h"
#include "view/modifiers/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include <functional>

namespace
{
const QString disabledHelp = QStringLiteral("This button is disabled now");
constexpr int indexFieldGroupWidth = 200;

QPushButton* symbolButton(const QString& text, const QString& symbol, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setIcon(symbolIcon(symbol, button->palette().color(QPalette::ButtonText)));
    button->setAccessibleName(text);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void onKey(QWidget* owner, Qt::Key key, const std::function<void()>& action)
{
    auto* shortcut = new QShortcut(QKeySequence(key), owner);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, owner, action);
}
} // namespace

ImageNavigation::ImageNavigation(SharedObjects shared, CanvasState& state, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
    , m_state(state)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    m_prevButton = symbolButton(QStringLiteral("Previous"), QStringLiteral("chevron.backward"), this);
    m_nextButton = symbolButton(QStringLiteral("Next"), QStringLiteral("chevron.forward"), this);
    // The symbol follows the text.
    m_nextButton->setLayoutDirection(Qt::RightToLeft);

    auto* group = new QWidget(this);
    group->setFixedWidth(indexFieldGroupWidth);
    auto* groupRow = new QHBoxLayout(group);
    groupRow->setContentsMargins(0, 0, 0, 0);
    groupRow->addWidget(new QLabel(QStringLiteral("Image"), group));
    m_field = new QLineEdit(group);
    m_field->setAccessibleName(QStringLiteral("Image index"));
    m_field->setMinimumWidth(20);
    m_field->setMaximumWidth(50);
    groupRow->addWidget(m_field);
    m_countLabel = new QLabel(group);
    groupRow->addWidget(m_countLabel);
    m_goButton = new QPushButton(QStringLiteral("Go"), group);
    m_goButton->setAccessibleName(QStringLiteral("Go"));
    m_goButton->setFocusPolicy(Qt::NoFocus);
    groupRow->addWidget(m_goButton);

    row->addWidget(m_prevButton);
    row->addWidget(group);
    row->addWidget(m_nextButton);

    connect(m_prevButton, &QPushButton::clicked, this, &ImageNavigation::previous);
    connect(m_nextButton, &QPushButton::clicked, this, &ImageNavigation::next);
    connect(m_goButton, &QPushButton::clicked, this, &ImageNavigation::go);
    onKey(this, Qt::Key_Left, [this] {
        if (previousEnabled())
            previous();
    });
    onKey(this, Qt::Key_Right, [this] {
        if (nextEnabled())
            next();
    });
    onKey(this, Qt::Key_Return, [this] { go(); });

    connect(m_field, &QLineEdit::textEdited, &state, &CanvasState::setTextFieldText);
    connect(&state, &CanvasState::indexTextsChanged, this, &ImageNavigation::showIndexText);
    connect(&shared.imageManager, &ObservableObject::changed, this, &ImageNavigation::refresh);
    showIndexText();
    refresh();
}

void ImageNavigation::showIndexText()
{
    // Only a text set from elsewhere replaces what is in the field (and moves the cursor).
    if (m_field->text() != m_state.textFieldText())
        m_field->setText(m_state.textFieldText());
}

bool ImageNavigation::previousEnabled() const
{
    const ImageManager& images = m_shared.imageManager;
    return images.imageCount() > 0 && images.currentImageIndex > 0;
}

bool ImageNavigation::nextEnabled() const
{
    const ImageManager& images = m_shared.imageManager;
    return images.imageCount() > 0 && images.currentImageIndex < images.imageCount() - 1;
}

void ImageNavigation::refresh()
{
    const ImageManager& images = m_shared.imageManager;
    const std::int64_t count = images.imageCount();
    const bool prev = previousEnabled();
    const bool next = nextEnabled();
    m_prevButton->setEnabled(prev);
    m_prevButton->setToolTip(prev ? QStringLiteral("Click here to go to the previous image") : disabledHelp);
    m_nextButton->setEnabled(next);
    m_nextButton->setToolTip(next ? QStringLiteral("Click here to go to the next image") : disabledHelp);
    m_field->setPlaceholderText(QString::number(images.currentImageIndex + 1));
    m_countLabel->setText(QStringLiteral("/ ") + QString::number(count));
}

void ImageNavigation::previous()
{
    m_shared.boundingBoxManager.clearSelection();
    m_shared.imageManager.showImage(m_shared.imageManager.currentImageIndex - 1);
}

void ImageNavigation::next()
{
    m_shared.boundingBoxManager.clearSelection();
    m_shared.imageManager.showImage(m_shared.imageManager.currentImageIndex + 1);
}

std::optional<std::int64_t> ImageNavigation::readIndex(const QString& text)
{
    qsizetype digits = (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'))) ? 1 : 0;
    if (digits == text.size())
        return std::nullopt;
    for (qsizetype i = digits; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

void ImageNavigation::go()
{
    m_field->clearFocus();
    const std::optional<std::int64_t> n = readIndex(m_state.textFieldText());
    if (!n || *n > m_shared.imageManager.imageCount() || *n < 1) {
        m_state.setTextFieldText(m_state.prevTextFieldText());
        runAlert(this, QStringLiteral("Invalid Input"), {}, { { QStringLiteral("OK"), QMessageBox::AcceptRole } });
        return;
    }
    // The number stays as typed ("02", "+2"), over the image change's own refresh of the field.
    const QString typed = m_state.textFieldText();
    m_shared.imageManager.showImage(*n - 1);
    m_state.setTextFieldText(typed);
    m_state.setPrevTextFieldText(typed);
}
