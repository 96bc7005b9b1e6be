#include "view/modifiers/SymbolIcon.h"

#include <QString>

namespace
{
struct SymbolName {
    const char* systemName;
    const char* themeName;
};

// One row per symbol name, mapped to the nearest freedesktop icon.
constexpr SymbolName symbolNames[] = {
    { "photo", "image-x-generic" },
    { "xmark.bin", "user-trash" },
};
} // namespace

QIcon symbolIcon(QStringView systemName)
{
    for (const auto& entry : symbolNames)
        if (systemName == QLatin1StringView(entry.systemName))
            return QIcon::fromTheme(QString::fromLatin1(entry.themeName));
    return {};
}
