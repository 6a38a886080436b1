# Sources of the action engine, relative to this folder.
list(APPEND ACTIONS_ENGINE_SOURCES
    ZRActionGeometry.cpp
    ZRFrameMemory.cpp
    ZRSnapshotFrameMapping.cpp
    ZRWindowMatching.cpp)
