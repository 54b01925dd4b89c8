// The adb transport's messages as a device sees them on the wire: a 24-byte
// header of six little-endian 32-bit words (command, arg0, arg1, payload
// length, payload byte sum, command ^ 0xffffffff) and the payload. Parsing is
// kept apart from the sockets so that hostile bytes can be fed to it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim::adbd {

inline constexpr uint32_t kCnxn = 0x4e584e43;
inline constexpr uint32_t kAuth = 0x48545541;
inline constexpr uint32_t kOpen = 0x4e45504f;
inline constexpr uint32_t kOkay = 0x59414b4f;
inline constexpr uint32_t kClse = 0x45534c43;
inline constexpr uint32_t kWrte = 0x45545257;
inline constexpr uint32_t kStls = 0x534c5453;

// Protocol versions: the first sums every payload, the second no longer does.
inline constexpr uint32_t kVersionChecksum = 0x01000000;
inline constexpr uint32_t kVersionNoChecksum = 0x01000001;
// The largest payload this device takes; a host may ask for less.
inline constexpr uint32_t kMaxPayload = 1024 * 1024;
inline constexpr size_t kHeaderSize = 24;

struct Packet {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    std::string data;
};

enum class PacketError {
    None,
    BadMagic,       // the last word is not the command's complement
    TooLong,        // payload over the negotiated maximum
    BadChecksum,    // payload sum differs (only checked under kVersionChecksum)
    UnknownCommand, // none of the commands above
};

const char* PacketErrorText(PacketError e);

uint32_t PayloadSum(std::string_view data);
// Header and payload, sum and magic filled in.
std::string EncodePacket(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view data);

// Accumulates the bytes of a connection and cuts them into packets. After an
// error it stays failed: the caller ends the connection.
class PacketReader {
public:
    void SetMaxPayload(uint32_t max) { max_payload_ = max; }
    void SetCheckSum(bool check) { check_sum_ = check; }
    void Feed(std::string_view bytes);
    // The next whole packet; nothing when more bytes are needed or after an
    // error (see Error()).
    std::optional<Packet> Next();
    PacketError Error() const { return error_; }
    size_t Buffered() const { return buf_.size() - pos_; }

private:
    std::string buf_;
    size_t pos_ = 0;
    uint32_t max_payload_ = kMaxPayload;
    bool check_sum_ = false;
    PacketError error_ = PacketError::None;
};

// The "key=value;" fields of a peer's connect banner ("host::features=...").
struct Banner {
    std::string kind; // "host", "device", ...
    std::vector<std::pair<std::string, std::string>> props;
    std::vector<std::string> features;
};
std::optional<Banner> ParseBanner(std::string_view text);

// This device's banner: product, model and device names and the features it
// implements. ';' and '=' in the names would break the fields and are
// replaced by '_'.
std::string DeviceBanner(const std::string& product, const std::string& model,
                         const std::string& device, const std::vector<std::string>& features);

// The destination of an OPEN: its text up to the first NUL.
std::string OpenDestination(std::string_view data);

// A sync request header: four-letter id and a 32-bit length.
struct SyncHeader {
    std::string id;
    uint32_t length = 0;
};
SyncHeader ParseSyncHeader(std::string_view eight_bytes);
std::string SyncMessage(const char* id, uint32_t value, std::string_view data = {});

// SEND's argument "PATH,MODE": the path and the mode (decimal), nothing when
// malformed.
std::optional<std::pair<std::string, uint32_t>> ParseSendTarget(std::string_view text);

// The words of a shell command line, with single and double quotes and
// backslashes taken away as a shell does; nothing when a quote is left open.
std::optional<std::vector<std::string>> ShellWords(std::string_view line);

} // namespace phonesim::adbd
