#include "window-access/GridGeometry.h"

#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/TextFieldSuggestion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

const QString MaximumDimensionSizeKey = QStringLiteral("Grid: Maximum Dimension Size");
const QString MinimumExtendedRulePointsSizeKey = QStringLiteral("Grid: Extended Rule: Minimum Points Size");
const QString SpacingKey = QStringLiteral("Grid Spacing");
const QString SpacingGapKey = QStringLiteral("Grid Spacing: Gap");
const QString SpacingAppliesToEdgesKey = QStringLiteral("Grid Spacing: Apply To Edges");
const QStringList GridDimensionKeysInUse = {
    ZRGridDimensionKey::ConfigurationGridColumns,
    ZRGridDimensionKey::ConfigurationGridRows,
    ZRGridDimensionKey::MouseControlsGridColumns,
    ZRGridDimensionKey::MouseControlsGridRows,
};

constexpr std::int64_t kMinimumGridDimensionSize = 1;
constexpr std::int64_t kDefaultMaximumGridDimensionSize = 50;
constexpr std::int64_t kDefaultMinimumExtendedRulePointsSize = 100;
constexpr std::int64_t kMaximumSpacing = 100;
constexpr std::int64_t kLargestSuggestedDimension = 9;
// Grid cells are laid out on rounded points, so an edge within this distance lies on the inner frame's.
constexpr double kInnerFrameEdgeTolerance = 0.5;

std::function<std::vector<std::int64_t>()>& gridDimensionsInUseProvider() {
    static std::function<std::vector<std::int64_t>()> provider;
    return provider;
}

std::int64_t magnitude(std::int64_t value) {
    if (value == std::numeric_limits<std::int64_t>::min())
        return std::numeric_limits<std::int64_t>::max();
    return value < 0 ? -value : value;
}

struct Split {
    double firstLength = 0;
    double secondOrigin = 0;
    double secondLength = 0;
};

// Two parts of a length with the gap between them; the second part takes the odd point.
Split splitInHalves(double origin, double length, double gap) {
    if (length <= gap)
        gap = 0;
    const double first = std::floor((length - gap) / 2);
    return {first, origin + first + gap, length - gap - first};
}

} // namespace

Rect ZRGridInnerFrame(double gap, const Rect& skafableFrame, bool appliesToEdges, bool oddNumber) {
    if (!appliesToEdges)
        return skafableFrame;
    const double edgeGap = gap + (oddNumber ? 1 : 0);
    const Rect inner = skafableFrame.insetBy(edgeGap, edgeGap);
    // A gap wider than the frame would leave no room for any window.
    return inner.isEmpty() ? skafableFrame : inner;
}

std::int64_t ZRGridGeometry::minimumGridDimensionSize() {
    return kMinimumGridDimensionSize;
}

std::int64_t ZRGridGeometry::maximumGridDimensionSize(const UserDefaults& defaults) {
    const qint64 value = defaults.integerForKey(MaximumDimensionSizeKey);
    return value >= minimumGridDimensionSize() ? value : kDefaultMaximumGridDimensionSize;
}

std::int64_t ZRGridGeometry::minimumExtendedRulePointsSize(const UserDefaults& defaults) {
    const qint64 value = defaults.integerForKey(MinimumExtendedRulePointsSizeKey);
    return value < 1 ? kDefaultMinimumExtendedRulePointsSize : value;
}

std::int64_t ZRGridGeometry::sizeOfGridDimension(const QString& key,
                                                 const QVariantMap* preferValueFromDictionary,
                                                 std::int64_t* limit, std::int64_t* delta,
                                                 QString* description, bool extendedRules,
                                                 const UserDefaults& defaults) {
    const std::int64_t minimum = minimumGridDimensionSize();
    const std::int64_t maximum = maximumGridDimensionSize(defaults);

    bool fromDictionary = false;
    std::int64_t size = 0;
    if (preferValueFromDictionary) {
        const auto read = Plist::readInteger(*preferValueFromDictionary, key);
        if (read.ok() && read.value >= 1) {
            size = read.value;
            fromDictionary = true;
        }
    }
    if (!fromDictionary)
        size = defaults.integerForKey(key);
    size = std::clamp(size, minimum, maximum);

    QString text = QString::number(size);
    std::int64_t ruleLimit = 0;
    std::int64_t ruleDelta = 0;
    const auto readRuleValue = [&](const QString& ruleKey) -> std::int64_t {
        if (fromDictionary)
            return Plist::readInteger(*preferValueFromDictionary, ruleKey).valueOr(0);
        return defaults.integerForKey(ruleKey);
    };
    if (extendedRules) {
        const QString limitKey = key + ZRGridDimensionKey::LimitSuffix;
        const std::int64_t givenLimit = readRuleValue(limitKey);
        const std::int64_t room = givenLimit < 0 ? size - minimum : maximum - size;
        if (givenLimit != 0 && room > 0) {
            const std::int64_t points =
                std::max(magnitude(givenLimit), minimumExtendedRulePointsSize(defaults));
            ruleLimit = givenLimit > 0 ? points : -points;
            text += (givenLimit > 0 ? QStringLiteral("<") : QStringLiteral(">")) + QString::number(points);
            const std::int64_t givenDelta = readRuleValue(limitKey + ZRGridDimensionKey::DeltaSuffix);
            if (givenDelta >= 1) {
                ruleDelta = std::min(givenDelta, room);
                text +=
                    (givenLimit > 0 ? QStringLiteral("+") : QStringLiteral("-")) + QString::number(ruleDelta);
            } else {
                ruleDelta = room == 1 ? 1 : 2;
            }
        }
    }
    if (limit)
        *limit = ruleLimit;
    if (delta)
        *delta = ruleDelta;
    if (description)
        *description = text;
    return size;
}

QVariantList ZRGridGeometry::gridDimensionSuggestions(const UserDefaults& defaults) {
    const std::int64_t minimum = minimumGridDimensionSize();
    const std::int64_t maximum = maximumGridDimensionSize(defaults);
    std::set<std::int64_t> inUse;
    const auto consider = [&](std::int64_t size) {
        if (size >= minimum && size <= maximum)
            inUse.insert(size);
    };
    for (const QString& key : GridDimensionKeysInUse)
        consider(defaults.integerForKey(key));
    if (const auto& provider = gridDimensionsInUseProvider()) {
        for (const std::int64_t size : provider())
            consider(size);
    }

    QVariantList rows;
    if (!inUse.empty()) {
        rows.append(QString::fromUtf16(ZRTextFieldSuggestionsSectionCurrentlyUsed));
        for (const std::int64_t size : inUse)
            rows.append(QString::number(size));
        rows.append(QString());
    }
    rows.append(QString::fromUtf16(ZRTextFieldSuggestionsSectionSuggested));
    for (std::int64_t size = 1; size <= kLargestSuggestedDimension; ++size)
        rows.append(QString::number(size));
    return rows;
}

void ZRGridGeometry::setGridDimensionsInUseProvider(std::function<std::vector<std::int64_t>()> provider) {
    gridDimensionsInUseProvider() = std::move(provider);
}

std::int64_t ZRGridGeometry::maximumSpacing() {
    return kMaximumSpacing;
}

double ZRGridGeometry::spacingAppliedToEdges(bool* appliesToEdges, bool* offsetForOddNumber,
                                             const UserDefaults& defaults) {
    if (appliesToEdges)
        *appliesToEdges = appliesSpacingToEdges(defaults);
    if (offsetForOddNumber)
        *offsetForOddNumber = false;
    if (!defaults.boolForKey(SpacingKey))
        return 0;
    std::int64_t gap = std::clamp<std::int64_t>(defaults.integerForKey(SpacingGapKey), 1, maximumSpacing());
    if (gap % 2 != 0) {
        --gap;
        if (offsetForOddNumber)
            *offsetForOddNumber = true;
    }
    return static_cast<double>(gap);
}

bool ZRGridGeometry::appliesSpacingToEdges(const UserDefaults& defaults) {
    return defaults.boolForKey(SpacingAppliesToEdgesKey);
}

Rect ZRGridGeometry::innerFrameOfSkafableFrame(const Rect& skafableFrame, const UserDefaults& defaults) {
    bool appliesToEdges = false;
    bool odd = false;
    const double gap = spacingAppliedToEdges(&appliesToEdges, &odd, defaults);
    return ZRGridInnerFrame(gap, skafableFrame, appliesToEdges, odd);
}

void ZRGridGeometry::innerFrame(const Rect& frame, bool* sticksToRightEdge, bool* sticksToBottomEdge,
                                const Rect& withinSkafableFrame, const UserDefaults& defaults) {
    const Rect inner = innerFrameOfSkafableFrame(withinSkafableFrame, defaults);
    const auto near = [](double a, double b) { return std::abs(a - b) <= kInnerFrameEdgeTolerance; };
    if (sticksToRightEdge)
        *sticksToRightEdge = near(frame.maxX(), inner.maxX()) && !near(frame.minX(), inner.minX());
    // Cocoa: the bottom is the smaller y.
    if (sticksToBottomEdge)
        *sticksToBottomEdge = near(frame.minY(), inner.minY()) && !near(frame.maxY(), inner.maxY());
}

ZRRelativeFrame ZRGridGeometry::relativeFrameFromWindowFrame(const Rect& windowFrame,
                                                             const Rect& withinSkafableFrame) {
    if (withinSkafableFrame.isEmpty() || !withinSkafableFrame.isFinite() || !windowFrame.isFinite())
        return {};
    const Rect& u = withinSkafableFrame;
    return {(windowFrame.x() - u.x()) / u.width(), (windowFrame.y() - u.y()) / u.height(),
            windowFrame.width() / u.width(), windowFrame.height() / u.height()};
}

Rect ZRGridGeometry::windowFrameFromRelativeFrame(const ZRRelativeFrame& relativeFrame,
                                                  const Rect& withinFullFrame) {
    if (!relativeFrame.isFinite() || !withinFullFrame.isFinite())
        return {};
    const Rect& f = withinFullFrame;
    return {f.x() + std::round(relativeFrame.x() * f.width()),
            f.y() + std::round(relativeFrame.y() * f.height()), std::round(relativeFrame.width() * f.width()),
            std::round(relativeFrame.height() * f.height())};
}

Rect ZRGridGeometry::windowFrameAtPosition(std::int64_t position, const Rect& withinSkafableFrame,
                                           [[maybe_unused]] const Rect& onScreenWithFrame,
                                           const UserDefaults& defaults) {
    if (withinSkafableFrame.isEmpty() || !withinSkafableFrame.isFinite())
        return {};
    bool appliesToEdges = false;
    bool odd = false;
    const double evenGap = spacingAppliedToEdges(&appliesToEdges, &odd, defaults);
    const Rect inner = ZRGridInnerFrame(evenGap, withinSkafableFrame, appliesToEdges, odd);
    const double gap = evenGap + (odd ? 1 : 0);

    const Split columns = splitInHalves(inner.x(), inner.width(), gap);
    const Split rows = splitInHalves(inner.y(), inner.height(), gap);
    const Rect left(inner.x(), inner.y(), columns.firstLength, inner.height());
    const Rect right(columns.secondOrigin, inner.y(), columns.secondLength, inner.height());
    const auto top = [&](const Rect& r) {
        return Rect(r.x(), rows.secondOrigin, r.width(), rows.secondLength);
    };
    const auto bottom = [&](const Rect& r) { return Rect(r.x(), inner.y(), r.width(), rows.firstLength); };

    switch (position) {
    case ZRPositionCenter:
    case ZRPositionFull:
        return inner;
    case ZRPositionTop:
        return top(inner);
    case ZRPositionTopRight:
        return top(right);
    case ZRPositionRight:
        return right;
    case ZRPositionBottomRight:
        return bottom(right);
    case ZRPositionBottom:
        return bottom(inner);
    case ZRPositionBottomLeft:
        return bottom(left);
    case ZRPositionLeft:
        return left;
    case ZRPositionTopLeft:
        return top(left);
    default:
        return {};
    }
}

Rect ZRGridGeometry::windowFrameAtPosition(std::int64_t position, const ZRVirtualScreen& onScreen,
                                           const UserDefaults& defaults) {
    return windowFrameAtPosition(position, onScreen.skafableFrame(), onScreen.frame(), defaults);
}

Rect ZRGridGeometry::windowFrameAtPosition(std::int64_t position, Point forTriggerLocation,
                                           std::int64_t switchToScreenAtRelativePosition,
                                           const UserDefaults& defaults) {
    const auto screen =
        ZRVirtualScreen::screenAtPosition(switchToScreenAtRelativePosition, forTriggerLocation, defaults);
    return screen ? windowFrameAtPosition(position, *screen, defaults) : Rect();
}
