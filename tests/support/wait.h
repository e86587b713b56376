#pragma once

// Waiting in tests: run the event loop until a condition holds, with a deadline generous
// enough for a busy machine. Tests wait for the thing they need, never for a fixed time.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace testsupport {

// Runs the event loop until the condition holds or the time is up; returns the condition.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

} // namespace testsupport
