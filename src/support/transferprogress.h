#pragma once
// The transfer callback of a window with a long task: every block reported by
// a request shows the progress text, lets pending window events run (so Esc
// and the close box reach the task), counts the block into the group's
// traffic, and abandons the exchange when the user asked to stop.
#include "platform/httprequest.h"

#include <QString>

#include <functional>

namespace ruvia {

class CStatistics;

class TransferProgress : public IHTTPRequestCallback {
  public:
    enum StopRule {
        // The task reads the stop request again after the request ends.
        KeepStopRequest,
        // The stop is used up by the request it abandons.
        ClearStopRequest,
    };
    using ShowText = std::function<void(const QString&)>;

    // stopRequest is the window's flag; statistics may be null (nothing counted).
    TransferProgress(ShowText show, CStatistics* statistics, bool& stopRequest,
                     StopRule rule = KeepStopRequest);

    void BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel) override;
    void BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel) override;

  private:
    void report(bool sending, qint64 block, qint64 done, qint64 total, bool& cancel);
    ShowText m_show;
    CStatistics* m_statistics;
    bool& m_stop;
    StopRule m_rule;
};

} // namespace ruvia
