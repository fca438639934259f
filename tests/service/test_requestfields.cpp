#include "platform/requestfields.h"

#include <QRegularExpression>
#include <QTest>

using namespace ruvia;

class TestRequestFields : public QObject {
    Q_OBJECT

    static QByteArray boundaryOf(const RequestFields& f)
    {
        const QString header = f.GetContentHeader();
        const QString prefix = QStringLiteral("multipart/form-data; boundary=");
        if (!header.startsWith(prefix))
            return {};
        return header.mid(prefix.size()).toLatin1();
    }

    static QByteArray part(const QByteArray& b, const QByteArray& name, const QByteArray& value)
    {
        return "--" + b + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n"
            + value + "\r\n";
    }

private Q_SLOTS:
    void rendersFieldsInCallOrder()
    {
        RequestFields f;
        f.AddField(QStringLiteral("email"), "a@b.c");
        f.AddField(QStringLiteral("password"), "pw");
        f.AddField(QStringLiteral("tags"), "");
        f.AddField(QStringLiteral("email"), "second");
        const QByteArray b = boundaryOf(f);
        QVERIFY(b.size() >= 20);
        QVERIFY(QRegularExpression(QStringLiteral("^[-A-Za-z0-9]+$")).match(QString::fromLatin1(b)).hasMatch());
        QCOMPARE(f.GetContent(), part(b, "email", "a@b.c") + part(b, "password", "pw")
                     + part(b, "tags", "") + part(b, "email", "second") + "--" + b + "--\r\n");
        // Header and body agree however often they are asked for.
        QCOMPARE(boundaryOf(f), b);
    }

    void binaryValuesTravelByteForByte()
    {
        QByteArray binary;
        for (int i = 0; i < 256; ++i)
            binary.append(char(i));
        static const char tricky[] = "\r\n--\r\n\r\n\0\0--\0";
        binary += QByteArray(tricky, sizeof(tricky) - 1);
        RequestFields f;
        f.AddField(QStringLiteral("data"), binary);
        f.AddField(QStringLiteral("caption"), QStringLiteral("Caf\u00e9 \u2615").toUtf8());
        const QByteArray b = boundaryOf(f);
        const QByteArray body = f.GetContent();
        QCOMPARE(body, part(b, "data", binary) + part(b, "caption", "Caf\xc3\xa9 \xe2\x98\x95")
                     + "--" + b + "--\r\n");
        // The delimiter occurs only where it delimits.
        QCOMPARE(body.count("--" + b), 3);
    }

    void filePartCarriesNameAndType()
    {
        RequestFields f;
        f.AddField(QStringLiteral("data"), "PNG", QStringLiteral("a\"b.png"),
                   QStringLiteral("image/png"));
        const QByteArray b = boundaryOf(f);
        QCOMPARE(f.GetContent(),
                 "--" + b
                     + "\r\nContent-Disposition: form-data; name=\"data\"; filename=\"a%22b.png\"\r\n"
                       "Content-Type: image/png\r\n\r\nPNG\r\n--"
                     + b + "--\r\n");
    }

    void clearStartsAgain()
    {
        RequestFields f;
        f.AddField(QStringLiteral("a"), "1");
        f.Clear();
        QVERIFY(f.isEmpty());
        f.AddField(QStringLiteral("b"), "2");
        const QByteArray b = boundaryOf(f);
        QCOMPARE(f.GetContent(), part(b, "b", "2") + "--" + b + "--\r\n");
    }

    void emptyCollectionIsAClosedForm()
    {
        RequestFields f;
        const QByteArray b = boundaryOf(f);
        QCOMPARE(f.GetContent(), "--" + b + "--\r\n");
    }
};

QTEST_GUILESS_MAIN(TestRequestFields)
#include "test_requestfields.moc"
