#pragma once

#include <QList>
#include <QString>
#include <vector>

class QLabel;
class QWidget;
class ZRShroudView;

// Rows of controls placed by hand, one below the other, in a settings pane or the general settings. Each
// row is a widget of its own, so a row can hide and let the rows below it move up (setRowVisible). Rows
// between beginShroud and endShroud go into a shroud view that dims and disables them together.
class ZRSettingsRows {
public:
    // Between rows, above a section title, and the indent of rows that depend on the one above.
    static constexpr int Spacing = 8;
    static constexpr int SectionSpacing = 16;
    static constexpr int Indent = 22;
    static constexpr int ControlSpacing = 6;

    // Rows start at the top, at the left margin, and take the width less both margins.
    ZRSettingsRows(QWidget* container, int top, int margin, int width);

    // Below the last row placed.
    int bottom() const;

    // The widgets side by side from the left, the last ones taking what room is left when stretch is off.
    QWidget* addRow(const QList<QWidget*>& widgets, int indent = 0, bool stretch = true);
    // A bold title over the rows that follow.
    QLabel* addSectionTitle(const QString& title);
    // A smaller explanation that wraps within the row.
    QLabel* addNote(const QString& text, int indent = 0);

    ZRShroudView* beginShroud();
    void endShroud();

private:
    struct Level {
        QWidget* container;
        int x;
        int y;
        int top;
        int width;
    };
    Level& current() { return m_levels.back(); }
    QWidget* place(QWidget* row, int indent, int height);

    std::vector<Level> m_levels;
};

// Hides or shows a row; the rows below it in its container move up by its height and the spacing, or back
// down, and the container's height follows. True when the visibility changed.
bool setRowVisible(QWidget* row, bool visible);
// A small grey label for notes and values beside controls.
QLabel* newSettingsNoteLabel(const QString& text);
