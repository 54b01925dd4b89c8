// File routines, thumbnails, names from the phone, backup naming and the
// output folder.
#include "appsupport.h"
#include "fileroutines.h"
#include "naming.h"
#include "safenames.h"
#include "testsupport.h"
#include "thumbnail.h"
#include "uilog.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

class Folder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Dir.isValid()); }
    QString path(const QString& rel) const { return m_Dir.path() + "/" + rel; }
    QTemporaryDir m_Dir;
};

TEST(Thumbnail, SizeFitsInto128KeepingAspectAndNeverEnlarges) {
    struct Case {
        int w, h;
        QSize want;
    };
    const Case cases[] = {
        {100, 60, {100, 60}},   {4000, 3000, {128, 96}}, {3000, 4000, {96, 128}},
        {127, 127, {127, 127}}, {1000, 1, {128, 0}},     {0, 0, {1, 1}},
        {-5, 200, {0, 128}},    {200, -5, {128, 0}},     {2147483647, 2147483647, {128, 128}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ThumbnailSize(c.w, c.h), c.want) << c.w << "x" << c.h;
    }
}

QImage TestPicture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x ^ y) & 0xFF));
        }
    }
    return image;
}

TEST_F(Folder, ThumbnailsHaveTheSizeOfTheFullImageScaledWithoutAFullDecode) {
    struct Case {
        int w, h;
        const char* format;
    };
    const Case cases[] = {{1000, 700, "jpg"}, {300, 900, "jpg"},   {100, 60, "jpg"},
                          {1001, 333, "jpg"}, {2000, 1500, "jpg"}, {500, 200, "png"},
                          {129, 1, "png"}};
    // With a 4 MB allocation limit a 2000 x 1500 picture (12 MB decoded) can
    // only be read at reduced size.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(4);
    for (const Case& c : cases) {
        const QString file = path(QString("p%1x%2.%3").arg(c.w).arg(c.h).arg(c.format));
        ASSERT_TRUE(TestPicture(c.w, c.h).save(file));
        const QSize full = QImageReader(file).size();
        // A side that the integer arithmetic would make 0 is kept at 1 pixel.
        const QSize want = ThumbnailSize(full.width(), full.height()).expandedTo(QSize(1, 1));
        EXPECT_EQ(LoadThumbnail(file).size(), want) << file.toStdString();
    }
    // The limit does hold for full decodes.
    ASSERT_TRUE(TestPicture(2000, 1500).save(path("big.png")));
    EXPECT_TRUE(LoadThumbnail(path("big.png")).isNull());
    QImageReader::setAllocationLimit(limit);
}

TEST_F(Folder, MakeThumbnailSavesOrFallsBackToTheDefaultImage) {
    ASSERT_TRUE(TestPicture(400, 300).save(path("photo.jpg")));
    ASSERT_TRUE(TestPicture(10, 10).save(path("DefImage.png")));
    ASSERT_TRUE(test::WriteAll(path("broken.jpg"), "not a picture"));
    QDir().mkpath(path("thumb"));

    EXPECT_EQ(MakeThumbnail(path("photo.jpg"), path("thumb/1-photo.jpg"), path("DefImage.png")),
              ThumbnailResult::Saved);
    EXPECT_EQ(QImage(path("thumb/1-photo.jpg")).size(), QSize(128, 96));

    // Unreadable photo, missing photo, and a format that cannot be saved.
    EXPECT_EQ(MakeThumbnail(path("broken.jpg"), path("thumb/2-broken.jpg"), path("DefImage.png")),
              ThumbnailResult::DefaultImage);
    EXPECT_EQ(MakeThumbnail(path("none.jpg"), path("thumb/3-none.jpg"), path("DefImage.png")),
              ThumbnailResult::DefaultImage);
    ASSERT_TRUE(QFile::copy(path("photo.jpg"), path("photo.heic")));
    EXPECT_EQ(MakeThumbnail(path("photo.heic"), path("thumb/4-photo.heic"), path("DefImage.png")),
              ThumbnailResult::DefaultImage);
    for (const char* name : {"thumb/2-broken.jpg", "thumb/3-none.jpg", "thumb/4-photo.heic"}) {
        EXPECT_EQ(test::ReadAll(path(name)), test::ReadAll(path("DefImage.png"))) << name;
    }
    // No default image: nothing is left behind.
    EXPECT_EQ(MakeThumbnail(path("broken.jpg"), path("thumb/5-broken.jpg"), path("nodef.png")),
              ThumbnailResult::Nothing);
    EXPECT_FALSE(QFile::exists(path("thumb/5-broken.jpg")));
}

TEST_F(Folder, CopiesKeepExistingFilesUnlessAskedToReplace) {
    ASSERT_TRUE(test::WriteAll(path("src.html"), "new"));
    ASSERT_TRUE(test::WriteAll(path("dst.html"), "old"));
    // A file copied onto itself is left whole.
    EXPECT_TRUE(CopyFileIfMissing(path("src.html"), path("src.html"), true));
    EXPECT_EQ(test::ReadAll(path("src.html")), "new");
    EXPECT_FALSE(CopyFileIfMissing(path("missing.html"), path("x.html"), true));
    EXPECT_FALSE(QFile::exists(path("x.html")));
    EXPECT_FALSE(CopyFileIfMissing(path("src.html"), path("dst.html"), false));
    EXPECT_EQ(test::ReadAll(path("dst.html")), "old");
    EXPECT_TRUE(CopyFileIfMissing(path("src.html"), path("dst.html"), true));
    EXPECT_EQ(test::ReadAll(path("dst.html")), "new");
    QDir().mkpath(path("sub"));
    EXPECT_TRUE(CopyFileIfMissing(path("src.html"), path("sub\\copy.html"), false));
    EXPECT_EQ(test::ReadAll(path("sub/copy.html")), "new");

    ASSERT_TRUE(test::WriteAll(path("Script/a.js"), "a"));
    ASSERT_TRUE(test::WriteAll(path("Script/lib/deeper/c.css"), "c"));
    ASSERT_TRUE(QDir().mkpath(path("Script/empty")));
    EXPECT_TRUE(CopyDirectory(path("Script"), path("backup/Script"), false));
    EXPECT_EQ(test::ReadAll(path("backup/Script/lib/deeper/c.css")), "c");
    EXPECT_TRUE(QFileInfo(path("backup/Script/empty")).isDir());
    EXPECT_FALSE(CopyDirectory(path("Script"), path("backup/Script"), false));
    ASSERT_TRUE(test::WriteAll(path("Script/a.js"), "A"));
    EXPECT_TRUE(CopyDirectory(path("Script"), path("backup/Script"), true));
    EXPECT_EQ(test::ReadAll(path("backup/Script/a.js")), "A");
    EXPECT_FALSE(CopyDirectory(path("Script"), "/proc/tarvell-no-such-place/Script", false));
}

TEST_F(Folder, LibraryPathLimitAndWholeCopies) {
    EXPECT_TRUE(FitsLibraryPath(QString(1023, 'a')));
    EXPECT_FALSE(FitsLibraryPath(QString(1024, 'a')));
    // 341 three-byte characters are 1023 bytes; one more ASCII byte is too many.
    EXPECT_TRUE(FitsLibraryPath(QString(341, QChar(0x4f60))));
    EXPECT_FALSE(FitsLibraryPath(QString(341, QChar(0x4f60)) + "a"));

    ASSERT_TRUE(test::WriteAll(path("song.mp3"), QByteArray(100, 'x')));
    EXPECT_TRUE(CopiedFileIsWhole(path("song.mp3"), 100));
    EXPECT_FALSE(CopiedFileIsWhole(path("song.mp3"), 101));
    EXPECT_TRUE(CopiedFileIsWhole(path("song.mp3"), -1));
    EXPECT_FALSE(CopiedFileIsWhole(path("missing.mp3"), 0));
    EXPECT_FALSE(CopiedFileIsWhole(m_Dir.path(), -1));
}

TEST(SafeNames, NamesFromThePhoneStayOneFileName) {
    struct Case {
        QString name;
        QString safe;
    };
    const Case cases[] = {
        {"IMG_1.jpg", "IMG_1.jpg"},
        {"a..b.mp3", "a..b.mp3"},
        {"", ""},
        {"..", "__"},
        {".", "_"},
        {"../../.bashrc", ".._.._.bashrc"},
        {"a\\b", "a_b"},
        {QString("a") + QChar(0) + "b", "a_b"},
        {"/etc/passwd", "_etc_passwd"},
        {"Zo\u00eb \U0001F600.jpg", "Zo\u00eb \U0001F600.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SafeFileName(c.name), c.safe) << c.name.toStdString();
        EXPECT_TRUE(IsSafeFileName(SafeFileName(c.name)));
    }
}

TEST(SafeNames, RestoredFilenamesMustStayInTheirFolder) {
    struct Case {
        QString filename;
        bool inside;
    };
    const Case cases[] = {
        {"5-a.mp3", true},      {"5-a..mp3", true}, {"", false},
        {"..", false},          {".", false},       {"5-../../x", false},
        {"sub/5-a.mp3", false}, {"5-a\\b", false},  {QString("5-a") + QChar(0), false}};
    for (const Case& c : cases) {
        EXPECT_EQ(FilenameStaysInside("/b/Musics", c.filename), c.inside)
            << c.filename.toStdString();
    }
}

// A backup folder may come from anyone: every link in what a restore reads
// must end inside it, and a sibling folder whose name merely begins with the
// backup folder's name is outside.
TEST_F(Folder, RestoredFilesMustResolveInsideTheBackup) {
    struct Case {
        const char* what;
        QString at;   // relative to the temporary folder
        QString to;   // link target; empty: a plain file at `at`; "-": nothing
        QString read; // what the restore reads, below `at`
        bool inside;
    };
    const Case cases[] = {
        {"a plain file", "backup/Musics/1-a.mp3", "", "", true},
        {"nothing there", "backup/Musics/2-b.mp3", "-", "", true},
        {"a link to a file of the backup", "backup/Musics/3-c.mp3", "backup/Gallery/1.jpg", "",
         true},
        {"a link outside", "backup/Musics/4-d.mp3", "outside/x", "", false},
        {"a link into a sibling named like the backup", "backup/Musics/5-e.mp3", "backup-old/x", "",
         false},
        {"a kind folder linked to that sibling", "backup/Videos", "backup-old", "/x", false},
        {"a link to the backup folder itself", "backup/Musics/6-f.mp3", "backup", "", false},
        {"a link that leads nowhere", "backup/Musics/7-g.mp3", "backup/none", "", false},
    };
    for (const char* file :
         {"backup/Musics/.keep", "backup/Gallery/1.jpg", "backup-old/x", "outside/x"}) {
        ASSERT_TRUE(test::WriteAll(path(file), "bytes"));
    }
    for (const Case& c : cases) {
        if (c.to.isEmpty()) {
            ASSERT_TRUE(test::WriteAll(path(c.at), "bytes"));
        } else if (c.to != "-") {
            ASSERT_TRUE(QFile::link(path(c.to), path(c.at))) << c.what;
        }
        EXPECT_EQ(ResolvesInside(path("backup"), path(c.at) + c.read), c.inside) << c.what;
    }
}

TEST(Naming, LocalNamesAndFolderPaths) {
    EXPECT_EQ(MediaLocalName(12, "/sdcard/Music/song.mp3"), "12-song.mp3");
    EXPECT_EQ(MediaLocalName(-3, "/sdcard/Music/song.mp3"), "-3-song.mp3");
    EXPECT_EQ(MediaLocalName(7, "/sdcard/DCIM/"), "7-");
    EXPECT_EQ(MediaLocalName(7, "/sdcard/a\\..\\..\\b.jpg"), "7-a_.._.._b.jpg");
    EXPECT_EQ(MediaLocalName(8, "/sdcard/\xE4\xBD\xA0\xE5\xA5\xBD.jpg"), "8-\u4f60\u597d.jpg");
    EXPECT_EQ(AppLocalName("../../evil"), ".._.._evil-1.apk");
    EXPECT_EQ(BackupFolderPath("C:\\Users\\me", "P-03"), "C:/Users/me/P-03");
    EXPECT_EQ(SplitCatalogueLabel("short").device, "");
}

TEST(Naming, DeviceLabelFallsBackAndCutsLineEnds) {
    struct Case {
        const char* model;
        const char* manufacturer;
        const char* serial;
        const char* label;
    };
    const Case cases[] = {
        {"Pixel 7\r\n", "Google\n", "ABC\n", "Pixel 7"},
        {"", "Google\r\n", "ABC", "Google"},
        {"\r\n", "", "ABC\n", "ABC"},
        {"", "", "", ""},
        {"A-1\nrest", "", "", "A-1"},
    };
    for (const Case& c : cases) {
        DeviceInfoRecord info{};
        test::SetText(info.model, c.model);
        test::SetText(info.manufacturer, c.manufacturer);
        test::SetText(info.serial, c.serial);
        EXPECT_EQ(DeviceLabel(info), c.label);
    }
}

// Runs body with HOME pointing at a fresh folder.
class HomeFolder : public Folder {
protected:
    void SetUp() override {
        Folder::SetUp();
        m_OldHome = qgetenv("HOME");
        qputenv("HOME", m_Dir.path().toUtf8());
        QSettings(kSettingsOrganisation, kSettingsApplication).clear();
    }
    void TearDown() override {
        QSettings(kSettingsOrganisation, kSettingsApplication).clear();
        qputenv("HOME", m_OldHome);
    }
    QByteArray m_OldHome;
};

TEST_F(HomeFolder, DefaultOutputFolderPrefersTheSavedFolderThenDocuments) {
    // Only "My Documents" exists: it is used, and Documents is not made.
    QDir().mkpath(path("My Documents"));
    EXPECT_EQ(DefaultOutputFolder(), path("My Documents/Tarvell"));
    EXPECT_FALSE(QFileInfo(path("Documents")).exists());
    QDir(path("My Documents")).removeRecursively();
    // Otherwise Documents is created.
    EXPECT_EQ(DefaultOutputFolder(), path("Documents/Tarvell"));
    EXPECT_TRUE(QFileInfo(path("Documents/Tarvell")).isDir());
    // A saved folder that exists wins; a deleted one is ignored but kept.
    QDir().mkpath(path("chosen"));
    SaveOutputFolder(path("chosen"));
    EXPECT_EQ(DefaultOutputFolder(), path("chosen"));
    QDir(path("chosen")).removeRecursively();
    EXPECT_EQ(DefaultOutputFolder(), path("Documents/Tarvell"));
    EXPECT_EQ(
        QSettings(kSettingsOrganisation, kSettingsApplication).value(kOutputFolderKey).toString(),
        path("chosen"));
}

TEST_F(HomeFolder, DocumentsFolderFollowsTheUserDirsSetting) {
    qunsetenv("XDG_CONFIG_HOME");
    struct Case {
        QByteArray setting;
        QString folder;
    };
    const Case cases[] = {
        {"", "Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "Dokumente"},
        {"# comment\nXDG_MUSIC_DIR=\"$HOME/M\"\nXDG_DOCUMENTS_DIR=\"$HOME/D 2\"\n", "D 2"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "Documents"}, // home itself: not set
        {"XDG_DOCUMENTS_DIR=\"relative\"\n", "Documents"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(test::WriteAll(path(".config/user-dirs.dirs"), c.setting));
        EXPECT_EQ(DocumentsFolder(), path(c.folder)) << c.setting.toStdString();
        EXPECT_TRUE(QFileInfo(path(c.folder)).isDir());
    }
    ASSERT_TRUE(test::WriteAll(path("cfg/user-dirs.dirs"),
                               "XDG_DOCUMENTS_DIR=\"" + path("abs").toUtf8() + "\"\n"));
    qputenv("XDG_CONFIG_HOME", path("cfg").toUtf8());
    EXPECT_EQ(DocumentsFolder(), path("abs"));
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(UiLogFile, HasADatedHeaderAndTheEntries) {
    UiLog("engine test entry %d\n", 42);
    UiLog(nullptr);
    const std::string longEntry(5000, 'x');
    UiLog("%s\n", longEntry.c_str());
    const QString file = UiLogPath();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_TRUE(file.endsWith("/tarvellui.log"));
    const QByteArray text = test::ReadAll(file);
    EXPECT_TRUE(text.startsWith("============================================\n"));
    EXPECT_TRUE(text.contains("engine test entry 42\n"));
    EXPECT_TRUE(text.contains(QByteArray(4095, 'x')));
    EXPECT_FALSE(text.contains(QByteArray(4096, 'x')));
}

TEST(UiLogFile, EachRunStartsAFreshLog) {
    QTemporaryDir logs;
    ASSERT_TRUE(logs.isValid());
    for (int run = 0; run < 2; ++run) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TARVELL_ENGINE_TEST_LOG_DIR", logs.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=UiLogFile.HasADatedHeaderAndTheEntries"});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }
    const QByteArray text = test::ReadAll(logs.path() + "/tarvellui.log");
    EXPECT_EQ(text.count("engine test entry 42\n"), 1);
    EXPECT_EQ(text.count("============================================\n"), 2);
}

} // namespace
} // namespace tarvell
