#pragma once

#include "actions/UnusableRecordEntries.h"
#include "actions/ZRActionStoredProperties.h"
#include "actions/ZRActionType.h"
#include "actions/ZRSnapshot.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "platform/Geometry.h"
#include "toolkit/StringExtensions.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>
#include <vector>

class QPainter;
class QWidget;
class ZRActionCapturer;
class ZRActionHost;
class ZRKeyboardControlHotKeyMissingAlert;
class UserDefaults;
class ZRVirtualScreen;
struct ZRHotKeyContext;

// The stored form of an action: "Action" (the type), "Identifier", "Title" (the user's name), "Hot Key",
// "Children" (a folder's members) and one key per stored property; a key that is missing reads as the
// property's default, and only values that differ from it are written. A record read from outside is
// written back as it came wherever the action did not change: keys the program does not know, and
// values it could not use or left as they were, stay as stored.
using ZRActionDictionaryRepresentation = QVariantMap;

namespace ZRActionKey {
inline const QString Action = QStringLiteral("Action");
inline const QString Identifier = QStringLiteral("Identifier");
inline const QString Title = QStringLiteral("Title");
inline const QString HotKey = QStringLiteral("Hot Key");
inline const QString Children = QStringLiteral("Children");
inline const QString Expanded = QStringLiteral("Expanded");
// clang-format off
#define ZR_ACTION_KEY(Type, getter, setter, Key, text, initial, Form) inline const QString Key = QStringLiteral(text);
// clang-format on
ZR_ACTION_STORED_PROPERTIES(ZR_ACTION_KEY);
#undef ZR_ACTION_KEY
} // namespace ZRActionKey

// How a stored property's value is handed in and out: small values as they are, others by reference.
template <class T> using ZRActionValue = std::conditional_t<std::is_scalar_v<T>, T, const T&>;

// clang-format off
#define ZR_ACTION_ACCESSORS(Type, getter, setter, Key, text, initial, Form)                                  \
    ZRActionValue<Type> getter() const { return m_##getter; }                                                \
    void setter(ZRActionValue<Type> value);
#define ZR_ACTION_MEMBER(Type, getter, setter, Key, text, initial, Form) Type m_##getter = initial;
// clang-format on

// One custom action, a node of the action tree: its type, geometry settings, hot key, children and
// layout. Actions live in shared pointers (the store, sidebar rows and menus hold the same one); each
// owns its hot key, registered while the action is in use. Main thread only.
class ZRAction : public ZRHotKeyDelegate, public std::enable_shared_from_this<ZRAction> {
public:
    // Folders nest at most this deep in records; deeper members are dropped with a log line.
    static constexpr int MaximumFolderDepth = 32;

    // --- Making and storing

    // A new action with its children, from a record; null for a record that is no action (not a
    // dictionary, a type that is no known integer, a folder nested too deep). Without preserving, the
    // action and its children get new identifiers; when preserving, an identifier that is missing,
    // malformed or already taken in this record gets a new one. Values of the wrong type are skipped
    // with a log line; the action's hot key is registered.
    static std::shared_ptr<ZRAction> actionWithDictionaryRepresentation(const QVariantMap& record,
                                                                        bool preserveUniqueIdentifier);
    // The same with new identifiers; a null record gives a new, empty action (type 0) for the caller
    // to give a type.
    static std::shared_ptr<ZRAction> actionWithDictionaryRepresentation(const QVariantMap* record);
    // The actions of the records, in order; records that give no action are skipped, and kept in
    // unusable when given. Identifiers are unique across the whole collection when preserved. Hot keys
    // are made with the context given, else with the installed store's (ZRActionContext::hotKeys).
    static std::vector<std::shared_ptr<ZRAction>>
    actionsFromCollection(const QVariantList& records, bool preserveUniqueIdentifiers,
                          UnusableRecordEntries* unusable = nullptr,
                          const ZRHotKeyContext* hotKeys = nullptr);
    // A new, empty action of the type, with a new identifier.
    static std::shared_ptr<ZRAction> actionWithType(ZRActionType type);

    ZRAction(const ZRAction&) = delete;
    ZRAction& operator=(const ZRAction&) = delete;
    // Lets go of its hot key's registration.
    ~ZRAction() override;

    // The record, children included.
    ZRActionDictionaryRepresentation dictionaryRepresentation() const;

    // Made once, kept for the action's life.
    QString uniqueIdentifier() const { return m_uniqueIdentifier; }

    // --- Stored properties

    ZRActionType actionType() const { return m_actionType; }
    void setActionType(ZRActionType actionType);
    // A folder's members; empty for every other action.
    const std::vector<std::shared_ptr<ZRAction>>& children() const { return m_children; }
    void setChildren(std::vector<std::shared_ptr<ZRAction>> children);
    // The stored members of a folder that gave no action, written back among the others.
    const UnusableRecordEntries& unusableMembers() const { return m_unusableMembers; }
    // Whether the folder is open in the sidebar.
    bool expanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    // Null for none. Setting or clearing it lets go of the registration of the one it replaces.
    std::shared_ptr<ZRHotKey> hotKey() const { return m_hotKey; }
    void setHotKey(std::shared_ptr<ZRHotKey> hotKey);
    // The screen frames of the layout, kept with it.
    const std::vector<Rect>& snapshotScreenFrames() const { return m_snapshot.screenFrames; }
    void setSnapshotScreenFrames(const std::vector<Rect>& screenFrames);
    // The properties of the list in ZRActionStoredProperties.h, a getter and a setter each. A setter
    // keeps the value within its bounds and tells the change observer when the action changed.
    ZR_ACTION_STORED_PROPERTIES(ZR_ACTION_ACCESSORS);

    // --- Names

    // The name the user gave, or none.
    std::optional<QString> userDefinedName() const { return m_userDefinedName; }
    // None, or text that is empty, clears it.
    void setName(const std::optional<QString>& name);
    // Separators take no name.
    bool acceptsUserDefinedName() const;
    // The user's name when there is one, else the default name; with a list, the default name's
    // suffix texts are appended to it (also when the user's name is answered).
    QString displayNameWithSuffixes(QStringList* suffixes = nullptr) const;
    // The name built from the type and settings ("Left Half", "Move Left"); without indicating the
    // direction, the name of the kind of action ("Move").
    QString defaultNameWithSuffixes(QStringList* suffixes = nullptr) const;
    QString defaultNameWithSuffixes(QStringList* suffixes, bool indicateDirection) const;
    // The display name fit for a file name: no path separators, no control characters, not too long.
    QString filename() const;

    // --- Icons

    // The action's glyph as a template image of that size (points as pixels) in the colour (an invalid
    // colour gives black), or a null image for a size that is empty or beyond any icon's. Cached until
    // uncacheIcon().
    QImage strongReferenceTemplateIconWithSize(const Size& size, const QColor& color = QColor()) const;
    QImage menuTemplateIcon() const;
    // How drawIconInRect draws. A palette item leaves out the screen's outline; a template draws in the
    // one colour only; without a colour the glyph is black, or white when inverted for dark mode;
    // disabled glyphs are faint.
    struct IconDrawing {
        bool asPaletteItem = false;
        bool asTemplate = false;
        QColor color = QColor();
        bool invertForDarkMode = false;
        bool enabled = true;
    };
    // Draws the glyph into the rectangle (the painter's coordinates, y down).
    void drawIconInRect(QPainter& painter, const QRectF& rect, const IconDrawing& drawing) const;
    void uncacheIcon();
    // The size of menuTemplateIcon(); the settings set it from their menu icon size.
    static void setMenuTemplateIconSize(const Size& size);

    // --- Layouts and snapping

    // The children used for snapping: one single-window layout per window of a layout's snapshot (the
    // same ones until the layout changes), or a folder's move-and-resize actions and layouts, its
    // subfolders' included.
    std::vector<std::shared_ptr<ZRAction>> snapChildren() const;
    // Whether a folder or layout can serve as a snap target.
    bool hasRelevantSnapChildren() const;
    // The frame (Cocoa) of the first reachable window of the layout recorded on that screen; of the first
    // window mapped onto the screen when none was recorded there and the layout adapts or is generic;
    // else the first window's frame as recorded. None without windows.
    std::optional<Rect> firstSnapshotFrameOnScreen(const ZRVirtualScreen& screen,
                                                   const UserDefaults& settings) const;

    // The windows that can be reached (all, or only the uncovered ones unless applyToObstructedWindows),
    // telling whether some are covered by others.
    QVariantList accessibleSnapshotHasObstructedWindows(bool* hasObstructedWindows) const;
    QVariantList unobstructedSnapshot() const;
    QVariantList snapshotIncludingObstructedWindows(bool includeObstructedWindows,
                                                    bool* hasObstructedWindow) const;
    // The application names of the layout's windows, each once, front to back; truncated to a few.
    QStringList snapshotApplicationNamesTruncated(bool truncate, bool* didTruncate) const;

    // The layout's save button: captures the current windows (through the installed capturer), then calls
    // captured, a moment later.
    void saveSnapshot(std::function<void()> captured = {});
    // Takes the current window state into the action (layouts capture the windows, as above).
    void reflectCurrentStateSilently(bool silently, std::function<void()> captured = {});

    // One layout made from move-and-resize actions that carry a window (as extracted from layouts) and
    // from layouts; null when they give no window.
    static std::shared_ptr<ZRAction>
    layoutActionWithMergedMoveAndResizeActions(const std::vector<std::shared_ptr<ZRAction>>& actions,
                                               const UserDefaults& settings);
    // One move-and-resize action per window of a layout, each carrying its window; empty for other
    // types.
    std::vector<std::shared_ptr<ZRAction>> extractedMoveAndResizeActions(const UserDefaults& settings) const;

    // Whether generic single-screen layouts that adapt may apply to the active display.
    static bool applyAdaptiveSingleScreenSnapshotToActiveDisplayIfGeneric();

    // --- Undo

    // Runs the change; when the action's state changed and the change is undoable, records an undo
    // entry and forgets what could be redone.
    void applyStateChange(const std::function<void()>& change, bool isUndoable);
    bool canUndo() const { return !m_undoStack.empty(); }
    bool canRedo() const { return !m_redoStack.empty(); }
    void undo();
    void redo();
    // Drops the history (the editor pane that offered it has gone).
    void clearUndoHistory();

    // --- Editor pane

    // The editor pane, made through the factory the settings install; null without one.
    QWidget* configurationView();
    void destroyConfigurationView();

    // --- Hot-key delegate

    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override;
    std::uint32_t hotKeySignature() const override;
    QString identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const override;
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override;
    std::optional<bool> hotKeyCanBeLocal(const ZRHotKey& hotKey) override;
    std::optional<bool>
    acceptNonUniqueHotKey(const ZRHotKey& hotKey,
                          const std::vector<std::shared_ptr<ZRHotKey>>& existingEquals) override;
    void didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override;

protected:
    explicit ZRAction(bool registersHotKeys);

    struct ReadContext;
    // Dummies make dummies of the members too, which never register hot keys.
    static std::shared_ptr<ZRAction> readRecord(const QVariantMap& record, ReadContext& context, int depth,
                                                bool registersHotKeys);

    bool m_hasGenericIcon = false;

private:
    struct IconCacheKey {
        int width;
        int height;
        QRgb color;
        auto operator<=>(const IconCacheKey&) const = default;
    };
    void readProperties(const QVariantMap& record, const QString& context);
    // Only the values that differ from a new action's, unless asked for all.
    void writeProperties(QVariantMap& record, bool includeDefaults) const;
    // The stored forms of the keys the action owns (all but "Children"): every one, defaults included,
    // and those written, which leave out defaults.
    void ownedForms(QVariantMap& all, QVariantMap& written) const;
    // The stored properties but the identifier, the children and the hot key.
    QVariantMap stateRecord() const;
    void restoreState(const QVariantMap& state);
    void stepHistory(std::vector<QVariantMap>& from, std::vector<QVariantMap>& to);
    // Sets a stored property, keeps every value within its bounds, and tells of a change.
    template <class T> void change(T& field, const T& value);
    // The bounds a value or a pair of values is kept within; a unit bounds the length it measures.
    void keepWithinBounds();
    void didChange();
    void registerHotKey();

    bool m_registersHotKeys = true;
    // The record the action was read from (without a folder's members), and what its owned keys read as
    // then: a key whose value still reads the same is written back as stored.
    QVariantMap m_storedRecord;
    QVariantMap m_readForms;
    UnusableRecordEntries m_unusableMembers;
    QString m_uniqueIdentifier;
    std::optional<QString> m_userDefinedName;
    ZRActionType m_actionType = ZRActionTypeSeparator;
    std::vector<std::shared_ptr<ZRAction>> m_children;
    bool m_expanded = false;
    std::shared_ptr<ZRHotKey> m_hotKey;
    ZR_ACTION_STORED_PROPERTIES(ZR_ACTION_MEMBER);

    std::vector<QVariantMap> m_undoStack;
    std::vector<QVariantMap> m_redoStack;
    QPointer<QWidget> m_configurationView;
    mutable std::map<IconCacheKey, QImage> m_iconCache;
    // A layout's single-window children, kept until the layout changes: whoever offers them (the snap
    // chooser) finds the one it showed by identity.
    mutable std::vector<std::shared_ptr<ZRAction>> m_snapChildren;
};

#undef ZR_ACTION_ACCESSORS
#undef ZR_ACTION_MEMBER

// A throw-away action that never registers a hot key, for drawing the icons of built-in types and of
// the sidebar's sections.
class ZRActionDummy : public ZRAction {
public:
    // An empty dummy for the caller to give a type, or one with the record's settings.
    static std::shared_ptr<ZRActionDummy> actionWithDictionaryRepresentation(const QVariantMap* record);
    static std::shared_ptr<ZRActionDummy> dummyWithType(ZRActionType type);

    // Draws the generic icon of its type rather than one reflecting its settings.
    void setHasGenericIcon(bool hasGenericIcon);

    // The icon of a sidebar section ("Palette", "Hover", "Snap", "Keyboard", "Custom"), as wide as
    // ZRSidebarIconAspectRatio times the height; the colour, when valid, replaces the state's own.
    static QImage sidebarIconWithName(const QString& name, double height, bool isActive, bool isInDarkMode,
                                      const QColor& color);
    // The menu icon of a built-in type at a position (a half's or quarter's side, a move's direction).
    static QImage menuTemplateIconForActionType(ZRActionType type, std::int64_t position);
    // The generic menu icon of the type, or of the record's action when one is given; its default name
    // comes with it when asked.
    static QImage genericMenuTemplateIconForActionType(ZRActionType type, const QVariantMap* record,
                                                       QString* title);

private:
    friend class ZRAction;
    ZRActionDummy() : ZRAction(false) {}
};

// Sidebar section icons are this many times as wide as high.
inline constexpr double ZRSidebarIconAspectRatio = 1.4;
