// The companion service emulator: answers the text commands of one
// connection from the phone's store and changes the phone folder on writes.
#pragma once

#include "store.h"

#include <atomic>
#include <map>
#include <string>
#include <string_view>

namespace phonesim {

class CompanionSession {
public:
    explicit CompanionSession(PhoneStore& store);
    ~CompanionSession();
    CompanionSession(const CompanionSession&) = delete;
    CompanionSession& operator=(const CompanionSession&) = delete;

    // Number of payload bytes that follow the command (the write commands of
    // streamed uploads); 0 for every other command, -1 for a bad count.
    static int64_t PayloadSize(std::string_view command);
    // Command name: the text before the first ':' or ';'.
    static std::string_view NameOf(std::string_view command);

    // The answer body of one command (command text includes its ';').
    std::string Handle(std::string_view command, std::string_view payload);
    // The same, appending the body to `out`. `config_checked`: phone.json
    // was just checked for changes by the caller.
    void HandleInto(std::string_view command, std::string_view payload, std::string& out,
                    bool config_checked = false);

private:
    std::string HandleLocked(std::string_view name, const std::vector<std::string_view>& args,
                             std::string_view raw_args, std::string_view payload);
    std::string Media(int kind, int op, const std::vector<std::string_view>& args,
                      std::string_view payload);
    int ReadFd(int64_t id, const std::string& path);
    void DropReadFds();
    void CloseUpload(int kind);
    void DropUpload(int kind);
    std::string PendingUpload(int kind) const;

    PhoneStore& store_;
    int upload_fd_[3] = {-1, -1, -1};
    std::string upload_rel_[3];
    std::map<int64_t, int> read_fds_; // open files of chunked reads, by media id
    std::string* out_ = nullptr;      // answer buffer of the command in progress
};

// Serves one accepted connection until the peer closes it, a fault ends it,
// or `stop` is set and the socket shut down. Faults are read from phone.json
// before each command.
void ServeCompanion(int fd, PhoneStore& store);

} // namespace phonesim
