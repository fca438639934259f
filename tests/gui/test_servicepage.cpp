// The settings dialog's Service page: the application's key and secret, the
// redirect address and signing out, against the stand-in's v2 routes on
// loopback and a secret file in the test's profile.
#include "guitest.h"
#include "scriptedprompter.h"
#include "scriptedshell.h"
#include "standin.h"
#include "testenv.h"
#include "v2fixture.h"

#include "core/settings.h"
#include "gui/frmsettings.h"
#include "platform/fileio.h"
#include "platform/settingsstore.h"
#include "service/secretstore.h"
#include "service/serviceconfig.h"
#include "service/v2account.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace ruvia;
using ruvia::test::child;

namespace {

// The profile's secret file, counting what reaches it.
class CountingStore : public SecretStore {
public:
    explicit CountingStore(const QString& path) : m_file(path) {}
    Result Read(const QString& key, QByteArray& value, QString* error) override
    {
        ++reads;
        return m_file.Read(key, value, error);
    }
    bool Write(const QString& key, const QByteArray& value, QString* error) override
    {
        ++changes;
        return m_file.Write(key, value, error);
    }
    bool Remove(const QString& key, QString* error) override
    {
        ++changes;
        return m_file.Remove(key, error);
    }
    QString Description() const override { return m_file.Description(); }
    const QString& path() const { return m_file.Path(); }

    int reads = 0;
    int changes = 0;

private:
    FileSecretStore m_file;
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestServicePage : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    std::shared_ptr<CountingStore> secrets;

    void saveService(const QString& key, const QString& secret,
                     const QString& redirect = QString::fromUtf16(kDefaultRedirectAddress))
    {
        ServiceConfig config;
        config.clientId = key;
        config.redirectAddress = redirect;
        QVERIFY(config.Save());
        QVERIFY(V2Account::SaveClientSecret(key, secret));
    }

    // The dialog, shown on the Service page.
    static QWidget* openService(frmSettings& dialog)
    {
        dialog.show();
        auto* page = child<QWidget>(&dialog, "pageService");
        child<QTabWidget>(&dialog, "vsiMain")->setCurrentWidget(page);
        return page;
    }
    static QLineEdit* edit(QWidget* dialog, const char* name) { return child<QLineEdit>(dialog, name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start(test::v2StandInArgs()), qPrintable(standin.errorOutput()));
    }

    void init()
    {
        QFile::remove(SettingsStore::filePath());
        QFile::remove(profile.configHome() + QStringLiteral("/Ruvia.secrets"));
        secrets = std::make_shared<CountingStore>(profile.configHome() + QStringLiteral("/Ruvia.secrets"));
        SetSecretStore(secrets);
        ResetSettingsToDefaults();
        SaveSettings();
    }

    void cleanupTestCase() { SetSecretStore(nullptr); }

    void valuesLoadOnlyOnceThePageIsOpened()
    {
        saveService(QStringLiteral("key-1"), QStringLiteral("secret-1"),
                    QStringLiteral("http://127.0.0.1:5000/back"));
        secrets->reads = secrets->changes = 0;
        frmSettings dialog;
        dialog.show();
        QCOMPARE(secrets->reads, 0);
        QCOMPARE(edit(&dialog, "txtConsumerKey")->text(), QString());

        openService(dialog);
        QVERIFY(secrets->reads > 0);
        QCOMPARE(edit(&dialog, "txtConsumerKey")->text(), QStringLiteral("key-1"));
        QCOMPARE(edit(&dialog, "txtConsumerSecret")->text(), QStringLiteral("secret-1"));
        QCOMPARE(edit(&dialog, "txtConsumerSecret")->echoMode(), QLineEdit::Password);
        QCOMPARE(edit(&dialog, "txtRedirectAddress")->text(), QStringLiteral("http://127.0.0.1:5000/back"));
        QCOMPARE(child<QLabel>(&dialog, "lblTokenStore")->text(),
                 QStringLiteral("Sign-in and secret are kept in ") + secrets->Description() + u'.');
        QVERIFY(child<QLabel>(&dialog, "lblTokenStore")->text().contains(secrets->path()));
        QVERIFY(!child<QPushButton>(&dialog, "cmdSignOut")->isEnabled());
    }

    void okWithoutOpeningThePageLeavesTheServiceAlone()
    {
        frmSettings dialog;
        dialog.show();
        edit(&dialog, "txtTimeout")->setText(QStringLiteral("4321"));
        child<QPushButton>(&dialog, "cmdOk")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(secrets->reads + secrets->changes, 0);
        QVERIFY(!QFile::exists(secrets->path()));
        QVERIFY(!fileBytes(SettingsStore::filePath()).contains("[Service]"));
    }

    void okSavesKeyAndRedirectToSettingsAndSecretToStore()
    {
        test::ScriptedPrompter prompter;
        const QString secret = QStringLiteral("Zq8-secret-never-in-ini");
        frmSettings dialog;
        openService(dialog);
        edit(&dialog, "txtConsumerKey")->setText(QStringLiteral("  fresh-key \t"));
        edit(&dialog, "txtConsumerSecret")->setText(secret);
        edit(&dialog, "txtRedirectAddress")->setText(QStringLiteral("http://localhost:5555/back"));
        edit(&dialog, "txtTimeout")->setText(QStringLiteral("4321"));
        child<QPushButton>(&dialog, "cmdOk")->click();
        QVERIFY2(prompter.messages().isEmpty(), qPrintable(prompter.texts().join(u'\n')));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const ServiceConfig saved = ServiceConfig::Load();
        QCOMPARE(saved.clientId, QStringLiteral("fresh-key"));
        QCOMPARE(saved.redirectAddress, QStringLiteral("http://localhost:5555/back"));
        QCOMPARE(saved.apiAddress, QString::fromUtf16(kDefaultApiAddress));
        LoadSettings();
        QCOMPARE(SET_Timeout, 4321);
        QByteArray kept;
        QCOMPARE(FileSecretStore(secrets->path()).Read(QStringLiteral("client-secret fresh-key"), kept),
                 SecretStore::Found);
        QCOMPARE(kept, secret.toUtf8());
        const QByteArray ini = fileBytes(SettingsStore::filePath());
        QVERIFY(ini.contains("fresh-key"));
        QVERIFY(!ini.contains(secret.toUtf8()));
        QVERIFY(!ini.contains(secret.toUtf8().toBase64()));
    }

    void secretIsWrittenOnlyWhenChanged_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("secret");
        QTest::addColumn<int>("changes");
        QTest::addColumn<QString>("keptForKey");
        QTest::newRow("unchanged") << "key-1" << "secret-1" << 0 << "secret-1";
        QTest::newRow("key padded, secret padded") << " key-1 " << " secret-1 " << 0 << "secret-1";
        QTest::newRow("secret changed") << "key-1" << "secret-2" << 1 << "secret-2";
        QTest::newRow("secret cleared") << "key-1" << "" << 1 << "";
        QTest::newRow("other key takes the secret") << "key-2" << "secret-1" << 1 << "secret-1";
    }
    void secretIsWrittenOnlyWhenChanged()
    {
        QFETCH(QString, key);
        QFETCH(QString, secret);
        QFETCH(int, changes);
        QFETCH(QString, keptForKey);
        test::ScriptedPrompter prompter;
        saveService(QStringLiteral("key-1"), QStringLiteral("secret-1"));
        secrets->changes = 0;
        frmSettings dialog;
        openService(dialog);
        edit(&dialog, "txtConsumerKey")->setText(key);
        edit(&dialog, "txtConsumerSecret")->setText(secret);
        child<QPushButton>(&dialog, "cmdOk")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(secrets->changes, changes);
        QCOMPARE(V2Account::ClientSecret(key.trimmed()), keptForKey);
        // A secret kept for another key is not lost by switching keys.
        if (key.trimmed() != u"key-1")
            QCOMPARE(V2Account::ClientSecret(QStringLiteral("key-1")), QStringLiteral("secret-1"));
    }

    void cancelSavesNothing()
    {
        saveService(QStringLiteral("key-1"), QStringLiteral("secret-1"));
        const QByteArray ini = fileBytes(SettingsStore::filePath());
        const QByteArray stored = fileBytes(secrets->path());
        secrets->changes = 0;
        frmSettings dialog;
        openService(dialog);
        edit(&dialog, "txtConsumerKey")->setText(QStringLiteral("key-2"));
        edit(&dialog, "txtConsumerSecret")->setText(QStringLiteral("secret-2"));
        edit(&dialog, "txtRedirectAddress")->setText(QStringLiteral("http://localhost:1234/other"));
        child<QPushButton>(&dialog, "cmdCancel")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(secrets->changes, 0);
        QCOMPARE(fileBytes(SettingsStore::filePath()), ini);
        QCOMPARE(fileBytes(secrets->path()), stored);
    }

    void applyRefusesBadValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("secret");
        QTest::addColumn<QString>("redirect");
        QTest::addColumn<QString>("refusedField");
        const QString redirectText = QStringLiteral(
            "The redirect address must be an http address on this computer with a port, such as "
            "http://localhost:47615/redirect.");
        QTest::newRow("default") << "k" << "s" << "http://localhost:47615/redirect" << "";
        QTest::newRow("127.0.0.1, padded") << "k" << "s" << "  http://127.0.0.1:8080/cb " << "";
        QTest::newRow("no key, no secret") << "" << "" << "http://localhost:47615/redirect" << "";
        QTest::newRow("https") << "k" << "s" << "https://localhost:47615/redirect" << "txtRedirectAddress";
        QTest::newRow("no port") << "k" << "s" << "http://localhost/redirect" << "txtRedirectAddress";
        QTest::newRow("port 0") << "k" << "s" << "http://localhost:0/redirect" << "txtRedirectAddress";
        QTest::newRow("other host") << "k" << "s" << "http://example.com:47615/redirect" << "txtRedirectAddress";
        QTest::newRow("no path") << "k" << "s" << "http://localhost:47615" << "txtRedirectAddress";
        QTest::newRow("fragment") << "k" << "s" << "http://localhost:47615/r#x" << "txtRedirectAddress";
        QTest::newRow("empty") << "k" << "s" << "" << "txtRedirectAddress";
        QTest::newRow("secret without key") << " " << "s" << "http://localhost:47615/redirect" << "txtConsumerKey";
    }
    void applyRefusesBadValues()
    {
        QFETCH(QString, key);
        QFETCH(QString, secret);
        QFETCH(QString, redirect);
        QFETCH(QString, refusedField);
        test::ScriptedPrompter prompter;
        frmSettings dialog;
        QWidget* page = openService(dialog);
        auto* tabs = child<QTabWidget>(&dialog, "vsiMain");
        edit(&dialog, "txtConsumerKey")->setText(key);
        edit(&dialog, "txtConsumerSecret")->setText(secret);
        edit(&dialog, "txtRedirectAddress")->setText(redirect);
        edit(&dialog, "txtTimeout")->setText(QStringLiteral("4321"));
        // Refused from another page, the dialog turns to this one.
        tabs->setCurrentIndex(0);
        child<QPushButton>(&dialog, "cmdOk")->click();
        LoadSettings();
        if (refusedField.isEmpty()) {
            QVERIFY2(prompter.messages().isEmpty(), qPrintable(prompter.texts().join(u'\n')));
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(ServiceConfig::Load().redirectAddress, redirect.trimmed());
            QCOMPARE(SET_Timeout, 4321);
            return;
        }
        QCOMPARE(prompter.messages().size(), 1);
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QVERIFY(dialog.isVisible());
        QCOMPARE(tabs->currentWidget(), page);
        QCOMPARE(dialog.focusWidget(), edit(&dialog, qPrintable(refusedField)));
        QVERIFY(!fileBytes(SettingsStore::filePath()).contains("[Service]"));
        QVERIFY(!QFile::exists(secrets->path()));
        QVERIFY(SET_Timeout != 4321);
    }

    void copyPutsTheRedirectAddressOnTheClipboard()
    {
        test::ScriptedShell shell;
        frmSettings dialog;
        openService(dialog);
        child<QPushButton>(&dialog, "cmdCopyRedirect")->click();
        QCOMPARE(shell.clipboard, QString::fromUtf16(kDefaultRedirectAddress));
        edit(&dialog, "txtRedirectAddress")->setText(QStringLiteral("http://127.0.0.1:9/x "));
        child<QPushButton>(&dialog, "cmdCopyRedirect")->click();
        QCOMPARE(shell.clipboard, QStringLiteral("http://127.0.0.1:9/x"));
        QCOMPARE(shell.clipboardWrites, 2);
    }

    void signOutForgetsTheSignIn()
    {
        test::ScriptedPrompter prompter;
        ServiceConfig config = test::v2Config(standin);
        QVERIFY(config.Save());
        QVERIFY(V2Account::SaveClientSecret(config.clientId, test::kV2Secret));
        {
            test::BrowserShell browser;
            QVERIFY(V2Account(config).SignIn(nullptr, nullptr, 20000));
        }
        QVERIFY2(prompter.messages().isEmpty(), qPrintable(prompter.texts().join(u'\n')));

        frmSettings dialog;
        openService(dialog);
        auto* signOut = child<QPushButton>(&dialog, "cmdSignOut");
        QVERIFY(signOut->isEnabled());
        QCOMPARE(child<QLabel>(&dialog, "lblSignInState")->text(),
                 QStringLiteral("Signed in to Tumblr as mainblog."));

        // Another key has no sign-in of its own.
        auto* key = edit(&dialog, "txtConsumerKey");
        key->setText(QStringLiteral("other-key"));
        Q_EMIT key->editingFinished();
        QVERIFY(!signOut->isEnabled());
        key->setText(config.clientId);
        Q_EMIT key->editingFinished();
        QVERIFY(signOut->isEnabled());

        // The page's values are applied first, so a bad one stops it.
        auto* redirect = edit(&dialog, "txtRedirectAddress");
        redirect->setText(QStringLiteral("http://example.com/redirect"));
        signOut->click();
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QVERIFY(V2Account(config).LoadStoredSignIn());

        prompter.clear();
        redirect->setText(QStringLiteral("http://localhost:4000/again"));
        signOut->click();
        QCOMPARE(prompter.texts(),
                 QStringList{QStringLiteral("Ruvia is signed out of Tumblr. Sign in again from the login window.")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        QVERIFY(!V2Account(config).LoadStoredSignIn());
        QVERIFY(!V2Account(ServiceConfig::Load()).LoadStoredSignIn());
        QCOMPARE(ServiceConfig::Load().redirectAddress, QStringLiteral("http://localhost:4000/again"));
        QCOMPARE(ServiceConfig::Load().apiAddress, config.apiAddress);
        QVERIFY(!signOut->isEnabled());
        QCOMPARE(child<QLabel>(&dialog, "lblSignInState")->text(), QStringLiteral("Not signed in."));
        // The application's secret stays: only the sign-in is forgotten.
        QCOMPARE(V2Account::ClientSecret(config.clientId), test::kV2Secret);
    }
};

QTEST_MAIN(TestServicePage)
#include "test_servicepage.moc"
