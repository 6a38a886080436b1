// Maps as many small windows as asked on $DISPLAY, says "ready", and keeps them until its input ends: the
// crowd of a busy desktop for the whole-program tests.
#include "platform/x11/X11BareClient.h"

#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 0;
    QString error;
    auto client = X11BareClient::open(&error);
    if (count <= 0 || !client || !client->mapWindows(count)) {
        std::fprintf(stderr, "map-windows: cannot map %d windows: %s\n", count, qPrintable(error));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (std::getchar() != EOF)
        ;
    return 0;
}
