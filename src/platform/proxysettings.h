#pragma once
// The HTTP proxy every request goes through, kept in section "HTTP Proxy" of
// the global settings store.
#include <QString>

namespace ruvia {

class ProxySettings {
public:
    bool enabled = false;
    QString host;
    int port = 8080;
    QString userName;
    QString password;

    static inline const QString kSection = QStringLiteral("HTTP Proxy");
    void Load(const QString& section = kSection);
    bool Save(const QString& section = kSection) const;
    // In use: enabled with a host and a port in 1..65535.
    bool isActive() const { return enabled && !host.isEmpty() && port > 0 && port < 65536; }
};

} // namespace ruvia
