#pragma once

#include "actions/ZRActionManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <optional>

// An action store of the test's own on the settings and the desktop's hot keys given, installed as the
// program's main installs its store, for the parts that reach it through ZRActionManager::actionManager().
// It goes with the test.
class TestActionStore {
public:
    TestActionStore(UserDefaults& defaults, GlobalHotKeys& globalHotKeys)
        : m_store(defaults, globalHotKeys, RunLoop::main(), NotificationCenter::defaultCenter()),
          m_installation(m_store) {}

    // The store as a part handed it sees it: loaded from the settings the first time it is asked for, as
    // the launch loads it.
    ZRActionManager& loaded() {
        if (!m_store.hasLoaded())
            m_store.load();
        return m_store;
    }
    // The store as made, empty until something loads it.
    ZRActionManager& store() { return m_store; }

private:
    ZRActionManager m_store;
    ZRActionManager::Installation m_installation;
};
