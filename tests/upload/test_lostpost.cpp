// Recognising the post of a write whose reply was lost, among the blog's
// newest posts: what counts as the same post, and what never does.
#include "base/linkbase.h"
#include "service/postsubmit.h"
#include "service/postlookup.h"
#include "upload/lostpost.h"

#include <QTest>
#include <QTimeZone>

using namespace ruvia;

namespace {

const QDateTime kSent(QDate(2026, 12, 10), QTime(20, 0), QTimeZone::utc());

WrittenPost written()
{
    WrittenPost w;
    w.caption = QStringLiteral("<p>Sunset &amp; sea</p>\r\nsecond line");
    w.tags = QStringLiteral("beach, \"Late Summer\", beach");
    w.clickThroughUrl = QStringLiteral("http://click.example.org/");
    w.pictureSize = QSize(640, 480);
    w.sentAt = kSent;
    return w;
}

NewestPost post()
{
    NewestPost p;
    p.id = QStringLiteral("500");
    p.caption = QStringLiteral("Sunset & sea second line");
    p.tags = {QStringLiteral("late summer"), QStringLiteral("beach")};
    p.linkUrl = QStringLiteral("http://click.example.org");
    p.size = QSize(640, 480);
    p.date = kSent.addSecs(3);
    return p;
}

} // namespace

Q_DECLARE_METATYPE(ruvia::NewestPost)

class TestLostPost : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matching_data()
    {
        QTest::addColumn<NewestPost>("candidate");
        QTest::addColumn<bool>("matches");
        NewestPost p = post();
        QTest::newRow("the same post") << p << true;
        p = post();
        p.size = QSize(480, 640);
        QTest::newRow("turned picture") << p << true;
        p = post();
        p.size = QSize();
        QTest::newRow("no size in the reply") << p << true;
        p = post();
        p.date = kSent.addSecs(-kLostPostClockSlackSecs + 1);
        QTest::newRow("clocks apart") << p << true;
        p = post();
        p.caption = QStringLiteral("<p>Sunset &#38; sea</p><p>second&nbsp;line</p>");
        QTest::newRow("caption as markup") << p << true;
        p = post();
        p.date = kSent.addSecs(-kLostPostClockSlackSecs - 1);
        QTest::newRow("older than the write") << p << false;
        p = post();
        p.date = QDateTime();
        QTest::newRow("no date") << p << false;
        p = post();
        p.caption = QStringLiteral("Sunset & sea");
        QTest::newRow("other caption") << p << false;
        p = post();
        p.tags = {QStringLiteral("beach")};
        QTest::newRow("a tag missing") << p << false;
        p = post();
        p.linkUrl.clear();
        QTest::newRow("no click-through") << p << false;
        p = post();
        p.size = QSize(640, 481);
        QTest::newRow("other picture size") << p << false;
    }
    void matching()
    {
        QFETCH(NewestPost, candidate);
        QTEST(PostMatches(written(), candidate), "matches");
    }

    void unknownPictureSizeMatchesAny()
    {
        WrittenPost w = written();
        w.pictureSize = QSize();
        NewestPost p = post();
        p.size = QSize(10, 10);
        QVERIFY(PostMatches(w, p));
    }

    void comparableTexts_data()
    {
        QTest::addColumn<QString>("tags");
        QTest::addColumn<QStringList>("comparable");
        QTest::newRow("plain") << "b, a" << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("quoted comma") << "\"x, y\", z" << QStringList{QStringLiteral("x, y"), QStringLiteral("z")};
        QTest::newRow("case and blanks") << "  Big Dog ,big dog,," << QStringList{QStringLiteral("big dog")};
        QTest::newRow("none") << "" << QStringList{};
    }
    void comparableTexts()
    {
        QFETCH(QString, tags);
        QTEST(ComparableTags(tags), "comparable");
    }

    void readReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("posts");
        QTest::newRow("two posts")
            << QByteArray("<?xml version='1.0'?><tumblr version='1.0'><posts start='0' total='2'>"
                          "<post id='9' unix-timestamp='1765396800' width='5' height='4'>"
                          "<photo-caption>c</photo-caption><photo-link-url>u</photo-link-url>"
                          "<tag>t1</tag><tag>t2</tag></post><post id='8'/></posts></tumblr>")
            << true << 2;
        QTest::newRow("no posts") << QByteArray("<tumblr version='1.0'><posts/></tumblr>") << true << 0;
        QTest::newRow("a web page") << QByteArray("<html><body>Maintenance</body></html>") << false << 0;
        QTest::newRow("not XML") << QByteArray("Service unavailable") << false << 0;
    }
    void readReplies()
    {
        QFETCH(QByteArray, reply);
        QList<NewestPost> posts;
        QString error;
        QFETCH(bool, ok);
        QCOMPARE(ParseNewestPosts(reply, posts, &error), ok);
        QTEST(int(posts.size()), "posts");
        QCOMPARE(error.isEmpty(), ok);
        if (posts.size() == 2) {
            const NewestPost& p = posts.first();
            QCOMPARE(p.id, QStringLiteral("9"));
            QCOMPARE(p.caption, QStringLiteral("c"));
            QCOMPARE(p.linkUrl, QStringLiteral("u"));
            QCOMPARE(p.tags, QStringList({QStringLiteral("t1"), QStringLiteral("t2")}));
            QCOMPARE(p.size, QSize(5, 4));
            QCOMPARE(p.date, QDateTime::fromSecsSinceEpoch(1765396800, QTimeZone::utc()));
            QVERIFY(!posts.last().date.isValid());
        }
    }

    void listStates_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("state");
        QTest::newRow("now") << int(StatePublishNow) << "";
        QTest::newRow("private") << int(StatePrivate) << "";
        QTest::newRow("queue") << int(StateQueue) << "queue";
        QTest::newRow("publish on") << int(StatePublishOn) << "queue";
        QTest::newRow("publish on, old") << int(StatePublishOnOld) << "queue";
        QTest::newRow("draft") << int(StateDraft) << "draft";
        QTest::newRow("submission") << int(StateSubmission) << "submission";
    }
    void listStates()
    {
        QFETCH(int, code);
        QTEST(ListStateOfCode(code), "state");
    }

    void postIdOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("shorter is smaller") << "99" << "100" << -1;
        QTest::newRow("same length") << "431830023" << "431830022" << 1;
        QTest::newRow("equal") << "7" << "7" << 0;
        QTest::newRow("leading zeros") << "007" << "7" << 0;
        QTest::newRow("beyond 64 bits") << "123456789012345678901234" << "99999999999999999999999" << 1;
        QTest::newRow("zero") << "0" << "1" << -1;
    }
    void postIdOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        const int got = ComparePostIDs(a, b);
        QCOMPARE((got > 0) - (got < 0), order);
    }
};

QTEST_GUILESS_MAIN(TestLostPost)
#include "test_lostpost.moc"
