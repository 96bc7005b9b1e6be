#pragma once

#include "view/SharedObjects.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QFrame;
class QHBoxLayout;
class QScrollArea;
class ImageTab;
class AllImagesPopover;

// The blue bar above the canvas with one tab per open image, in opening order. A press on another
// tab makes its image current; a press on the current tab opens (or closes) "All Images", a list
// to choose from; the current tab's close symbol removes the image and its boxes after asking.
// Whatever changes the current image, the strip scrolls its tab to the middle.
class ImageTabStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int barHeight = 20;
    static constexpr int minimumTabWidth = 150;

    explicit ImageTabStrip(SharedObjects shared, QWidget* parent = nullptr);

    bool isPopoverShown() const;
    // The open "All Images" list, or nothing.
    QFrame* popover() const;
    QScrollArea* scrollArea() const { return m_scroll; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ImageTab;
    friend class AllImagesPopover;

    void refresh();
    void rebuildTabs();
    void scrollToCurrent();
    void tabPressed(const ImagePtr& image, qulonglong timestamp);
    void closePressed(const ImagePtr& image);
    void remove(const ImagePtr& image);
    void togglePopover();
    void choose(std::int64_t index);

    SharedObjects m_shared;
    QScrollArea* m_scroll;
    QWidget* m_row;
    QHBoxLayout* m_rowLayout;
    std::vector<ImageTab*> m_tabs;
    QStringList m_tabIds;
    QString m_currentId;
    std::int64_t m_lastIndex;
    QPointer<AllImagesPopover> m_popover;
    // The press that closed the list from outside; the same press on the current tab must not
    // open it again.
    std::optional<qulonglong> m_popoverClosingPress;
};
