#include "platform/OverlayWindows.h"

const char* grabStatusText(GrabStatus status) {
    switch (status) {
    case GrabStatus::Granted:
        return "granted";
    case GrabStatus::NotViewable:
        return "the window is not viewable";
    case GrabStatus::AlreadyGrabbed:
        return "another client holds it";
    case GrabStatus::Frozen:
        return "it is frozen by another client";
    case GrabStatus::Failed:
        break;
    }
    return "the desktop refused";
}
