#include "shell/ZRProcessFlags.h"

ZRProcessFlags& ZRSharedProcessFlags() {
    static ZRProcessFlags flags;
    return flags;
}
