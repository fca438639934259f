// Figures of the link base on a generated base of 100,000 resolved links.
// Each figure is the median of several runs; one line per figure,
// "name: value unit".
#include "benchsupport.h"

#include "base/linkbase.h"
#include "base/templates.h"
#include "core/group.h"
#include "platform/log.h"
#include "platform/prompter.h"
#include "support/searchhost.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace ruvia;
using bench::medianMs;
using bench::print;

namespace {

constexpr int kLinks = 100000;

class TextList : public SearchList {
  public:
    explicit TextList(QStringList items) : m_items(std::move(items)) {}
    int count() const override { return int(m_items.size()); }
    bool isSelected(int) const override { return false; }
    void selectRange(int, int, bool) override {}
    QString itemText(int index) const override { return m_items.at(index); }
    int currentIndex() const override { return -1; }
    void setCurrentIndex(int) override {}

  private:
    QStringList m_items;
};

QString postId(int i)
{
    return QString::number(100000000000LL + qint64(i) * 7919);
}

void generate(int count = kLinks)
{
    for (int i = 0; i < count; ++i) {
        const QString id = postId(i);
        AddLink(id, QStringLiteral("IMG_%1.JPG").arg(i % 10000, 4, 10, QLatin1Char('0')),
                QStringLiteral("user@workstation"));
        PostLinks l;
        const QString key =
            QStringLiteral("tumblr_%1kq3x9Zb1qz5abco1").arg(i, 8, 36, QLatin1Char('0'));
        const QStringList sizes = PostLinks::Sizes();
        for (int s = 0; s < sizes.size(); ++s)
            l[s] = QStringLiteral("http://%1.media.example.com/%2_%3.jpg")
                       .arg(QString::number(i % 30 + 1), key, sizes.at(s));
        l[PostLinks::PostURL] = QStringLiteral("http://blog.example.com/post/") + id;
        l[PostLinks::PostURLSlug] =
            QStringLiteral("http://blog.example.com/post/%1/a-picture-of-the-day-%2")
                .arg(id)
                .arg(i);
        ResolveLink(id, l);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    setLogFilePath(dir.path() + QStringLiteral("/bench.log"));
    bench::FailingPrompter prompter;
    SET_DataPath = dir.path();
    SET_GroupName = QStringLiteral("blog.example.com");

    if (!OpenLinksBase())
        return 1;
    generate();
    if (!SaveLinksBase())
        return 1;
    const std::string path = LinksBasePath().toStdString();

    const double parse = medianMs(7, [&] {
        pugi::xml_document doc;
        if (!doc.load_file(path.c_str(), pugi::parse_default | pugi::parse_declaration))
            std::abort();
    });
    print("parse_only_ms", parse, "ms");
    const double open = medianMs(7, [] {
        if (!OpenLinksBase())
            std::abort();
    });
    print("open_ms", open, "ms");
    print("open_ratio", open / parse, "x");

    QStringList items;
    print("links_list_ms", medianMs(7, [&] { items = GetLinksList(); }), "ms");
    if (items.size() != kLinks)
        return 1;

    const QList<TemplateSlot> slots = [] {
        QList<TemplateSlot> t;
        for (int n = 0; n < kTemplateCount; ++n)
            t.append({true, GetDefaultTemplateTitle(n), GetDefaultTemplateBody(n)});
        return t;
    }();
    QStringList selected;
    for (int k = 0; k < 20; ++k)
        selected.append(postId(k * (kLinks / 20) + kLinks / 40));
    qsizetype filled = 0;
    print("slots_20x10_ms",
          medianMs(21,
                   [&] {
                       for (const TemplateSlot& slot : slots) {
                           QString text;
                           for (const QString& id : selected)
                               text += ExpandTemplate(id, slot.body);
                           filled += text.size();
                       }
                   }),
          "ms");
    if (filled == 0)
        return 1;

    // The whole base written, as when the group closes after a change.
    print("save_ms",
          medianMs(7,
                   [] {
                       SetNodeAttribute(LinksDocument().Root(), QStringLiteral("Group"), SET_GroupName);
                       if (!FoldLinksBase())
                           std::abort();
                   }),
          "ms");

    const struct {
        const char* name;
        SearchRequest request;
    } searches[] = {
        {"search_simple_ms", {QStringLiteral("holiday"), SearchSimple, false}},
        {"search_mask_ms", {QStringLiteral("*holiday*.gif"), SearchMasks, false}},
        {"search_regex_ms", {QStringLiteral("holiday\\d+\\.gif"), SearchRegExp, false}},
    };
    for (const auto& s : searches) {
        CSearchHost host([&] { return s.request; });
        TextList walk(items);
        bool found = false;
        print(s.name, medianMs(11, [&] { found = host.SearchText(walk, false) || found; }), "ms");
        if (found)
            return 1;
    }
    // One durable change (a post resolved again, then saved), in this base
    // and in one of 1,000 posts.
    auto saveChange = [](int links) {
        PostLinks l;
        for (int s = 0; s < PostLinks::FieldCount; ++s)
            l[s] = QStringLiteral("http://1.media.example.com/changed_%1.jpg").arg(s);
        // The mean, so the journal's periodic push to the disk is counted.
        constexpr int kChanges = 200;
        QElapsedTimer t;
        t.start();
        for (int n = 0; n < kChanges; ++n) {
            ResolveLink(postId((n * 7) % links), l);
            if (!SaveLinksBase())
                std::abort();
        }
        return double(t.nsecsElapsed()) / 1e6 / kChanges;
    };
    print("save_change_ms_100k", saveChange(kLinks), "ms");
    QTemporaryDir small;
    SET_DataPath = small.path();
    if (!OpenLinksBase())
        return 1;
    generate(1000);
    if (!SaveLinksBase())
        return 1;
    print("save_change_ms_1k", saveChange(1000), "ms");
    return prompter.failures == 0 ? 0 : 1;
}
