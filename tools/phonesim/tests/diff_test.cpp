// phonesim gen, dump and diff: deterministic phones with hostile contents,
// and a diff that is empty for equal phones and names a changed field. The
// USB description is checked through libudev (the phonesim_umockdev test).
#include "canon.h"
#include "media.h"
#include "phone.h"
#include "support.h"
#include "util.h"

#include <gtest/gtest.h>

using namespace phonesim;

namespace {

class Phones : public ::testing::Test {
protected:
    std::string Gen(const std::string& name, const std::string& preset, const std::string& seed) {
        std::string dir = tmp_.path() + "/" + name;
        auto r = pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", preset, "--seed", seed, dir});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        return dir;
    }
    pstest::RunResult Diff(const std::string& a, const std::string& b, bool strict = false) {
        std::vector<std::string> argv = {PHONESIM_EXE_PATH, "diff"};
        if (strict)
            argv.push_back("--strict");
        argv.push_back(a);
        argv.push_back(b);
        return pstest::Run(argv);
    }
    void EditContact(const std::string& dir, size_t index, const std::string& key,
                     std::optional<std::string> value) {
        RecordFile f = LoadRecordFile(dir + "/contacts.json").value();
        if (value)
            f.items.at(index).Set(key, *value);
        else
            f.items.at(index).Erase(key);
        ASSERT_TRUE(SaveRecordFile(dir + "/contacts.json", f));
    }
    pstest::TempDir tmp_;
};

TEST_F(Phones, SmallPhoneHasHostileContents) {
    std::string p = Gen("p", "small", "11");
    RecordFile contacts = LoadRecordFile(p + "/contacts.json").value();
    RecordFile sms = LoadRecordFile(p + "/sms.json").value();
    EXPECT_EQ(contacts.items.size(), 200u);
    EXPECT_EQ(sms.items.size(), 1200u);
    bool non_ascii = false, quote = false, newline = false, missing_name = false,
         empty_body = false;
    for (const Record& r : contacts.items) {
        const std::string* n = r.Get("name");
        missing_name |= !n;
        if (n) {
            quote |= n->find('"') != std::string::npos;
            newline |= n->find('\n') != std::string::npos;
            for (unsigned char c : *n)
                non_ascii |= c >= 0x80;
        }
    }
    for (const Record& r : sms.items)
        empty_body |= r.Get("body")->empty();
    EXPECT_TRUE(non_ascii && quote && newline && missing_name && empty_body);
}

TEST_F(Phones, SameSeedSamePhoneAndDiffWithItselfIsEmpty) {
    std::string a = Gen("a", "tiny", "42"), b = Gen("b", "tiny", "42");
    for (const auto& [x, y] : {std::pair{a, a}, std::pair{a, b}}) {
        auto r = Diff(x, y);
        EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
        EXPECT_EQ(r.out, "");
    }
    auto other = Diff(a, Gen("c", "tiny", "43"));
    EXPECT_EQ(other.exit_code, 1);
    EXPECT_FALSE(other.out.empty());
}

TEST_F(Phones, DiffNamesTheChangedField) {
    std::string a = Gen("a", "tiny", "7"), b = Gen("b", "tiny", "7");
    RecordFile f = LoadRecordFile(b + "/contacts.json").value();
    const std::string name = *f.items[0].Get("name");
    EditContact(b, 0, "note", "changed, \"really\"");
    auto r = Diff(a, b);
    EXPECT_EQ(r.exit_code, 1);
    const std::string* before = LoadRecordFile(a + "/contacts.json")->items[0].Get("note");
    std::string expect = "changed contact " + QuoteText(name) +
                         ": note: " + (before ? QuoteText(*before) : std::string("(missing)")) +
                         " -> \"changed, \\\"really\\\"\"\n";
    EXPECT_EQ(r.out, expect);
}

TEST_F(Phones, IdsAndFoldersDoNotCountButContentDoes) {
    std::string a = Gen("a", "tiny", "9"), b = Gen("b", "tiny", "9");
    // Other ids and thread ids: same contents.
    RecordFile sms = LoadRecordFile(b + "/sms.json").value();
    for (Record& r : sms.items) {
        r.id += 1000;
        r.Set("thread_id", "77");
    }
    ASSERT_TRUE(SaveRecordFile(b + "/sms.json", sms));
    // A photo moved to another folder: same contents.
    MediaIndex idx;
    idx.Scan(b + "/sdcard");
    const MediaItem* photo = nullptr;
    for (const MediaItem& m : idx.items)
        if (m.kind == MediaKind::Photo)
            photo = &m;
    ASSERT_TRUE(photo);
    std::string name = photo->rel.substr(photo->rel.rfind('/') + 1);
    ASSERT_EQ(
        ::rename((b + "/sdcard/" + photo->rel).c_str(), (b + "/sdcard/Images/" + name).c_str()), 0);
    EXPECT_EQ(Diff(a, b).out, "");
    // One changed byte in it: reported by name.
    std::string data = ReadFile(b + "/sdcard/Images/" + name).value();
    data.back() ^= 1;
    ASSERT_TRUE(WriteFileAtomic(b + "/sdcard/Images/" + name, data));
    auto r = Diff(a, b);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.out.find("changed photo " + QuoteText(name) + ": content:"), std::string::npos)
        << r.out;
}

TEST_F(Phones, EmptyAndMissingFieldsDifferOnlyWhenStrict) {
    std::string a = Gen("a", "tiny", "5"), b = Gen("b", "tiny", "5");
    EditContact(a, 1, "website", std::nullopt);
    EditContact(b, 1, "website", "");
    EXPECT_EQ(Diff(a, b).exit_code, 0);
    auto strict = Diff(a, b, true);
    EXPECT_EQ(strict.exit_code, 1);
    EXPECT_NE(strict.out.find("website: (missing) -> \"\""), std::string::npos) << strict.out;
}

TEST_F(Phones, DumpListsEveryKindAndRefusesWhatIsNotAPhone) {
    std::string p = Gen("p", "tiny", "1");
    auto r = pstest::Run({PHONESIM_EXE_PATH, "dump", p});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    for (const char* kind :
         {"\ncontact ", "\nsms ", "\ncall ", "\napp ", "\nphoto ", "\nmusic ", "\nvideo "})
        EXPECT_NE(("\n" + r.out).find(kind), std::string::npos) << kind;
    auto bad = pstest::Run({PHONESIM_EXE_PATH, "dump", tmp_.path()});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_NE(bad.err.find("not a phone"), std::string::npos);
    ASSERT_TRUE(WriteFileAtomic(p + "/sms.json", "{broken"));
    EXPECT_EQ(pstest::Run({PHONESIM_EXE_PATH, "dump", p}).exit_code, 2);
    auto busy = pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", "tiny", "--seed", "1", p});
    EXPECT_NE(busy.exit_code, 0) << "gen never writes over a phone";
    auto empty = Gen("e", "empty", "1");
    auto d = pstest::Run({PHONESIM_EXE_PATH, "dump", empty});
    EXPECT_EQ(d.exit_code, 0);
    EXPECT_EQ(d.out, "");
}

} // namespace
