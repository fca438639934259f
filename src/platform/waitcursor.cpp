#include "platform/waitcursor.h"

namespace ruvia {

namespace {
std::function<void(bool)>& handler()
{
    static std::function<void(bool)> h;
    return h;
}
} // namespace

void setWaitCursorHandler(std::function<void(bool)> h)
{
    handler() = std::move(h);
}

WaitCursor::WaitCursor()
{
    if (handler())
        handler()(true);
}

WaitCursor::~WaitCursor()
{
    if (handler())
        handler()(false);
}

} // namespace ruvia
