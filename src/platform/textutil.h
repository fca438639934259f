#pragma once
// Small text helpers the whole program leans on. The names follow the
// support-library vocabulary used throughout the code base.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ruvia {

// Blanks (U+0020) removed at both ends; nothing else.
QString tsTrimEx(const QString& text);
// White space and line breaks (space, TAB, CR, LF, VT, FF, NUL) removed at both ends.
QString tsTrimEx2(const QString& text);
// Leading and trailing CR and LF removed.
QString tsTrimCRLF(const QString& text);
QString tsCutLeft(const QString& text, int n);
QString tsCutRight(const QString& text, int n);
// The text up to its first CR or LF.
QString tsGetLineOnly(const QString& text);

// UTF-8 bytes of a text, and the text of UTF-8 bytes (invalid sequences become U+FFFD).
QByteArray tsUNICODEToUTF8(const QString& text);
QString tsUTF8ToUNICODE(const QByteArray& bytes);

// Two upper-case hexadecimal digits of the low byte of value.
QString tsHex1(int value);
// Random integer in low..high inclusive.
int tsGetRnd(int low, int high);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
QString tsGetNewGUID();
// "532 bytes", "1.30 KB", "12.0 MB": three significant digits past 1 KB.
QString tsFormatByteSize(qint64 bytes);
QString tsFormatByteSizeEx(double bytes);
QString tsFormatVersion(int major, int minor, int revision);
// user@computer when atFormat, else computer\user.
QString tsGetFullUserName(bool atFormat);
qint32 tsMakeLong(quint16 low, quint16 high);
quint16 tsLoWord(qint32 value);

// The ANSI code page of the stored password format (Windows-1252, with its
// five unassigned bytes mapped to the same code points so that every byte
// round-trips). Characters outside it become '?'.
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace ruvia
