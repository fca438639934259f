#include "support/statistics.h"

#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/prompter.h"
#include "platform/textutil.h"

namespace ruvia {

namespace {
void addChecked(qint32& counter, qint32 count)
{
    const qint64 sum = qint64(counter) + count;
    if (sum >= std::numeric_limits<qint32>::min() && sum <= std::numeric_limits<qint32>::max())
        counter = qint32(sum);
}

QString figure(qint64 a, qint64 b = 0) { return tsFormatByteSizeEx(double(a + b)); }
} // namespace

CStatistics::CStatistics() : CStatistics(GetGroupSettingsFile()) {}

CStatistics::CStatistics(const QString& settingsFile) : m_file(settingsFile)
{
    TotalSentBytes = tsReadLongFromINI(kSection, kSentKey, 0, m_file);
    TotalReceivedBytes = tsReadLongFromINI(kSection, kReceivedKey, 0, m_file);
}

CStatistics::~CStatistics() { Save(); }

bool CStatistics::Save() const
{
    return tsWriteLongToINI(kSection, kSentKey, TotalSentBytes, m_file) &&
           tsWriteLongToINI(kSection, kReceivedKey, TotalReceivedBytes, m_file);
}

void CStatistics::AddSentBytes(qint32 count)
{
    addChecked(TotalSentBytes, count);
    addChecked(CurrentSentBytes, count);
}

void CStatistics::AddReceivedBytes(qint32 count)
{
    addChecked(TotalReceivedBytes, count);
    addChecked(CurrentReceivedBytes, count);
}

QString CStatistics::Text() const
{
    const QStringList lines = {
        QStringLiteral("Traffic usage statistics"),
        QString(),
        QStringLiteral("    Total:    ") + figure(CurrentSentBytes, CurrentReceivedBytes),
        QStringLiteral("    Received: ") + figure(CurrentReceivedBytes),
        QStringLiteral("    Sent:     ") + figure(CurrentSentBytes),
        QString(),
        QStringLiteral("Total traffic usage statistics"),
        QString(),
        QStringLiteral("    Total:    ") + figure(TotalSentBytes, TotalReceivedBytes),
        QStringLiteral("    Received: ") + figure(TotalReceivedBytes),
        QStringLiteral("    Sent:     ") + figure(TotalSentBytes),
    };
    return lines.join(QStringLiteral("\r\n"));
}

void CStatistics::Show() const { MsgBox(Text(), MB_ICONINFORMATION); }

} // namespace ruvia
