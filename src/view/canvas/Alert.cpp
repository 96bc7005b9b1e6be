#include "view/canvas/Alert.h"

#include <QPushButton>

QMessageBox::ButtonRole runAlert(
    QWidget* parent, const QString& title, const QString& message, const std::vector<AlertButton>& buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(message.isEmpty() ? title : message);
    box.setAccessibleName(title);
    QAbstractButton* escape = nullptr;
    for (const AlertButton& spec : buttons) {
        QPushButton* button = box.addButton(spec.text, spec.role);
        if (!box.defaultButton())
            box.setDefaultButton(button);
        if (spec.role == QMessageBox::RejectRole)
            escape = button;
    }
    if (escape)
        box.setEscapeButton(escape);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return escape ? QMessageBox::RejectRole : QMessageBox::InvalidRole;
    return box.buttonRole(clicked);
}
