#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class ZRHotKey;
class ZRHotKeyTextView;

// The four-character code every owner puts in its registrations.
inline constexpr std::uint32_t ZRHotKeySignature =
    (std::uint32_t('S') << 24) | (std::uint32_t('K') << 16) | (std::uint32_t('h') << 8) | std::uint32_t('k');

// The owner of hot keys: a custom action, the main controller for the settings hot keys. The optional
// questions answer empty when the owner has no opinion, which is not the same as answering no.
class ZRHotKeyDelegate {
public:
    virtual ~ZRHotKeyDelegate() = default;

    // Every hot key in use, against which a new one is checked for conflicts.
    virtual std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const = 0;
    virtual std::uint32_t hotKeySignature() const = 0;
    // The identifier of the hot key a recorder field edits.
    virtual QString identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const = 0;
    // Takes the hot key (null: clears it) under the identifier; false refuses it.
    virtual bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) = 0;

    virtual std::optional<bool> hotKeyCanBeLocal(const ZRHotKey& hotKey) { return std::nullopt; }
    // Whether the hot key may share the keys of the equal ones already in use. An owner without an
    // opinion never shares.
    virtual std::optional<bool>
    acceptNonUniqueHotKey(const ZRHotKey& hotKey,
                          const std::vector<std::shared_ptr<ZRHotKey>>& existingEquals) {
        return std::nullopt;
    }
    virtual void didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {}
    virtual std::optional<double> fontSizeForHotKeyTextView(const ZRHotKeyTextView* textView) const {
        return std::nullopt;
    }
};
