// SHA256SUMS: the line format against coreutils' own sha256sum, the reader's
// refusals, and verify's findings on a tampered folder.
#include "backupfolder.h"
#include "checksums.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvell {
namespace {

class SumsFolder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Dir.isValid()); }
    QString root() const { return m_Dir.path(); }
    QString path(const QString& rel) const { return m_Dir.path() + "/" + rel; }
    void put(const QString& rel, const QByteArray& bytes) {
        ASSERT_TRUE(test::WriteAll(path(rel), bytes)) << qPrintable(rel);
    }
    // Findings as "WORD path" lines, in order.
    static QStringList Lines(const VerifyReport& report) {
        QStringList lines;
        for (const Finding& f : report.findings) {
            lines << QString::fromLatin1(FindingWord(f.kind)) + " " + f.path;
        }
        return lines;
    }
    QTemporaryDir m_Dir;
};

// Names that need coreutils' escaping, and plain ones beside them.
const QStringList kNames = {
    "Datajs/SMS.js",   "Photos/Gallery/12-a b.jpg",
    "back\\slash.txt", "new\nline.txt",
    "cr\rname.txt",    "ünï 😀.mp3",
    "Apps/x-1.apk",    "-starts-with-dash",
};

TEST_F(SumsFolder, WrittenSumsPassCoreutilsCheckAndVerify) {
    for (int i = 0; i < kNames.size(); ++i) {
        put(kNames[i], QByteArray("content ") + QByteArray::number(i));
    }
    put("empty", QByteArray());
    QStringList paths = kNames;
    paths << "empty"
          << "./Datajs/SMS.js"; // the same file twice
    const ChecksumWrite w = WriteChecksums(root(), paths);
    ASSERT_TRUE(w.written) << qPrintable(w.error);
    EXPECT_TRUE(w.skipped.isEmpty()) << qPrintable(w.skipped.join("; "));
    EXPECT_EQ(w.files, kNames.size() + 1);

    QProcess sha;
    sha.setWorkingDirectory(root());
    sha.start("sha256sum", {"--check", "--strict", kChecksumFileName});
    ASSERT_TRUE(sha.waitForFinished(30000));
    EXPECT_EQ(sha.exitCode(), 0) << sha.readAllStandardOutput().constData()
                                 << sha.readAllStandardError().constData();

    const VerifyReport report = VerifyFolder(root());
    EXPECT_TRUE(report.whole()) << qPrintable(Lines(report).join("\n"));
    EXPECT_EQ(report.checked, kNames.size() + 1);
}

TEST_F(SumsFolder, ReadsWhatCoreutilsWrites) {
    for (const QString& name : kNames) {
        put(name, name.toUtf8());
    }
    QProcess sha;
    sha.setWorkingDirectory(root());
    sha.start("sha256sum", QStringList{"--"} + kNames);
    ASSERT_TRUE(sha.waitForFinished(30000));
    const QByteArray text = sha.readAllStandardOutput();
    const ParsedChecksums parsed = ParseChecksums(text);
    EXPECT_TRUE(parsed.problems.isEmpty()) << qPrintable(parsed.problems.join("\n"));
    ASSERT_EQ(parsed.entries.size(), size_t(kNames.size()));
    for (size_t i = 0; i < parsed.entries.size(); ++i) {
        EXPECT_EQ(parsed.entries[i].path, kNames[int(i)]);
        // And the writer gives coreutils' line back byte for byte.
        EXPECT_EQ(ChecksumLine(parsed.entries[i].digest, parsed.entries[i].path),
                  text.split('\n').value(qsizetype(i)) + '\n');
    }
}

TEST(ChecksumsParse, RefusesLinesThatAreMalformedOrLeaveTheFolder) {
    const QByteArray hex(64, 'a');
    struct Case {
        QByteArray line;
        const char* why; // expected in the problem text; null: accepted
    };
    const Case cases[] = {
        {hex + "  ok.txt", nullptr},
        {hex + " *binary.txt", nullptr},
        {hex.toUpper() + "  upper.txt", nullptr},
        {hex + "  ./dot.txt", nullptr},
        {"\\" + hex + "  a\\\\b\\nc", nullptr},
        {hex + "  /etc/passwd", "absolute path"},
        {hex + "  ../outside", "leaves the folder"},
        {hex + "  a/../../outside", "leaves the folder"},
        {hex + "  a//b", "empty"},
        {hex + "  a/./b", "empty"},
        {hex + " onespace", "not a SHA-256"},
        {hex.left(63) + "  short", "not a SHA-256"},
        {QByteArray(64, 'g') + "  nothex", "not a SHA-256"},
        {"SHA256 (tagged) = " + hex, "not a SHA-256"},
        {hex + "  ", "not a SHA-256"},
        {"\\" + hex + "  bad\\qescape", "bad escape"},
        {hex + "  bad\xff"
               "utf8",
         "not UTF-8"},
        {hex + "  ok.txt", "listed twice"},
    };
    QByteArray text;
    for (const Case& c : cases) {
        text += c.line + "\n";
    }
    text += "\n"; // blank lines are ignored
    const ParsedChecksums parsed = ParseChecksums(text);
    int accepted = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QString prefix = QStringLiteral("line %1: ").arg(i + 1);
        const auto problem = std::find_if(parsed.problems.begin(), parsed.problems.end(),
                                          [&](const QString& p) { return p.startsWith(prefix); });
        if (cases[i].why == nullptr) {
            EXPECT_EQ(problem, parsed.problems.end()) << qPrintable(*problem);
            ++accepted;
        } else {
            ASSERT_NE(problem, parsed.problems.end()) << cases[i].line.constData();
            EXPECT_TRUE(problem->contains(QLatin1String(cases[i].why))) << qPrintable(*problem);
        }
    }
    ASSERT_EQ(parsed.entries.size(), size_t(accepted));
    EXPECT_EQ(parsed.entries[3].path, "dot.txt");
    EXPECT_EQ(parsed.entries[4].path, "a\\b\nc");
    EXPECT_EQ(parsed.entries[2].digest, hex);
}

TEST_F(SumsFolder, VerifyFindsChangedMissingAddedAndNeverReadsOutside) {
    put("Datajs/Contacts.js", "contacts");
    put("Datajs/SMS.js", "messages");
    put("Photos/Gallery/1-a.jpg", "jpeg");
    ASSERT_TRUE(WriteChecksums(root(), ListFilesUnder(root())).written);
    // A flipped byte, a deleted file, an added file.
    put("Datajs/SMS.js", "messageS");
    ASSERT_TRUE(QFile::remove(path("Photos/Gallery/1-a.jpg")));
    put("notes.txt", "added later");
    // Hostile lines: a path outside, an absolute path, a listed link that
    // leads outside the folder.
    QTemporaryDir outside;
    ASSERT_TRUE(test::WriteAll(outside.path() + "/secret", "secret"));
    ASSERT_TRUE(QFile::link(outside.path() + "/secret", path("link")));
    QFile sums(path(kChecksumFileName));
    ASSERT_TRUE(sums.open(QIODevice::Append));
    const QByteArray hex(64, '0');
    sums.write(hex + "  ../" + QDir(outside.path()).dirName().toUtf8() + "/secret\n");
    sums.write(hex + "  " + outside.path().toUtf8() + "/secret\n");
    sums.write(hex + "  link\n");
    sums.write("garbage\n");
    sums.close();

    std::vector<Finding> streamed;
    VerifyOptions options;
    options.onFinding = [&](const Finding& f) { streamed.push_back(f); };
    const VerifyReport report = VerifyFolder(root(), options);
    EXPECT_FALSE(report.whole());
    EXPECT_EQ(report.count(FindingKind::Changed), 1);
    EXPECT_EQ(report.count(FindingKind::Missing), 1);
    EXPECT_EQ(report.count(FindingKind::Unlisted), 1);
    EXPECT_EQ(report.count(FindingKind::BadLine), 3);
    EXPECT_EQ(report.count(FindingKind::Unreadable), 1);
    EXPECT_EQ(streamed.size(), report.findings.size());
    const QStringList lines = Lines(report);
    EXPECT_TRUE(lines.contains("CHANGED Datajs/SMS.js")) << qPrintable(lines.join("\n"));
    EXPECT_TRUE(lines.contains("MISSING Photos/Gallery/1-a.jpg"));
    EXPECT_TRUE(lines.contains("UNLISTED notes.txt"));
    EXPECT_TRUE(lines.contains("UNREADABLE link"));
    EXPECT_FALSE(lines.contains("UNLISTED link")); // listed, so not unlisted
    // The link itself was listed, so it is not unlisted; the folder's own
    // sums file is neither.
    EXPECT_FALSE(lines.join("\n").contains("UNLISTED SHA256SUMS"));
}

TEST_F(SumsFolder, FoldersWithoutSumsOrWithUnusableSumsAreNotWhole) {
    put("Datajs/SMS.js", "x");
    VerifyReport report = VerifyFolder(root());
    EXPECT_FALSE(report.hasSums);
    EXPECT_FALSE(report.whole());
    ASSERT_TRUE(QDir(root()).mkdir(kChecksumFileName));
    report = VerifyFolder(root());
    EXPECT_TRUE(report.hasSums);
    EXPECT_FALSE(report.sumsError.isEmpty());
    EXPECT_FALSE(report.whole());
}

TEST_F(SumsFolder, WriterLeavesOutWhatItCannotHashAndKeepsTheOldFileOnFailure) {
    put("a.txt", "a");
    ASSERT_TRUE(QDir(root()).mkpath("adir"));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("dangling")));
    ASSERT_EQ(::mkfifo(path("fifo").toUtf8().constData(), 0600), 0); // must not hang
    const ChecksumWrite w =
        WriteChecksums(root(), {"a.txt", "adir", "dangling", "fifo", "gone.txt", "../x", "/abs"});
    ASSERT_TRUE(w.written);
    EXPECT_EQ(w.files, 1);
    EXPECT_EQ(w.skipped.size(), 6) << qPrintable(w.skipped.join("\n"));
    const QByteArray written = test::ReadAll(path(kChecksumFileName));
    EXPECT_EQ(
        written,
        ChecksumLine("ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb", "a.txt"));
    // Cancelled: the file stays as it was.
    std::atomic<bool> abort{true};
    EXPECT_FALSE(WriteChecksums(root(), {"a.txt"}, {}, &abort).written);
    EXPECT_EQ(test::ReadAll(path(kChecksumFileName)), written);
}

// A digest taken ahead serves only while the file is the one it was taken of:
// rewritten in place (even to the same size and time), grown, or replaced
// under its name, the file is hashed again.
TEST_F(SumsFolder, DigestsTakenAheadServeOnlyUnchangedFiles) {
    struct Case {
        const char* name;
        std::function<void(const QString& file)> change;
        bool reused;
    };
    const auto rewriteKeepingTime = [](const QString& file) {
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
        ASSERT_TRUE(test::WriteAll(file, "other bytes, same size"));
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    };
    const Case cases[] = {
        {"unchanged", [](const QString&) {}, true},
        {"same size and time, other bytes", rewriteKeepingTime, false},
        {"grown",
         [](const QString& f) { ASSERT_TRUE(test::WriteAll(f, "the bytes hashed first!")); },
         false},
        {"replaced",
         [&](const QString& f) {
             ASSERT_TRUE(test::WriteAll(f + ".new", "the bytes hashed first"));
             ASSERT_EQ(::rename(QFile::encodeName(f + ".new").constData(),
                                QFile::encodeName(f).constData()),
                       0);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put("Photos/a.jpg", "the bytes hashed first");
        HashedAhead ahead(root());
        ahead.hash("Photos/a.jpg");
        c.change(path("Photos/a.jpg"));
        const int fd = ::open(QFile::encodeName(path("Photos/a.jpg")).constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ahead.digestOf("Photos/a.jpg", fd).has_value(), c.reused);
        ::close(fd);
        // Either way the sums hold the digest of the file as it is now.
        ASSERT_TRUE(WriteChecksums(root(), {"Photos/a.jpg"}, {}, nullptr, &ahead).written);
        EXPECT_EQ(VerifyFolder(root()).damage(), 0);
    }
}

TEST_F(SumsFolder, RestoreCheckJudgesEachKindByItsOwnFiles) {
    put("Datajs/Contacts.js", "contacts");
    put("Datajs/SMS.js", "messages");
    put("Photos/Gallery/1-a.jpg", "jpeg");
    put("Datajs/Photos.js", "photos");
    // No sums yet: an older backup restores as before.
    EXPECT_TRUE(CheckKindBeforeRestore(root(), SMS).ok);
    EXPECT_FALSE(CheckKindBeforeRestore(root(), SMS).hasSums);
    ASSERT_TRUE(WriteChecksums(root(), ListFilesUnder(root())).written);
    put("Photos/Gallery/1-a.jpg", "JPEG");
    put("Datajs/CallHistory.js", "added later");
    put("Musics/2-b.mp3", "added later"); // not read unless an entry names it
    struct Case {
        ContentKind kind;
        bool ok;
    };
    for (const Case c : {Case{Contacts, true}, Case{SMS, true}, Case{Photos, false},
                         Case{CallHistory, false}, Case{Musics, true}, Case{Apps, true}}) {
        const KindCheck check = CheckKindBeforeRestore(root(), c.kind);
        EXPECT_EQ(check.ok, c.ok) << c.kind << " " << qPrintable(check.message);
        EXPECT_EQ(check.message.isEmpty(), c.ok);
    }
    EXPECT_TRUE(
        CheckKindBeforeRestore(root(), Photos).message.contains("CHANGED Photos/Gallery/1-a.jpg"));
    std::atomic<bool> abort{true};
    const KindCheck cancelled = CheckKindBeforeRestore(root(), Contacts, {}, &abort);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_TRUE(cancelled.message.isEmpty());
}

} // namespace
} // namespace tarvell
