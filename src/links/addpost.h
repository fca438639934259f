#pragma once
// Adding a post the program did not upload itself: the id check and the
// defaults of the add-post dialog.
#include <QString>

namespace ruvia {

// One or more decimal digits (the caller trims first).
bool IsValidPostId(const QString& text);
// The original file name of the upload list's selected item, "" when there
// is no list, it does not load or no item is selected.
QString DefaultOriginalFileName();
// The user name as the uploads record it (the "Atto Format" setting).
QString DefaultUserName();

} // namespace ruvia
