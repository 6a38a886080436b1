#pragma once

#include "keyboard-control/ZRGridPrototype.h"

class Platform;

// The grid of a custom action's settings: its cells are shares of a screen, and a selection becomes the
// action's relative frame. Its owner (the action editor) sets and reads the relative frame and redraws.
class ZRConfigurationGrid : public ZRGridPrototype {
    Q_OBJECT
public:
    // Its height follows the proportions of the desktop's first screen.
    ZRConfigurationGrid(const UserDefaults& defaults, Platform& platform, QWidget* parent = nullptr);

    ZRGridStyle gridStyle() const override { return ZRGridStyleRectangles; }
    QString numberOfColumnsKey() const override { return ZRGridDimensionKey::ConfigurationGridColumns; }
    QString numberOfRowsKey() const override { return ZRGridDimensionKey::ConfigurationGridRows; }
    void allocateCellsWithColumns(std::int64_t columns, std::int64_t andRows) override;
    void releaseCells() override;

    // The counts from the settings, a height in the proportions of the first screen (a square without
    // one), and the cells over the whole view.
    void updateLayout();

    // The cells in fractions of the screen (0 to 1), indexed [row][column].
    const ZRGridMatrix<ZRRelativeFrame>& representedRelativeCellFrame() const {
        return m_representedRelativeCellFrame;
    }
    ZRRelativeFrame representedRelativeWindowFrame() const { return m_representedRelativeWindowFrame; }
    void setRepresentedRelativeWindowFrame(const ZRRelativeFrame& frame) {
        m_representedRelativeWindowFrame = frame;
    }

    // Darker the more of the cell the relative frame covers.
    QColor cellColorForColumn(std::int64_t column, std::int64_t row, bool inWireframe) const override;
    static QColor cellColorWithIntersection(double intersection) {
        return cellColorWithIntersection(intersection, invertColors());
    }
    static QColor cellColorWithIntersection(double intersection, bool inverted);
    // The selection becomes the relative frame.
    void gridWillSendActionWithSelectionBetweenCoordinates(ZRGridCoordinates first,
                                                           ZRGridCoordinates second) override;

protected:
    QColor classCellColorWithIntersection(double intersection) const override {
        return cellColorWithIntersection(intersection, classInvertColors());
    }

private:
    Platform& m_platform;
    ZRGridMatrix<ZRRelativeFrame> m_representedRelativeCellFrame;
    ZRRelativeFrame m_representedRelativeWindowFrame;
};
