# Sources of the action model and the action store, relative to this folder.
list(APPEND ACTIONS_MODEL_SOURCES
    ActionRecordReading.cpp
    ZRAction.cpp
    ZRActionHost.cpp
    ZRActionIcons.cpp
    ZRActionLayouts.cpp
    ZRActionManager.cpp
    ZRActionNames.cpp
    ZRActionType.cpp
    ZRSnapshot.cpp)
