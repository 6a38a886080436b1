#pragma once

#include "settings/ZRConfigurationCollectionView.h"

// The collection view of the settings' "Custom" pane, which shows the selected action's editor pane.
class ZRActionConfigurationCollectionView : public ZRConfigurationCollectionView {
public:
    using ZRConfigurationCollectionView::ZRConfigurationCollectionView;
};
