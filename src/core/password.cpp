#include "core/password.h"

#include "platform/textutil.h"

namespace ruvia {

QString EncodePassword(const QString& password)
{
    const QByteArray ansi = toAnsi(password);
    QString out;
    out.reserve(ansi.size() * 4);
    for (qsizetype i = ansi.size() - 1; i >= 0; --i) {
        out += tsHex1(255 - int(quint8(ansi.at(i))));
        out += tsHex1(tsGetRnd(0, 255));
    }
    return out;
}

QString DecodePassword(const QString& stored)
{
    if (stored.size() % 4 != 0)
        return {};
    QByteArray ansi;
    for (qsizetype i = 0; i < stored.size(); i += 4) {
        // A group that is not hex (a hand-edited value) reads as 0: the
        // character 255 - 0. Decoding never stops.
        const int v = stored.mid(i, 2).toInt(nullptr, 16);
        ansi.prepend(char(255 - v));
    }
    return fromAnsi(ansi);
}

} // namespace ruvia
