// X errors provoked on purpose with requests on a window that is gone: each reaches the log once,
// wherever it is read, and one the caller expects not at all.
#include "platform/PlatformLog.h"
#include "platform/x11/X11Connection.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct ErrorCase {
    const char* what;
    std::function<void(X11Connection&, xcb_window_t gone)> provoke;
    // The start of the one line logged, or empty for none.
    const char* logged;
};

void moveTo(X11Connection& connection, xcb_window_t window, std::uint32_t x, bool checked = false,
            X11ErrorCodes expected = {}) {
    const std::uint32_t values[] = {x, x};
    if (checked) {
        (void)connection.check(xcb_configure_window_checked(connection.xcb(), window,
                                                            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                                                            values),
                               expected);
        return;
    }
    const auto cookie =
        xcb_configure_window(connection.xcb(), window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    if (!expected.isEmpty())
        connection.expectErrors(cookie, expected);
}

TEST(X11Errors, EachErrorIsLoggedOnceWithItsRequestAndResourceUnlessExpected) {
    QString failure;
    auto connection = X11Connection::open({}, &failure);
    ASSERT_TRUE(connection) << failure.toStdString();
    xcb_connection_t* c = connection->xcb();
    const xcb_window_t gone = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, gone, connection->root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_destroy_window(c, gone);

    const std::vector<ErrorCase> cases = {
        {"an unchecked request, its error among the events",
         [](X11Connection& x, xcb_window_t w) { moveTo(x, w, 10); },
         "x error BadWindow (3) of ConfigureWindow"},
        {"an unchecked request whose closing window is expected",
         [](X11Connection& x, xcb_window_t w) { moveTo(x, w, 10, false, X11ClosingWindowErrors); }, ""},
        {"an expectation covers its own request only",
         [](X11Connection& x, xcb_window_t w) { moveTo(x, w, 10, false, {X11ErrorCode::BadAccess}); },
         "x error BadWindow (3) of ConfigureWindow"},
        {"a checked request", [](X11Connection& x, xcb_window_t w) { moveTo(x, w, 20, true); },
         "x error BadWindow (3) of ConfigureWindow"},
        {"a checked request whose error is expected",
         [](X11Connection& x, xcb_window_t w) { moveTo(x, w, 20, true, X11ClosingWindowErrors); }, ""},
        {"an unchecked request with a reply, its error among the events",
         [](X11Connection& x, xcb_window_t w) {
             X11Reply<xcb_get_geometry_reply_t> geometry(
                 xcb_get_geometry_reply(x.xcb(), xcb_get_geometry_unchecked(x.xcb(), w), nullptr));
         },
         "x error BadDrawable (9) of GetGeometry"},
        {"a reply read here, not again among the events",
         [](X11Connection& x, xcb_window_t w) {
             EXPECT_FALSE(x.reply(xcb_get_geometry_reply, xcb_get_geometry(x.xcb(), w)));
         },
         "x error BadDrawable (9) of GetGeometry"},
        {"a reply whose closing window is expected, handed to the caller",
         [](X11Connection& x, xcb_window_t w) {
             X11Reply<xcb_generic_error_t> error;
             x.reply(xcb_query_tree_reply, xcb_query_tree(x.xcb(), w), X11ClosingWindowErrors, &error);
             ASSERT_TRUE(error);
             EXPECT_EQ(error->error_code, X11ErrorCode::BadWindow);
         },
         ""},
    };
    for (const ErrorCase& errorCase : cases) {
        QStringList lines;
        setPlatformLogSink([&](const QString& line) { lines << line; });
        errorCase.provoke(*connection, gone);
        // A round trip: the server has answered everything before, and every error is here.
        connection->reply(xcb_get_input_focus_reply, xcb_get_input_focus(c));
        connection->dispatchPending();
        setPlatformLogSink({});
        if (*errorCase.logged) {
            ASSERT_EQ(lines.size(), 1)
                << errorCase.what << ": " << lines.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(lines.front().startsWith(QLatin1String(errorCase.logged)))
                << lines.front().toStdString();
            EXPECT_TRUE(lines.front().endsWith(QStringLiteral("on resource 0x%1").arg(gone, 0, 16)))
                << lines.front().toStdString();
        } else {
            EXPECT_TRUE(lines.isEmpty())
                << errorCase.what << ": " << lines.join(QLatin1Char('\n')).toStdString();
        }
    }
}

} // namespace
