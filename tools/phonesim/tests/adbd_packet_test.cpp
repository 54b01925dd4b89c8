// The adb packets of phonesim adbd: what the reader takes and what it
// refuses, and the texts it reads out of payloads.
#include "packet.h"

#include <gtest/gtest.h>

using namespace phonesim::adbd;

namespace {

std::string WithWord(std::string p, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return p;
}

} // namespace

TEST(AdbdPackets, MalformedPacketsFailTheReaderForGood) {
    const std::string good = EncodePacket(kWrte, 3, 1, "hello");
    struct {
        const char* what;
        std::string bytes;
        uint32_t max;
        bool sum;
        PacketError error;
    } cases[] = {
        {"whole packet", good, 4096, true, PacketError::None},
        {"bad magic", WithWord(good, 20, 0), 4096, false, PacketError::BadMagic},
        {"unknown command", EncodePacket(0x58585858, 0, 0, ""), 4096, false,
         PacketError::UnknownCommand},
        {"over the maximum", EncodePacket(kWrte, 3, 1, std::string(257, 'x')), 256, false,
         PacketError::TooLong},
        {"length word alone over it", WithWord(good, 12, 0x7fffffff), 4096, false,
         PacketError::TooLong},
        {"bad sum, checked", WithWord(good, 16, 1), 4096, true, PacketError::BadChecksum},
        {"bad sum, not checked", WithWord(good, 16, 1), 4096, false, PacketError::None},
    };
    for (const auto& c : cases) {
        PacketReader r;
        r.SetMaxPayload(c.max);
        r.SetCheckSum(c.sum);
        r.Feed(c.bytes);
        auto p = r.Next();
        EXPECT_EQ(r.Error(), c.error) << c.what;
        EXPECT_EQ(p.has_value(), c.error == PacketError::None) << c.what;
        if (c.error != PacketError::None) {
            r.Feed(good);
            EXPECT_FALSE(r.Next()) << c.what << ": a failed reader takes nothing more";
        }
    }
}

TEST(AdbdPackets, PacketsCutAnywhereComeOutWhole) {
    const std::string stream = EncodePacket(kOpen, 7, 0, std::string("sync:\0", 6)) +
                               EncodePacket(kWrte, 7, 1, std::string(5000, 'd')) +
                               EncodePacket(kClse, 7, 1, "");
    for (size_t piece : {size_t(1), size_t(23), size_t(24), size_t(4096)}) {
        PacketReader r;
        std::vector<Packet> got;
        for (size_t pos = 0; pos < stream.size(); pos += piece) {
            r.Feed(std::string_view(stream).substr(pos, piece));
            while (auto p = r.Next())
                got.push_back(*p);
        }
        ASSERT_EQ(got.size(), 3u) << piece;
        EXPECT_EQ(OpenDestination(got[0].data), "sync:");
        EXPECT_EQ(got[1].data.size(), 5000u);
        EXPECT_EQ(got[2].command, kClse);
        EXPECT_EQ(r.Buffered(), 0u);
    }
}

TEST(AdbdPackets, PayloadTexts) {
    auto host = ParseBanner(std::string("host::features=shell_v2,cmd,stat_v2\0", 37));
    ASSERT_TRUE(host);
    EXPECT_EQ(host->kind, "host");
    EXPECT_EQ(host->features, (std::vector<std::string>{"shell_v2", "cmd", "stat_v2"}));
    EXPECT_EQ(DeviceBanner("p", "Model; x=1", "d", {"cmd"}),
              "device::ro.product.name=p;ro.product.model=Model_ x_1;ro.product.device=d;"
              "features=cmd");

    auto target = ParseSendTarget("/sdcard/a,b.jpg,33188");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->first, "/sdcard/a,b.jpg");
    EXPECT_EQ(target->second, 33188u);
    for (const char* bad :
         {"/sdcard/a.jpg", ",33188", "/sdcard/a.jpg,", "/a,12x", "/a,99999999999"})
        EXPECT_FALSE(ParseSendTarget(bad)) << bad;

    auto words = ShellWords("cmd package 'install' -S 92 \"a b\" c\\ d");
    ASSERT_TRUE(words);
    EXPECT_EQ(*words,
              (std::vector<std::string>{"cmd", "package", "install", "-S", "92", "a b", "c d"}));
    EXPECT_FALSE(ShellWords("echo 'open"));
}
