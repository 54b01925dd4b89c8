// Conversion helpers: hex text both ways, file extensions, decimal and date
// reading.
#include "convert.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct HexEncodeCase {
    std::string input;
    int capacity;
    int result;
    std::string text; // expected output text
    int written;
};

TEST(HexEncode, WritesWholePairsUpToTheCapacity) {
    const HexEncodeCase cases[] = {
        {"abc", 64, 0, "616263", 6},
        {"abc", 4, 0, "6162", 4},
        {"abc", 6, 0, "616263", 6},
        {"abc", 5, 0, "6162", 4}, // an odd capacity never starts a pair it cannot end
        {"abc", 1, 0, "", 0},
        {std::string("\x00\xff\x0a", 3), 64, 0, "00FF0A", 6},
        {"", 8, 0, "", 0},
    };
    for (const auto& c : cases) {
        // Guard bytes after capacity + 1: nothing may be written there.
        std::vector<char> out(static_cast<size_t>(c.capacity) + 1 + 8, '#');
        int capacity = c.capacity;
        EXPECT_EQ(
            HexEncode(c.input.data(), static_cast<int>(c.input.size()), out.data(), &capacity),
            c.result);
        EXPECT_EQ(std::string(out.data()), c.text) << c.input << " cap " << c.capacity;
        EXPECT_EQ(capacity, c.written);
        for (size_t i = static_cast<size_t>(c.capacity) + 1; i < out.size(); ++i) {
            ASSERT_EQ(out[i], '#') << "written past the buffer at " << i;
        }
    }
}

TEST(HexEncode, RejectsMissingBufferOrCapacity) {
    char out[8] = "xxxxxxx";
    int zero = 0;
    int negative = -3;
    int eight = 7;
    EXPECT_EQ(HexEncode("a", 1, nullptr, &eight), -1);
    EXPECT_EQ(HexEncode("a", 1, out, nullptr), -1);
    EXPECT_EQ(HexEncode("a", 1, out, &zero), -1);
    EXPECT_EQ(HexEncode("a", 1, out, &negative), -1);
    EXPECT_EQ(std::string(out), "xxxxxxx");
    // A missing input writes an empty text.
    EXPECT_EQ(HexEncode(nullptr, 5, out, &eight), 0);
    EXPECT_EQ(eight, 0);
    EXPECT_EQ(out[0], '\0');
}

struct HexDecodeCase {
    std::string text;
    int length; // as passed
    int capacity;
    std::vector<unsigned char> bytes;
};

TEST(HexDecode, ReadsUppercasePairsWithinLengthAndCapacity) {
    const HexDecodeCase cases[] = {
        {"4A4B", 4, 16, {0x4A, 0x4B}},
        {"4a", 2, 16, {0x6A}}, // lowercase is not recognised: 4 * 16 + ('a' - 55)
        {"00FF", 4, 16, {0x00, 0xFF}},
        {"4A4B4C", 6, 2, {0x4A, 0x4B}},  // capacity ends it
        {"4A4B4C", 4, 16, {0x4A, 0x4B}}, // the length ends it
        {"4A4", 3, 16, {0x4A, 0x40}},    // a last single digit, low digit 0
        {"G!", 2, 16, {0x00}},           // 'G' counts 16: 16 * 16 + 0 wraps to 0
        {"4A", 0, 16, {}},
        {"4A", -5, 16, {}},
        {"4A", 2, 0, {}},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> out(32, 0xEE);
        int capacity = c.capacity;
        HexDecode(c.text.c_str(), c.length, out.data(), &capacity);
        ASSERT_EQ(capacity, static_cast<int>(c.bytes.size())) << c.text;
        for (size_t i = 0; i < c.bytes.size(); ++i) {
            EXPECT_EQ(out[i], c.bytes[i]) << c.text << " byte " << i;
        }
        EXPECT_EQ(out[c.bytes.size()], 0xEE) << "no terminator, nothing beyond";
    }
}

// Round trips of arbitrary bytes are the fuzz target fuzz_hex (replayed in
// every build).

TEST(FileExtensionOf, TakesTheTextAfterTheLastDot) {
    struct Case {
        const char* path;
        std::string expected; // "<unchanged>" keeps the output's old text
    };
    const Case cases[] = {
        {"photo.backup.JPEG", "JPEG"},
        {".profile", "<unchanged>"},
        {"noextension", "<unchanged>"},
        {"", "<unchanged>"},
        {"a.", ""},
        {"/sdcard/DCIM/x.jpg", "jpg"},
        {"clip.abcdefghijklmnopq", "abcdefghijklmno"}, // 17 characters: the first 15
        {"..", ""},
    };
    for (const auto& c : cases) {
        char out[16 + 4];
        std::memset(out, '#', sizeof out);
        std::strcpy(out, "<unchanged>");
        FileExtensionOf(c.path, out);
        EXPECT_EQ(std::string(out), c.expected) << c.path;
        EXPECT_EQ(out[16], '#') << "written past 16 bytes";
    }
    char out[16] = "kept";
    FileExtensionOf(nullptr, out);
    EXPECT_STREQ(out, "kept");
}

TEST(ParseDecimal64, ReadsDigitsWithoutValidation) {
    struct Case {
        const char* text;
        int64_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"12345", 12345},
        {"1394384700000", 1394384700000LL},
        {"9223372036854775807", INT64_MAX},
        {"", 0},
        {nullptr, 0},
        {"1a", 1 * 10 + ('a' - '0')}, // no validation: every character counts
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDecimal64(c.text), c.value) << (c.text ? c.text : "(null)");
    }
    // Far too long: wraps, never traps.
    ParseDecimal64(std::string(400, '9').c_str());
}

class ParseDateTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        oldTz_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        // Central European time with its daylight-saving rule, no tz database needed.
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_) {
            setenv("TZ", oldTz_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    std::string oldTz_;
    bool hadTz_ = false;
};

TEST_F(ParseDateTimeTest, EachDateUsesItsOwnDaylightSavingRule) {
    struct Case {
        const char* text;
        int64_t utc;
    };
    const Case cases[] = {
        {"2014-03-09 18:05:00", 1394384700}, // winter: UTC+1
        {"2014/03/09 18.05.00", 1394384700}, // separators do not matter
        {"2014.03.09T18:05:00", 1394384700}, {"2014-07-01 12:00:00", 1404208800}, // summer: UTC+2
        {"2014-10-26 01:30:00", 1414279800}, // still summer time: UTC+2
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDateTime(c.text), c.utc) << c.text;
    }
}

TEST_F(ParseDateTimeTest, ShortOrEmptyTextNeverReadsPastItsEnd) {
    // Only the parts present count; what is missing reads as 0.
    std::tm expected{};
    expected.tm_year = 2014 - 1900;
    expected.tm_mon = -1;
    expected.tm_mday = 0;
    expected.tm_isdst = -1;
    const int64_t yearOnly = static_cast<int64_t>(std::mktime(&expected));
    EXPECT_EQ(ParseDateTime("2014"), yearOnly);
    ParseDateTime("");
    EXPECT_EQ(ParseDateTime(nullptr), 0);
}

} // namespace
