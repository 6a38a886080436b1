#pragma once

#include <memory>
#include <vector>

class ZRAction;

// A row of the settings sidebar as the action store reads it when it rebuilds the tree from the rows.
class ZRActionSourceListRow {
public:
    virtual ~ZRActionSourceListRow() = default;

    // The row's action; null for sections, spacers and headers.
    virtual std::shared_ptr<ZRAction> action() const = 0;
    // The rows of a folder's members, in order.
    virtual std::vector<const ZRActionSourceListRow*> childRows() const = 0;
};
