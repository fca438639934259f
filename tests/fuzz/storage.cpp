// What the program reads from its own files: the link base, the upload
// queue, histories, INI files and their escaped values, the stored password.
#include "fuzzsupport.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/textrules.h"
#include "support/history.h"
#include "upload/uploadlist.h"

#include <QFile>

using namespace ruvia;

namespace {
void writeScratch(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fuzz::fault("scratch file not written", __FILE__, __LINE__);
}
} // namespace

// Open, list, look up, resolve, reset, save, and open the saved file again:
// the same posts come back.
RUVIA_FUZZ_TARGET(link_base)
{
    fuzz::setUp();
    SET_DataPath = fuzz::scratchFolder();
    SET_GroupName = QStringLiteral("fuzz.example.com");
    const QString path = SET_DataPath + QStringLiteral("/Links.XML");
    // What the last input's saves left would be replayed into this one.
    QFile::remove(SET_DataPath + QStringLiteral("/Links.Journal"));
    QFile::remove(SET_DataPath + QStringLiteral("/Links.Folded.XML"));
    writeScratch(path, fuzzBytes(data, size));
    if (!OpenLinksBase())
        return 0;
    const QStringList before = GetLinksList();
    const int count = GetLinksCount();
    FUZZ_CHECK(before.size() <= count);
    int n = 0;
    for (const QString& entry : before) {
        if (++n > 16)
            break;
        const QString id = entry.section(QStringLiteral(" :: "), 0, 0);
        GetOriginalFileName(id);
        GetThumbnailURL(id);
        GetPictureURL(id);
        GetPostURL(id);
        IsLinkResolved(id);
        const QString picture = GetPictureFileName(id);
        FUZZ_CHECK(picture.isEmpty() || IsFileSafePostID(id));
        GetThumbnailFileName(id);
        PostLinks links;
        for (int i = 0; i < PostLinks::FieldCount; ++i)
            links[i] = QStringLiteral("http://1.media.example.org/%1_%2.jpg").arg(id).arg(i);
        if (n % 3 == 0) {
            FUZZ_CHECK(ResetLink(id));
            FUZZ_CHECK(!IsLinkResolved(id));
        } else {
            FUZZ_CHECK(ResolveLink(id, links));
            FUZZ_CHECK(IsLinkResolved(id));
        }
    }
    AddLink(QStringLiteral("123"), QStringLiteral("added.jpg"), QStringLiteral("me"));
    FUZZ_CHECK(SaveLinksBase());
    const QStringList saved = GetLinksList();
    FUZZ_CHECK(OpenLinksBase());
    FUZZ_CHECK(GetLinksList() == saved);
    FUZZ_CHECK(GetLinksCount() == count + 1);
    return 0;
}

// Load, save and load again: the same rows come back.
RUVIA_FUZZ_TARGET(uploads)
{
    fuzz::setUp();
    SET_DataPath = fuzz::scratchFolder();
    SET_UploadsPath = SET_DataPath + QStringLiteral("/Uploads");
    SET_GroupName = QStringLiteral("fuzz.example.com");
    writeScratch(UploadList::UploadsFile(), fuzzBytes(data, size));
    UploadList list;
    list.LoadListedUploads();
    FUZZ_CHECK(list.CheckedCount() <= list.count());
    FUZZ_CHECK(list.SaveListedUploads());
    UploadList again;
    again.LoadListedUploads();
    FUZZ_CHECK(again.items() == list.items());
    return 0;
}

RUVIA_FUZZ_TARGET(history)
{
    fuzz::setUp();
    CHistory history;
    history.InitFileName(fuzz::scratchFolder(), QStringLiteral("History.DAT"));
    writeScratch(history.FileName(), fuzzBytes(data, size));
    history.LoadHistory();
    const QStringList entries = history.Entries();
    for (const QString& e : entries)
        FUZZ_CHECK(!e.isEmpty());
    history.SaveHistory();
    CHistory again;
    again.InitFileName(fuzz::scratchFolder(), QStringLiteral("History.DAT"));
    again.LoadHistory();
    FUZZ_CHECK(again.Entries() == entries);
    return 0;
}

// Reading, writing back and reading again change nothing; a value set is the
// value read.
RUVIA_FUZZ_TARGET(ini)
{
    fuzz::setUp();
    IniFile ini;
    ini.setText(QString::fromUtf8(fuzzBytes(data, size)));
    const QString text = ini.text();
    IniFile again;
    again.setText(text);
    FUZZ_CHECK(again.text() == text);
    int n = 0;
    for (const QString& section : ini.sections())
        for (const QString& key : ini.keys(section)) {
            if (++n > 64)
                break;
            FUZZ_CHECK(ini.contains(section, key));
            const QString value = ini.value(section, key);
            FUZZ_CHECK(again.value(section, key) == value);
        }
    ini.setValue(QStringLiteral("Fuzz"), QStringLiteral("Key"), QStringLiteral("value"));
    FUZZ_CHECK(ini.value(QStringLiteral("Fuzz"), QStringLiteral("Key")) == QStringLiteral("value"));
    return 0;
}

RUVIA_FUZZ_TARGET(unescape_ini)
{
    fuzz::setUp();
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    UnescapeINIText(text);
    FUZZ_CHECK(UnescapeINIText(EscapeINIText(text)) == text);
    return 0;
}

RUVIA_FUZZ_TARGET(decode_password)
{
    fuzz::setUp();
    const QString stored = QString::fromUtf8(fuzzBytes(data, size));
    const QString password = DecodePassword(stored);
    if (stored.size() % 4 != 0)
        FUZZ_CHECK(password.isEmpty());
    QString ascii;
    for (QChar c : stored)
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            ascii += c;
    FUZZ_CHECK(DecodePassword(EncodePassword(ascii)) == ascii);
    return 0;
}
