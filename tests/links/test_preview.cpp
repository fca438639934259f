#include "links/preview.h"
#include "testenv.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

using namespace ruvia;

namespace {
QByteArray encoded(const char* format, QSize size = {250, 188})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 90));
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, format);
    return bytes;
}

// A PNG header that claims a picture of 60000 x 60000 pixels.
QByteArray hugePngHeader()
{
    QByteArray png = encoded("PNG", {4, 4});
    const char dims[8] = {0, 0, char(0xEA), 0x60, 0, 0, char(0xEA), 0x60};
    png.replace(16, 8, QByteArray(dims, 8));
    return png;
}
} // namespace

class TestPreview : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void files_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("state");
        const QByteArray jpeg = encoded("JPG");
        const QByteArray png = encoded("PNG");
        QTest::newRow("jpeg") << jpeg << int(Preview::Picture);
        QTest::newRow("png under the jpg name") << png << int(Preview::Picture);
        QTest::newRow("empty file") << QByteArray() << int(Preview::Broken);
        QTest::newRow("truncated jpeg") << jpeg.left(jpeg.size() * 2 / 3) << int(Preview::Broken);
        QTest::newRow("truncated png") << png.left(png.size() / 2) << int(Preview::Broken);
        QTest::newRow("html error page") << QByteArray("<html><body>404 Not Found</body></html>") << int(Preview::Broken);
        QTest::newRow("absurd size") << hugePngHeader() << int(Preview::Broken);
    }
    void files()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, state);
        const QString path = profile.root() + QStringLiteral("/1.250.JPG");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const Preview p = LoadPreviewFile(path);
        QCOMPARE(int(p.state), state);
        QCOMPARE(p.image.isNull(), state != Preview::Picture);
        if (state == Preview::Picture)
            QCOMPARE(p.image.size(), QSize(250, 188));
    }

    void missingFileIsEmpty()
    {
        QCOMPARE(int(LoadPreviewFile(profile.root() + QStringLiteral("/none.JPG")).state), int(Preview::Empty));
        QCOMPARE(int(LoadPreviewFile(QString()).state), int(Preview::Empty));
    }

    void centred_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("smaller") << QSize(272, 229) << QSize(250, 188) << QPoint(11, 20);
        QTest::newRow("larger is cut at both sides") << QSize(100, 100) << QSize(300, 50) << QPoint(-100, 25);
    }
    void centred()
    {
        QFETCH(QSize, area);
        QFETCH(QSize, picture);
        QTEST(PreviewOrigin(area, picture), "origin");
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TestPreview t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_preview.moc"
