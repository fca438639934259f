#pragma once
#include <QString>
#include <QtGlobal>

namespace ruvia {

// "Sent 12.0 KB / 40.0 KB" (or "Received ..."; "???" for an unknown total),
// CR LF, then a bar of 40 hyphens with one "#" that steps one place on every
// call, program-wide, and starts again at the left after the 40th place.
QString GetProgressText(bool sending, qint32 done, qint32 total);
// The position of the mark after the last call (0 before the first).
int ProgressCounter();
void ResetProgressCounter();

} // namespace ruvia
