#pragma once

#include <QList>
#include <memory>

class QWidget;

// The supplier of the rows of a configuration collection view (the settings' stack of editor panes).
// Rows and the view are widgets of the settings window, which lies above.
class ZRConfigurationCollectionViewDelegate {
public:
    virtual ~ZRConfigurationCollectionViewDelegate() = default;

    // The rows, in order.
    virtual QList<QWidget*> configurationViewsInCollectionView(QWidget* collectionView) = 0;
    // Take the rows' on-screen order as the new order.
    virtual void sortConfigurationsByViewYCoordinatesInCollectionView(QWidget* collectionView) = 0;
    // Take the order of the given rows.
    virtual void sortConfigurationsByViewIndexInArray(const QList<QWidget*>& views) = 0;
    virtual void deleteSelectedConfigurations() = 0;
    virtual void selectionDidUpdateInCollectionView(QWidget* collectionView) {}
    virtual void sequenceDidUpdateInCollectionView(QWidget* collectionView) {}

    // Collection views hold their delegate without owning it: this tells them when it has gone.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

private:
    std::shared_ptr<const int> m_lifetime = std::make_shared<const int>(0);
};
