// A file that cannot be imported, handed to the whole program on the X11 tests' display as a user hands it
// (skaf FILE): the display's bell rings, the log names the file, and no action is added.
#include "ProgramX11TestSupport.h"

#include "platform/x11/X11BellCounter.h"

using namespace X11Test;

namespace {

const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/>
</dict></plist>)");
// An exported file of one action, cut off half way.
const QByteArray Truncated = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Custom Controls (4001)</key><array><dict><key>Action</key><integer>21</in)";

class ImportX11Test : public ProgramX11Test {};

} // namespace

TEST_F(ImportX11Test, ATruncatedFileOnTheCommandLineRingsTheDisplaysBell) {
    QString error;
    auto bells = X11BellCounter::open(&error);
    ASSERT_TRUE(bells) << error.toStdString();
    const QString path = home.filePath(QStringLiteral("cut.skaf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Truncated);
    file.close();
    const int before = bells->count();

    ASSERT_TRUE(startSkaf(Settings, "running on the x11 desktop", {path}));
    EXPECT_TRUE(waitUntil([&] { return logHas("cannot import from URLs: " + path.toUtf8()); }));
    EXPECT_TRUE(waitUntil([&] { return bells->count() > before; })) << "the bell rang";
    processEvents(300);
    EXPECT_EQ(bells->count(), before + 1) << "once";
}
