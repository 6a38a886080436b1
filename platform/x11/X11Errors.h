#pragma once

#include <xcb/xcb.h>

#include <QString>
#include <cstdint>
#include <initializer_list>

// The codes of the core X errors that callers look for.
namespace X11ErrorCode {
inline constexpr std::uint8_t BadWindow = 3;
inline constexpr std::uint8_t BadMatch = 8;
inline constexpr std::uint8_t BadDrawable = 9;
inline constexpr std::uint8_t BadAccess = 10;
} // namespace X11ErrorCode

// The errors that a caller expects of a request, which are therefore not logged: a set of core error
// codes (extensions' errors are never expected).
class X11ErrorCodes {
public:
    constexpr X11ErrorCodes() = default;
    constexpr X11ErrorCodes(std::initializer_list<std::uint8_t> codes) {
        for (const std::uint8_t code : codes)
            if (code < CodeLimit)
                m_bits |= std::uint64_t(1) << code;
    }
    constexpr bool contains(std::uint8_t code) const {
        return code < CodeLimit && (m_bits & (std::uint64_t(1) << code)) != 0;
    }
    constexpr bool isEmpty() const { return m_bits == 0; }

private:
    static constexpr std::uint8_t CodeLimit = 64;
    std::uint64_t m_bits = 0;
};

// What another program's window answers when it has closed meanwhile, as it may at any moment.
inline constexpr X11ErrorCodes X11ClosingWindowErrors{X11ErrorCode::BadWindow, X11ErrorCode::BadDrawable};

// The log line of an error: its name, the request that caused it and the resource it names.
QString x11ErrorDescription(const xcb_generic_error_t& error);
