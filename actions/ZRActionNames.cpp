#include "actions/ZRAction.h"

#include <QCoreApplication>

namespace {

// File names longer than this are cut; most file systems allow 255 bytes.
constexpr qsizetype MaximumFilenameLength = 200;

QString tr(const char* text) {
    return QCoreApplication::translate("ZRAction", text);
}

// The side or corner a position names: "Top", "Top Right"…
QString positionName(std::int64_t position) {
    switch (position) {
    case ZRPositionCenter:
        return tr("Center");
    case ZRPositionFull:
        return tr("Full");
    case ZRPositionTop:
        return tr("Top");
    case ZRPositionTopRight:
        return tr("Top Right");
    case ZRPositionRight:
        return tr("Right");
    case ZRPositionBottomRight:
        return tr("Bottom Right");
    case ZRPositionBottom:
        return tr("Bottom");
    case ZRPositionBottomLeft:
        return tr("Bottom Left");
    case ZRPositionLeft:
        return tr("Left");
    case ZRPositionTopLeft:
        return tr("Top Left");
    case ZRPositionTopCentered:
        return tr("Top Center");
    case ZRPositionRightCentered:
        return tr("Right Center");
    case ZRPositionBottomCentered:
        return tr("Bottom Center");
    case ZRPositionLeftCentered:
        return tr("Left Center");
    default:
        return QString();
    }
}

// The way a window travels: "Up", "Down Left"…
QString directionName(std::int64_t position) {
    switch (position) {
    case ZRPositionTop:
        return tr("Up");
    case ZRPositionTopRight:
        return tr("Up Right");
    case ZRPositionRight:
        return tr("Right");
    case ZRPositionBottomRight:
        return tr("Down Right");
    case ZRPositionBottom:
        return tr("Down");
    case ZRPositionBottomLeft:
        return tr("Down Left");
    case ZRPositionLeft:
        return tr("Left");
    case ZRPositionTopLeft:
        return tr("Up Left");
    default:
        return QString();
    }
}

bool isEdge(std::int64_t position) {
    return position == ZRPositionTop || position == ZRPositionRight || position == ZRPositionBottom ||
           position == ZRPositionLeft;
}

bool isCorner(std::int64_t position) {
    return position == ZRPositionTopRight || position == ZRPositionBottomRight ||
           position == ZRPositionBottomLeft || position == ZRPositionTopLeft;
}

QString joined(const QString& first, const QString& second) {
    return second.isEmpty() ? first : first + QLatin1Char(' ') + second;
}

QString percent(double fraction) {
    return stringWithDouble(fraction * 100, 1) + QLatin1Char('%');
}

QString deltaText(std::int64_t delta, ZRMeasurementUnit unit) {
    return stringWithLength(delta, QString(), unit, true);
}

QString gridDimensionsText(const QVariantMap& dimensions, const QString& columnsKey, const QString& rowsKey) {
    const qint64 columns = dimensions.value(columnsKey).toLongLong();
    const qint64 rows = dimensions.value(rowsKey).toLongLong();
    if (columns < 1 && rows < 1)
        return QString();
    const auto text = [](qint64 value) { return value < 1 ? QStringLiteral("=") : QString::number(value); };
    return tr("%1 × %2 grid").arg(text(columns), text(rows));
}

} // namespace

QString ZRAction::displayNameWithSuffixes(QStringList* suffixes) const {
    const QString defaultName = defaultNameWithSuffixes(suffixes);
    return m_userDefinedName ? *m_userDefinedName : defaultName;
}

QString ZRAction::defaultNameWithSuffixes(QStringList* suffixes) const {
    return defaultNameWithSuffixes(suffixes, true);
}

QString ZRAction::defaultNameWithSuffixes(QStringList* suffixes, bool indicateDirection) const {
    QStringList collected;
    QString name;
    const std::int64_t direction = indicateDirection ? m_moveDirection : ZRPositionNone;
    switch (m_actionType) {
    case ZRActionTypeMenuHeader:
        name = tr("Header");
        break;
    case ZRActionTypeSeparator:
        name = tr("Separator");
        break;
    case ZRActionTypeRevert:
        name = tr("Revert");
        break;
    case ZRActionTypeFill:
        name = tr("Fill");
        break;
    case ZRActionTypeHalf:
        name = isEdge(direction) ? tr("%1 Half").arg(positionName(direction)) : tr("Half");
        break;
    case ZRActionTypeQuarter:
        name = isCorner(direction) ? tr("%1 Quarter").arg(positionName(direction)) : tr("Quarter");
        break;
    case ZRActionTypeMoveAndResize: {
        name = tr("Move and Resize");
        const Rect& frame = m_relativeFrame;
        collected << tr("%1 × %2").arg(percent(frame.width()), percent(frame.height()))
                  << tr("at %1, %2").arg(percent(frame.x()), percent(frame.y()));
        const QString grid =
            gridDimensionsText(m_gridDimensionsDictionary, ZRGridDimensionKey::ConfigurationGridColumns,
                               ZRGridDimensionKey::ConfigurationGridRows);
        if (!grid.isEmpty())
            collected << grid;
        break;
    }
    case ZRActionTypeCenter:
    case ZRActionTypeCenterGeometrically:
        name = tr("Center");
        if (m_actionType == ZRActionTypeCenterGeometrically || m_centerMode == ZRCenterModeGeometric)
            collected << tr("Actual Display Center");
        break;
    case ZRActionTypeMove:
    case ZRActionTypeMoveConfined:
        name = joined(tr("Move"), directionName(direction));
        collected << deltaText(m_moveDelta, m_moveDeltaUnit);
        if (m_actionType == ZRActionTypeMoveConfined || m_confinedToDisplay)
            collected << tr("Confine to Display");
        break;
    case ZRActionTypeMoveToEdgeOrCorner: {
        const std::int64_t position = indicateDirection ? m_moveToEdgeOrCornerPosition : ZRPositionNone;
        if (isEdge(position))
            name = tr("Move to %1 Edge").arg(positionName(position));
        else if (isCorner(position))
            name = tr("Move to %1 Corner").arg(positionName(position));
        else if (!positionName(position).isEmpty())
            name = tr("Move to %1").arg(positionName(position));
        else
            name = tr("Move to Edge or Corner");
        break;
    }
    case ZRActionTypeMoveToOtherDisplay:
        switch (direction) {
        case ZRPositionTop:
            name = tr("Move to Display Above");
            break;
        case ZRPositionRight:
            name = tr("Move to Right Display");
            break;
        case ZRPositionBottom:
            name = tr("Move to Display Below");
            break;
        case ZRPositionLeft:
            name = tr("Move to Left Display");
            break;
        default:
            name = tr("Move to Other Display");
        }
        if (m_moveToOtherDisplayResize)
            collected << tr("Resize");
        if (m_moveToOtherDisplayLoop)
            collected << tr("Loop");
        break;
    case ZRActionTypeResize: {
        name = tr("Resize");
        const QString keep = QStringLiteral("=");
        collected << tr("%1 × %2").arg(
            stringWithLength(qint64(m_resizeSize.width), keep, m_resizeWidthUnit, true),
            stringWithLength(qint64(m_resizeSize.height), keep, m_resizeHeightUnit, true));
        if (!positionName(m_resizeAnchorPosition).isEmpty())
            collected << tr("%1 Anchor").arg(positionName(m_resizeAnchorPosition));
        break;
    }
    case ZRActionTypeGrow:
        name = joined(tr("Grow"), directionName(direction));
        collected << deltaText(m_moveDelta, m_moveDeltaUnit);
        break;
    case ZRActionTypeShrink:
        name = joined(tr("Shrink"), directionName(direction));
        collected << deltaText(m_moveDelta, m_moveDeltaUnit);
        break;
    case ZRActionTypeZoomToFit:
        name = tr("Maximize");
        break;
    case ZRActionTypeUseGrid: {
        name = tr("Use Grid");
        const QString grid =
            gridDimensionsText(m_gridDimensionsDictionary, ZRGridDimensionKey::MouseControlsGridColumns,
                               ZRGridDimensionKey::MouseControlsGridRows);
        if (!grid.isEmpty())
            collected << grid;
        break;
    }
    case ZRActionTypeLayout: {
        name = tr("Layout");
        const auto count = qint64(m_snapshot.windowDescriptions.size());
        collected << (count == 1 ? tr("1 window") : tr("%1 windows").arg(count));
        if (m_snapshotGeneric)
            collected << tr("Generic");
        break;
    }
    case ZRActionTypeFolder:
        name = m_chain ? tr("Chain") : tr("Folder");
        if (m_chain && m_chainMode == ZRChainModeCycle)
            collected << tr("Cycle");
        break;
    }
    if (suffixes)
        *suffixes << collected;
    return name;
}

QString ZRAction::filename() const {
    QString name;
    for (const QChar c : displayNameWithSuffixes()) {
        const bool unfit = c.category() == QChar::Other_Control || c == QLatin1Char('/') ||
                           c == QLatin1Char('\\') || c == QLatin1Char(':');
        name.append(unfit ? QLatin1Char('-') : c);
    }
    name = name.trimmed();
    // A leading dot would hide the file.
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.size() > MaximumFilenameLength)
        name.truncate(MaximumFilenameLength);
    return name.trimmed();
}
