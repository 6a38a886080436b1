#include "actions/ZRSnapshot.h"

#include "actions/ActionRecordReading.h"
#include "toolkit/ZRLog.h"
#include "window-access/PropertyListSafeValue.h"

#include <QStringList>
#include <algorithm>

namespace {

const QString WindowDescriptionsKey = QStringLiteral("Window Descriptions");
const QString ScreenFramesKey = QStringLiteral("Screen Frames");

// A window showing less than this part of itself counts as covered.
constexpr double ObstructedVisibleFraction = 0.01;
// Visible parts are tracked as rectangles; past this many the window counts as visible, which keeps a
// pathological layout from costing more than it is worth.
constexpr std::size_t MaximumVisibleFragments = 256;

// The parts of the rectangle outside the cover: up to four rectangles.
void subtract(const Rect& rect, const Rect& cover, std::vector<Rect>& into) {
    const Rect overlap = rect.intersected(cover);
    if (overlap.isEmpty()) {
        into.push_back(rect);
        return;
    }
    if (overlap.minY() > rect.minY())
        into.emplace_back(rect.minX(), rect.minY(), rect.width(), overlap.minY() - rect.minY());
    if (overlap.maxY() < rect.maxY())
        into.emplace_back(rect.minX(), overlap.maxY(), rect.width(), rect.maxY() - overlap.maxY());
    if (overlap.minX() > rect.minX())
        into.emplace_back(rect.minX(), overlap.minY(), overlap.minX() - rect.minX(), overlap.height());
    if (overlap.maxX() < rect.maxX())
        into.emplace_back(overlap.maxX(), overlap.minY(), rect.maxX() - overlap.maxX(), overlap.height());
}

const QStringList& rectangleKeys() {
    static const QStringList keys = {ZRWindowDescriptionKey::WindowFrame, ZRWindowDescriptionKey::ScreenFrame,
                                     ZRWindowDescriptionKey::AvailableScreenFrame};
    return keys;
}

std::optional<ZRWindowDescription> readWindowDescription(const QVariant& value, qsizetype index) {
    if (value.typeId() != QMetaType::QVariantMap) {
        ZRLog("skipping window %lld of a layout: it is %@, not a dictionary", qint64(index),
              ActionRecordReading::typeDescription(value));
        return std::nullopt;
    }
    ZRWindowDescription description = ZRPropertyListSafeValue(value).toMap();
    for (const QString& key : rectangleKeys()) {
        if (!description.contains(key) || ActionRecordReading::rectFromValue(description.value(key)))
            continue;
        if (key == ZRWindowDescriptionKey::WindowFrame) {
            ZRLog("skipping window %lld of a layout: its frame is no rectangle", qint64(index));
            return std::nullopt;
        }
        ZRLog("window %lld of a layout: dropping \"%@\", which is no rectangle", qint64(index), key);
        description.remove(key);
    }
    if (!description.contains(ZRWindowDescriptionKey::WindowFrame)) {
        ZRLog("skipping window %lld of a layout: it has no frame", qint64(index));
        return std::nullopt;
    }
    return description;
}

Rect rectOfDescription(const ZRWindowDescription& description, const QString& key) {
    return ActionRecordReading::rectFromValue(description.value(key)).value_or(Rect());
}

} // namespace

ZRSnapshotDictionaryRepresentation ZRSnapshot::dictionaryRepresentation() const {
    QVariantList frames;
    frames.reserve(qsizetype(screenFrames.size()));
    for (const Rect& frame : screenFrames)
        frames.append(stringFromRect(frame));
    return {{WindowDescriptionsKey, windowDescriptionList()}, {ScreenFramesKey, frames}};
}

std::optional<ZRSnapshot> ZRSnapshot::snapshotWithDictionaryRepresentation(const QVariant& record) {
    if (record.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = record.toMap();
    ZRSnapshot snapshot;
    const QVariant windows = map.value(WindowDescriptionsKey);
    if (windows.isValid() && windows.typeId() != QMetaType::QVariantList)
        ZRLog("skipping the windows of a layout: they are %@, not an array",
              ActionRecordReading::typeDescription(windows));
    const QVariantList windowList = windows.toList();
    for (qsizetype i = 0; i < windowList.size(); ++i) {
        if (auto description = readWindowDescription(windowList.at(i), i))
            snapshot.windowDescriptions.push_back(std::move(*description));
    }
    const QVariant frames = map.value(ScreenFramesKey);
    if (frames.isValid() && frames.typeId() != QMetaType::QVariantList)
        ZRLog("skipping the screen frames of a layout: they are %@, not an array",
              ActionRecordReading::typeDescription(frames));
    for (const QVariant& value : frames.toList()) {
        if (const auto frame = ActionRecordReading::rectFromValue(value))
            snapshot.screenFrames.push_back(*frame);
        else
            ZRLog("skipping a screen frame of a layout: it is no rectangle");
    }
    return snapshot;
}

QVariantList ZRSnapshot::windowDescriptionList() const {
    QVariantList list;
    list.reserve(qsizetype(windowDescriptions.size()));
    for (const ZRWindowDescription& description : windowDescriptions)
        list.append(description);
    return list;
}

std::vector<Rect> ZRSnapshot::screenFramesOfWindows() const {
    std::vector<Rect> frames;
    for (const ZRWindowDescription& description : windowDescriptions) {
        const Rect frame = rectOfDescription(description, ZRWindowDescriptionKey::ScreenFrame);
        if (std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    }
    return frames;
}

std::vector<bool> ZRSnapshot::obstructedWindows() const {
    std::vector<bool> obstructed(windowDescriptions.size(), false);
    std::vector<Rect> inFront;
    inFront.reserve(windowDescriptions.size());
    for (std::size_t i = 0; i < windowDescriptions.size(); ++i) {
        const Rect frame = ZRWindowFrameOfDescription(windowDescriptions[i]).standardized();
        if (!frame.isEmpty()) {
            std::vector<Rect> visible{frame};
            for (const Rect& cover : inFront) {
                std::vector<Rect> remaining;
                for (const Rect& part : visible)
                    subtract(part, cover, remaining);
                visible = std::move(remaining);
                if (visible.empty() || visible.size() > MaximumVisibleFragments)
                    break;
            }
            if (visible.size() <= MaximumVisibleFragments) {
                double visibleArea = 0;
                for (const Rect& part : visible)
                    visibleArea += part.area();
                obstructed[i] = visibleArea < frame.area() * ObstructedVisibleFraction;
            }
        }
        inFront.push_back(frame);
    }
    return obstructed;
}

Rect ZRWindowFrameOfDescription(const ZRWindowDescription& description) {
    return rectOfDescription(description, ZRWindowDescriptionKey::WindowFrame);
}

Rect ZRReferenceFrameOfDescription(const ZRWindowDescription& description) {
    const Rect available = rectOfDescription(description, ZRWindowDescriptionKey::AvailableScreenFrame);
    if (!available.isEmpty())
        return available;
    return rectOfDescription(description, ZRWindowDescriptionKey::ScreenFrame);
}
