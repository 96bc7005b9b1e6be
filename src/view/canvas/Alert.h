#pragma once

#include <QMessageBox>
#include <QString>

#include <vector>

class QWidget;

struct AlertButton {
    QString text;
    QMessageBox::ButtonRole role;
};

// Asks the user in a modal alert and waits for the answer: the role of the button pressed. Escape
// (or closing the alert) answers with the reject button when there is one; the first button is the
// default. An alert without a message shows its title as its text.
QMessageBox::ButtonRole runAlert(
    QWidget* parent, const QString& title, const QString& message, const std::vector<AlertButton>& buttons);
