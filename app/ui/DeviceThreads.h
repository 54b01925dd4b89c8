// The connection screen's two worker threads: one polls USB for a phone for
// the whole run, the other makes one check-and-prepare attempt at a time.
// Both sleep on a wait condition, so stop() ends them without waiting out a
// poll period.
#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>

// Pauses of a worker thread that stop() and wake() cut short.
class InterruptibleSleep {
public:
    enum class End { TimedOut, Woken, Stopped };
    // Sleeps up to ms, or until wake() or stop() (also when called before).
    End sleep(int ms);
    void stop();
    // Ends the current sleep (or the next one) early, without stopping.
    void wake();
    void reset();
    bool stopped() const { return m_Stop; }

private:
    QMutex m_Lock;
    QWaitCondition m_Cond;
    std::atomic<bool> m_Stop{false};
    bool m_Wake = false;
};

class GetDeviceCountThread : public QThread {
    Q_OBJECT

public:
    GetDeviceCountThread() = default;
    // Stops and waits: a QThread destroyed while running ends the program.
    ~GetDeviceCountThread() override;

    // Last result of the USB poll: > 0 when a phone is attached.
    std::atomic<int> m_DeviceCount{0};

    // Asks the loop to end; returns at once.
    void stop();
    // Polls again now instead of at the end of the current pause.
    void pollNow() { m_Sleep.wake(); }

    // Pause between polls while no phone is attached, and the extra pause
    // while one is.
    static constexpr int kIdlePollMs = 2000;
    static constexpr int kAttachedExtraMs = 3000;

protected:
    void run() override;

private:
    InterruptibleSleep m_Sleep;
};

class ReadyScanThread : public QThread {
    Q_OBJECT

public:
    ReadyScanThread() = default;
    ~ReadyScanThread() override;

    int m_DeviceIndex = 0;
    // 0 ready, -110 no usable phone, any other value: preparation failed.
    std::atomic<int> m_Result{-1};

    // Cuts the pause short and skips the preparation; returns at once. A
    // library call in progress is finished first.
    void stop() { m_Sleep.stop(); }

    static constexpr int kPauseMs = 1000;

protected:
    void run() override;

private:
    InterruptibleSleep m_Sleep;
};
