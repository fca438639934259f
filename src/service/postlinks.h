#pragma once
// What a post lookup learns about one post: the picture in its six sizes and
// the post's two addresses. Produced by ParsePostReply, stored by the link base.
#include <QString>
#include <QStringList>

#include <array>

namespace ruvia {

struct PostLinks {
    enum Field {
        Picture1280 = 0,
        Picture500,
        Picture400,
        Picture250,
        Picture100,
        Picture75,
        PostURL,
        PostURLSlug,
        FieldCount
    };

    // In Field order; a field the reply lacked is empty.
    std::array<QString, FieldCount> fields;

    QString& operator[](int i) { return fields[size_t(i)]; }
    const QString& operator[](int i) const { return fields[size_t(i)]; }

    // The six sizes of the picture URL fields, in Field order.
    static QStringList Sizes()
    {
        return {QStringLiteral("1280"), QStringLiteral("500"), QStringLiteral("400"),
                QStringLiteral("250"), QStringLiteral("100"), QStringLiteral("75")};
    }
    // The picture field of a size ("1280" ... "75"), or -1.
    static int FieldOfSize(const QString& size) { return int(Sizes().indexOf(size)); }

    bool operator==(const PostLinks&) const = default;
};

} // namespace ruvia
