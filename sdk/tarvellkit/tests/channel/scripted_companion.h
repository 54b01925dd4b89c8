// A companion service played by the test: listens on 127.0.0.1 at the
// channel's port and serves each accepted connection on its own thread with
// a script the test gives; and the fixture of the tests that run the channel
// against it and the scripted peers.
#pragma once

#include "peers.h"
#include "test_support.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// One accepted connection, from the companion's side.
class Peer {
public:
    explicit Peer(int fd, int index) : m_fd(fd), m_index(index) {}

    int Index() const { return m_index; } // 0 for the first connection accepted

    // The next command text up to and including ";"; nullopt when the
    // channel closed the connection first.
    std::optional<std::string> ReadCommand();
    // Exactly n bytes (fewer only when the connection closed).
    std::string ReadBytes(size_t n);
    // True when the channel closed its end (reads end of stream).
    bool WaitClosed();

    void SendRaw(const std::string& bytes);
    void SendLength(int32_t length);
    void Answer(const std::string& body); // length and body in one piece
    void Close();                         // closes this end at once
    // Breaks the connection with a TCP reset when the script returns, which
    // it should do at once.
    void Reset();
    bool WasReset() const { return m_reset; }

private:
    int m_fd;
    int m_index;
    std::string m_pending; // bytes read past the last command
    bool m_reset = false;
};

class ScriptedCompanion {
public:
    using Script = std::function<void(Peer&)>;

    // Starts listening; the test fails at once when the port is taken.
    explicit ScriptedCompanion(Script script);
    ~ScriptedCompanion(); // stops listening, ends every connection, joins

    int Accepted();

    // Lets scripts that wait on Released() go on.
    void Release();
    // For scripts: blocks until Release() or the companion's end.
    void WaitReleased();

private:
    void AcceptLoop();

    Script m_script;
    int m_listenFd = -1;
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_connections;
    std::vector<int> m_connectionFds; // open connections (closed by their threads)
    int m_accepted = 0;
    bool m_released = false;
    bool m_stopping = false;
};

// Reply helpers.
std::string Int32Le(int32_t value);

class ChannelTest : public ChannelFixture {
protected:
    void SetUp() override {
        peers::Reset();
        ChannelFixture::SetUp();
    }
    void TearDown() override {
        ChannelFixture::TearDown();
        peers::Reset();
    }
};
