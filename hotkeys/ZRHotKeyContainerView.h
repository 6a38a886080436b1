#pragma once

#include <QPainterPath>
#include <QWidget>

// The rounded box around a hot-key field and its clear button. It draws the border (the accent colour
// while the field records in the active window); the field and the button draw inside interiorPath(),
// so that their backgrounds follow its corners and never cover the border.
class ZRHotKeyContainerView : public QWidget {
    Q_OBJECT
public:
    explicit ZRHotKeyContainerView(QWidget* parent = nullptr);

    // The field shows a local hot key.
    bool isLocal() const { return m_local; }
    void setLocal(bool local);
    // The field records.
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    double cornerRadius() const;
    double borderWidth() const;
    QColor borderColor() const;
    // The inside of the border, in the child's coordinates.
    QPainterPath interiorPath(const QWidget* child) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_local = false;
    bool m_highlighted = false;
};
