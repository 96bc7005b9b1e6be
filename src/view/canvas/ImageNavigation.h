#pragma once

#include "view/SharedObjects.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// "Previous", the go-to-index field ("Image", the 1-based number, "/ " and the count, "Go") and
// "Next", at the trailing end of the canvas's bottom bar. The arrow keys step between images and
// Return goes to the typed number anywhere in the window.
class ImageNavigation : public QWidget
{
    Q_OBJECT
public:
    explicit ImageNavigation(SharedObjects shared, QWidget* parent = nullptr);

    // The number typed in the field, and the last one that was accepted.
    QString textFieldText() const;
    void setTextFieldText(const QString& text);
    const QString& prevTextFieldText() const { return m_prevTextFieldText; }

    // Both texts become the current image's 1-based number.
    void refreshIndexTexts();

    void previous();
    void next();
    // Jumps to the typed number, or tells the user it is not one and shows the last accepted one.
    void go();

    // The whole text as a decimal integer: an optional sign and digits, within 64 bits.
    static std::optional<std::int64_t> readIndex(const QString& text);

private:
    void refresh();
    bool previousEnabled() const;
    bool nextEnabled() const;

    SharedObjects m_shared;
    QPushButton* m_prevButton;
    QLineEdit* m_field;
    QLabel* m_countLabel;
    QPushButton* m_goButton;
    QPushButton* m_nextButton;
    QString m_prevTextFieldText = QStringLiteral("0");
    std::int64_t m_shownCount;
};
