#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStyledItemDelegate>

class UserDefaults;
class ZRSidebarController;

// What a sidebar row looks like at the moment it is drawn.
struct ZRSourceListRowState {
    bool active = false;         // the window draws as the active one
    bool highlighted = false;    // the row is selected
    bool firstResponder = false; // the sidebar has the keyboard
    bool dark = false;           // the sidebar draws in a dark style
    bool editing = false;        // the row's title is being edited
};

// The one cell that draws every sidebar row: an icon in a slot at the left, the title, and the hot key's
// text at the right end. The sidebar sets it up for each row before it draws it (ZRSidebarController::
// willDisplayCell). Editing a title covers only the title's frame.
class ZRSourceListCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Room between the title and the hot key, and between the hot key and the right edge.
    static constexpr double HotKeyGap = 8;
    static constexpr double HotKeyRightInset = 4;
    // A title is never narrower than this.
    static constexpr double MinimumTextWidth = 10;
    // Grown around a title too long for its row, when the whole of it shows above the row.
    static constexpr double ExpansionMarginX = 3;
    static constexpr double ExpansionMarginY = 2;
    // The width of a hot key's text that is still to be measured.
    static constexpr double UnmeasuredWidth = -10;

    ZRSourceListCell(ZRSidebarController& sidebar, QObject* parent = nullptr);

    // The icon slot's width by the size mode ("NSTableViewDefaultSizeMode"): 24 small, 32 large, 28 other.
    static double iconSlotWidth(qint64 sizeMode);
    // The theme's symbol of that name at that size, cached; null when "Sidebar Icon Priority" in the settings
    // is below 1 or the theme has none.
    static QImage iconWithName(const QString& name, const QString& accessibilityDescription, double pointSize,
                               const UserDefaults& defaults);
    // Whether hot keys show at all: by "Sidebar Hot Key Priority" (1 always, 0 while the window is wider than
    // its minimum, other values never). The sidebar sets it whenever it draws.
    static void setHotKeysShown(bool shown);
    static bool hotKeysShownFor(qint64 priority, double windowWidth, double minimumWindowWidth);

    // --- Set up for each row

    const QImage& icon() const { return m_icon; }
    void setIcon(const QImage& icon) { m_icon = icon; }
    const QString& hotKeyRepresentation() const { return m_hotKeyRepresentation; }
    void setHotKeyRepresentation(const QString& text);
    bool tintWhite() const { return m_tintWhite; }
    void setTintWhite(bool tintWhite) { m_tintWhite = tintWhite; }
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font);
    void setTextColor(const QColor& color) { m_textColor = color; }
    // Shown while a title being edited is empty.
    const QString& placeholder() const { return m_placeholder; }
    void setPlaceholder(const QString& placeholder) { m_placeholder = placeholder; }
    void setSizeMode(qint64 sizeMode) { m_sizeMode = sizeMode; }

    // -1 while hot keys are hidden or there is none; else the text's width, measured once.
    double hotKeyRepresentationWidth() const;
    // The size the title (of the given width) needs with the hot key and the icon.
    QSizeF cellSize(QSizeF titleSize) const;
    // Where the title goes in the cell's frame: left of the hot key, right of the icon.
    QRectF textFrameForCellFrame(const QRectF& frame, bool edit) const;
    void drawWithFrame(QPainter& painter, const QRectF& frame, const QString& title, bool highlighted,
                       bool retina) const;
    // The frame of a title shown whole above its row; empty when the title fits.
    QRectF expansionFrameWithFrame(const QRectF& frame, const QString& title) const;

    // --- QStyledItemDelegate

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // The field of the title being edited; null while none is.
    QWidget* currentEditor() const { return m_editor; }

private:
    // The cell set up for the row, as the outline does before it draws or measures one.
    ZRSourceListCell& prepared(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    ZRSidebarController& m_sidebar;
    QImage m_icon;
    QString m_hotKeyRepresentation;
    mutable double m_hotKeyRepresentationWidth = UnmeasuredWidth;
    bool m_tintWhite = false;
    QFont m_font;
    QColor m_textColor;
    QString m_placeholder;
    qint64 m_sizeMode = 0;
    mutable QPointer<QWidget> m_editor;
};
