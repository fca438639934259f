#pragma once
// The program-wide wait cursor, shown while a long step runs on the user
// interface thread. Logic holds a WaitCursor for the length of the step; the
// GUI installs the handler that changes the cursor (none: nothing happens).
#include <functional>

namespace ruvia {

// Called with true when the wait cursor is to be shown, false when restored.
void setWaitCursorHandler(std::function<void(bool)> handler);

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace ruvia
