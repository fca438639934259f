#pragma once
// Where today's service is and which application signs in to it: section
// "Service" of the global settings. The addresses are settings so that the
// tests and the demo can point at the stand-in on loopback.
#include <QString>

namespace ruvia {

inline constexpr char16_t kServiceSection[] = u"Service";
inline constexpr char16_t kDefaultApiAddress[] = u"https://api.tumblr.com";
inline constexpr char16_t kDefaultSignInAddress[] = u"https://www.tumblr.com";
// The loopback port the browser's answer comes back to; it is part of the
// redirect address registered with the application, so it never changes.
inline constexpr int kRedirectPort = 47615;
inline constexpr char16_t kDefaultRedirectAddress[] = u"http://localhost:47615/redirect";
inline constexpr char16_t kSignInScope[] = u"basic write offline_access";

struct ServiceConfig {
    QString apiAddress = QString::fromUtf16(kDefaultApiAddress);
    QString signInAddress = QString::fromUtf16(kDefaultSignInAddress);
    // The application's consumer key (OAuth client id); its secret is kept
    // in the secret store, never here.
    QString clientId;
    QString redirectAddress = QString::fromUtf16(kDefaultRedirectAddress);

    static ServiceConfig Load();
    bool Save() const;

    QString TokenAddress() const;
    QString AuthorizeAddress() const;
};

// A token or a secret may go only where nobody on the way can read it: an
// https address, or a plain one on this machine (loopback). False, with a
// reason for the user, for anything else.
bool IsSafeServiceAddress(const QString& address, QString* reason = nullptr);
// An http address on this computer (localhost or 127.0.0.1) with a port
// and a path: what the browser's answer can come back to.
bool IsValidRedirectAddress(const QString& address);
// An address of this machine: localhost, 127.0.0.0/8 or [::1].
bool IsLoopbackHost(const QString& host);

} // namespace ruvia
