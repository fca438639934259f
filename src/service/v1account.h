#pragma once
// An account of the version 1 interface: e-mail and password, sent with
// every request. It speaks through the request frame, the lookup and the
// submission exactly as they are.
#include "service/account.h"

namespace ruvia {

class V1Account : public ServiceAccount {
public:
    V1Account(const QString& email, const QString& password)
        : m_email(email), m_password(password)
    {
    }

    AccountKind Kind() const override { return AccountKind::V1; }
    QString DisplayName() const override { return m_email; }
    const QString& Password() const { return m_password; }
    QList<int> PostStates() const override;
    bool SendsAltText() const override { return false; }
    QString PublishDateForm() const override;
    QString PublishDateExample() const override { return {}; }
    void SetCredentials(const QString& email, const QString& password)
    {
        if (m_email != email)
            m_email = email;
        if (m_password != password)
            m_password = password;
    }

    bool ListGroups(IHTTPRequestCallback* callback, QList<GroupEntry>& groups) override;
    bool WritePhotoPost(const QString& group, const PhotoPost& post,
                        IHTTPRequestCallback* callback, QString& postId,
                        bool* unconfirmed = nullptr) override;
    int ReadPostLinks(const QString& group, const QString& postId,
                      IHTTPRequestCallback* callback, PostLinks& links) override;
    int ListNewestPosts(const QString& group, const QString& state, QString& cursor,
                        const QString& failureText, IHTTPRequestCallback* callback,
                        QList<NewestPost>& posts) override;

private:
    QString m_email;
    QString m_password;
};

} // namespace ruvia
