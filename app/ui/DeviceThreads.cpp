#include "DeviceThreads.h"

#include "DeviceCalls.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

InterruptibleSleep::End InterruptibleSleep::sleep(int ms) {
    QMutexLocker lock(&m_Lock);
    QDeadlineTimer deadline(ms);
    while (!m_Stop && !m_Wake) {
        if (!m_Cond.wait(&m_Lock, deadline)) {
            break; // time is up
        }
    }
    if (m_Stop) {
        return End::Stopped;
    }
    const bool woken = m_Wake;
    m_Wake = false;
    return woken ? End::Woken : End::TimedOut;
}

void InterruptibleSleep::stop() {
    QMutexLocker lock(&m_Lock);
    m_Stop = true;
    m_Cond.wakeAll();
}

void InterruptibleSleep::wake() {
    QMutexLocker lock(&m_Lock);
    m_Wake = true;
    m_Cond.wakeAll();
}

void InterruptibleSleep::reset() {
    QMutexLocker lock(&m_Lock);
    m_Stop = false;
    m_Wake = false;
}

GetDeviceCountThread::~GetDeviceCountThread() {
    stop();
    wait();
}

void GetDeviceCountThread::stop() {
    m_Sleep.stop();
}

void GetDeviceCountThread::run() {
    m_DeviceCount = kit::deviceCalls().countDevices();
    using End = InterruptibleSleep::End;
    while (!m_Sleep.stopped()) {
        End end = End::TimedOut;
        if (m_DeviceCount > 0) {
            end = m_Sleep.sleep(kAttachedExtraMs);
        }
        if (end == End::TimedOut) {
            end = m_Sleep.sleep(kIdlePollMs);
        }
        if (end == End::Stopped) {
            break;
        }
        m_DeviceCount = kit::deviceCalls().countDevices();
    }
}

ReadyScanThread::~ReadyScanThread() {
    stop();
    wait();
}

void ReadyScanThread::run() {
    m_Result = -1;
    const int detected = kit::deviceCalls().checkDetected(m_DeviceIndex);
    if (m_Sleep.sleep(kPauseMs) == InterruptibleSleep::End::Stopped) {
        return; // stopping: no preparation, the result stays a failure
    }
    m_Result = detected != 0 ? -110 : kit::deviceCalls().readyTodoing(m_DeviceIndex);
}
