#include "support/like.h"

namespace ruvia {

namespace {
// Lists hold 100,000 items: ASCII, by far the common case, skips the tables.
char16_t fold(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u + 0x20) : u;
    return c.toCaseFolded().unicode();
}
} // namespace

bool LikeMask::CharSet::contains(char16_t c) const
{
    for (const auto& r : ranges)
        if (c >= r.first && c <= r.second)
            return true;
    return false;
}

LikeMask::LikeMask(const QString& mask, Qt::CaseSensitivity cs) : m_cs(cs)
{
    const qsizetype n = mask.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = mask.at(i);
        if (c == u'*') {
            // Runs of stars match what one star matches.
            if (m_tokens.isEmpty() || m_tokens.last().kind != Star)
                m_tokens.append({Star, 0});
        } else if (c == u'?') {
            m_tokens.append({AnyOne, 0});
        } else if (c == u'#') {
            m_tokens.append({Digit, 0});
        } else if (c == u'[') {
            const qsizetype close = mask.indexOf(u']', i + 1);
            if (close < 0) {
                m_valid = false;
                return;
            }
            CharSet set;
            qsizetype j = i + 1;
            if (j < close && mask.at(j) == u'!') {
                set.negate = true;
                ++j;
            }
            const qsizetype listStart = j;
            for (; j < close; ++j) {
                const char16_t lo = mask.at(j).unicode();
                const bool leadingHyphen = lo == u'-' && j == listStart;
                if (!leadingHyphen && j + 2 < close && mask.at(j + 1) == u'-') {
                    const char16_t hi = mask.at(j + 2).unicode();
                    if (hi < lo) {
                        m_valid = false;
                        return;
                    }
                    set.ranges.append({lo, hi});
                    j += 2;
                } else {
                    set.ranges.append({lo, lo});
                }
            }
            if (close == i + 1) {
                i = close; // "[]": nothing to match
                continue;
            }
            m_sets.append(set);
            m_tokens.append({Set, 0, int(m_sets.size() - 1)});
            i = close;
        } else {
            m_tokens.append({Literal, cs == Qt::CaseInsensitive ? fold(c) : c.unicode()});
        }
    }
}

bool LikeMask::tokenMatches(const Token& t, QChar c) const
{
    switch (t.kind) {
    case Literal:
        return (m_cs == Qt::CaseInsensitive ? fold(c) : c.unicode()) == t.ch;
    case AnyOne:
        return true;
    case Digit:
        return c >= u'0' && c <= u'9';
    case Set: {
        const CharSet& set = m_sets.at(t.set);
        bool in = set.contains(c.unicode());
        if (!in && m_cs == Qt::CaseInsensitive)
            in = set.contains(c.toLower().unicode()) || set.contains(c.toUpper().unicode());
        return in != set.negate;
    }
    case Star:
        break;
    }
    return false;
}

bool LikeMask::matches(const QString& text) const
{
    if (!m_valid)
        return false;
    // Every token but a star takes exactly one character, so going back to
    // the last star is enough.
    const qsizetype nt = m_tokens.size();
    const qsizetype nc = text.size();
    qsizetype t = 0, c = 0;
    qsizetype starToken = -1, starChar = 0;
    while (c < nc) {
        if (t < nt && m_tokens.at(t).kind == Star) {
            starToken = t++;
            starChar = c;
        } else if (t < nt && tokenMatches(m_tokens.at(t), text.at(c))) {
            ++t;
            ++c;
        } else if (starToken >= 0) {
            t = starToken + 1;
            c = ++starChar;
        } else {
            return false;
        }
    }
    while (t < nt && m_tokens.at(t).kind == Star)
        ++t;
    return t == nt;
}

bool modLike_Text(const QString& text, const QString& mask)
{
    return LikeMask(mask, Qt::CaseInsensitive).matches(text);
}

bool modLike_Binary(const QString& text, const QString& mask)
{
    return LikeMask(mask, Qt::CaseSensitive).matches(text);
}

} // namespace ruvia
