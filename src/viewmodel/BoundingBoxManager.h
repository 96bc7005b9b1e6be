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

enum class BoxCorner { Start, End };
enum class NudgeDirection { Up, Left, Right, Down };

// What the box editor's Save writes into a box.
struct BoxEdit {
    QString classLabel;
    std::optional<Point> originalStart;
    std::optional<Point> originalEnd;
    bool markTemplate = false;
};

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
    // Millions of boxes, yet far from filling the memory.
    static constexpr qint64 maxBoxFileBytes = qint64(512) << 20;
    // Reads the regular file of at most maxBoxFileBytes that a "file://" URL text names; nothing (and a
    // printed reason, also in *error) when it cannot.
    std::optional<JSONData> loadJSON(const QString& fileUrlText, QString* error = nullptr);
    BoxList removeNonTemplateBoxes(std::int64_t imageIndex, const BoxList& boxes) const;

    // The list of an image, or nothing when the index names none.
    const BoxList* boxesOf(std::int64_t imageIndex) const;
    // The box at a position, or nothing.
    BoxPtr boxAt(std::int64_t boxIndex, std::int64_t imageIndex) const;
    // The listed box of an image that is the given box (same id), or nothing.
    BoxPtr listed(const BoxPtr& box, std::int64_t imageIndex) const;

    // The gestures of the user. Each is one step on the model, announced by the signals below; none
    // changes anything when its box or image index names nothing.

    // Selection: a box is selected and outlined blue; cleared: nothing selected and green; dimmed: the
    // selected box stays selected but is outlined green (a tap beside every box).
    void select(const BoxPtr& box);
    void clearSelection();
    void dimSelection();
    // Drag of a box by its body: the box keeps its size and moves by the translation (displayed
    // points), as far as the displayed image [0, displayed] allows.
    bool moveBox(const BoxPtr& box, std::int64_t imageIndex, Size translation, Size displayed);
    // Drag of one corner handle: the corner is set to a displayed position, already clamped by the handle.
    bool setCorner(const BoxPtr& box, std::int64_t imageIndex, BoxCorner corner, Point location);
    // The box editor's Save: label, template mark and, where given, corners in image pixels (made
    // displayed at the image's zoom). Withdraws the request to open the editor.
    bool applyEdit(const BoxPtr& box, std::int64_t imageIndex, const BoxEdit& edit, double zoom);
    // The editor's Cancel (and Save) decide whether the editor is still wanted.
    void setEditorRequested(bool requested);
    // One displayed point of the selected box in a direction, refused when the tested edge would reach
    // the border of the displayed image. The box is replaced by a new one, which becomes the selection.
    bool nudgeSelected(std::int64_t imageIndex, NudgeDirection direction, double zoom, Size displayed);
    // A box drawn on the canvas: appended, selected and waiting for its label in the editor, which the
    // box layer identified by origin opens (any layer when origin is null).
    void addDrawnBox(const BoxPtr& box, std::int64_t imageIndex, const void* origin);
    const void* editorOrigin() const { return m_editorOrigin; }
    // A box layer that goes away gives up the editor requests it made.
    void forgetEditorOrigin(const void* origin);
    void copySelection();
    // A copy of the buffer's box at the zoom of the image, appended and selected.
    bool paste(std::int64_t imageIndex, double zoom);
    // Delete of the selected box when it is in the image's list.
    bool deleteSelection(std::int64_t imageIndex);
    // Shows again the box at the last undo entry's place; answers the image to make current, or
    // nothing when the entry's image or box is gone (the entry is used up all the same).
    std::optional<std::int64_t> undoDelete(std::int64_t imageCount);
    // Empty lists for images just opened, at the end.
    void addImageLists(std::int64_t count);

signals:
    // The boxes of one image changed (added, moved, edited, hidden, shown, replaced); imageIndex -1:
    // lists were added or removed, so every index may name another list now.
    void boxesChanged(std::int64_t imageIndex);
    // The selected box or its colour changed.
    void selectionChanged();
    // The copy buffer or the undo stack changed (what Paste and Undo Delete can do).
    void commandsChanged();
    // A new box in the place of an old one (a zoom step, a nudge).
    void boxReplaced(const BoxPtr& old, const BoxPtr& replacement);

private:
    // Puts a box in place of the one at a position (one announcement); false when there is none.
    bool replaceBox(std::int64_t boxIndex, std::int64_t imageIndex, const BoxPtr& box);
    // Every write to a box's own fields goes through here, so that the views hear of it.
    void boxesWritten(std::int64_t imageIndex);

    const void* m_editorOrigin = nullptr;
};
