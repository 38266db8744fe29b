#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <cstdio>
#include <ctime>

namespace tintora::bench {

// For start-up measurements only: once the window's first frame has been
// painted and handed to the display, prints "first-frame <monotonic ns>
// <peak resident KiB>" and ends the program. The harness compares that time
// with the moment it started the process. Under callgrind the count of
// instructions stops right there, so that it covers process start to first
// frame and nothing of the report or the exit.
class FirstFrame final : public QObject {
public:
    explicit FirstFrame(QWidget& window)
        : QObject(&window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Runs once the whole update, children and flush included, is done.
            QTimer::singleShot(0, this, [] { report(); });
        }
        return false;
    }

private:
    static void report()
    {
        CALLGRIND_TOGGLE_COLLECT;
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        long long peak_kib = 0;
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (auto const& line : status.readAll().split('\n')) {
                if (line.startsWith("VmHWM:"))
                    peak_kib = line.mid(6).trimmed().split(' ').first().toLongLong();
            }
        }
        std::printf("first-frame %lld %lld\n",
            static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, peak_kib);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    bool m_seen = false;
};

}
