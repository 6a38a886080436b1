#pragma once

#include <QComboBox>
#include <QList>
#include <QPointer>

// A pop-up button that takes the width its items need and moves the controls chained to its right by the
// same change, so a row of controls placed by hand stays tidy when a title changes length.
class ZRSizeToFitControl : public QComboBox {
    Q_OBJECT
public:
    explicit ZRSizeToFitControl(QWidget* parent = nullptr);

    // The controls to the right that move with this one's right edge.
    void setChainedNeighbors(const QList<QWidget*>& neighbors);
    QList<QWidget*> chainedNeighbors() const;

    // Sizes the control to fit and moves the chained neighbours by the change of width.
    void sizeToFit();

private:
    QList<QPointer<QWidget>> m_neighbors;
};
