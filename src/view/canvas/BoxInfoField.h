#pragma once

#include "model/BoundingBoxProperty.h"
#include "model/ImageProperty.h"
#include "view/SharedObjects.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// The box editor: label, corners in image pixels and template mark of one box of the current image,
// written to the box only by "Save". Shown with openInWindow as "Bounding Box"; Return saves, Escape
// cancels, and both close the editor's own window.
//
// The editor is tied to the box that stood at boundingBoxIndex of the current image's list when it
// was made (and to that image), not to the position: switching images or adding boxes while it is
// open does not move it to another box (a zoom step's new box in its place takes it over). Save
// finds the box again by identity; if the box has left its image's list (or the image was closed)
// there is nothing to save and "Save" stays disabled. An index that names no box gives empty fields
// and a disabled "Save".
class BoxInfoField : public QDialog
{
    Q_OBJECT
public:
    static constexpr int contentSize = 400;

    BoxInfoField(SharedObjects shared, std::int64_t boundingBoxIndex, QWidget* parent = nullptr);

    // Closes the window without Save or Cancel, as when another editor replaces it.
    void dismiss();

    const BoxPtr& boundingBox() const { return m_box; }
    QStringList allUniqueClass() const { return m_allUniqueClass; }

    // Save and Cancel, as their buttons and keys run them.
    void save();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildContent();
    void load();
    void gatherClasses(std::int64_t lastImageIndex);
    // The edited box's image index now, or -1 when the box is gone.
    std::int64_t currentImageOfBox() const;
    void refreshSaveButton();
    void finish();

    SharedObjects m_shared;
    BoxPtr m_box;
    ImagePtr m_image;
    QStringList m_allUniqueClass;
    bool m_finished = false;

    QLineEdit* m_xStart = nullptr;
    QLineEdit* m_yStart = nullptr;
    QLineEdit* m_xEnd = nullptr;
    QLineEdit* m_yEnd = nullptr;
    QLineEdit* m_label = nullptr;
    QCheckBox* m_markTemplate = nullptr;
    QListWidget* m_classes = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
