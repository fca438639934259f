#include "guitest.h"
#include "scriptedprompter.h"
#include "scriptedshell.h"
#include "testenv.h"

#include "gui/links/frmuserguide.h"
#include "links/linksrules.h"
#include "platform/textrules.h"

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>

using namespace ruvia;

Q_DECLARE_METATYPE(ruvia::GuideLink)

class TestUserGuide : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QPointer<frmUserGuide> m_guide;

    frmUserGuide* show(const QString& path)
    {
        m_guide = frmUserGuide::ShowGuide(path, nullptr);
        if (!QTest::qWaitForWindowExposed(m_guide))
            qWarning("guide not exposed");
        return m_guide;
    }

private Q_SLOTS:
    void cleanup()
    {
        if (m_guide)
            m_guide->close();
        QTRY_VERIFY(!m_guide);
    }

    void linkKinds_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<GuideLink>("kind");
        QTest::newRow("anchor") << "#paint-mode" << GuideLink::Inside;
        QTest::newRow("https") << "https://www.tumblr.com/oauth/apps" << GuideLink::Web;
        QTest::newRow("http upper case") << "HTTP://example.org/" << GuideLink::Web;
        QTest::newRow("mail") << "mailto:someone@example.org" << GuideLink::Web;
        QTest::newRow("relative file") << "screenshots/links.png" << GuideLink::Ignore;
        QTest::newRow("other file's anchor") << "README.md#install" << GuideLink::Ignore;
        QTest::newRow("local file") << "file:///etc/passwd" << GuideLink::Ignore;
        QTest::newRow("script") << "javascript:alert(1)" << GuideLink::Ignore;
    }
    void linkKinds()
    {
        QFETCH(QString, url);
        QFETCH(GuideLink, kind);
        QCOMPARE(ClassifyGuideLink(QUrl(url)), kind);
    }

    void headingAnchors_data()
    {
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("words") << "Paint mode" << "paint-mode";
        QTest::newRow("punctuation") << "Messages: what (and why)?" << "messages-what-and-why";
        QTest::newRow("hyphen and underscore") << "Add-post by_id" << "add-post-by_id";
        QTest::newRow("symbol between blanks") << "Settings → Service" << "settings--service";
        QTest::newRow("letters beyond ASCII") << "Über Größe" << "über-größe";
    }
    void headingAnchors()
    {
        QFETCH(QString, heading);
        QFETCH(QString, anchor);
        QCOMPARE(GuideHeadingAnchor(heading), anchor);
    }

    void missingGuideNamesWhereItLooked()
    {
        QTemporaryDir dir;
        const QStringList places = {dir.path() + QStringLiteral("/bin/user-guide.md"),
                                    dir.path() + QStringLiteral("/share/doc/ruvia/user-guide.md")};
        test::ScriptedShell desktop;
        test::ScriptedPrompter prompter;
        QStringList shown;
        auto record = [&](const QString& path) { shown.append(path); };
        OpenUserGuide(record, places);
        QVERIFY(shown.isEmpty());
        QVERIFY(desktop.opened.isEmpty());
        QCOMPARE(prompter.messages().size(), 1);
        for (const QString& place : places)
            QVERIFY2(prompter.last().text.contains(place), qPrintable(prompter.last().text));

        // The first place that has it wins.
        QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/share/doc/ruvia")));
        QFile file(places.at(1));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        prompter.clear();
        OpenUserGuide(record, places);
        QCOMPARE(shown, QStringList{places.at(1)});
        QVERIFY(prompter.messages().isEmpty());
    }

    void rendersTheGuideWithItsPictures()
    {
        const QString path = UserGuidePath();
        QVERIFY(!path.isEmpty());
        frmUserGuide* w = show(path);
        QCOMPARE(w->windowTitle(), MakeWindowTitle(QStringLiteral("User guide")));
        auto* text = test::child<QTextBrowser>(w, "txtGuide");
        QCOMPARE(text, w->browser());
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Ruvia user guide")));
        // Rendered, not shown as Markdown source.
        QVERIFY(!text->toPlainText().contains(QStringLiteral("# Ruvia")));
        QVERIFY(text->toHtml().contains(QStringLiteral("screenshots/links.png")));
        const QVariant image =
            text->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("screenshots/links.png")));
        QVERIFY(image.isValid());
        QVERIFY(!image.value<QImage>().isNull());
    }

    void everyContentsLinkFindsItsHeading()
    {
        const QString path = UserGuidePath();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString markdown = QString::fromUtf8(file.readAll());
        frmUserGuide* w = show(path);
        QStringList anchors;
        for (const auto& m : QRegularExpression(QStringLiteral("\\]\\(#([^)]+)\\)")).globalMatch(markdown))
            anchors.append(m.captured(1));
        QVERIFY(anchors.size() > 10);
        for (const QString& anchor : anchors)
            QVERIFY2(w->ScrollToAnchor(anchor), qPrintable(anchor));
        QVERIFY(!w->ScrollToAnchor(QStringLiteral("no-such-heading")));
    }

    void linksMoveInsideOrGoToTheBrowser()
    {
        test::ScriptedShell desktop;
        test::ScriptedPrompter prompter;
        frmUserGuide* w = show(UserGuidePath());
        QTextBrowser* text = w->browser();
        const QUrl source = text->source();
        QCOMPARE(text->verticalScrollBar()->value(), 0);

        Q_EMIT text->anchorClicked(QUrl(QStringLiteral("#paint-mode")));
        QVERIFY(text->verticalScrollBar()->value() > 0);
        QCOMPARE(text->textCursor().block().text(), QStringLiteral("Paint mode"));
        QVERIFY(desktop.opened.isEmpty());

        const QString web = QStringLiteral("https://www.tumblr.com/oauth/apps");
        QVERIFY(text->toHtml().contains(web));
        Q_EMIT text->anchorClicked(QUrl(web));
        QCOMPARE(desktop.opened, QStringList{web});

        Q_EMIT text->anchorClicked(QUrl(QStringLiteral("screenshots/links.png")));
        QCOMPARE(desktop.opened.size(), 1);
        QCOMPARE(text->source(), source);
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Ruvia user guide")));
        QVERIFY(prompter.messages().isEmpty());
    }

    void oneWindowAndEscapeCloses()
    {
        frmUserGuide* w = show(UserGuidePath());
        QCOMPARE(frmUserGuide::ShowGuide(UserGuidePath(), nullptr), w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->browser(), Qt::Key_Escape);
        QTRY_VERIFY(!m_guide);
        QVERIFY(!frmUserGuide::Instance());
    }
};

QTEST_MAIN(TestUserGuide)
#include "test_userguide.moc"
