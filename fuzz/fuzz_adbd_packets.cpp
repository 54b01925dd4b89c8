// The simulated phone's adb packet parser (phonesim adbd): whatever bytes a
// peer sends, the reader returns whole packets no longer than the negotiated
// maximum, or fails for good; never reads past its input.
//
// Input: byte 0 bit 0 whether payload sums are checked, bits 1-7 pick the
// maximum payload (a multiple of 4 KiB, at least 256 bytes); byte 1 the size
// of the pieces the rest is fed in (0: all at once); then the stream. The
// text parsers the daemon applies to payloads run on every packet's payload.
#include "fuzz_check.h"
#include "packet.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace phonesim::adbd;

namespace {

struct Outcome {
    std::vector<Packet> packets;
    PacketError error = PacketError::None;
};

Outcome ReadAll(std::string_view stream, size_t piece, uint32_t max, bool sum) {
    PacketReader reader;
    reader.SetMaxPayload(max);
    reader.SetCheckSum(sum);
    Outcome out;
    size_t pos = 0;
    do {
        size_t n = piece == 0 ? stream.size() : std::min(piece, stream.size() - pos);
        reader.Feed(stream.substr(pos, n));
        pos += n;
        while (auto p = reader.Next())
            out.packets.push_back(std::move(*p));
    } while (pos < stream.size());
    out.error = reader.Error();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool sum = data[0] & 1;
    const uint32_t max = std::max<uint32_t>(256, uint32_t(data[0] >> 1) * 4096);
    const size_t piece = data[1];
    const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);

    const Outcome whole = ReadAll(stream, 0, max, sum);
    const Outcome pieces = ReadAll(stream, piece, max, sum);
    // Cutting the stream differently changes nothing.
    FUZZ_CHECK(whole.error == pieces.error);
    FUZZ_CHECK(whole.packets.size() == pieces.packets.size());

    size_t offset = 0;
    for (size_t i = 0; i < whole.packets.size(); ++i) {
        const Packet& p = whole.packets[i];
        const Packet& q = pieces.packets[i];
        FUZZ_CHECK(p.command == q.command && p.arg0 == q.arg0 && p.arg1 == q.arg1 &&
                   p.data == q.data);
        FUZZ_CHECK(p.data.size() <= max);
        // The packet is exactly the bytes it came from (with a checked sum,
        // every header word is determined by the packet).
        const std::string again = EncodePacket(p.command, p.arg0, p.arg1, p.data);
        FUZZ_CHECK(offset + again.size() <= stream.size());
        if (sum)
            FUZZ_CHECK(stream.substr(offset, again.size()) == again);
        offset += again.size();

        (void)ParseBanner(p.data);
        (void)OpenDestination(p.data);
        (void)ShellWords(p.data);
        if (auto t = ParseSendTarget(p.data))
            FUZZ_CHECK(t->first.size() < p.data.size());
        (void)ParseSyncHeader(p.data);
    }
    // An error is final.
    if (whole.error != PacketError::None) {
        PacketReader reader;
        reader.SetMaxPayload(max);
        reader.SetCheckSum(sum);
        reader.Feed(stream);
        while (reader.Next()) {
        }
        reader.Feed(EncodePacket(kOkay, 1, 2, {}));
        FUZZ_CHECK(!reader.Next().has_value());
        FUZZ_CHECK(reader.Error() == whole.error);
    }
    return 0;
}
