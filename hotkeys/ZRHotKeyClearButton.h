#pragma once

#include <QAbstractButton>
#include <QPointer>

class ZRHotKeyTextView;

// The button at the right end of a hot-key field: a plus while the field is idle without a hot key (a
// click starts recording), else a cross that clears the hot key. Both glyphs are drawn as paths.
class ZRHotKeyClearButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ZRHotKeyClearButton(QWidget* parent = nullptr);

    // The field the button acts on: its release clears that field's hot key.
    ZRHotKeyTextView* hotKeyTextView() const { return m_hotKeyTextView; }
    void setHotKeyTextView(ZRHotKeyTextView* textView);

    // Whether the button shows the plus (else the cross).
    bool showsPlus() const;
    QColor tintColor() const;
    QColor fillColor() const;
    // Where the glyph is drawn: the bounds inset, square, centred on whole points.
    QRectF imageRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<ZRHotKeyTextView> m_hotKeyTextView;
    QMetaObject::Connection m_action;
};
