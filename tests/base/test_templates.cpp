#include "testenv.h"

#include "base/linkbase.h"
#include "base/templates.h"
#include "core/group.h"
#include "platform/inifile.h"
#include "platform/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ruvia;

class TestTemplates : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QTemporaryDir groupDir;

    // One resolved post 5 with distinct values in every field, and an
    // unresolved post 6.
    void openBase()
    {
        QFile::remove(groupDir.path() + QStringLiteral("/Links.XML"));
        SET_DataPath = groupDir.path();
        SET_GroupName = QStringLiteral("g");
        QVERIFY(OpenLinksBase());
        AddLink(QStringLiteral("5"), QStringLiteral("orig & <name>.jpg"), QStringLiteral("ann@pc"));
        PostLinks l;
        const QStringList sizes = PostLinks::Sizes();
        for (int i = 0; i < sizes.size(); ++i)
            l[i] = QStringLiteral("http://m/") + sizes.at(i);
        l[PostLinks::PostURL] = QStringLiteral("http://b/post/5");
        l[PostLinks::PostURLSlug] = QStringLiteral("http://b/post/5/a-slug");
        QVERIFY(ResolveLink(QStringLiteral("5"), l));
        AddLink(QStringLiteral("6"), QStringLiteral("six.jpg"), QStringLiteral("bob"));
    }

    void clearStore() { QFile::remove(SettingsStore::filePath()); }

  private Q_SLOTS:
    void initTestCase() { openBase(); }

    void defaults()
    {
        const QStringList titles = {
            QStringLiteral("Link to post"),
            QStringLiteral("Direct link to 1280px picture"),
            QStringLiteral("Direct link to 250px thumbnail"),
            QStringLiteral("Picture for forum"),
            QStringLiteral("Thumbnail for forum with link to 1280px picture"),
            QStringLiteral("Thumbnail for forum with link to post"),
            QStringLiteral("Picture for site (HTML)"),
            QStringLiteral("Thumbnail for site with link to 1280px picture (HTML)"),
            QStringLiteral("Thumbnail for site with link to post (HTML)"),
            QStringLiteral("Uploaded by")};
        const QStringList bodies = {
            QStringLiteral("%POST_URL_SLUG% "),
            QStringLiteral("%PICTURE_URL_1280% "),
            QStringLiteral("%PICTURE_URL_250% "),
            QStringLiteral("[IMG]%PICTURE_URL_1280%[/IMG] "),
            QStringLiteral("[URL=%PICTURE_URL_1280%][IMG]%PICTURE_URL_250%[/IMG][/URL] "),
            QStringLiteral("[URL=%POST_URL_SLUG%][IMG]%PICTURE_URL_250%[/IMG][/URL] "),
            QStringLiteral("<IMG SRC=\"%PICTURE_URL_1280%\" BORDER=\"0\"> "),
            QStringLiteral("<A HREF=\"%PICTURE_URL_1280%\" TARGET=\"_blank\"><IMG "
                           "SRC=\"%PICTURE_URL_250%\" BORDER=\"0\"></A> "),
            QStringLiteral("<A HREF=\"%POST_URL_SLUG%\" TARGET=\"_blank\"><IMG "
                           "SRC=\"%PICTURE_URL_250%\" BORDER=\"0\"></A> "),
            QStringLiteral("%USER_NAME% ")};
        for (int n = 0; n < 10; ++n) {
            QCOMPARE(GetDefaultTemplateTitle(n), titles.at(n));
            QCOMPARE(GetDefaultTemplateBody(n), bodies.at(n));
        }
        for (int n : {-1, 10, 100}) {
            QVERIFY(GetDefaultTemplateTitle(n).isEmpty());
            QVERIFY(GetDefaultTemplateBody(n).isEmpty());
        }
        QCOMPARE(ExpandTemplate(QStringLiteral("5"), GetDefaultTemplateBody(7)),
                 QStringLiteral("<A HREF=\"http://m/1280\" TARGET=\"_blank\"><IMG "
                                "SRC=\"http://m/250\" BORDER=\"0\"></A> "));
    }

    void everyMask_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("value");
        QTest::newRow("post") << "%POST_URL%"
                              << "http://b/post/5";
        QTest::newRow("slug") << "%POST_URL_SLUG%"
                              << "http://b/post/5/a-slug";
        QTest::newRow("user") << "%USER_NAME%"
                              << "ann@pc";
        QTest::newRow("file") << "%ORIGINAL_FILE_NAME%"
                              << "orig & <name>.jpg";
        QTest::newRow("1280") << "%PICTURE_URL_1280%"
                              << "http://m/1280";
        QTest::newRow("500") << "%PICTURE_URL_500%"
                             << "http://m/500";
        QTest::newRow("400") << "%PICTURE_URL_400%"
                             << "http://m/400";
        QTest::newRow("250") << "%PICTURE_URL_250%"
                             << "http://m/250";
        QTest::newRow("100") << "%PICTURE_URL_100%"
                             << "http://m/100";
        QTest::newRow("75") << "%PICTURE_URL_75%"
                            << "http://m/75";
    }
    void everyMask()
    {
        QFETCH(QString, mask);
        QFETCH(QString, value);
        QVERIFY(TemplateMasks().contains(mask));
        // Present in upper case: every spelling is replaced, values as they are.
        QCOMPARE(ExpandTemplate(QStringLiteral("5"), u'<' + mask + u'|' + mask.toLower() + u'>'),
                 u'<' + value + u'|' + value + u'>');
        // Only in lower case: not a mask.
        QCOMPARE(ExpandTemplate(QStringLiteral("5"), mask.toLower()), mask.toLower());
        // A post without the value, and a post not in the base, give nothing.
        QCOMPARE(ExpandTemplate(QStringLiteral("404"), u'[' + mask + u']'), QStringLiteral("[]"));
        if (mask != u"%USER_NAME%" && mask != u"%ORIGINAL_FILE_NAME%")
            QCOMPARE(ExpandTemplate(QStringLiteral("6"), u'[' + mask + u']'), QStringLiteral("[]"));
    }

    void masksInTableOrder()
    {
        QCOMPARE(ExpandTemplate(QStringLiteral("5"), QStringLiteral("%POST_URL% %POST_URL_SLUG% ")),
                 QStringLiteral("http://b/post/5 http://b/post/5/a-slug "));
        QCOMPARE(ExpandTemplate(QStringLiteral("5"), GetDefaultTemplateBody(0)),
                 QStringLiteral("http://b/post/5/a-slug "));
        // A value that holds a later mask is filled in turn (values go in as they are).
        SetNodeAttribute(FindLink(QStringLiteral("6")), QStringLiteral("UserName"),
                         QStringLiteral("%ORIGINAL_FILE_NAME%"));
        QCOMPARE(ExpandTemplate(QStringLiteral("6"), QStringLiteral("%USER_NAME%")),
                 QStringLiteral("six.jpg"));
        QCOMPARE(
            ExpandTemplate(QStringLiteral("6"), QStringLiteral("%ORIGINAL_FILE_NAME% %USER_NAME%")),
            QStringLiteral("six.jpg six.jpg"));
        // ... while an earlier mask in a value stays as it is.
        SetNodeAttribute(FindLink(QStringLiteral("6")), QStringLiteral("UserName"),
                         QStringLiteral("%POST_URL%"));
        QCOMPARE(ExpandTemplate(QStringLiteral("5"), QStringLiteral("%POST_URL%")),
                 QStringLiteral("http://b/post/5"));
        QCOMPARE(ExpandTemplate(QStringLiteral("6"), QStringLiteral("%USER_NAME%")),
                 QStringLiteral("%POST_URL%"));
        SetNodeAttribute(FindLink(QStringLiteral("6")), QStringLiteral("UserName"),
                         QStringLiteral("bob"));
    }

    void valueReadOnlyWhenMaskPresent()
    {
        int reads = 0;
        const auto value = [&] {
            ++reads;
            return QStringLiteral("V");
        };
        QString text = QStringLiteral("a %user_name% b");
        ReplaceTemplateMask(text, QStringLiteral("%USER_NAME%"), value);
        QCOMPARE(text, QStringLiteral("a %user_name% b"));
        QCOMPARE(reads, 0);
        text = QStringLiteral("%User_Name%%USER_NAME%%USER_NAME%");
        ReplaceTemplateMask(text, QStringLiteral("%USER_NAME%"), value);
        QCOMPARE(text, QStringLiteral("VVV"));
        QCOMPARE(reads, 1);
    }

    void storeDefaultsAndRoundTrip()
    {
        clearStore();
        const QList<TemplateSlot> defaults = LoadTemplates();
        QCOMPARE(defaults.size(), 10);
        for (int n = 0; n < 10; ++n) {
            QVERIFY(defaults.at(n).enabled);
            QCOMPARE(defaults.at(n).title, GetDefaultTemplateTitle(n));
            QCOMPARE(defaults.at(n).body, GetDefaultTemplateBody(n));
        }
        const QList<SlotPlacement> shown = ArrangeSlots(defaults, true);
        QCOMPARE(shown.at(0).label, QStringLiteral("Link to post:"));
        QCOMPARE(shown.at(9).label, QStringLiteral("Uploaded by:"));

        QList<TemplateSlot> changed = defaults;
        changed[2] = {false, QString(), QStringLiteral("  line1\r\nline \"2\"\t'3' \\n ")};
        changed[9].title = QStringLiteral("Автор");
        QVERIFY(SaveTemplates(changed));
        const QList<TemplateSlot> back = LoadTemplates();
        for (int n = 0; n < 10; ++n) {
            QCOMPARE(back.at(n).enabled, changed.at(n).enabled);
            QCOMPARE(back.at(n).title, changed.at(n).title);
            QCOMPARE(back.at(n).body, changed.at(n).body);
        }
        QVERIFY(ArrangeSlots(back, true).at(2).label.isEmpty());
        QCOMPARE(ArrangeSlots(back, true).at(9).label, QStringLiteral("Автор:"));

        // The keys as other installations read them: section "Templates",
        // word, blank, slot number.
        IniFile ini;
        QVERIFY(ini.load(SettingsStore::filePath()));
        QVERIFY(ini.contains(QStringLiteral("Templates"), QStringLiteral("Enabled 2")));
        QVERIFY(ini.contains(QStringLiteral("Templates"), QStringLiteral("Title 9")));
        QVERIFY(ini.contains(QStringLiteral("Templates"), QStringLiteral("Body 0")));
        QCOMPARE(SettingsStore::ReadValue(QStringLiteral("Templates"), QStringLiteral("Enabled 2"),
                                          KindBoolean, true)
                     .toBool(),
                 false);

        // A key written by hand alone overrides its default.
        clearStore();
        QVERIFY(SettingsStore::WriteValue(QStringLiteral("Templates"), QStringLiteral("Body 4"),
                                          KindText, QStringLiteral("%USER_NAME%!")));
        const TemplateSlot t4 = LoadTemplate(4);
        QVERIFY(t4.enabled);
        QCOMPARE(t4.title, GetDefaultTemplateTitle(4));
        QCOMPARE(t4.body, QStringLiteral("%USER_NAME%!"));
        clearStore();
    }

    void arrangeSlots_data()
    {
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<bool>("group");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("all shown")
            << QList<int>{} << true << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("1,2 hidden grouped")
            << QList<int>{1, 2} << true << QList<int>{0, 0, 0, 1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("1,2 hidden gaps")
            << QList<int>{1, 2} << false << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("0 hidden") << QList<int>{0} << true
                                  << QList<int>{0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("9 hidden") << QList<int>{9} << true
                                  << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 8};
    }
    void arrangeSlots()
    {
        QFETCH(QList<int>, hidden);
        QFETCH(bool, group);
        QFETCH(QList<int>, rows);
        QList<TemplateSlot> slots = LoadTemplates();
        for (int n : hidden)
            slots[n].enabled = false;
        const QList<SlotPlacement> placed = ArrangeSlots(slots, group);
        QCOMPARE(placed.size(), 10);
        for (int n = 0; n < 10; ++n) {
            QCOMPARE(placed.at(n).visible, !hidden.contains(n));
            if (placed.at(n).visible)
                QCOMPARE(placed.at(n).row, rows.at(n));
        }
    }

    void groupedVisibleSlotsTakeConsecutiveRows()
    {
        QList<TemplateSlot> slots = LoadTemplates();
        for (int mask = 0; mask < 1024; ++mask) {
            for (int n = 0; n < 10; ++n)
                slots[n].enabled = (mask >> n) & 1;
            const QList<SlotPlacement> placed = ArrangeSlots(slots, true);
            int nextRow = 0;
            for (int n = 0; n < 10; ++n) {
                if (!placed.at(n).visible)
                    continue;
                QVERIFY2(placed.at(n).row == nextRow,
                         qPrintable(QStringLiteral("mask %1 slot %2").arg(mask).arg(n)));
                ++nextRow;
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTemplates)
#include "test_templates.moc"
