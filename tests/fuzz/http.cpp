// Addresses and the reply reader of the HTTP request.
#include "fuzzsupport.h"

#include "platform/httpreply.h"
#include "platform/httprequest.h"

using namespace ruvia;

RUVIA_FUZZ_TARGET(parse_url)
{
    fuzz::setUp();
    QString host;
    int port = 0;
    QString path;
    bool secure = false;
    if (HTTPRequest::ParseURL(QString::fromUtf8(fuzzBytes(data, size)), host, port, path, &secure)) {
        FUZZ_CHECK(!host.isEmpty() && port >= 1 && port <= 65535);
        FUZZ_CHECK(path.startsWith(u'/') || path.startsWith(u'?'));
        for (QChar c : host + path)
            FUZZ_CHECK(c.unicode() > 0x20 && c.unicode() != 0x7F);
        FUZZ_CHECK(!host.contains(u'/') && !host.contains(u'@'));
        FUZZ_CHECK(host.startsWith(u'[') || !host.contains(u':'));
    }
    return 0;
}

// The first byte chooses the framing of the request and how finely the
// reply arrives; the rest is the reply.
RUVIA_FUZZ_TARGET(http_reply)
{
    fuzz::setUp();
    if (size < 1)
        return 0;
    const uint8_t choice = data[0];
    const QByteArray reply = fuzzBytes(data + 1, size - 1);
    constexpr qint64 kLimit = 4096;
    HTTPReplyParser parser(kLimit, (choice & 1) == 0, (choice & 2) != 0);
    qint64 reported = 0;
    const bool stopEarly = (choice & 4) != 0;
    parser.onBody = [&](qint64 block) {
        FUZZ_CHECK(block > 0);
        reported += block;
        FUZZ_CHECK(reported == parser.body().size());
        return !stopEarly;
    };
    const qsizetype piece = 1 + (choice >> 3);
    for (qsizetype at = 0; at < reply.size() && parser.state() == HTTPReplyParser::Reading; at += piece) {
        parser.append(reply.mid(at, piece));
        parser.parse();
    }
    if (parser.state() == HTTPReplyParser::Reading)
        parser.closed();
    FUZZ_CHECK(parser.state() != HTTPReplyParser::Reading);
    FUZZ_CHECK(parser.body().size() <= kLimit);
    FUZZ_CHECK(reported == parser.body().size());
    if (parser.state() == HTTPReplyParser::Complete) {
        FUZZ_CHECK(parser.status() >= 200 && parser.status() <= 999);
        FUZZ_CHECK(parser.headers().startsWith(parser.statusLine() + QStringLiteral("\r\n")));
        if (parser.length() >= 0)
            FUZZ_CHECK(parser.body().size() == parser.length());
    }
    if (parser.state() == HTTPReplyParser::Failed)
        FUZZ_CHECK(parser.errorCode() != 0 && !parser.errorText().isEmpty());
    return 0;
}
