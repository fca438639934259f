#include "guitest.h"
#include "testenv.h"

#include "core/group.h"
#include "gui/links/lstpictures.h"
#include "gui/links/ucpaint.h"
#include "gui/listhelpers.h"
#include "gui/qtwaitcursor.h"
#include "gui/resources.h"
#include "gui/ucinfotoolbar.h"
#include "platform/waitcursor.h"
#include "support/history.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QScrollBar>

using namespace ruvia;
using ruvia::test::child;

class TestFurniture : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void toolbarLabelsAndColours()
    {
        SET_EMail = QStringLiteral("someone@example.com");
        ucInfoToolBar bar;
        QCOMPARE(bar.EMail(), SET_EMail);
        QCOMPARE(bar.ListInfoLabel(), QStringLiteral("???"));
        QCOMPARE(bar.ListInfo(), QStringLiteral("-----"));
        QCOMPARE(child<QLabel>(&bar, "lblTag1")->text(), QStringLiteral("E-Mail:"));
        QCOMPARE(bar.palette().color(QPalette::Window), bar.palette().color(QPalette::ToolTipBase));
        bar.resize(400, 200);
        QCOMPARE(bar.height(), 615 / 15);

        auto* info = child<QLabel>(&bar, "lblListInfo");
        auto* email = child<QLabel>(&bar, "lblEMail");
        bar.setListInfoLabel(QStringLiteral("Up:"));
        const int shortLeft = info->x();
        QCOMPARE(email->x(), shortLeft);
        bar.setListInfoLabel(QStringLiteral("A much longer caption:"));
        QVERIFY(info->x() > shortLeft);
        QCOMPARE(email->x(), info->x());
        QVERIFY(info->x() > child<QLabel>(&bar, "lblTag0")->geometry().right());
        bar.setListInfo(QStringLiteral("a text that is long enough to need a wider label"));
        QCOMPARE(info->width(), info->sizeHint().width());
        SET_EMail.clear();
    }

    void initToolBarMovesTheFormsOwnControls()
    {
        QWidget window;
        window.setFixedSize(300, 200);
        window.move(100, 300);
        auto* direct = new QLabel(QStringLiteral("direct"), &window);
        direct->move(10, 20);
        auto* frame = new QGroupBox(&window);
        frame->setGeometry(10, 60, 200, 100);
        auto* inside = new QLabel(QStringLiteral("inside"), frame);
        inside->move(5, 15);
        auto* bar = new ucInfoToolBar(&window);
        const int h = bar->height();
        InitToolBar(&window, bar);
        QCOMPARE(direct->pos(), QPoint(10, 20 + h));
        QCOMPARE(frame->pos(), QPoint(10, 60 + h));
        QCOMPARE(inside->pos(), QPoint(5, 15));
        QCOMPARE(bar->geometry(), QRect(0, 0, 300, h));
        QCOMPARE(window.size(), QSize(300, 200 + h));
        QCOMPARE(window.pos(), QPoint(100, 300 - h / 2));
    }

    void paintSurface()
    {
        ucPaint paint;
        paint.show();
        QCOMPARE(paint.size(), ucPaint::designSize());
        QCOMPARE(paint.cursor().pixmap().size(), paintCursor().pixmap().size());
        QImage img = paint.grab().toImage();
        const int w = img.width();
        const int h = img.height();
        // Corners drawn at natural size, where the bitmaps are.
        const QImage tl = resourcePicture(QStringLiteral("PAINT_TL")).toImage();
        QCOMPARE(img.pixelColor(10, 10), tl.pixelColor(10, 10));
        // The drawn parts outside the corners.
        QCOMPARE(img.pixelColor(56, 300), QColor(136, 121, 121));
        QCOMPARE(img.pixelColor(57, 300), QColor(136, 121, 121));
        QCOMPARE(img.pixelColor(w / 2, 150), QColor(0, 128, 128));
        QCOMPARE(img.pixelColor(w / 2, 1), QColor(136, 121, 121));
        QCOMPARE(img.pixelColor(w - 1, 150), QColor(233, 233, 233));
        QCOMPARE(img.pixelColor(w - 80, h - 74), QColor(233, 233, 233));
        QCOMPARE(img.pixelColor(40, 300), QColor(192, 192, 192));
        // At the design size no two corners overlap.
        QList<QRect> corners;
        for (int i = 0; i < 4; ++i)
            corners.append(child<QLabel>(&paint, qPrintable(QStringLiteral("imgSlice%1").arg(i)))->geometry());
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                QVERIFY(!corners.at(a).intersects(corners.at(b)));

        // Smaller than its corners: they overlap, at full size, nothing scaled.
        paint.resize(150, 120);
        auto* br = child<QLabel>(&paint, "imgSlice2");
        QCOMPARE(br->geometry(), QRect(150 - 138, 120 - 76, 138, 76));
        QVERIFY(br->geometry().intersects(child<QLabel>(&paint, "imgSlice0")->geometry()));
        // Larger again: the whole surface is new, no trace of the small size.
        paint.resize(700, 500);
        img = paint.grab().toImage();
        QCOMPARE(img.pixelColor(300, 250), QColor(0, 128, 128));
        QCOMPARE(img.pixelColor(699, 250), QColor(233, 233, 233));
        QCOMPARE(child<QLabel>(&paint, "imgSlice3")->pos(), QPoint(700 - 52, 0));
    }

    void horizontalExtent()
    {
        PicturesListView list;
        list.resize(120, 100);
        const QString longItem = QStringLiteral("123456789 :: ") + QString(80, u'W');
        list.setItems({QStringLiteral("1"), longItem});
        list.show();
        QApplication::processEvents();
        const int extent = list.fontMetrics().horizontalAdvance(longItem + QStringLiteral("   "));
        QCOMPARE(list.postModel()->itemSize().width(), extent);
        // Every row is as wide as the widest, so the list scrolls to its end.
        QCOMPARE(list.visualRect(list.postModel()->index(0)).width(), extent);
        QVERIFY(list.horizontalScrollBar()->maximum() >= extent - list.viewport()->width() - 2);

        QComboBox combo;
        QVERIFY(SetHorizontalExtent(&combo, 333));
        QCOMPARE(combo.view()->minimumWidth(), 333);
        QLabel other;
        QVERIFY(!SetHorizontalExtent(&other, 100));
        QListView plain;
        QVERIFY(!SetHorizontalExtent(&plain, 100));
    }

    void fillComboBox()
    {
        CHistory history;
        history.Add(QStringLiteral("first"));
        history.Add(QStringLiteral("second"));
        QComboBox box;
        FillComboBox(history, &box);
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.itemText(1), QStringLiteral("second"));
        QCOMPARE(box.currentIndex(), 0);
        QComboBox empty;
        FillComboBox(CHistory(), &empty);
        QCOMPARE(empty.currentIndex(), -1);
    }

    void waitCursorShowsTheHourglass()
    {
        InstallWaitCursor();
        QVERIFY(!QApplication::overrideCursor());
        {
            WaitCursor outer;
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                WaitCursor inner;
            }
            QVERIFY(QApplication::overrideCursor());
        }
        QVERIFY(!QApplication::overrideCursor());
        RemoveWaitCursor();
        {
            WaitCursor none;
            QVERIFY(!QApplication::overrideCursor());
        }
    }
};

QTEST_MAIN(TestFurniture)
#include "test_furniture.moc"
