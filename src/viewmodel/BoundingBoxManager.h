#pragma once

#include "model/BoundingBoxProperty.h"
#include "model/ChartData.h"
#include "model/Geometry.h"
#include "model/JSONData.h"
#include "model/ObservableObject.h"
#include "model/Palette.h"

#include <QColor>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>
#include <vector>

struct UndoEntry {
    std::int64_t boxIndex;
    std::int64_t imageIndex;
    BoxPtr box;
};

// Every box of every open image: one list per image at the image's index, the selection, the copy
// buffer, the undo stack of deleted (hidden) boxes and the request to open the box editor.
// Indices that name no list or no box leave everything as it is.
class BoundingBoxManager : public ObservableObject
{
    Q_OBJECT
public:
    using BoxList = std::vector<BoxPtr>;

    explicit BoundingBoxManager(QObject* parent = nullptr)
        : ObservableObject(parent)
    {
    }

    Published<std::vector<BoxList>> allBoundingBoxes { this };
    Published<QColor> currentSelectedBoxColor { this, Palette::green };
    Published<BoxPtr> currentSelectedBox { this };
    Published<BoxPtr> currentCopySelectedBox { this };
    Published<bool> showClassFieldWindow { this, false };
    Published<QString> currentBoxClass { this };
    Published<std::vector<UndoEntry>> undoStack { this };
    Published<bool> toShowInfoUI { this, false };

    void appendBox(const BoxPtr& box, std::int64_t imageIndex, bool showInfo = true);
    void hideCurrentBox(std::int64_t index, std::int64_t imageIndex);
    void updateScalingFactor(double factor, std::int64_t imageIndex, bool fromButton, double imageScale);
    void updateLocation(std::int64_t boxIndex, std::int64_t imageIndex, Size translation);
    std::int64_t getIndex(const BoxPtr& box, std::int64_t imageIndex) const;
    void deleteBoxForImage(std::int64_t imageIndex);
    std::int64_t getVisibleCount(std::int64_t imageIndex) const;
    std::int64_t getTotalVisibleCount() const;
    std::vector<ChartData> getDictClass(std::int64_t imageCount) const;

    // The JSON box file of one image: the shown boxes (saveAsJson) or the shown templates (cacheJson).
    // Written through a temporary file and an atomic replace, so a failed save leaves an earlier file as
    // it was. False, with the reason in *error, when nothing was written.
    bool saveAsJson(const QUrl& file, const QString& imageName, std::int64_t imageIndex, QString* error = nullptr);
    bool cacheJson(const QUrl& file, const QString& imageName, std::int64_t imageIndex, QString* error = nullptr);
    // Puts the boxes of a file of matches in place of the non-template boxes of the list it names.
    // A shape without two points of two finite numbers is skipped with a printed reason. A file that
    // cannot be read or names no list changes nothing: false, with the printed reason in *error.
    bool updateMatchedBox(
        const QString& fileUrlText, double scaleFactor = 1.0, double imageScale = 1.0, QString* error = nullptr);
    // Reads the file a "file://" URL text names; nothing (and a printed reason, also in *error) when it cannot.
    std::optional<JSONData> loadJSON(const QString& fileUrlText, QString* error = nullptr);
    BoxList removeNonTemplateBoxes(std::int64_t imageIndex, const BoxList& boxes) const;

    // The list of an image, or nothing when the index names none.
    const BoxList* boxesOf(std::int64_t imageIndex) const;
    // The box at a position, or nothing.
    BoxPtr boxAt(std::int64_t boxIndex, std::int64_t imageIndex) const;
    // Puts a box in place of the one at a position (one announcement); false when there is none.
    bool replaceBox(std::int64_t boxIndex, std::int64_t imageIndex, const BoxPtr& box);
    // The selection is cleared: nothing selected, colour green.
    void deselect();

signals:
    // A zoom step put a new box in the place of an old one.
    void boxReplaced(const BoxPtr& old, const BoxPtr& replacement);
};
