#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/proxysettings.h"
#include "platform/settingsstore.h"
#include "testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace ruvia;

class TestSettings : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void init()
    {
        QFile::remove(SettingsStore::filePath());
        ResetSettingsToDefaults();
    }

    void freshInstallationReadsDefaults()
    {
        SET_Timeout = 1;
        SET_HidePreview = true;
        LoadSettings();
        QCOMPARE(SET_Timeout, 180000);
        QCOMPARE(SET_MaxGroupSelection, 20);
        QCOMPARE(SET_HourglassThreshold, 10);
        QVERIFY(SET_GroupVisibleSlots && SET_ResolvePosts && SET_DownloadThumbnails &&
                SET_CopyUploadedFileToBase && SET_AttoFormat && SET_HideTroublesomeStates);
        QVERIFY(!SET_AskBeforeApplyDescription && !SET_HidePreview && !SET_PaintMode);
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
    }

    void saveThenLoadKeepsEveryValueUnderItsKey()
    {
        SET_Timeout = 5000;
        SET_MaxGroupSelection = 2;
        SET_PaintMode = true;
        SET_ResolvePosts = false;
        QVERIFY(SaveSettings());
        ResetSettingsToDefaults();
        LoadSettings();
        QCOMPARE(SET_Timeout, 5000);
        QCOMPARE(SET_MaxGroupSelection, 2);
        QVERIFY(SET_PaintMode);
        QVERIFY(!SET_ResolvePosts);

        IniFile ini;
        QVERIFY(ini.load(SettingsStore::filePath()));
        QCOMPARE(ini.value(QString(), QStringLiteral("Timeout")), QStringLiteral("5000"));
        QCOMPARE(ini.value(QStringLiteral("security"), QStringLiteral("paint mode")), QStringLiteral("True"));
        QCOMPARE(ini.value(QStringLiteral("Uploading"), QStringLiteral("Ask Before Apply RuviaDescription File")),
                 QStringLiteral("False"));
    }

    void handEditedValuesAreTakenAsTheyAre()
    {
        IniFile ini;
        ini.setText(QStringLiteral("Timeout = 0\r\n[Pictures List]\r\nmax group selection=1\r\n"
                                   "[Security]\r\nHide Preview= yes \r\n"));
        QVERIFY(ini.save(SettingsStore::filePath()));
        LoadSettings();
        QCOMPARE(SET_Timeout, 0);
        QCOMPARE(SET_MaxGroupSelection, 1);
        QVERIFY(!SET_HidePreview);
    }

    void storeIsOwnerOnlyAndKeepsAnyText()
    {
        const QString groups = QStringLiteral(" Main | main.tumblr.com\r\nSide \"x\" | side.tumblr.com ");
        QVERIFY(SettingsStore::writeText(QString(), QStringLiteral("Groups"), groups));
        QVERIFY(SettingsStore::writeText(QString(), QStringLiteral("Password"), QStringLiteral("9D00")));
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("Groups")), groups);
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("missing"), QStringLiteral("def")),
                 QStringLiteral("def"));
        const auto perms = QFileInfo(SettingsStore::filePath()).permissions();
        QVERIFY(perms.testFlags(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
    }

    void windowPlacementRoundTrip()
    {
        WindowPlacement p{QRect(10, 20, 300, 200), true};
        QVERIFY(SettingsStore::SaveWindowPlacement(QString(), QStringLiteral("Window placement"), p));
        WindowPlacement back;
        QVERIFY(SettingsStore::LoadWindowPlacement(QString(), QStringLiteral("Window placement"), back));
        QCOMPARE(back.rect, p.rect);
        QVERIFY(back.maximized);
        QVERIFY(SettingsStore::writeText(QString(), QStringLiteral("Window placement"), QStringLiteral("junk")));
        QVERIFY(!SettingsStore::LoadWindowPlacement(QString(), QStringLiteral("Window placement"), back));
    }

    void proxyRoundTrip()
    {
        ProxySettings p;
        p.enabled = true;
        p.host = QStringLiteral("127.0.0.1");
        p.port = 3128;
        p.userName = QStringLiteral("u");
        p.password = QStringLiteral(" p w ");
        QVERIFY(p.Save());
        ProxySettings back;
        back.Load();
        QVERIFY(back.isActive());
        QCOMPARE(back.host, p.host);
        QCOMPARE(back.port, 3128);
        QCOMPARE(back.password, p.password);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
