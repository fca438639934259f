#include "service/secretstore.h"

#include "platform/fileio.h"
#include "platform/log.h"
#include "platform/settingsstore.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <functional>

namespace ruvia {

namespace {

const QString kKeychainService = QStringLiteral("Ruvia");
// A secret store that has not answered by then is taken as absent. Long
// enough for the user to unlock a locked keyring when the desktop asks; the
// wait keeps the windows alive.
constexpr int kKeychainWaitMs = 30000;

std::shared_ptr<SecretStore> g_store;

// Runs a keychain job to its end or to the wait limit. The job deletes
// itself, so one that outlives the wait is not freed under its feet.
bool runJob(QKeychain::Job* job, QKeychain::Error* code, QString* text,
            const std::function<void(QKeychain::Job*)>& onFinished = {})
{
    job->setAutoDelete(true);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* j) {
        finished = true;
        if (onFinished)
            onFinished(j);
        *code = j->error();
        *text = j->errorString();
        loop.quit();
    });
    QTimer::singleShot(kKeychainWaitMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec();
    if (!finished) {
        *code = QKeychain::OtherError;
        *text = QStringLiteral("The secret store did not answer.");
    }
    return *code == QKeychain::NoError;
}

} // namespace

FileSecretStore::FileSecretStore(const QString& path) : m_path(path) {}

QString FileSecretStore::DefaultPath()
{
    return QFileInfo(SettingsStore::filePath()).absolutePath() + QStringLiteral("/Ruvia.secrets");
}

QString FileSecretStore::Description() const
{
    return QStringLiteral("the file %1 (readable only by you)").arg(m_path);
}

SecretStore::Result FileSecretStore::Read(const QString& key, QByteArray& value, QString* error)
{
    value.clear();
    if (!QFileInfo::exists(m_path))
        return Missing;
    QByteArray bytes;
    if (!FileObject::readBytes(m_path, bytes, error))
        return Failed;
    const QJsonObject all = QJsonDocument::fromJson(bytes).object();
    if (!all.contains(key))
        return Missing;
    value = QByteArray::fromBase64(all.value(key).toString().toLatin1());
    return Found;
}

bool FileSecretStore::Write(const QString& key, const QByteArray& value, QString* error)
{
    QByteArray bytes;
    QJsonObject all;
    if (QFileInfo::exists(m_path)) {
        if (!FileObject::readBytes(m_path, bytes, error))
            return false;
        all = QJsonDocument::fromJson(bytes).object();
    }
    all.insert(key, QString::fromLatin1(value.toBase64()));
    WriteOptions options;
    options.permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    return FileObject::writeBytes(m_path, QJsonDocument(all).toJson(), error, options);
}

bool FileSecretStore::Remove(const QString& key, QString* error)
{
    if (!QFileInfo::exists(m_path))
        return true;
    QByteArray bytes;
    if (!FileObject::readBytes(m_path, bytes, error))
        return false;
    QJsonObject all = QJsonDocument::fromJson(bytes).object();
    if (!all.contains(key))
        return true;
    all.remove(key);
    WriteOptions options;
    options.permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    return FileObject::writeBytes(m_path, QJsonDocument(all).toJson(), error, options);
}

QString KeychainSecretStore::Description() const
{
    return QStringLiteral("the desktop's secret store");
}

SecretStore::Result KeychainSecretStore::Read(const QString& key, QByteArray& value, QString* error)
{
    value.clear();
    auto* job = new QKeychain::ReadPasswordJob(kKeychainService);
    job->setKey(key);
    QKeychain::Error code = QKeychain::NoError;
    QString text;
    QByteArray data;
    const bool read = runJob(job, &code, &text, [&data](QKeychain::Job* j) {
        data = static_cast<QKeychain::ReadPasswordJob*>(j)->binaryData();
    });
    if (read) {
        value = data;
        return Found;
    }
    if (code == QKeychain::EntryNotFound)
        return Missing;
    if (error)
        *error = text;
    return Failed;
}

bool KeychainSecretStore::Write(const QString& key, const QByteArray& value, QString* error)
{
    auto* job = new QKeychain::WritePasswordJob(kKeychainService);
    job->setKey(key);
    job->setBinaryData(value);
    QKeychain::Error code = QKeychain::NoError;
    QString text;
    if (runJob(job, &code, &text))
        return true;
    if (error)
        *error = text;
    return false;
}

bool KeychainSecretStore::Remove(const QString& key, QString* error)
{
    auto* job = new QKeychain::DeletePasswordJob(kKeychainService);
    job->setKey(key);
    QKeychain::Error code = QKeychain::NoError;
    QString text;
    if (runJob(job, &code, &text) || code == QKeychain::EntryNotFound)
        return true;
    if (error)
        *error = text;
    return false;
}

bool KeychainSecretStore::Available()
{
    static const bool available = [] {
        KeychainSecretStore store;
        QByteArray value;
        QString error;
        const Result r = store.Read(QStringLiteral("probe"), value, &error);
        if (r == Failed)
            tsLogWarning(QStringLiteral("Secrets() ==> the desktop's keyring does not answer "
                                        "(%1); the owner-only file beside the settings is "
                                        "used instead.")
                             .arg(error));
        return r != Failed;
    }();
    return available;
}

SecretStore& Secrets()
{
    if (!g_store) {
        if (KeychainSecretStore::Available())
            g_store = std::make_shared<KeychainSecretStore>();
        else
            g_store = std::make_shared<FileSecretStore>();
    }
    return *g_store;
}

void SetSecretStore(std::shared_ptr<SecretStore> store) { g_store = std::move(store); }

} // namespace ruvia
