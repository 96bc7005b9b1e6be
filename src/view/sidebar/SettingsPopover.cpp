#include "view/sidebar/SettingsPopover.h"

#include "model/Palette.h"
#include "model/templatematching/PythonBridge.h"
#include "view/modifiers/Symbols.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
constexpr int popoverWidth = 800;
constexpr int restartFadeMs = 500;

QLineEdit* field(const QString& placeholder, Published<QString>& setting, QObject* context)
{
    auto* edit = new QLineEdit;
    edit->setPlaceholderText(placeholder);
    edit->setAccessibleName(placeholder);
    QObject::connect(edit, &QLineEdit::textEdited, context, [&setting](const QString& text) { setting.set(text); });
    return edit;
}

QPushButton* button(const QString& title)
{
    auto* b = new QPushButton(title);
    b->setAutoDefault(false);
    return b;
}
} // namespace

SettingsPopover::SettingsPopover(SharedObjects shared, QWidget* anchor)
    : Popover(anchor, Dismissal::OnRequest)
    , m_shared(shared)
{
    setFixedWidth(popoverWidth);
    auto* layout = new QVBoxLayout(this);

    m_closeButton = new QToolButton;
    m_closeButton->setIcon(QIcon(symbolPixmap(QStringLiteral("multiply"), 16, palette().color(QPalette::WindowText))));
    m_closeButton->setAccessibleName(QStringLiteral("Close"));
    m_closeButton->setAutoRaise(true);
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::hide);
    layout->addWidget(m_closeButton, 0, Qt::AlignRight);

    auto* libraryRow = new QHBoxLayout;
    libraryRow->addWidget(new QLabel(QStringLiteral("Python Path")));
    m_pythonPathField = field(QStringLiteral("Python Path"), m_shared.matchSetting.pythonEnv, this);
    libraryRow->addWidget(m_pythonPathField, 1);
    m_changePathButton = button(QStringLiteral("Change Path"));
    connect(m_changePathButton, &QPushButton::clicked, this, &SettingsPopover::changePath);
    libraryRow->addWidget(m_changePathButton);
    layout->addLayout(libraryRow);

    m_restartNote = new QLabel(QStringLiteral("*Restart the app for the changes to take effect."));
    QFont footnote = m_restartNote->font();
    footnote.setPointSizeF(footnote.pointSizeF() * 0.85);
    m_restartNote->setFont(footnote);
    QPalette red = m_restartNote->palette();
    red.setColor(QPalette::WindowText, Palette::red);
    m_restartNote->setPalette(red);
    m_restartOpacity = new QGraphicsOpacityEffect(m_restartNote);
    m_restartOpacity->setOpacity(0);
    m_restartNote->setGraphicsEffect(m_restartOpacity);
    m_restartAnimation.setDuration(restartFadeMs);
    m_restartAnimation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_restartAnimation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant& value) { m_restartOpacity->setOpacity(value.toDouble()); });
    layout->addWidget(m_restartNote);

    auto* scriptsRow = new QHBoxLayout;
    scriptsRow->addWidget(new QLabel(QStringLiteral("Scripts Path")));
    m_scriptsPathField
        = field(QStringLiteral("Path for Template Matching Python Scripts"), m_shared.matchSetting.pythonLibrary, this);
    scriptsRow->addWidget(m_scriptsPathField, 1);
    m_loadScriptsButton = button(QStringLiteral("Load Scripts"));
    connect(m_loadScriptsButton, &QPushButton::clicked, this, &SettingsPopover::loadScripts);
    scriptsRow->addWidget(m_loadScriptsButton);
    layout->addLayout(scriptsRow);

    connect(&m_shared.matchSetting, &ObservableObject::changed, this, &SettingsPopover::refresh);
    refresh();
}

void SettingsPopover::refresh()
{
    // Rewriting a field the user is typing in would move the cursor; it already shows the value.
    const auto show = [](QLineEdit* edit, const QString& value) {
        if (edit->text() != value)
            edit->setText(value);
    };
    show(m_pythonPathField, m_shared.matchSetting.pythonEnv);
    show(m_scriptsPathField, m_shared.matchSetting.pythonLibrary);
}

double SettingsPopover::restartNoteOpacity() const { return m_restartOpacity->opacity(); }

void SettingsPopover::setRestartText(bool show)
{
    m_showRestartText = show;
    m_restartAnimation.stop();
    if (!show) {
        m_restartOpacity->setOpacity(0);
        return;
    }
    m_restartAnimation.setStartValue(m_restartOpacity->opacity());
    m_restartAnimation.setEndValue(1.0);
    m_restartAnimation.start();
}

void SettingsPopover::readInterpreter()
{
    static bool told = false;
    QString error;
    const std::optional<QString> executable = pythonExecutable(&error);
    if (!executable) {
        if (!told) {
            told = true;
            auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Python Unavailable"),
                QStringLiteral("Template matching and the CSV export need Python 3 and will not work in this run.\n\n"
                               "%1\n\nChoose a Python library with \"Change Path\" in the sidebar's settings and "
                               "restart the app.")
                    .arg(error),
                QMessageBox::Ok, window());
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
        }
        return;
    }
    m_pythonPath = *executable;
    if (!m_pythonPath.isEmpty() && m_shared.matchSetting.pythonEnv.get().isEmpty())
        m_shared.matchSetting.pythonEnv.set(m_pythonPath);
}

bool SettingsPopover::store(const char* key, const QString& value)
{
    if (MatchSetting::store(key, value))
        return true;
    QMessageBox::warning(window(), QStringLiteral("Setting Not Saved"),
        QStringLiteral("The setting could not be written, so it will not be there at the next start."));
    return false;
}

void SettingsPopover::changePath()
{
    const QString chosen = m_shared.fileDialogs.openFile(QStringLiteral("Change Path"));
    if (chosen.isEmpty())
        return;
    const QStringList pieces = chosen.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QString fileName = pieces.isEmpty() ? QString() : pieces.last();
    if (!fileName.contains(QStringLiteral("python"))) {
        setRestartText(false);
        QMessageBox::warning(window(), QStringLiteral("Invalid Input"),
            QStringLiteral("\"%1\" is not a Python library: the file name must contain \"python\", such as "
                           "libpython3.11.so.1.0. The setting was not changed.")
                .arg(fileName));
        return;
    }
    if (!store(MatchSetting::pythonPathKey, chosen))
        return;
    m_pythonPath = chosen;
    setRestartText(true);
    m_shared.matchSetting.pythonEnv.set(chosen);
}

void SettingsPopover::loadScripts()
{
    const QString chosen = m_shared.fileDialogs.chooseFolder(QStringLiteral("Load Scripts"));
    if (chosen.isEmpty() || !store(MatchSetting::pythonLibraryKey, chosen))
        return;
    m_shared.matchSetting.pythonLibrary.set(chosen);
}
