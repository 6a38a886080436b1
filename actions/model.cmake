# Sources of the action model and the action store, relative to this folder.
list(APPEND ACTIONS_MODEL_SOURCES
    ZRActionType.cpp)
