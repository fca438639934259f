#pragma once
#include <QString>

class QWidget;

namespace ruvia {

// Sends a key press and release (with the character, when the key has one)
// to the widget, as if the user had typed it.
void SendKeyPress(QWidget* widget, int key, const QString& text = {});

} // namespace ruvia
