#pragma once

#include <QImage>
#include <QVariantList>
#include <QWidget>
#include <cstddef>

class QToolButton;

// One screen of a layout in a layout action's settings: every window as a rounded rectangle in its place,
// numbered or named, with a button in the corner that steps through the layout's screens.
class ZRActionSnapshotPreviewView : public QWidget {
    Q_OBJECT
public:
    explicit ZRActionSnapshotPreviewView(QWidget* parent = nullptr);

    std::size_t numberOfScreens() const { return m_numberOfScreens; }
    std::size_t screenIndex() const { return m_screenIndex; }
    // Draws the windows fainter.
    bool increaseTranslucency() const { return m_increaseTranslucency; }
    void setIncreaseTranslucency(bool increase);
    // Shown only while the layout has more than one screen; clicks step to the next screen.
    QToolButton* cycleButton() const { return m_cycleButton; }
    // The window descriptions, front to back.
    const QVariantList& snapshot() const { return m_snapshot; }
    // Shows the layout's first screen.
    void setSnapshot(const QVariantList& snapshot);
    // ZRSnapshotLabelPriority: none, numbers or names.
    unsigned labelPriority() const { return m_labelPriority; }
    void setLabelPriority(unsigned priority);

    // The next screen, the first after the last.
    void cycleSnapshot();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void redraw();

    std::size_t m_numberOfScreens = 0;
    std::size_t m_screenIndex = 0;
    bool m_increaseTranslucency = false;
    QToolButton* m_cycleButton = nullptr;
    QVariantList m_snapshot;
    unsigned m_labelPriority = 0;
    // The picture as last drawn; drawn again only when something it shows changes.
    QImage m_picture;
};
