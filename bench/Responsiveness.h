#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// How long some work takes, and the longest stretch in it without an event:
// a zero-interval timer that wants to run all the time measures the gaps.
struct Responsiveness {
    qint64 totalMs = 0;
    qint64 longestGapMs = 0;

    template <typename Work> static Responsiveness measure(Work&& work) {
        Responsiveness r;
        QElapsedTimer sinceLast;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { r.longestGapMs = std::max(r.longestGapMs, sinceLast.restart()); });
        probe.start(0);
        sinceLast.start();
        QElapsedTimer whole;
        whole.start();
        work();
        r.totalMs = whole.elapsed();
        r.longestGapMs = std::max(r.longestGapMs, sinceLast.elapsed());
        return r;
    }
};
