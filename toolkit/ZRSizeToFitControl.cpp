#include "toolkit/ZRSizeToFitControl.h"

ZRSizeToFitControl::ZRSizeToFitControl(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::currentIndexChanged, this, &ZRSizeToFitControl::sizeToFit);
}

void ZRSizeToFitControl::setChainedNeighbors(const QList<QWidget*>& neighbors) {
    m_neighbors.clear();
    for (QWidget* neighbor : neighbors)
        m_neighbors += neighbor;
}

QList<QWidget*> ZRSizeToFitControl::chainedNeighbors() const {
    QList<QWidget*> neighbors;
    for (const auto& neighbor : m_neighbors) {
        if (neighbor)
            neighbors += neighbor;
    }
    return neighbors;
}

void ZRSizeToFitControl::sizeToFit() {
    const int delta = sizeHint().width() - width();
    if (delta == 0)
        return;
    resize(width() + delta, height());
    for (QWidget* neighbor : chainedNeighbors())
        neighbor->move(neighbor->x() + delta, neighbor->y());
}
