#include "support/transferprogress.h"

#include "core/progress.h"
#include "support/statistics.h"

#include <QCoreApplication>

#include <limits>

namespace ruvia {

namespace {
// The progress text and the counters are 32-bit; a larger figure is shown at the limit.
qint32 clamp32(qint64 n)
{
    return qint32(qBound(qint64(0), n, qint64(std::numeric_limits<qint32>::max())));
}
} // namespace

TransferProgress::TransferProgress(ShowText show, CStatistics* statistics, bool& stopRequest,
                                   StopRule rule)
    : m_show(std::move(show)), m_statistics(statistics), m_stop(stopRequest), m_rule(rule)
{
}

void TransferProgress::BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel)
{
    report(true, block, done, total, cancel);
}

void TransferProgress::BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel)
{
    report(false, block, done, total, cancel);
}

void TransferProgress::report(bool sending, qint64 block, qint64 done, qint64 total, bool& cancel)
{
    if (m_show)
        m_show(GetProgressText(sending, clamp32(done), clamp32(total)));
    QCoreApplication::processEvents();
    if (m_statistics) {
        if (sending)
            m_statistics->AddSentBytes(clamp32(block));
        else
            m_statistics->AddReceivedBytes(clamp32(block));
    }
    if (m_stop) {
        cancel = true;
        if (m_rule == ClearStopRequest)
            m_stop = false;
    }
}

} // namespace ruvia
