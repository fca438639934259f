#pragma once

namespace ruvia {

// Makes the program's wait cursor the hourglass over every window; undone
// by RemoveWaitCursor (at exit).
void InstallWaitCursor();
void RemoveWaitCursor();

} // namespace ruvia
