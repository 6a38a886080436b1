#include "hotkeys/ZRHotKeyTextView.h"

#include "hotkeys/QtKeyEvents.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyClearButton.h"
#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "hotkeys/ZRHotKeyTextViewAlerts.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowInputGrab.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>

namespace {

const QString IgnoreMetaKeysKey = QStringLiteral("ZRHotKeyTextView: Ignore Meta Keys");

// Recording ends by itself after this many seconds without a key.
constexpr double RecordingTimeout = 30.0;

constexpr char16_t EscapeCharacter = 27;
// Keys with none of these held take a plain key from every other application: the user confirms them.
constexpr ModifierFlags ConfirmationFreeModifiers =
    ModifierFlag::Shift | ModifierFlag::Control | ModifierFlag::Option;

constexpr double DefaultFontSize = 12.0;
// The text keeps this far from the field's ends.
constexpr int TextInset = 3;

constexpr double PlaceholderWhite = 0.6;
constexpr double DarkTextBackgroundWhite = 0.2;
// A local hot key's field is tinted, in the active window, and grey in others.
const QColor LocalBackground = QColor::fromRgbF(1.0f, 0.9f, 0.63f);
const QColor DarkLocalBackground = QColor::fromRgbF(0.25f, 0.22f, 0.15f);
constexpr double InactiveLocalWhite = 0.9;
constexpr double DarkInactiveLocalWhite = 0.3;
// Selected text: the accent colour lightened (darkened in the dark style) to stay behind black (white)
// text; in other windows a neutral grey.
constexpr double SelectedTextAccentFraction = 0.7;
constexpr double DarkSelectedTextAccentFraction = 0.45;
constexpr double SecondarySelectedWhite = 0.86;
constexpr double DarkSecondarySelectedWhite = 0.27;
constexpr double DarkTextWhite = 0.85;

std::unique_ptr<ZRHotKeyTextViewAlerts>& alertsSlot() {
    static std::unique_ptr<ZRHotKeyTextViewAlerts> alerts = ZRHotKeyTextViewAlerts::standardAlerts();
    return alerts;
}

// The field's owner, with the hot key the field shows left out of those in use: recording the same keys
// again takes nothing from anybody.
class OwnerWithoutFieldHotKey : public ZRHotKeyDelegate {
public:
    OwnerWithoutFieldHotKey(ZRHotKeyDelegate& owner, const ZRHotKey* fieldHotKey)
        : m_owner(owner), m_fieldHotKey(fieldHotKey) {}

    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override {
        std::vector<std::shared_ptr<ZRHotKey>> hotKeys = m_owner.hotKeys();
        std::erase_if(hotKeys, [this](const auto& hotKey) { return hotKey.get() == m_fieldHotKey; });
        return hotKeys;
    }
    std::uint32_t hotKeySignature() const override { return m_owner.hotKeySignature(); }
    QString identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const override {
        return m_owner.identifierForHotKeyTextView(textView);
    }
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override {
        return m_owner.shouldSetHotKey(hotKey, identifier);
    }
    std::optional<bool> hotKeyCanBeLocal(const ZRHotKey& hotKey) override {
        return m_owner.hotKeyCanBeLocal(hotKey);
    }
    std::optional<bool>
    acceptNonUniqueHotKey(const ZRHotKey& hotKey,
                          const std::vector<std::shared_ptr<ZRHotKey>>& existingEquals) override {
        return m_owner.acceptNonUniqueHotKey(hotKey, existingEquals);
    }

private:
    ZRHotKeyDelegate& m_owner;
    const ZRHotKey* m_fieldHotKey;
};

bool isEscape(const KeyEvent& event) {
    return event.characters.startsWith(QChar(EscapeCharacter)) || event.keyCode == Key::Escape;
}

} // namespace

ZRHotKeyTextView::ZRHotKeyTextView(Platform& desktop, const UserDefaults& settings, RunLoop& mainRunLoop,
                                   QWidget* parent)
    : QWidget(nullptr), m_desktop(desktop), m_settings(settings), m_mainRunLoop(mainRunLoop),
      m_containerView(new ZRHotKeyContainerView(parent)) {
    setParent(m_containerView);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::IBeamCursor);
    setDeleteButton(new ZRHotKeyClearButton(m_containerView));
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::focusWindowChanged, this,
                &ZRHotKeyTextView::windowDidBecomeOrResignKey);
    showHotKey();
}

ZRHotKeyTextView::~ZRHotKeyTextView() {
    letGoOfKeyboard();
}

void ZRHotKeyTextView::setDeleteButton(QAbstractButton* button) {
    if (auto* clearButton = qobject_cast<ZRHotKeyClearButton*>(m_deleteButton.data()))
        clearButton->setHotKeyTextView(nullptr);
    m_deleteButton = button;
    if (auto* clearButton = qobject_cast<ZRHotKeyClearButton*>(button))
        clearButton->setHotKeyTextView(this);
}

void ZRHotKeyTextView::setHotKeyDelegate(ZRHotKeyDelegate* delegate) {
    m_hotKeyDelegate = delegate;
    showHotKey();
}

void ZRHotKeyTextView::setHotKey(const std::shared_ptr<ZRHotKey>& hotKey) {
    m_hotKey = hotKey;
    showHotKey();
    m_containerView->setLocal(hotKey && hotKey->isLocal());
    if (m_deleteButton)
        m_deleteButton->update();
    if (m_hotKeyDelegate)
        m_hotKeyDelegate->didSetHotKey(hotKey, identifier());
}

QString ZRHotKeyTextView::placeholderString() const {
    return tr("None");
}

void ZRHotKeyTextView::setString(const QString& string) {
    m_string = string;
    const auto size = m_hotKeyDelegate ? m_hotKeyDelegate->fontSizeForHotKeyTextView(this) : std::nullopt;
    QFont font = QApplication::font();
    font.setPixelSize(qRound(size.value_or(DefaultFontSize)));
    setFont(font);
    update();
}

// While recording, a field without hot key shows a blank (the selection) instead of the placeholder.
void ZRHotKeyTextView::showHotKey() {
    if (m_hotKey)
        setString(m_hotKey->displayString());
    else
        setString(m_recording ? QStringLiteral(" ") : placeholderString());
}

QString ZRHotKeyTextView::identifier() const {
    return m_hotKeyDelegate ? m_hotKeyDelegate->identifierForHotKeyTextView(this) : QString();
}

bool ZRHotKeyTextView::ignoresMetaKeys() const {
    return m_settings.boolForKey(IgnoreMetaKeysKey);
}

void ZRHotKeyTextView::setAlerts(std::unique_ptr<ZRHotKeyTextViewAlerts> alerts) {
    alertsSlot() = alerts ? std::move(alerts) : ZRHotKeyTextViewAlerts::standardAlerts();
}

ZRHotKeyTextViewAlerts& ZRHotKeyTextView::alerts() {
    return *alertsSlot();
}

// --- Recording

bool ZRHotKeyTextView::becomeFirstResponder() {
    if (m_recording)
        return true;
    setFocus(Qt::MouseFocusReason);
    m_recording = true;
    m_recordingTimeout = m_mainRunLoop.performLater(RecordingTimeout, [this] { timeOutFirstResponder(); });
    holdKeyboard();
    updateDisplayForFirstResponder(true);
    return true;
}

void ZRHotKeyTextView::endRecording() {
    if (!m_recording)
        return;
    m_recording = false;
    m_recordingTimeout.cancel();
    letGoOfKeyboard();
    updateDisplayForFirstResponder(false);
}

void ZRHotKeyTextView::holdKeyboard() {
    letGoOfKeyboard();
    m_keyboardGrab =
        new WindowInputGrab(window(), m_desktop.overlayWindows(), WindowInputGrab::Device::Keyboard);
}

void ZRHotKeyTextView::letGoOfKeyboard() {
    delete m_keyboardGrab.data();
}

bool ZRHotKeyTextView::holdsKeyboard() const {
    return m_keyboardGrab && m_keyboardGrab->isHeld();
}

void ZRHotKeyTextView::activelyResignFirstResponder() {
    m_activelyResigning = true;
    update();
    clearFocus();
    endRecording();
    m_activelyResigning = false;
}

void ZRHotKeyTextView::timeOutFirstResponder() {
    update();
    if (m_recording)
        activelyResignFirstResponder();
}

// Any other window becoming active ends recording; ours becoming active (a click into it from another
// application arrives with its activation) does not.
void ZRHotKeyTextView::windowDidBecomeOrResignKey() {
    update();
    m_containerView->update();
    if (m_deleteButton)
        m_deleteButton->update();
    const QWindow* focusWindow = QGuiApplication::focusWindow();
    if (m_recording && (!focusWindow || focusWindow != window()->windowHandle()))
        activelyResignFirstResponder();
}

void ZRHotKeyTextView::updateDisplayForFirstResponder(bool firstResponder) {
    showHotKey();
    m_containerView->setHighlighted(firstResponder);
    if (m_deleteButton)
        m_deleteButton->update();
}

void ZRHotKeyTextView::keyDown(const QKeyEvent& qtEvent) {
    // A modifier key alone makes no key-down: there is nothing to record yet.
    const auto event = keyEventFromQKeyEvent(qtEvent, &m_desktop.inputState(), m_mainRunLoop.now());
    if (!event)
        return;
    const ModifierFlags flags = event->modifierFlags;
    if (!(flags & ModifierFlag::ShiftControlOptionCommand) && !ignoresMetaKeys() && isEscape(*event)) {
        activelyResignFirstResponder();
        return;
    }
    if (!m_hotKeyDelegate) {
        alerts().beep();
        return;
    }
    const QString identifier = this->identifier();
    const auto hotKey = ZRHotKey::hotKeyWithIdentifer(
        identifier, visualKeyboardEventRepresentation(*event, m_settings), event->keyCode, flags,
        {m_desktop.globalHotKeys(), m_settings, m_mainRunLoop});
    if (const auto canBeLocal = m_hotKeyDelegate->hotKeyCanBeLocal(*hotKey))
        hotKey->setCanBeLocal(*canBeLocal);
    if (!canUseHotKey(hotKey)) {
        alerts().beep();
        return;
    }
    if (!(flags & ConfirmationFreeModifiers) && !hotKey->isLocal()) {
        // The question needs the keyboard, and may stay open for long.
        letGoOfKeyboard();
        const QPointer<ZRHotKeyTextView> self(this);
        const bool confirmed = alerts().confirmHotKey(window(), hotKey->displayString());
        // The window may have closed meanwhile.
        if (!self)
            return;
        if (!confirmed) {
            activelyResignFirstResponder();
            return;
        }
    }
    if (m_hotKeyDelegate && m_hotKeyDelegate->shouldSetHotKey(hotKey, identifier))
        setHotKey(hotKey);
    activelyResignFirstResponder();
}

bool ZRHotKeyTextView::canUseHotKey(const std::shared_ptr<ZRHotKey>& hotKey) {
    // The very keys the field holds now are already its own.
    if (m_hotKey && m_hotKey->isRegistered() && m_hotKey->isEqualToHotKey(hotKey.get(), false))
        return true;
    OwnerWithoutFieldHotKey owner(*m_hotKeyDelegate, m_hotKey.get());
    return hotKey->testForDelegate(owner);
}

void ZRHotKeyTextView::deleteHotKey() {
    if (!m_hotKey && !m_recording) {
        // Only the user's release of the button starts recording, never a call from code.
        if (m_deleteButton && sender() == m_deleteButton)
            becomeFirstResponder();
        return;
    }
    // The hot key stays registered until its owner agreed to lose it.
    if (m_hotKeyDelegate && m_hotKeyDelegate->shouldSetHotKey(nullptr, identifier())) {
        if (m_hotKey)
            m_hotKey->unregister();
        setHotKey(nullptr);
    }
    if (m_recording)
        activelyResignFirstResponder();
    else
        update();
}

// --- Events

void ZRHotKeyTextView::setVisible(bool visible) {
    // The field is seen only in its container: hiding one hides both.
    if (isWindow() || !m_containerView)
        return QWidget::setVisible(visible);
    m_containerView->setVisible(visible);
    QWidget::setVisible(visible);
}

bool ZRHotKeyTextView::event(QEvent* event) {
    if (!m_recording)
        return QWidget::event(event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The key comes to the field as a press instead of triggering a menu item.
        event->accept();
        return true;
    case QEvent::KeyPress:
        // Before Qt would move the focus on Tab.
        keyDown(*static_cast<QKeyEvent*>(event));
        event->accept();
        return true;
    default:
        return QWidget::event(event);
    }
}

void ZRHotKeyTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    becomeFirstResponder();
    event->accept();
}

void ZRHotKeyTextView::focusOutEvent(QFocusEvent* event) {
    endRecording();
    QWidget::focusOutEvent(event);
}

void ZRHotKeyTextView::hideEvent(QHideEvent* event) {
    if (m_recording)
        activelyResignFirstResponder();
    QWidget::hideEvent(event);
}

// --- Drawing

QColor ZRHotKeyTextView::backgroundColor() const {
    const bool dark = isInFullyInvertedDarkMode(this);
    const bool inActiveWindow = isActiveWindow();
    if (m_recording) {
        if (inActiveWindow)
            return dark ? blendedColor(backwardsCompatibleControlAccentColor(),
                                       DarkSelectedTextAccentFraction, Qt::black)
                        : blendedColor(backwardsCompatibleControlAccentColor(), SelectedTextAccentFraction,
                                       Qt::white);
        return calibratedWhite(dark ? DarkSecondarySelectedWhite : SecondarySelectedWhite, 1.0);
    }
    if (m_hotKey && m_hotKey->isLocal()) {
        if (inActiveWindow)
            return dark ? DarkLocalBackground : LocalBackground;
        return calibratedWhite(dark ? DarkInactiveLocalWhite : InactiveLocalWhite, 1.0);
    }
    return dark ? calibratedWhite(DarkTextBackgroundWhite, 1.0) : palette().color(QPalette::Base);
}

// A hot key that is not active (another program holds its keys) is shown as faint as the placeholder.
QColor ZRHotKeyTextView::textColor() const {
    if (!m_hotKey || !m_hotKey->isRegistered())
        return calibratedWhite(PlaceholderWhite, 1.0);
    return isInFullyInvertedDarkMode(this) ? calibratedWhite(1.0, DarkTextWhite)
                                           : palette().color(QPalette::WindowText);
}

void ZRHotKeyTextView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(m_containerView->interiorPath(this));
    painter.fillRect(rect(), backgroundColor());
    const QRect textRect = rect().adjusted(TextInset, 0, -TextInset, 0);
    painter.setPen(textColor());
    painter.drawText(textRect, Qt::AlignCenter,
                     fontMetrics().elidedText(m_string, Qt::ElideRight, textRect.width()));
}
