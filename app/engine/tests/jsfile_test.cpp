// Writing and reading .js files, hostile inputs included.
#include "counters.h"
#include "entries.h"
#include "jsfile.h"
#include "testsupport.h"
#include "uilog.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

class JsFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Dir.isValid()); }
    QString path(const char* name) const { return m_Dir.path() + "/" + name; }
    QTemporaryDir m_Dir;
};

TEST_F(JsFiles, WritesReplaceTheOldFileWholeOrLeaveItAlone) {
    ASSERT_TRUE(test::WriteAll(path("a.js"), QByteArray(100000, 'x')));
    const JsonPtr root = NewJsRoot();
    ASSERT_TRUE(WriteJsFile(path("a.js"), kPrefixContent, root.get()));
    EXPECT_EQ(test::ReadAll(path("a.js")),
              "var Content={\n\t\"Version\":\t{\n\t\t\"Current\":\t\"1.0.0\"\n\t}\n};");

    EXPECT_FALSE(WriteJsFile(path("missing/a.js"), kPrefixContent, root.get()));
    EXPECT_FALSE(WriteJsFile(path("b.js"), "short", root.get()));
    EXPECT_FALSE(WriteJsFile(path("c.js"), kPrefixContent, nullptr));
    EXPECT_FALSE(QFile::exists(path("b.js")));
    EXPECT_FALSE(QFile::exists(path("c.js")));
    {
        JsFileWriter writer;
        EXPECT_FALSE(writer.open(path("missing/a.js"), kPrefixContent));
        EXPECT_EQ(writer.root(), nullptr);
        EXPECT_FALSE(writer.commit());
    }

    // An uncommitted writer leaves the old file.
    ASSERT_TRUE(test::WriteAll(path("a.js"), "old"));
    for (bool commit : {false, true}) {
        {
            JsFileWriter writer;
            ASSERT_TRUE(writer.open(path("a.js"), kPrefixContent));
            AddNumbered(writer.root(), 1, JsonPtr(cJSON_CreateObject()));
            if (commit) {
                ASSERT_TRUE(writer.commit());
            }
        }
        if (!commit) {
            EXPECT_EQ(test::ReadAll(path("a.js")), "old");
        }
    }
    EXPECT_EQ(CountBackupItems(path("a.js")), 1);
}

TEST_F(JsFiles, RoundTripKeepsEveryByteOfTheTexts) {
    JsonPtr root = NewJsRoot();
    const char* texts[] = {"",
                           "plain",
                           "quote \" backslash \\ slash /",
                           "tab\tcr\rlf\n",
                           "\xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x98\x80",
                           "\x01\x1F",
                           ";",
                           "}"};
    int k = 0;
    for (const char* text : texts) {
        JsonPtr entry(cJSON_CreateObject());
        cJSON_AddItemToObject(entry.get(), "Text", cJSON_CreateString(text));
        AddNumbered(root.get(), ++k, std::move(entry));
    }
    ASSERT_TRUE(WriteJsFile(path("t.js"), kPrefixConten1, root.get()));
    const JsonPtr back = ReadJsFile(path("t.js"));
    ASSERT_TRUE(back);
    k = 0;
    ForEachEntry(back.get(), [&](const cJSON* entry) {
        const cJSON* item = cJSON_GetObjectItem(entry, "Text");
        EXPECT_TRUE(cJSON_IsString(item));
        EXPECT_STREQ(item->valuestring, texts[k++]);
        return true;
    });
    EXPECT_EQ(k, int(std::size(texts)));
}

struct HostileCase {
    const char* name;
    QByteArray bytes;
    int flatCount; // CountBackupItems
    int groupedCount;
};

TEST_F(JsFiles, ReaderAndCountersOnWellFormedAndHostileFiles) {
    const QByteArray deep =
        "var Content=" + QByteArray(100000, '[') + QByteArray(100000, ']') + ";";
    const QByteArray deepObject = "var Content={\"a\":" + QByteArray(100000, '[') + ";";
    QByteArray manyEntries = "var Content={\"Version\":{}";
    for (int i = 1; i <= 20000; ++i) {
        manyEntries += ",\"" + QByteArray::number(i) + "\":{\"SessionID\":\"x\"}";
    }
    manyEntries += "};";
    const HostileCase cases[] = {
        {"empty", "", -1, -1},
        {"prefix only", "var Content=", -1, -1},
        {"prefix and semicolon", "var Content=;", -1, -1},
        {"no prefix", R"({"Version":{},"1":{}})", -1, -1},
        {"short prefix", R"(var C={"1":{}};)", -1, -1},
        {"truncated", R"(var Content={"Version":{"Current":"1.0.0"},"1":{"Sess)", -1, -1},
        {"nested 100000 deep", deep, -1, -1},
        {"unclosed nesting", deepObject, -1, -1},
        {"array root", R"(var Content=[{"a":1},{"b":2}];)", 0, 0},
        {"string root", R"(var Content="text";)", 0, 0},
        {"wrong member types", R"(var Content={"Version":"x","1":5,"2":null,"3":{"a":"b"}};)", 3,
         1},
        {"no semicolon", R"(var Content={"Version":{},"1":{}})", 1, 0},
        {"trailing line break", "var Content={\"1\":{\"a\":\"b\"}};\n", 1, 1},
        {"NUL inside", QByteArray("var Content={\"1\":{\"a\":\"b\0c\"}};", 30), 1, 1},
        {"invalid UTF-8", "var Content={\"1\":{\"a\":\"\xFF\xFE\"}};", 1, 1},
        {"many entries", manyEntries, 20000, 20000},
        {"version only", R"(var Content={"Version":{"Current":"1.0.0"}};)", 0, 0},
        {"flat entries", R"(var Content={"Version":{},"1":{},"2":{},"4":{}};)", 3, 0},
        {"groups",
         R"(var Content={"Version":{},"Group_1":{"1":{},"2":{}},"Group_2":{},"Group_3":{"1":{}}};)",
         3, 3},
        {"version in other cases", R"(var Content={"1":{},"Version":{},"version":{}};)", 2, 0},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path("hostile.js");
        ASSERT_TRUE(test::WriteAll(file, c.bytes));
        const JsonPtr root = ReadJsFile(file);
        EXPECT_EQ(bool(root), c.flatCount >= 0);
        // Whatever parsed, the readers take it apart without trouble.
        ForEachEntry(root.get(), [](const cJSON* entry) {
            ReadContact(entry);
            ReadMessage(entry);
            ReadMediaEntry(entry, "/b", "Musics");
            return true;
        });
        EXPECT_EQ(CountBackupItems(file), c.flatCount);
        EXPECT_EQ(CountGroupedItems(file), c.groupedCount);
    }
}

TEST_F(JsFiles, TextCanBeReadBeforeItIsParsed) {
    ASSERT_TRUE(test::WriteAll(path("s.js"), R"(var Conten1={"Group_1":{"1":{}}};)"));
    const std::optional<QByteArray> text = ReadJsText(path("s.js"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, R"({"Group_1":{"1":{}}})");
    EXPECT_TRUE(ParseJsText(*text, path("s.js")));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ParseJsText(R"({"a":x})", path("s.js")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error before: [x}]\n");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ParseJsText("[" + QByteArray(300, '!'), path("s.js")));
    // Only the start of the rest is shown.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error before: [" + std::string(200, '!') + "]\n");
    EXPECT_FALSE(ReadJsText(path("none.js")).has_value());
}

TEST_F(JsFiles, MissingFoldersAndOversizedFilesAreUnreadable) {
    QFile huge(path("huge.js"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxJsFileSize + 1)); // sparse: costs no disk space
    huge.close();
    for (const QString& file : {path("none.js"), m_Dir.path(), path("huge.js")}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(ReadJsFile(file));
        EXPECT_EQ(CountBackupItems(file), -1);
        EXPECT_EQ(CountGroupedItems(file), -1);
    }
    // The oversized file was refused before reading, not for failing to parse.
    EXPECT_TRUE(test::ReadAll(UiLogPath()).contains("huge.js is too large to read"));
}

} // namespace
} // namespace tarvell
