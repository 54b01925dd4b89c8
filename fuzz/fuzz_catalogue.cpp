// The catalogue loader over arbitrary list.ini contents: loading never
// fails to finish, the two lists stay parallel, hold no empty or "NULL"
// path and no path twice, and a save and reload gives the same entries.
#include "catalogue.h"
#include "fuzz_check.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdint>

using namespace tarvell;

namespace {
// The readers' warnings (Qt messages) would cost more than the reading;
// they are dropped inside the target.
void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

const QString& Folder() {
    qInstallMessageHandler(DropMessage);
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    static const QString path = dir.path();
    return path;
}

// Backup folders the seeds name, so that loading keeps entries: a backup
// folder holds index.html and at least one kind's .js file.
void LayOutBackups() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    for (const char* name : {"/tmp/tarvell-fuzz-catalogue/b1", "/tmp/tarvell-fuzz-catalogue/b2",
                             "/tmp/tarvell-fuzz-catalogue/b 3"}) {
        const QString folder = QString::fromUtf8(name);
        QDir().mkpath(folder + "/Datajs");
        for (const char* file : {"/index.html", "/Datajs/SMS.js"}) {
            QFile f(folder + QString::fromUtf8(file));
            FUZZ_CHECK(f.open(QIODevice::WriteOnly));
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    LayOutBackups();
    const QString file = Folder() + "/list.ini";
    {
        QFile out(file);
        FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(out.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    Catalogue catalogue;
    if (!catalogue.load(file)) {
        FUZZ_CHECK(catalogue.size() == 0);
        return 0;
    }
    FUZZ_CHECK(catalogue.paths().size() == catalogue.labels().size());
    QSet<QString> seen;
    for (const QString& path : catalogue.paths()) {
        FUZZ_CHECK(!path.isEmpty() && path != "NULL");
        FUZZ_CHECK(!seen.contains(path));
        seen.insert(path);
    }

    const QString copy = Folder() + "/copy.ini";
    QFile::remove(copy);
    FUZZ_CHECK(catalogue.save(copy));
    Catalogue again;
    FUZZ_CHECK(again.load(copy));
    // The same entries come back (the file keeps its own key order).
    const auto entries = [](const Catalogue& c) {
        QStringList pairs;
        for (qsizetype i = 0; i < c.paths().size(); ++i) {
            pairs << c.labels()[i] + QLatin1Char('\n') + c.paths()[i];
        }
        pairs.sort();
        return pairs;
    };
    FUZZ_CHECK(entries(again) == entries(catalogue));
    return 0;
}
