#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class ZRAction;

// The keyboard menu as the action engine opens it; keyboard control implements it. Without one, the
// engine has no menu to offer and leaves such hot keys unhandled.
class ZRKeyboardMenuPresenter {
public:
    virtual ~ZRKeyboardMenuPresenter() = default;

    // Shows the actions (the store's top-level actions when none are given) under the root title ("Skaf"
    // when none), opened at the control's level when the control is a folder of the tree. A second call
    // with the same reference while the menu is shown only moves its selection. Answers whether the
    // menu cycled or was shown; repeat, when given, becomes true whenever the answer is.
    virtual bool popUpKeyboardMenuForControl(const std::shared_ptr<ZRAction>& control,
                                             const void* orCycleWithReference,
                                             const std::vector<std::shared_ptr<ZRAction>>* topLevelActions,
                                             const std::optional<QString>& rootTitle, bool* repeat,
                                             bool animate) = 0;
    virtual void close() = 0;
};
