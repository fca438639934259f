#pragma once
// List and combo box helpers the windows share.
class QComboBox;
class QWidget;

namespace ruvia {

class CHistory;

// Appends every entry, oldest first, and selects the first item.
void FillComboBox(const CHistory& history, QComboBox* box);

// How far a list can scroll sideways, in pixels: a list of posts takes it
// as the width of its rows; a combo box opens its list at least that wide
// (within the screen). Any other control: nothing, false.
bool SetHorizontalExtent(QWidget* control, int width);

} // namespace ruvia
