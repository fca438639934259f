#pragma once
// What the batch windows need of the upload window: items added one at a
// time with the post properties it shows, and its list file written once
// at the end.
#include <QString>

namespace ruvia {

class IUploadQueue {
public:
    virtual ~IUploadQueue() = default;
    virtual bool PasteToList(const QString& text, bool treatAsFile, bool saveList) = 0;
    virtual bool SaveListedUploads() = 0;
};

} // namespace ruvia
