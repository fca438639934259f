#include "service/uploadstatus.h"

namespace ruvia {

namespace {
IUploadStatusIndicator* g_indicator = nullptr;
} // namespace

void SetUploadStatusIndicator(IUploadStatusIndicator* indicator) { g_indicator = indicator; }
IUploadStatusIndicator* UploadStatusIndicator() { return g_indicator; }

void SetUploadStatusColor(int state)
{
    if (g_indicator)
        g_indicator->SetStatusColor(state);
}

} // namespace ruvia
