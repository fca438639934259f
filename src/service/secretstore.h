#pragma once
// Where tokens and the application's secret are kept: the desktop's secret
// store (through QtKeychain) when one answers, else a file readable only by
// the user beside the global settings. Never the settings file, never a log.
#include <QByteArray>
#include <QString>

#include <memory>

namespace ruvia {

class SecretStore {
public:
    enum Result { Found, Missing, Failed };

    virtual ~SecretStore() = default;
    virtual Result Read(const QString& key, QByteArray& value, QString* error = nullptr) = 0;
    // One key's value is replaced whole or not at all.
    virtual bool Write(const QString& key, const QByteArray& value, QString* error = nullptr) = 0;
    virtual bool Remove(const QString& key, QString* error = nullptr) = 0;
    // Where the secrets are, for the user: "the desktop's secret store" or
    // the file's path.
    virtual QString Description() const = 0;
};

// A file of its own, written atomically and owner-only.
class FileSecretStore : public SecretStore {
public:
    explicit FileSecretStore(const QString& path = DefaultPath());
    static QString DefaultPath();

    Result Read(const QString& key, QByteArray& value, QString* error = nullptr) override;
    bool Write(const QString& key, const QByteArray& value, QString* error = nullptr) override;
    bool Remove(const QString& key, QString* error = nullptr) override;
    QString Description() const override;
    const QString& Path() const { return m_path; }

private:
    QString m_path;
};

// The desktop's secret store; fails when none answers.
class KeychainSecretStore : public SecretStore {
public:
    Result Read(const QString& key, QByteArray& value, QString* error = nullptr) override;
    bool Write(const QString& key, const QByteArray& value, QString* error = nullptr) override;
    bool Remove(const QString& key, QString* error = nullptr) override;
    QString Description() const override;
    // Whether a secret store answers on this desktop (asked once).
    static bool Available();
};

// The store in use: the desktop's when it answers, else the file. Tests
// install one of their own.
SecretStore& Secrets();
void SetSecretStore(std::shared_ptr<SecretStore> store);

} // namespace ruvia
