// The backup catalogue and what counts as a backup folder.
#include "backupfolder.h"
#include "catalogue.h"
#include "naming.h"
#include "testsupport.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

class CatalogueFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Dir.isValid()); }
    // A backup folder holding the given files.
    QString backup(const QString& name, const QStringList& files) {
        const QString folder = m_Dir.path() + "/" + name;
        QDir().mkpath(folder);
        for (const QString& file : files) {
            EXPECT_TRUE(test::WriteAll(folder + "/" + file, "x"));
        }
        return folder;
    }
    QString iniPath() const { return m_Dir.path() + "/list.ini"; }
    void writeIni(const QList<QPair<QString, QString>>& entries) {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.clear();
        for (const auto& [key, value] : entries) {
            ini.setValue(key, value);
        }
        ini.sync();
    }
    QTemporaryDir m_Dir;
};

TEST_F(CatalogueFiles, BackupFolderNeedsIndexAndOneContentFile) {
    struct Case {
        QStringList files;
        bool isBackup;
    };
    const Case cases[] = {
        {{"index.html", "Datajs/Contacts.js"}, true},
        {{"index.html", "Datajs/Apps.js"}, true},
        {{"index.html", "Datajs/Videos.js", "Datajs/Deviceinfo.js"}, true},
        {{"Datajs/SMS.js", "Datajs/CallHistory.js"}, false},
        {{"index.html", "Datajs/Deviceinfo.js"}, false},
        {{"index.html"}, false},
        {{}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString folder = backup(QString("b%1").arg(n++), c.files);
        EXPECT_EQ(IsBackupFolder(folder), c.isBackup) << c.files.join(",").toStdString();
    }
    EXPECT_FALSE(IsBackupFolder(QString()));
    EXPECT_FALSE(IsBackupFolder(m_Dir.path() + "/missing"));
}

TEST_F(CatalogueFiles, LoadingDropsNullEmptyDuplicateAndBrokenEntries) {
    const QString good1 = backup("P1", {"index.html", "Datajs/SMS.js"});
    const QString good2 = backup("P2", {"index.html", "Datajs/Photos.js"});
    const QString noIndex = backup("P3", {"Datajs/SMS.js", "Datajs/Contacts.js"});
    writeIni({{"01.01.2024 10:00:00.000-A", good1},
              {"02.01.2024 10:00:00.000-B", "NULL"},
              {"03.01.2024 10:00:00.000-C", ""},
              {"04.01.2024 10:00:00.000-D", good1},
              {"05.01.2024 10:00:00.000-E", noIndex},
              {"06.01.2024 10:00:00.000-F", good2},
              {"07.01.2024 10:00:00.000-G", m_Dir.path() + "/gone"}});
    Catalogue catalogue;
    ASSERT_TRUE(catalogue.load(iniPath()));
    EXPECT_EQ(catalogue.paths(), QStringList({good1, good2}));
    // Duplicates keep the first label.
    EXPECT_EQ(catalogue.labels(),
              QStringList({"01.01.2024 10:00:00.000-A", "06.01.2024 10:00:00.000-F"}));

    // Dropped entries vanish from the file at the next save.
    ASSERT_TRUE(catalogue.save(iniPath()));
    QSettings ini(iniPath(), QSettings::IniFormat);
    EXPECT_EQ(ini.allKeys().size(), 2);
    EXPECT_EQ(ini.value("01.01.2024 10:00:00.000-A").toString(), good1);
    EXPECT_EQ(ini.value("06.01.2024 10:00:00.000-F").toString(), good2);
}

TEST_F(CatalogueFiles, AddingReplacesTheLabelOfAKnownPath) {
    Catalogue catalogue;
    catalogue.add("L1", "/a");
    catalogue.add("L2", "/b");
    catalogue.add("L3", "");
    catalogue.add("L1 newer", "/a");
    EXPECT_EQ(catalogue.paths(), QStringList({"/a", "/b"}));
    EXPECT_EQ(catalogue.labels(), QStringList({"L1 newer", "L2"}));
}

TEST_F(CatalogueFiles, LabelsWithDashesAndSpecialCharactersSurviveTheFile) {
    const QDateTime when(QDate(2026, 12, 6), QTime(19, 30, 1, 5));
    const QStringList devices = {"SM-G990B", "Pixel 7", "Zo\u00eb-\u4f60\u597d",
                                 "A=B;C,D",  "x%20y",   "[group]"};
    Catalogue catalogue;
    QStringList folders;
    int n = 0;
    for (const QString& device : devices) {
        folders << backup(QString("d%1").arg(n++), {"index.html", "Datajs/Contacts.js"});
        catalogue.add(CatalogueLabel(when, device), folders.back());
    }
    ASSERT_TRUE(catalogue.save(iniPath()));
    Catalogue loaded;
    ASSERT_TRUE(loaded.load(iniPath()));
    ASSERT_EQ(loaded.size(), devices.size());
    for (int i = 0; i < loaded.size(); ++i) {
        const int at = int(folders.indexOf(loaded.paths()[i]));
        ASSERT_GE(at, 0);
        const CatalogueLabelParts parts = SplitCatalogueLabel(loaded.labels()[i]);
        EXPECT_EQ(parts.time, "06.12.2026 19:30:01.005");
        EXPECT_EQ(parts.device, devices[at]);
    }
}

TEST_F(CatalogueFiles, AnUnreadableFileIsNeitherLoadedNorOverwritten) {
    ASSERT_TRUE(QDir().mkpath(iniPath())); // a folder where the file should be
    Catalogue catalogue;
    catalogue.add("L", "/a");
    EXPECT_FALSE(catalogue.save(iniPath()));
    EXPECT_FALSE(catalogue.load(iniPath()));
    EXPECT_EQ(catalogue.size(), 0);
}

TEST(CataloguePlace, LivesInTheUsersDataFolderNotInTemp) {
    const QString path = CatalogPath();
    EXPECT_TRUE(path.endsWith("/Tarvell/list.ini"));
    EXPECT_TRUE(
        path.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
    EXPECT_NE(path, QDir::tempPath() + "/Tarvell/list.ini");
    EXPECT_TRUE(QFileInfo(QFileInfo(path).absolutePath()).isDir());
}

} // namespace
} // namespace tarvell
