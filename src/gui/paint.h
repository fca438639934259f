#pragma once
class QWidget;

namespace ruvia {

// The background of the program's dialogs: a quiet vertical gradient of the
// window colour, so every dialog looks of one family.
void tsPaintDesktop2(QWidget* window);

} // namespace ruvia
