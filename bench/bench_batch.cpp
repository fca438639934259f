// Figures of the batch from a folder, offscreen: a folder of 5,000 files
// (4,000 pictures in mixed letter case, 1,000 others) listed by the window
// (enumerating, filtering, sorting, filling the list and selecting every
// entry, then painting it), and the listing without the window. Medians of
// seven runs, one line per figure, "name: value unit".
#include "benchsupport.h"
#include "testenv.h"

#include "core/group.h"
#include "core/settings.h"
#include "gui/upload/frmbatch.h"
#include "platform/fileio.h"
#include "upload/batchfolder.h"
#include "upload/uploadqueue.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QRandomGenerator>

#include <cstdio>

using namespace ruvia;
using bench::medianMs;
using bench::print;

namespace {

constexpr int kFiles = 5000;
constexpr int kRuns = 7;

class NoQueue : public IUploadQueue {
  public:
    bool PasteToList(const QString&, bool, bool) override { return true; }
    bool SaveListedUploads() override { return true; }
};

bool makeFolder(const QString& folder)
{
    const char* pictures[] = {"jpg", "JPG", "Png", "jpeg", "gif", "bmp", "JFIF", "png"};
    const char* others[] = {"txt", "jp", "tiff", "RuviaDescription"};
    QRandomGenerator random(11);
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < kFiles; ++i) {
        const bool picture = i % 5 != 0;
        const QString name = QStringLiteral("%1 Holiday %2.%3")
                                 .arg(random.bounded(100000))
                                 .arg(i)
                                 .arg(QString::fromLatin1(picture ? pictures[i % 8] : others[i % 4]));
        if (!FileObject::writeBytes(folder + u'/' + name, "x"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::TempProfile profile;
    bench::FailingPrompter prompter;
    ResetSettingsToDefaults();
    SET_GroupName = QStringLiteral("benchblog.tumblr.com");
    SET_DataPath = profile.root() + QStringLiteral("/group");
    SET_UploadsPath = SET_DataPath + QStringLiteral("/Uploads");
    const QString folder = profile.root() + QStringLiteral("/pictures");
    if (!QDir().mkpath(SET_DataPath) || !makeFolder(folder)) {
        std::fprintf(stderr, "cannot make the folders under %s\n", qPrintable(profile.root()));
        return 1;
    }

    QStringList names;
    print("list_5000_files_only_ms", medianMs(kRuns, [&] { ListPictureFiles(folder, names); }), "ms");

    NoQueue queue;
    frmBatch window(nullptr, queue);
    window.show();
    auto* list = window.findChild<QListWidget*>(QStringLiteral("lstFiles"));
    const double ms = medianMs(kRuns, [&] {
        window.SetCurrentPath(folder);
        QApplication::processEvents();
    });
    if (list->count() != 4000 || list->selectedItems().size() != 4000 || prompter.failures) {
        std::fprintf(stderr, "listed %d, selected %d\n", list->count(), int(list->selectedItems().size()));
        return 1;
    }
    print("list_5000_ms", ms, "ms");
    return 0;
}
