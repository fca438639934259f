#include "scriptedprompter.h"

#include <QTest>

namespace ruvia::test {

ScriptedPrompter::ScriptedPrompter() { setPrompter(this); }
ScriptedPrompter::~ScriptedPrompter() { setPrompter(nullptr); }

int ScriptedPrompter::ask(const Message& message)
{
    m_messages.append(message);
    const QList<int> allowed = message.answers();
    if (m_answers.isEmpty()) {
        if (allowed.size() == 1)
            return allowed.first();
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + message.text), __FILE__,
                     __LINE__);
        return message.defaultAnswer();
    }
    const int answer = m_answers.takeFirst();
    if (!allowed.contains(answer))
        QTest::qFail(qPrintable(QStringLiteral("queued answer %1 is not a button of: %2")
                                    .arg(answer)
                                    .arg(message.text)),
                     __FILE__, __LINE__);
    return answer;
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Message& m : m_messages)
        out.append(m.text);
    return out;
}

} // namespace ruvia::test
