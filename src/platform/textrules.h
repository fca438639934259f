#pragma once
// Text rules shared by every layer: how the program reads flags and numbers
// typed or stored as text, line-break and file-name clean-up, the URL test,
// and the escaping of settings values.
#include <QString>
#include <QtGlobal>

namespace ruvia {

// The program's title as the service and the about box know it.
inline constexpr char16_t kAppTitle[] = u"Tolvane - Ruvia";

QString BoolToText(bool value);
// Trimmed, upper-cased: "" gives def; "-1", "1" and "TRUE" give true; anything else false.
bool TextToBool(const QString& text, bool def);
// No CR LF pair in the text: lone CRs become CR LF when there is a CR, else
// every LF does. A text that holds a CR LF pair comes back unchanged.
QString NormalizeLineBreaks(const QString& text);
// Drops "#" and '"'; turns "\", "/" and "|" into "-".
QString MakeSafeFileName(const QString& text);
// "Ruvia" or "Ruvia :: caption".
QString MakeWindowTitle(const QString& caption = {});
// The 32-bit number the text spells (blanks around it allowed), else 0.
qint32 SafeTextToLong(const QString& text);
// A scheme of two or more letters, digits, "+", "-" or "." followed by ":".
bool PathIsURL(const QString& path);
// PathIsURL, not a file:// address, and no CR, LF, TAB or NUL in it.
bool MyPathIsURL(const QString& path);

QString EscapeINIText(const QString& text);
QString UnescapeINIText(const QString& text);

} // namespace ruvia
