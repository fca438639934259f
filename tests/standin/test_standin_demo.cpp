// The stand-in's demo blogs: their posts, their pictures, and that both are
// the same on every start, with or without a data folder.
#include "standin.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;
using ruvia::test::StandIn;

namespace {

QJsonArray postsOf(StandIn& standin, const QString& blog)
{
    QJsonArray out;
    for (const QJsonValue& v : standin.posts())
        if (v.toObject().value(u"blog"_s).toString() == blog)
            out.append(v);
    return out;
}

QStringList idsOf(const QJsonArray& posts)
{
    QStringList ids;
    for (const QJsonValue& v : posts)
        ids.append(v.toObject().value(u"id"_s).toString());
    return ids;
}

QString url(const QJsonObject& post, const char* size)
{
    return post.value(u"urls"_s).toObject().value(QLatin1StringView(size)).toString();
}

QByteArray fetch(StandIn& standin, const QString& pictureUrl)
{
    int status = 0;
    const QByteArray bytes = standin.control("GET", QUrl(pictureUrl).path(), {}, &status);
    return status == 200 ? bytes : QByteArray();
}

// The largest standard deviation of the three channels: a blank or
// single-colour picture has (nearly) none.
double colourSpread(const QImage& image)
{
    double sum[3] = {};
    double squares[3] = {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y);
            const double c[3] = {double(qRed(p)), double(qGreen(p)), double(qBlue(p))};
            for (int k = 0; k < 3; ++k) {
                sum[k] += c[k];
                squares[k] += c[k] * c[k];
            }
        }
    const double n = double(rgb.width()) * rgb.height();
    double spread = 0;
    for (int k = 0; k < 3; ++k)
        spread = qMax(spread, std::sqrt(qMax(0.0, squares[k] / n - (sum[k] / n) * (sum[k] / n))));
    return spread;
}

// Colours told apart at four bits a channel.
int colourCount(const QImage& image)
{
    QSet<QRgb> seen;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            seen.insert(rgb.pixel(x, y) & 0xF0F0F0);
    return int(seen.size());
}

// Mean difference per channel of two pictures of one size.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    return total / (3.0 * x.width() * x.height());
}

} // namespace

class TestStandInDemo : public QObject {
    Q_OBJECT
    StandIn m_standin;
    QJsonArray m_posts; // of demoblog

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_standin.start({u"--demo"_s}), qPrintable(m_standin.errorOutput()));
        m_posts = postsOf(m_standin, u"demoblog"_s);
    }

    void postsLookReal()
    {
        QVERIFY2(m_posts.size() >= 35 && m_posts.size() <= 45, qPrintable(QString::number(m_posts.size())));
        QVERIFY(!postsOf(m_standin, u"demoside"_s).isEmpty());
        QSet<QString> ids, names, captions;
        bool wide = false, small = false;
        QDateTime previous;
        for (const QJsonValue& v : m_posts) {
            const QJsonObject p = v.toObject();
            ids.insert(p.value(u"id"_s).toString());
            names.insert(p.value(u"originalFileName"_s).toString());
            captions.insert(p.value(u"caption"_s).toString());
            QVERIFY(!p.value(u"tags"_s).toArray().isEmpty());
            QCOMPARE(p.value(u"state"_s).toString(), u"published"_s);
            QCOMPARE(p.value(u"owner"_s).toString(), u"demo@example.com"_s);
            const int width = p.value(u"width"_s).toInt();
            wide = wide || width > 1280;
            small = small || width < 250;
            // Oldest first, in the past, ids growing with the date.
            const QDateTime date =
                QDateTime::fromString(p.value(u"date"_s).toString(), Qt::ISODate);
            QVERIFY(date < QDateTime::currentDateTimeUtc());
            QVERIFY(!previous.isValid() || previous < date);
            previous = date;
        }
        QCOMPARE(ids.size(), m_posts.size());
        QCOMPARE(names.size(), m_posts.size());
        QCOMPARE(captions.size(), m_posts.size());
        QVERIFY(!names.contains(QString()));
        QVERIFY(wide && small);
        const QDateTime first = QDateTime::fromString(
            m_posts.first().toObject().value(u"date"_s).toString(), Qt::ISODate);
        QVERIFY(first.daysTo(previous) > 90);
        QStringList sorted = idsOf(m_posts);
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return a.toLongLong() < b.toLongLong(); });
        QCOMPARE(sorted, idsOf(m_posts));
    }

    // Every thumbnail is a picture of its own with something on it.
    void thumbnailsAreDistinctAndNotBlank()
    {
        QSet<QByteArray> hashes;
        for (const QJsonValue& v : m_posts) {
            const QJsonObject p = v.toObject();
            const QString id = p.value(u"id"_s).toString();
            const QImage image = QImage::fromData(fetch(m_standin, url(p, "250")));
            QVERIFY2(!image.isNull(), qPrintable(id));
            QCOMPARE(image.width(), qMin(250, p.value(u"width"_s).toInt()));
            QVERIFY2(colourSpread(image) > 20, qPrintable(id));
            QVERIFY2(colourCount(image) >= 12, qPrintable(id));
            const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
            hashes.insert(QCryptographicHash::hash(
                QByteArrayView(rgb.constBits(), rgb.sizeInBytes()), QCryptographicHash::Sha256));
        }
        QCOMPARE(hashes.size(), m_posts.size());
    }

    // A picture wider than 1280 has six files, each the same scene.
    void everySizeShowsTheSamePicture()
    {
        int checked = 0;
        for (const QJsonValue& v : m_posts) {
            const QJsonObject p = v.toObject();
            const int width = p.value(u"width"_s).toInt();
            if (width <= 1280)
                continue;
            QSet<QString> urls;
            for (const char* size : {"1280", "500", "400", "250", "100", "75"})
                urls.insert(url(p, size));
            QCOMPARE(urls.size(), 6);
            const QImage large = QImage::fromData(fetch(m_standin, url(p, "1280")));
            QCOMPARE(large.width(), 1280);
            QCOMPARE(large.height(), int(std::lround(1280.0 * p.value(u"height"_s).toInt() / width)));
            for (const char* size : {"500", "100"}) {
                const QImage scaled = QImage::fromData(fetch(m_standin, url(p, size)));
                QCOMPARE(scaled.width(), QByteArray(size).toInt());
                const QImage reference =
                    large.scaled(scaled.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                QVERIFY2(meanDifference(scaled, reference) < 12, size);
            }
            const QImage square = QImage::fromData(fetch(m_standin, url(p, "75")));
            QCOMPARE(square.size(), QSize(75, 75));
            ++checked;
        }
        QVERIFY(checked >= 3);
    }

    // A small picture is its own file for the larger sizes, as a posted one.
    void smallPictureServesItsWholeFile()
    {
        for (const QJsonValue& v : m_posts) {
            const QJsonObject p = v.toObject();
            if (p.value(u"width"_s).toInt() >= 250)
                continue;
            QCOMPARE(url(p, "1280"), url(p, "250"));
            QVERIFY(url(p, "100") != url(p, "250"));
            QString missing = url(p, "250");
            missing.replace(u"_250."_s, u"_1280."_s);
            QVERIFY(fetch(m_standin, missing).isEmpty());
            return;
        }
        QFAIL("no small demo picture");
    }

    // Same ids and the same bytes on every start; a data folder keeps both
    // and holds each demo post once.
    void stableAcrossStarts()
    {
        const QStringList allIds = idsOf(m_standin.posts());
        const QString thumb = url(m_posts.at(5).toObject(), "250");
        const QByteArray drawn = fetch(m_standin, thumb);
        QVERIFY(!drawn.isEmpty());

        StandIn again;
        QVERIFY(again.start({u"--demo"_s}));
        QCOMPARE(idsOf(again.posts()), allIds);

        QTemporaryDir data;
        const QStringList args{u"--demo"_s, u"--data"_s, data.path()};
        for (int start = 0; start < 2; ++start) {
            StandIn kept;
            QVERIFY2(kept.start(args), qPrintable(kept.errorOutput()));
            QCOMPARE(idsOf(kept.posts()), allIds);
            QCOMPARE(fetch(kept, thumb), drawn);
        }
        QCOMPARE(QDir(data.path() + u"/pictures"_s).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStandInDemo)
#include "test_standin_demo.moc"
