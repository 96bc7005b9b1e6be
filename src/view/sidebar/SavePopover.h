#pragma once

#include "view/Popover.h"
#include "view/SharedObjects.h"

class QLabel;
class QPushButton;

// The "Save" popover of the sidebar: the current image's shown boxes as a JSON box file, or as a
// CSV file made from one by the conversion script. A save that fails is shown to the user.
class SavePopover : public Popover
{
    Q_OBJECT
public:
    SavePopover(SharedObjects shared, QWidget* anchor);

    // Each asks for the file to write; false when nothing was written (cancelled or failed).
    bool saveJson();
    bool saveCsv();

    QPushButton* jsonButton() const { return m_jsonButton; }
    QPushButton* csvButton() const { return m_csvButton; }
    QWidget* jsonSection() const { return m_jsonSection; }
    QLabel* csvText() const { return m_csvText; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    // The path the user chose, with the type's ending added when they typed none; empty on Cancel.
    QString askForFile(const QString& kind, const QString& ending);
    void reportFailure(const QString& kind, const QString& reason);
    static bool isWritable(const QString& path);

    SharedObjects m_shared;
    QWidget* m_jsonSection;
    QPushButton* m_jsonButton;
    QLabel* m_csvText;
    QPushButton* m_csvButton;
};
