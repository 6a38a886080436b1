#pragma once

// The settings the log reader reads (its debug-logging switch is named by the host: "ZRDebugLog").
namespace ILRLogReaderDefaults {
// Shows messages without their process and sender.
inline constexpr char16_t HideSender[] = u"ILRIntegratedLogReaderHideSender";
// Shows repeated messages one line each.
inline constexpr char16_t DisableCoalescing[] = u"ILRIntegratedLogReaderDisableCoalescing";
// Keeps the messages of the message cache while the window is closed.
inline constexpr char16_t CacheDebugLogSilently[] = u"ILRCacheDebugLogSilently";
} // namespace ILRLogReaderDefaults

// Posted on the main thread with the reader as sender.
inline constexpr char16_t ILRIntegratedLogReaderUpdateDisplayNotification[] =
    u"ILRIntegratedLogReaderUpdateDisplayNotification";
inline constexpr char16_t ILRIntegratedLogReaderUpdateDebugLoggingSwitchNotification[] =
    u"ILRIntegratedLogReaderUpdateDebugLoggingSwitchNotification";
