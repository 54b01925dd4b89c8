// What the channel tests share: the log reader and a fixture that starts and
// ends every test without a shared channel and with the default time-out.
#pragma once

#include "TCPConnect.h"
#include "channel_detail.h"
#include "log.h"
#include "platform/paths.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

// The part of the library's log written since construction.
class LogSince {
public:
    LogSince() : m_start(Read().size()) {}

    std::string Text() const {
        std::string all = Read();
        return all.size() > m_start ? all.substr(m_start) : std::string();
    }

    int Count(const std::string& entry) const {
        std::string text = Text();
        int n = 0;
        for (size_t at = text.find(entry); at != std::string::npos;
             at = text.find(entry, at + entry.size())) {
            ++n;
        }
        return n;
    }

    // Occurrences of the trace point "File: TCPConnect  <number>".
    int Trace(int number) const {
        return Count("File: TCPConnect  " + std::to_string(number) + "\n");
    }

private:
    static std::string Read() {
        std::ifstream in(platform::DocumentsFolder() + "/LogFiles/tarvell.log", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    size_t m_start;
};

class ChannelFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // Write the log's header now so that LogSince offsets stay stable.
        LogTracePoint("channel-test", 0);
        SetChannelIoTimeoutMs(0);
        DiscardSharedChannel();
    }
    void TearDown() override {
        DiscardSharedChannel();
        SetChannelIoTimeoutMs(0);
    }
};
