#pragma once
// The batch from a folder without its window: which files of a folder are
// listed, in what order, the window's caption, the folder it remembers, and
// queueing the chosen files into the upload list.
#include "platform/listselection.h"
#include "support/history.h"

#include <QString>
#include <QStringList>

namespace ruvia {

class IUploadQueue;

inline constexpr char16_t kPictureExtensions[] = u"|jpg|jpeg|jpe|jfif|gif|png|bmp|dib|rle|";

// True when the extension of name, in lower case, is one of kPictureExtensions.
bool IsPictureFileName(const QString& name);
// The names of the picture files directly in folder (hidden files and
// sub-folders left out), sorted by SortStringList; equal names but for their
// letter case come in code-point order. False, with error set, when the
// folder cannot be read.
bool ListPictureFiles(const QString& folder, QStringList& names, QString* error = nullptr);
// "Batch mode :: <count> :: <program title>".
QString BatchCaption(int count);

class CBatchFolder {
public:
    // The folder history of the group folder, loaded, and the folder to show
    // first: the stored one, else the documents folder (else home).
    QString Load();
    // Stores the current folder and saves the history.
    void Unload();

    // Makes the trimmed path the current folder and lists it; a folder that
    // is missing or cannot be read is reported and lists nothing. False
    // (nothing done) when the path is blank.
    bool SetCurrentPath(const QString& path);
    const QString& CurrentPath() const { return m_path; }
    const QStringList& Files() const { return m_files; }
    CHistory& History() { return m_history; }

    // Queues the selected entries of list (the window's list of Files()),
    // first to last, clearing each one's selection as it goes; adds the
    // current folder to the history, writes the upload list once and tells
    // the user. The number of entries handed to the queue.
    int CreateItems(ListSelection& list, IUploadQueue& queue);

private:
    QString m_path;
    QStringList m_files;
    CHistory m_history;
};

} // namespace ruvia
