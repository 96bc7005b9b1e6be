#include "view/canvas/BoxInfoField.h"

#include "model/Palette.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QValidator>

#include <charconv>
#include <cmath>
#include <optional>

namespace
{
// Letters and combining marks, whole text, any script.
bool containsLetter(const QString& text)
{
    for (char32_t c : text.toUcs4())
        if (QChar::isLetter(c) || QChar::isMark(c))
            return true;
    return false;
}

// Refuses any edit that would bring a letter into a coordinate field: the field keeps its text.
class NoLetterValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return containsLetter(input) ? Invalid : Acceptable; }
};

// The shortest text that reads back as the same number, always with a decimal point; very small
// and very large magnitudes take the exponent form.
QString numberText(double v)
{
    char buffer[64];
    const double magnitude = std::fabs(v);
    const bool exponent = !std::isfinite(v) || (magnitude != 0 && (magnitude < 1e-4 || magnitude > 0x1.0p54));
    const auto result = std::to_chars(
        buffer, buffer + sizeof buffer, v, exponent ? std::chars_format::scientific : std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    if (!exponent && !text.contains(QLatin1Char('.')))
        text += QStringLiteral(".0");
    return text;
}

// One decimal number, "." as the point, optional sign, no blanks, at least one digit. A number out
// of a double's range does not read: a corner must stay finite.
std::optional<double> readNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    const QByteArray latin = text.toLatin1();
    const char* first = latin.constData();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(first, latin.constData() + latin.size(), value);
    if (result.ec != std::errc())
        return std::nullopt;
    return value;
}

std::optional<Point> readPoint(const QLineEdit* x, const QLineEdit* y)
{
    const auto px = readNumber(x->text());
    const auto py = readNumber(y->text());
    if (!px || !py)
        return std::nullopt;
    return Point { *px, *py };
}

// Programmatic texts pass the same letter test as typed ones.
void setCoordinateText(QLineEdit* field, const QString& text)
{
    if (!containsLetter(text))
        field->setText(text);
}

QLineEdit* coordinateField(const QString& placeholder, const QString& accessibleName, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(accessibleName);
    field->setValidator(new NoLetterValidator(field));
    return field;
}
} // namespace

BoxInfoField::BoxInfoField(SharedObjects shared, std::int64_t boundingBoxIndex, QWidget* parent)
    : QDialog(parent)
    , m_shared(shared)
{
    const std::int64_t current = m_shared.imageManager.currentImageIndex;
    m_box = m_shared.boundingBoxManager.boxAt(boundingBoxIndex, current);
    m_image = m_shared.imageManager.currentImage();
    buildContent();
    load();
    gatherClasses(current);
    for (const QString& label : m_allUniqueClass) {
        auto* row = new QListWidgetItem(label, m_classes);
        row->setForeground(Palette::black);
    }
    refreshSaveButton();

    connect(&m_shared.boundingBoxManager, &BoundingBoxManager::boxReplaced, this,
        [this](const BoxPtr& old, const BoxPtr& replacement) {
            if (m_box == old)
                m_box = replacement;
        });
    connect(&m_shared.boundingBoxManager, &ObservableObject::changed, this, &BoxInfoField::refreshSaveButton);
    connect(&m_shared.imageManager, &ObservableObject::changed, this, &BoxInfoField::refreshSaveButton);
}

void BoxInfoField::buildContent()
{
    setFixedSize(contentSize, contentSize);
    auto* column = new QVBoxLayout(this);

    const auto cornerRow = [&](const QString& title, const QString& name, QLineEdit*& x, QLineEdit*& y) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(title, this));
        row->addStretch();
        row->addWidget(new QLabel(QStringLiteral("x"), this));
        x = coordinateField(QStringLiteral("x"), name + QStringLiteral(" x"), this);
        row->addWidget(x);
        row->addWidget(new QLabel(QStringLiteral("y"), this));
        y = coordinateField(QStringLiteral("y"), name + QStringLiteral(" y"), this);
        row->addWidget(y);
        column->addLayout(row);
    };
    cornerRow(QStringLiteral("Start Location"), QStringLiteral("Start Location"), m_xStart, m_yStart);
    cornerRow(QStringLiteral("End Location  "), QStringLiteral("End Location"), m_xEnd, m_yEnd);

    const auto divider = [&] {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        column->addWidget(line);
    };
    divider();

    auto* labelRow = new QHBoxLayout;
    labelRow->addWidget(new QLabel(QStringLiteral("Class Label"), this));
    m_label = new QLineEdit(this);
    m_label->setPlaceholderText(QStringLiteral("Class Goes Here"));
    m_label->setAccessibleName(QStringLiteral("Class Label"));
    labelRow->addWidget(m_label, 1);
    column->addLayout(labelRow);
    divider();

    m_markTemplate = new QCheckBox(QStringLiteral("Mark As Template"), this);
    m_markTemplate->setChecked(true);
    column->addWidget(m_markTemplate);

    auto* header = new QLabel(QStringLiteral("All Classes"), this);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    column->addWidget(header);
    m_classes = new QListWidget(this);
    m_classes->setAccessibleName(QStringLiteral("All Classes"));
    column->addWidget(m_classes, 1);

    auto* buttons = new QHBoxLayout;
    m_saveButton = new QPushButton(QStringLiteral("Save"), this);
    m_saveButton->setToolTip(QStringLiteral("Press Enter to save the details of the bouding box"));
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setToolTip(QStringLiteral("Press Esc to close the window"));
    // Return belongs to Save alone, wherever the focus is; Escape reaches reject().
    m_saveButton->setAutoDefault(false);
    m_cancelButton->setAutoDefault(false);
    m_saveButton->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    column->addLayout(buttons);

    connect(m_label, &QLineEdit::textChanged, this, &BoxInfoField::refreshSaveButton);
    connect(
        m_classes, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { m_label->setText(item->text()); });
    connect(m_saveButton, &QPushButton::clicked, this, &BoxInfoField::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &BoxInfoField::reject);
    m_label->setFocus();
}

void BoxInfoField::load()
{
    if (!m_box)
        return;
    m_label->setText(m_box->classLabel());
    setCoordinateText(m_xStart, numberText(m_box->originalStartLoc().x));
    setCoordinateText(m_yStart, numberText(m_box->originalStartLoc().y));
    setCoordinateText(m_xEnd, numberText(m_box->originalEndLoc().x));
    setCoordinateText(m_yEnd, numberText(m_box->originalEndLoc().y));
    m_markTemplate->setChecked(m_box->markTemplate());
}

// Each non-empty label once, in order of first appearance over the images up to the given one,
// hidden boxes included.
void BoxInfoField::gatherClasses(std::int64_t lastImageIndex)
{
    for (std::int64_t j = 0; j <= lastImageIndex; ++j) {
        const auto* list = m_shared.boundingBoxManager.boxesOf(j);
        if (!list)
            break;
        for (const BoxPtr& box : *list)
            if (!box->classLabel().isEmpty() && !m_allUniqueClass.contains(box->classLabel()))
                m_allUniqueClass.append(box->classLabel());
    }
}

std::int64_t BoxInfoField::currentImageOfBox() const
{
    if (!m_box || !m_image)
        return -1;
    const std::int64_t image = m_shared.imageManager.getIndex(m_image);
    return m_shared.boundingBoxManager.getIndex(m_box, image) >= 0 ? image : -1;
}

void BoxInfoField::refreshSaveButton()
{
    m_saveButton->setEnabled(!m_label->text().isEmpty() && currentImageOfBox() >= 0);
}

void BoxInfoField::save()
{
    const std::int64_t image = currentImageOfBox();
    if (m_label->text().isEmpty() || image < 0)
        return;
    const auto& zooms = m_shared.imageManager.allCurrentScaleFactors.get();
    const double k = size_t(image) < zooms.size() ? zooms[size_t(image)] : 1.0;
    const BoxEdit edit { m_label->text(), readPoint(m_xStart, m_yStart), readPoint(m_xEnd, m_yEnd),
        m_markTemplate->isChecked() };
    m_shared.boundingBoxManager.applyEdit(m_box, image, edit, k);
    finish();
}

// Cancel: nothing reaches the box; the editor request stays while no label is given.
void BoxInfoField::reject()
{
    if (m_finished)
        return;
    finish();
    m_shared.boundingBoxManager.setEditorRequested(m_label->text().isEmpty());
}

void BoxInfoField::dismiss() { finish(); }

void BoxInfoField::finish()
{
    m_finished = true;
    close();
}

// A close from outside the editor's buttons (the window manager) counts as Cancel.
void BoxInfoField::closeEvent(QCloseEvent* event)
{
    if (!m_finished)
        reject();
    event->accept();
}
