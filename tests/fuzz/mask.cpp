// The mask matcher: a mask, a line feed, then the text.
#include "fuzzsupport.h"

#include "support/like.h"

using namespace ruvia;

RUVIA_FUZZ_TARGET(mask)
{
    fuzz::setUp();
    const QString input = QString::fromUtf8(fuzzBytes(data, size));
    const qsizetype split = input.indexOf(u'\n');
    const QString mask = split < 0 ? input : input.left(split);
    const QString text = split < 0 ? QString() : input.mid(split + 1);
    const LikeMask exact(mask, Qt::CaseSensitive);
    const LikeMask folded(mask, Qt::CaseInsensitive);
    FUZZ_CHECK(exact.isValid() == folded.isValid());
    const bool matchesExactly = exact.matches(text);
    // (Not so with a set: "[!1-c]" takes "d" but not its folded form.)
    if (!mask.contains(u'['))
        FUZZ_CHECK(!matchesExactly || folded.matches(text));
    FUZZ_CHECK(modLike_Binary(text, mask) == matchesExactly);
    if (exact.isValid())
        FUZZ_CHECK(LikeMask(QStringLiteral("*"), Qt::CaseSensitive).matches(text));
    return 0;
}
