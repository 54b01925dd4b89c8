// Taking a file from an earlier backup: only a plain file inside the earlier
// folder whose bytes match its checksum, never half of one.
#include "incremental.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvell {
namespace {

const QByteArray kBytes = "the photo's bytes";

QByteArray HexSha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

nlink_t LinksOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_nlink : 0;
}

TEST(TakeEarlierFile, TakesOnlyAWholeMatchingFileFromInsideTheFolder) {
    struct Case {
        const char* name;
        std::function<void(const QString& earlier, const QString& outside)> arrange;
        qint64 size;
        QByteArray digest;
        bool abort;
        bool ok;
    };
    const auto none = [](const QString&, const QString&) {};
    const QString file = QStringLiteral("Photos/Gallery/1-a.jpg");
    const Case cases[] = {
        {"unchanged", none, kBytes.size(), HexSha256(kBytes), false, true},
        {"size unknown", none, -1, HexSha256(kBytes), false, true},
        {"upper-case digest", none, kBytes.size(), HexSha256(kBytes).toUpper(), false, true},
        {"damaged bytes", none, kBytes.size(), HexSha256("other bytes of a photo"), false, false},
        {"other size", none, kBytes.size() + 1, HexSha256(kBytes), false, false},
        {"gone",
         [&](const QString& earlier, const QString&) { QFile::remove(earlier + u'/' + file); },
         kBytes.size(), HexSha256(kBytes), false, false},
        {"link to a file outside",
         [&](const QString& earlier, const QString& outside) {
             QFile::remove(earlier + u'/' + file);
             test::WriteAll(outside + QStringLiteral("/secret"), kBytes);
             QFile::link(outside + QStringLiteral("/secret"), earlier + u'/' + file);
         },
         kBytes.size(), HexSha256(kBytes), false, false},
        {"link inside the folder",
         [&](const QString& earlier, const QString&) {
             QFile::rename(earlier + u'/' + file, earlier + QStringLiteral("/other"));
             QFile::link(earlier + QStringLiteral("/other"), earlier + u'/' + file);
         },
         kBytes.size(), HexSha256(kBytes), false, false},
        {"kind folder is a link outside",
         [&](const QString& earlier, const QString& outside) {
             QDir(outside).mkpath(QStringLiteral("Gallery"));
             QFile::rename(earlier + u'/' + file, outside + QStringLiteral("/Gallery/1-a.jpg"));
             QDir(earlier + QStringLiteral("/Photos/Gallery")).removeRecursively();
             QFile::link(outside + QStringLiteral("/Gallery"),
                         earlier + QStringLiteral("/Photos/Gallery"));
         },
         kBytes.size(), HexSha256(kBytes), false, false},
        {"cancelled", none, kBytes.size(), HexSha256(kBytes), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        const QString earlier = root.path() + QStringLiteral("/earlier");
        const QString outside = root.path() + QStringLiteral("/outside");
        const QString fresh = root.path() + QStringLiteral("/new/Photos/Gallery");
        ASSERT_TRUE(QDir().mkpath(earlier + QStringLiteral("/Photos/Gallery")));
        ASSERT_TRUE(QDir().mkpath(outside));
        ASSERT_TRUE(QDir().mkpath(fresh));
        ASSERT_TRUE(test::WriteAll(earlier + u'/' + file, kBytes));
        c.arrange(earlier, outside);
        const std::atomic<bool> abort{c.abort};
        const QString destination = fresh + QStringLiteral("/1-a.jpg");
        const TakenFile taken =
            TakeEarlierFile(earlier, file, destination, c.size, c.digest, &abort);
        EXPECT_EQ(taken.ok, c.ok) << taken.why.toStdString();
        EXPECT_EQ(QFileInfo::exists(destination), c.ok);
        if (c.ok) {
            EXPECT_TRUE(taken.linked);
            EXPECT_EQ(test::ReadAll(destination), kBytes);
            EXPECT_EQ(LinksOf(destination), 2u);
            ASSERT_TRUE(taken.stamp);
            EXPECT_EQ(taken.stamp->digest, HexSha256(kBytes));
        } else {
            EXPECT_FALSE(taken.why.isEmpty());
        }
        // Nothing half-taken stays beside it.
        EXPECT_EQ(QDir(fresh).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                  c.ok ? 1 : 0);
    }
}

TEST(TakeEarlierFile, CopiesAcrossFileSystems) {
    QTemporaryDir other(QStringLiteral("/dev/shm/tarvell-incr-XXXXXX"));
    QTemporaryDir here;
    struct stat a {
    }, b{};
    if (!other.isValid() || ::stat("/dev/shm", &a) != 0 ||
        ::stat(QFile::encodeName(here.path()).constData(), &b) != 0 || a.st_dev == b.st_dev) {
        GTEST_SKIP() << "no second file system at hand";
    }
    ASSERT_TRUE(QDir().mkpath(other.path() + QStringLiteral("/Apps")));
    ASSERT_TRUE(test::WriteAll(other.path() + QStringLiteral("/Apps/a-1.apk"), kBytes));
    for (const bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged" : "whole");
        const QString into = here.path() + (damaged ? QStringLiteral("/d") : QStringLiteral("/w"));
        ASSERT_TRUE(QDir().mkpath(into));
        const QString destination = into + QStringLiteral("/a-1.apk");
        const TakenFile taken =
            TakeEarlierFile(other.path(), QStringLiteral("Apps/a-1.apk"), destination, -1,
                            HexSha256(damaged ? QByteArray("x") : kBytes));
        EXPECT_EQ(taken.ok, !damaged) << taken.why.toStdString();
        EXPECT_FALSE(taken.linked);
        EXPECT_EQ(QFileInfo::exists(destination), !damaged);
        EXPECT_EQ(QDir(into).entryList(QDir::Files | QDir::Hidden).size(), damaged ? 0 : 1);
        if (!damaged) {
            EXPECT_EQ(test::ReadAll(destination), kBytes);
            EXPECT_EQ(LinksOf(destination), 1u);
        }
    }
}

TEST(KnownDigests, StandOnlyForTheFileTheyWereTakenOf) {
    struct Case {
        const char* name;
        std::function<void(const QString& file)> change;
        bool wrongDigestKept; // the sums still carry the digest given
    };
    const Case cases[] = {
        {"unchanged", [](const QString&) {}, true},
        {"rewritten", [](const QString& f) { test::WriteAll(f, "new bytes of another size"); },
         false},
        {"replaced by another file",
         [](const QString& f) {
             test::WriteAll(f + QStringLiteral(".new"), kBytes);
             QFile::remove(f);
             QFile::rename(f + QStringLiteral(".new"), f);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString file = folder.path() + QStringLiteral("/a.jpg");
        ASSERT_TRUE(test::WriteAll(file, kBytes));
        // A digest that is not the file's shows whether it was used.
        const QByteArray given = HexSha256("not the file");
        const auto stamp = StampOfFile(file, given);
        ASSERT_TRUE(stamp);
        c.change(file);
        HashedAhead ahead(folder.path());
        ahead.adopt(QStringLiteral("a.jpg"), *stamp);
        ASSERT_TRUE(
            WriteChecksums(folder.path(), {QStringLiteral("a.jpg")}, {}, nullptr, &ahead).written);
        const QByteArray sums =
            test::ReadAll(folder.path() + u'/' + QLatin1String(kChecksumFileName));
        EXPECT_EQ(sums.startsWith(given), c.wrongDigestKept) << sums.constData();
    }
}

} // namespace
} // namespace tarvell
