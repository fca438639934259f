// The program's pictures are present in the binary, at the sizes the windows
// lay out with, and are real pictures; the disguise's corners join the frame
// its control paints around them.
#include "gui/resources.h"

#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace ruvia;

namespace {

int distinctColours(const QImage& image)
{
    QSet<QRgb> seen;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            seen.insert(argb.pixel(x, y));
    return int(seen.size());
}

const QRgb kFace = qRgb(192, 192, 192);
const QRgb kWorkspace = qRgb(0, 128, 128);
const QRgb kShadow = qRgb(136, 121, 121);
const QRgb kLight = qRgb(233, 233, 233);

// What the disguise control paints under its corners at size w x h: a grey
// frame, the teal workspace and the 3D lines of the tool box, colour box and
// status bar.
QImage paintFrame(int w, int h)
{
    QImage out(w, h, QImage::Format_RGB32);
    const auto box = [&](int x1, int y1, int x2, int y2, QRgb c) {
        for (int y = std::max(0, y1); y <= std::min(h - 1, y2); ++y)
            for (int x = std::max(0, x1); x <= std::min(w - 1, x2); ++x)
                out.setPixel(x, y, c);
    };
    box(0, 0, w, h, kFace);
    box(58, 3, w - 3, h - 75, kWorkspace);
    box(0, 1, w, 2, kShadow);
    box(56, 1, 57, h, kShadow);
    box(0, h - 74, w, h - 73, kLight);
    box(w - 2, 0, w - 1, h, kLight);
    box(0, h - 1, w, h - 1, kLight);
    box(0, h - 21, w, h - 21, kShadow);
    box(0, h - 24, w, h - 24, kLight);
    box(0, h - 25, w, h - 25, kShadow);
    return out;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("minColours");
        for (int s : {16, 32, 48, 64, 128, 256})
            QTest::newRow(qPrintable(QStringLiteral("A_MAIN_%1").arg(s)))
                << QStringLiteral("A_MAIN_%1").arg(s) << QSize(s, s) << 16;
        QTest::newRow("PAINT_16") << QStringLiteral("PAINT_16") << QSize(16, 16) << 8;
        QTest::newRow("PAINT_32") << QStringLiteral("PAINT_32") << QSize(32, 32) << 16;
        QTest::newRow("PAINT_CURSOR") << QStringLiteral("PAINT_CURSOR") << QSize(32, 32) << 8;
        QTest::newRow("PAINT_TL") << QStringLiteral("PAINT_TL") << QSize(168, 279) << 8;
        QTest::newRow("PAINT_TR") << QStringLiteral("PAINT_TR") << QSize(52, 47) << 4;
        QTest::newRow("PAINT_BL") << QStringLiteral("PAINT_BL") << QSize(299, 76) << 16;
        QTest::newRow("PAINT_BR") << QStringLiteral("PAINT_BR") << QSize(138, 76) << 5;
        QTest::newRow("IDB_CHECKBOX_ON") << QStringLiteral("IDB_CHECKBOX_ON") << QSize(16, 16) << 8;
        QTest::newRow("IDB_CHECKBOX_OFF") << QStringLiteral("IDB_CHECKBOX_OFF") << QSize(16, 16) << 8;
        for (int i = 0; i < 3; ++i) {
            const QString name = QStringLiteral("RUVIA_ABOUT_BOX_000%1").arg(i);
            QTest::newRow(qPrintable(name)) << name << QSize(320, 200) << 200;
        }
        for (int i = 0; i < 10; ++i) {
            const QString name = QStringLiteral("RUVIA_UPLOADER_000%1").arg(i);
            QTest::newRow(qPrintable(name)) << name << QSize(96, 96) << 100;
        }
    }
    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, minColours);
        const QPixmap picture = resourcePicture(name);
        QVERIFY2(!picture.isNull(), qPrintable(name));
        QCOMPARE(picture.size(), size);
        QVERIFY2(distinctColours(picture.toImage()) >= minColours,
                 qPrintable(QStringLiteral("%1 has %2 colours").arg(name).arg(distinctColours(picture.toImage()))));
    }

    void unknownNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing") << QStringLiteral("RUVIA_UPLOADER_0010");
        QTest::newRow("climbs out") << QStringLiteral("../res/A_MAIN_16");
        QTest::newRow("with extension") << QStringLiteral("A_MAIN_16.png");
    }
    void unknownNames()
    {
        QFETCH(QString, name);
        QVERIFY(resourcePicture(name).isNull());
    }

    // The corners sit on the frame at any size: their outermost pixels facing
    // the drawn area continue it, so no seam shows.
    void paintCornersJoinTheFrame_data()
    {
        QTest::addColumn<QSize>("control");
        QTest::newRow("design size") << QSize(494, 394);
        QTest::newRow("large") << QSize(1200, 800);
    }
    void paintCornersJoinTheFrame()
    {
        QFETCH(QSize, control);
        const int w = control.width(), h = control.height();
        const QImage frame = paintFrame(w, h);
        struct Corner {
            const char* name;
            QPoint at;
        };
        const QImage tl = resourcePicture(QStringLiteral("PAINT_TL")).toImage();
        const QImage tr = resourcePicture(QStringLiteral("PAINT_TR")).toImage();
        const QImage bl = resourcePicture(QStringLiteral("PAINT_BL")).toImage();
        const QImage br = resourcePicture(QStringLiteral("PAINT_BR")).toImage();
        const Corner corners[] = {
            {"PAINT_TL", {0, 0}},
            {"PAINT_TR", {w - tr.width(), 0}},
            {"PAINT_BL", {0, h - bl.height()}},
            {"PAINT_BR", {w - br.width(), h - br.height()}},
        };
        const QImage images[] = {tl, tr, bl, br};
        for (int c = 0; c < 4; ++c) {
            const QImage& img = images[c];
            const QPoint at = corners[c].at;
            const bool left = at.x() == 0, top = at.y() == 0;
            // The edge column and row that face the inside of the control.
            const int edgeX = left ? img.width() - 1 : 0;
            const int edgeY = top ? img.height() - 1 : 0;
            const int nextX = left ? img.width() : at.x() - 1;
            const int nextY = top ? img.height() : at.y() - 1;
            for (int y = 0; y < img.height(); ++y)
                QVERIFY2((img.pixel(edgeX, y) | 0xff000000) == frame.pixel(nextX, at.y() + y),
                         qPrintable(QStringLiteral("%1 column %2, row %3")
                                        .arg(QLatin1String(corners[c].name)).arg(edgeX).arg(y)));
            for (int x = 0; x < img.width(); ++x)
                QVERIFY2((img.pixel(x, edgeY) | 0xff000000) == frame.pixel(at.x() + x, nextY),
                         qPrintable(QStringLiteral("%1 row %2, column %3")
                                        .arg(QLatin1String(corners[c].name)).arg(edgeY).arg(x)));
        }
    }

    void icons()
    {
        const QList<QSize> mainSizes = appIcon().availableSizes();
        for (int s : {16, 32, 48, 64, 128, 256}) {
            QVERIFY2(mainSizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
            QCOMPARE(appIcon().pixmap(QSize(s, s)).size(), QSize(s, s));
        }
        const QList<QSize> paintSizes = paintIcon().availableSizes();
        QVERIFY(paintSizes.contains(QSize(16, 16)));
        QVERIFY(paintSizes.contains(QSize(32, 32)));
        QVERIFY(!paintIcon().pixmap(QSize(32, 32)).isNull());
    }

    void cursorHotSpotIsThePencilTip()
    {
        const QCursor cursor = paintCursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), kPaintCursorHotSpot);
        const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        const QColor tip = image.pixelColor(kPaintCursorHotSpot);
        QVERIFY2(tip.alpha() > 128, "the hot spot is on the drawn pencil");
        QVERIFY2(tip.lightness() < 128, "the hot spot is on the dark lead");
    }

    void randomPicturesExist_data()
    {
        QTest::addColumn<bool>("uploader");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("size");
        QTest::newRow("uploader") << true << QStringLiteral("RUVIA_UPLOADER_") << 10 << QSize(96, 96);
        QTest::newRow("about box") << false << QStringLiteral("RUVIA_ABOUT_BOX_") << 3 << QSize(320, 200);
    }
    void randomPicturesExist()
    {
        QFETCH(bool, uploader);
        QFETCH(QString, prefix);
        QFETCH(int, count);
        QFETCH(QSize, size);
        const QRegularExpression form(QStringLiteral("^%1\\d{4}$").arg(prefix));
        QSet<QString> seen;
        // 400 draws miss one of ten names with a chance of about 10 * 0.9^400.
        for (int i = 0; i < 400; ++i) {
            const QString name = uploader ? RandomUploaderPictureName() : RandomAboutBoxPictureName();
            QVERIFY2(form.match(name).hasMatch(), qPrintable(name));
            seen.insert(name);
        }
        QCOMPARE(int(seen.size()), count);
        for (const QString& name : seen)
            QVERIFY2(!resourcePicture(name).isNull(), qPrintable(name));
        for (int i = 0; i < 10; ++i) {
            const QPixmap picture = uploader ? GetUploaderPicture() : GetAboutBoxPicture();
            QCOMPARE(picture.size(), size);
        }
    }
};

QTEST_MAIN(TestResources)
#include "test_resources.moc"
