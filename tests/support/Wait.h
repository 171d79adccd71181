#pragma once

#include <QElapsedTimer>
#include <QTest>

namespace testsupport {

// Runs the event loop until the condition holds or the time is up; returns the condition.
template <typename Fn> bool waitFor(Fn condition, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QTest::qWait(10);
    return condition();
}

} // namespace testsupport
