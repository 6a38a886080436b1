#include "help-browser/ZRHelpAnchor.h"

#include "toolkit/StringExtensions.h"

int ZRHelpAnchorCompare(const ZRHelpAnchor& anchor, const ZRHelpAnchor& other) {
    if (const int order = ZRCompareNumeric(anchor.sortString, other.sortString); order != 0)
        return order;
    if (anchor.name.size() != other.name.size())
        return anchor.name.size() < other.name.size() ? -1 : 1;
    return ZRCompareNumeric(anchor.name, other.name);
}
