#pragma once
// What the benchmarks share: figures printed as "name: value unit", medians,
// the process's memory, and prompters that never wait for a person.
#include "platform/prompter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace ruvia::bench {

inline void print(const char* name, double value, const char* unit)
{
    std::printf("%s: %.2f %s\n", name, value, unit);
    std::fflush(stdout);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline double elapsedMs(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// The median time of runs calls of fn.
inline double medianMs(int runs, const std::function<void()>& fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        times.push_back(elapsedMs(t));
    }
    return median(times);
}

// A field of /proc/self/status in MB: "VmRSS" now, "VmHWM" the peak.
inline double statusMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// Takes every message's default answer; counts and prints the ones that
// report a problem (information notices, such as "All done", are expected).
class FailingPrompter : public Prompter {
  public:
    FailingPrompter() { setPrompter(this); }
    ~FailingPrompter() override { setPrompter(nullptr); }
    int failures = 0;
    int ask(const Message& m) override
    {
        if (m.icon() != MB_ICONINFORMATION) {
            ++failures;
            std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
        }
        return m.defaultAnswer();
    }
};

} // namespace ruvia::bench
