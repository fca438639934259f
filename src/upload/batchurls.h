#pragma once
// The batch from URLs without its window: the text the window keeps between
// uses, which lines count as URLs, and queueing them as link items.
#include <QString>
#include <QStringList>

namespace ruvia {

class IUploadQueue;

// <SET_DataPath>/Batch URLs Data.TXT
QString BatchUrlsFile();
// The stored text, "" when there is none. A file that exists but cannot be
// read is reported and gives "".
QString LoadBatchUrlsText();
// Reported when it fails.
bool SaveBatchUrlsText(const QString& text);

// True when the text holds anything but blanks and line breaks.
bool HasBatchUrls(const QString& text);

struct BatchUrlLines {
    // Trimmed, in order.
    QStringList valid;
    // The other non-blank lines, trimmed, each followed by CR LF.
    QString rejected;
};
// Splits text (lines separated by CR LF) into URLs and rejected lines.
BatchUrlLines SplitBatchUrls(const QString& text);

// Queues every URL line of text as a link item and writes the upload list
// once. The text left for the box: the rejected lines.
QString InsertBatchUrls(const QString& text, IUploadQueue& queue);
// The closing notice; rejected: some lines were left in the box.
QString BatchUrlsNotice(bool rejected);

} // namespace ruvia
