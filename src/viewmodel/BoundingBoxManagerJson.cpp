#include "viewmodel/BoundingBoxManager.h"

#include "model/RegularFile.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>
#include <iostream>

namespace
{
void print(const QString& line) { std::cout << line.toStdString() << std::endl; }

bool writeFile(const QUrl& file, const QByteArray& bytes, QString* error)
{
    QString reason;
    if (!file.isLocalFile()) {
        reason = QStringLiteral("%1: not a local file").arg(file.toDisplayString());
    } else {
        const QString path = file.toLocalFile();
        // Unbuffered: a short write shows here. Buffered, Qt can commit a file cut short by a full disk.
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            reason = out.errorString();
        else if (out.write(bytes) != bytes.size())
            reason = out.error() == QFileDevice::NoError ? QStringLiteral("the file could not be written whole")
                                                         : out.errorString();
        else if (!out.commit())
            reason = out.errorString();
        if (!reason.isEmpty())
            reason = QStringLiteral("%1: %2").arg(path, reason);
    }
    if (reason.isEmpty())
        return true;
    print(QStringLiteral("Failed to write JSON data: ") + reason);
    if (error)
        *error = reason;
    return false;
}

bool writeJson(const BoundingBoxManager::BoxList* boxes, const QUrl& file, const QString& imageName,
    std::int64_t imageIndex, bool templatesOnly, QString* error)
{
    JSONBoxWriter writer(imageName, imageIndex, boxes ? boxes->size() : 0);
    for (size_t k = 0; boxes && k < boxes->size(); ++k) {
        const BoundingBoxProperty& box = *(*boxes)[k];
        if (!box.toShow() || (templatesOnly && !box.markTemplate()))
            continue;
        const Point a = box.originalStartLoc();
        const Point b = box.originalEndLoc();
        const double start[] { a.x, a.y }, end[] { b.x, b.y };
        writer.beginShape(box.classLabel());
        writer.addPoint(start);
        writer.addPoint(end);
        writer.endShape();
    }
    const auto bytes = writer.finish(error);
    return bytes && writeFile(file, *bytes, error);
}
} // namespace

bool BoundingBoxManager::saveAsJson(const QUrl& file, const QString& imageName, std::int64_t imageIndex, QString* error)
{
    return writeJson(boxesOf(imageIndex), file, imageName, imageIndex, false, error);
}

bool BoundingBoxManager::cacheJson(const QUrl& file, const QString& imageName, std::int64_t imageIndex, QString* error)
{
    return writeJson(boxesOf(imageIndex), file, imageName, imageIndex, true, error);
}

std::optional<JSONData> BoundingBoxManager::loadJSON(const QString& fileUrlText, QString* error)
{
    const auto fail = [error](const QString& reason) {
        print(reason);
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const QUrl url(fileUrlText);
    if (!url.isValid() || !url.isLocalFile())
        return fail(QStringLiteral("Cannot read the JSON box file: \"%1\" is not a file URL").arg(fileUrlText));
    const QString path = url.toLocalFile();
    QString reason;
    const std::optional<QByteArray> bytes = readRegularFile(path, maxBoxFileBytes, &reason);
    if (!bytes)
        return fail(QStringLiteral("Cannot read the JSON box file %1: %2").arg(shownPath(path), reason));
    auto data = decodeJSONData(*bytes, &reason);
    if (!data)
        return fail(QStringLiteral("Cannot read the JSON box file %1: %2").arg(shownPath(path), reason));
    return data;
}

bool BoundingBoxManager::updateMatchedBox(
    const QString& fileUrlText, double scaleFactor, double imageScale, QString* error)
{
    const auto data = loadJSON(fileUrlText, error);
    if (!data)
        return false;
    const std::int64_t i = data->imageIndex;
    if (!boxesOf(i)) {
        const QString reason
            = QStringLiteral("Matched boxes skipped: the file names image index %1, and there are %2 images")
                  .arg(i)
                  .arg(allBoundingBoxes.get().size());
        print(reason);
        if (error)
            *error = reason;
        return false;
    }
    allBoundingBoxes.modify([&](auto& lists) { lists[size_t(i)] = removeNonTemplateBoxes(i, lists[size_t(i)]); });
    for (size_t s = 0; s < data->shapes.size(); ++s) {
        const ShapeData& shape = data->shapes[s];
        const auto& c = shape.bboxCoord;
        const bool twoPoints = c.size() >= 2 && c[0].size() >= 2 && c[1].size() >= 2;
        const Point start = twoPoints ? Point { c[0][0], c[0][1] } * imageScale : Point {};
        const Point end = twoPoints ? Point { c[1][0], c[1][1] } * imageScale : Point {};
        if (!twoPoints || !std::isfinite(start.x) || !std::isfinite(start.y) || !std::isfinite(end.x)
            || !std::isfinite(end.y)) {
            print(QStringLiteral("Matched box %1 (\"%2\") skipped: it needs two points of two finite numbers")
                      .arg(s + 1)
                      .arg(shape.label));
            continue;
        }
        auto box = std::make_shared<BoundingBoxProperty>(start, end, shape.label, scaleFactor, imageScale, true, false);
        allBoundingBoxes.modify([&](auto& lists) { lists[size_t(i)].push_back(std::move(box)); });
    }
    emit boxesChanged(i);
    return true;
}

BoundingBoxManager::BoxList BoundingBoxManager::removeNonTemplateBoxes(std::int64_t, const BoxList& boxes) const
{
    BoxList templates;
    for (const BoxPtr& box : boxes)
        if (box->markTemplate())
            templates.push_back(box);
    return templates;
}
