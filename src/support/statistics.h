#pragma once
// Bytes sent to and received from the service for the open group: the live
// counters of this run, and the totals over all runs kept in the group's
// Settings.INI (written when the object goes away).
#include <QString>
#include <QtGlobal>

namespace ruvia {

class CStatistics {
public:
    // Reads the totals of the open group (GetGroupSettingsFile).
    CStatistics();
    // Reads and writes the totals of the given settings file.
    explicit CStatistics(const QString& settingsFile);
    ~CStatistics();
    CStatistics(const CStatistics&) = delete;
    CStatistics& operator=(const CStatistics&) = delete;

    qint32 TotalSentBytes = 0;
    qint32 TotalReceivedBytes = 0;
    qint32 CurrentSentBytes = 0;
    qint32 CurrentReceivedBytes = 0;

    // Each counter on its own: an addition that would leave the 32-bit range
    // is dropped for that counter only.
    void AddSentBytes(qint32 count);
    void AddReceivedBytes(qint32 count);
    QString Text() const;
    void Show() const;
    bool Save() const;

    static inline const QString kSection = QStringLiteral("Statistics");
    static inline const QString kSentKey = QStringLiteral("Total sent bytes");
    static inline const QString kReceivedKey = QStringLiteral("Total received bytes");

private:
    QString m_file;
};

} // namespace ruvia
