#include "app/KestruneApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    KestruneApp app;
    app.openWindow();
    return QApplication::exec();
}
