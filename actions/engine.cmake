# Sources of the action engine, relative to this folder.
list(APPEND ACTIONS_ENGINE_SOURCES
    ZRActionController.cpp
    ZRActionGeometry.cpp
    ZRFrameMemory.cpp
    ZRKeyboardControlKeyMap.cpp
    ZRSnapshotFrameMapping.cpp
    ZRWindowMatching.cpp)
