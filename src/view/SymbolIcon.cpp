#include "view/SymbolIcon.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

#include <functional>

namespace
{
struct Symbol {
    QString themeName;
    std::function<void(QPainter&)> draw; // on a 16 x 16 canvas
};

void drawBin(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2.5, 4), QPointF(13.5, 4));
    p.drawRect(QRectF(6, 1.5, 4, 2.5));
    p.drawRect(QRectF(3.5, 4, 9, 10.5));
    p.drawLine(QPointF(6, 7), QPointF(10, 11.5));
    p.drawLine(QPointF(10, 7), QPointF(6, 11.5));
}

const QHash<QString, Symbol>& symbols()
{
    static const QHash<QString, Symbol> table {
        { QStringLiteral("xmark.bin"), { QStringLiteral("user-trash"), drawBin } },
    };
    return table;
}
} // namespace

QIcon symbolIcon(const QString& symbolName)
{
    const auto it = symbols().constFind(symbolName);
    if (it == symbols().cend())
        return {};
    const QIcon themed = QIcon::fromTheme(it->themeName);
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    it->draw(painter);
    return QIcon(pixmap);
}
