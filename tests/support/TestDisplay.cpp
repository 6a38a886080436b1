#include "TestDisplay.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace TestDisplay {
namespace {

const char RunFolderVariable[] = "SKAF_TEST_DISPLAY_RUN";

QByteArray firstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine().trimmed();
}

} // namespace

QString runFolder(const QString& stateFolder) {
    // A test program that starts itself again hands its display down.
    if (const QString inherited = qEnvironmentVariable(RunFolderVariable); !inherited.isEmpty())
        return inherited;
    return stateFolder + QStringLiteral("/owner-%1").arg(::getppid());
}

void use(const QString& stateFolder) {
    const QString folder = runFolder(stateFolder);
    const QByteArray display = firstLine(folder + QStringLiteral("/display"));
    if (display.isEmpty()) {
        std::fprintf(stderr,
                     "no test display in %s: run the tests through ctest, or start one with "
                     "tests/platform/x11/x11-display.sh start DIR and name its DIR/owner-PID folder in $%s\n",
                     qPrintable(folder), RunFolderVariable);
        std::exit(EXIT_FAILURE);
    }
    qputenv("DISPLAY", display);
    qputenv(RunFolderVariable, QFile::encodeName(folder));
    // Without the display's own bus, the first use of one would start a daemon that outlives the tests.
    if (const QByteArray bus = firstLine(folder + QStringLiteral("/bus")); !bus.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace TestDisplay
