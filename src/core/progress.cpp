#include "core/progress.h"

#include "platform/textutil.h"

namespace ruvia {

namespace {
int g_counter = 0;
constexpr int kBarLength = 40;
} // namespace

QString GetProgressText(bool sending, qint32 done, qint32 total)
{
    QString text = sending ? QStringLiteral("Sent ") : QStringLiteral("Received ");
    text += tsFormatByteSize(done) + QStringLiteral(" / ");
    text += total == 0 ? QStringLiteral("???") : tsFormatByteSize(total);
    text += QStringLiteral("\r\n");
    if (++g_counter > kBarLength)
        g_counter = 1;
    QString bar(kBarLength, u'-');
    bar[g_counter - 1] = u'#';
    return text + bar;
}

int ProgressCounter() { return g_counter; }
void ResetProgressCounter() { g_counter = 0; }

} // namespace ruvia
