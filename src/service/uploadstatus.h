#pragma once
// The upload window's status indicator as the service client sees it. The
// window registers itself while it is open; with none registered the calls
// do nothing.
namespace ruvia {

class IUploadStatusIndicator {
public:
    virtual ~IUploadStatusIndicator() = default;
    // 0 all well, 1 a problem was met and retried, 2 a step failed.
    virtual void SetStatusColor(int state) = 0;
};

// Not owned; nullptr when the upload window closes.
void SetUploadStatusIndicator(IUploadStatusIndicator* indicator);
IUploadStatusIndicator* UploadStatusIndicator();
void SetUploadStatusColor(int state);

} // namespace ruvia
