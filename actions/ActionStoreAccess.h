#pragma once

class ZRActionManager;

namespace ZRActionStoreAccess {

// The shared store when it has been made, else null: actions ask it about the tree without making it,
// which would load the tree while one of its actions is being made.
ZRActionManager* sharedActionManagerIfMade();

} // namespace ZRActionStoreAccess
