#pragma once
// A Prompter for tests: records every message and answers questions from a
// queue. A question with no queued answer fails the running test; a plain
// OK message is recorded and answered OK.
#include "platform/prompter.h"

#include <QList>

namespace ruvia::test {

class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    int ask(const Message& message) override;
    void queue(int answer) { m_answers.append(answer); }
    void queue(std::initializer_list<int> answers) { m_answers.append(QList<int>(answers)); }

    const QList<Message>& messages() const { return m_messages; }
    QStringList texts() const;
    Message last() const { return m_messages.value(m_messages.size() - 1); }
    int pending() const { return int(m_answers.size()); }
    void clear()
    {
        m_messages.clear();
        m_answers.clear();
    }

private:
    QList<Message> m_messages;
    QList<int> m_answers;
};

} // namespace ruvia::test
