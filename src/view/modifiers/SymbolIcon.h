#pragma once

#include <QIcon>
#include <QStringView>

// The icon for one of the system symbol names the views use ("photo", "xmark.bin", ...): a
// freedesktop theme icon, or an empty icon when the theme has none, so the control shows its text.
QIcon symbolIcon(QStringView systemName);
