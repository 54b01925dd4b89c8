// Verify speed beside coreutils: the same folder, in the same run, checked by
// `sha256sum -c SHA256SUMS` and by VerifyFolder; also the bare hash of Qt's
// QCryptographicHash over the same bytes, which the engine does not use.
//
// Run: build/bin/bench_engine_verify [FOLDER] [--mib N] [--rounds R]
// Without FOLDER a temporary folder of N MiB (default 512) is made: a few
// large files (videos), many middle-sized ones (photos) and small ones
// (.js files). The page cache is warmed first, so both read from memory and
// the figure compares the hashing and reading code, not the disk. Rounds
// alternate the two tools; the best round of each is reported (the machine
// may be shared).
#include "checksums.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace tarvell;

namespace {

bool MakeFolder(const QString& root, qint64 mib) {
    QRandomGenerator random(2026);
    QByteArray block(1 << 20, '\0');
    auto fill = [&] {
        auto* words = reinterpret_cast<quint32*>(block.data());
        random.fillRange(words, block.size() / 4);
    };
    qint64 left = mib << 20;
    int n = 0;
    auto write = [&](const QString& rel, qint64 size) {
        const QString path = root + u'/' + rel;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        for (qint64 done = 0; done < size;) {
            fill();
            const qint64 chunk = std::min<qint64>(block.size(), size - done);
            if (file.write(block.constData(), chunk) != chunk) {
                return false;
            }
            done += chunk;
        }
        left -= size;
        return true;
    };
    // Half in large files, most of the rest in 3 MiB photos, the rest small.
    for (qint64 half = left / 2; half > 0 && left > 0; half -= 64 << 20) {
        if (!write(QStringLiteral("Videos/%1-clip.mp4").arg(++n),
                   std::min<qint64>(64 << 20, half))) {
            return false;
        }
    }
    while (left > (8 << 20)) {
        if (!write(QStringLiteral("Photos/Gallery/%1-img.jpg").arg(++n), 3 << 20)) {
            return false;
        }
    }
    while (left > 0) {
        if (!write(QStringLiteral("Datajs/%1.js").arg(++n), std::min<qint64>(left, 40 << 10))) {
            return false;
        }
    }
    return true;
}

double MiBPerSecond(qint64 bytes, qint64 nanoseconds) {
    return nanoseconds <= 0 ? 0 : double(bytes) / double(1 << 20) / (double(nanoseconds) / 1e9);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    qint64 mib = 512;
    int rounds = 5;
    QString folder;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--mib") && i + 1 < args.size()) {
            mib = args[++i].toLongLong();
        } else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size()) {
            rounds = std::max(1, args[++i].toInt());
        } else {
            folder = args[i];
        }
    }
    QTemporaryDir temporary;
    if (folder.isEmpty()) {
        folder = temporary.path();
        std::printf("making a %lld MiB folder in %s\n", mib, qPrintable(folder));
        if (!MakeFolder(folder, mib)) {
            std::fprintf(stderr, "cannot write the test folder\n");
            return 1;
        }
    }
    const QStringList files = ListFilesUnder(folder);
    const ChecksumWrite written = WriteChecksums(folder, files);
    if (!written.written) {
        std::fprintf(stderr, "cannot write SHA256SUMS: %s\n", qPrintable(written.error));
        return 1;
    }
    std::printf("%d files, %.1f MiB\n", written.files, double(written.bytes) / (1 << 20));

    qint64 bestSha = -1, bestVerify = -1, bestQt = -1;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        QProcess sha;
        sha.setWorkingDirectory(folder);
        sha.setStandardOutputFile(QProcess::nullDevice());
        timer.start();
        sha.start(QStringLiteral("sha256sum"),
                  {QStringLiteral("--check"), QStringLiteral("--quiet"), kChecksumFileName});
        sha.waitForFinished(-1);
        const qint64 shaNs = timer.nsecsElapsed();
        if (sha.exitCode() != 0) {
            std::fprintf(stderr, "sha256sum -c failed: %s\n",
                         sha.readAllStandardError().constData());
            return 1;
        }
        timer.start();
        const VerifyReport report = VerifyFolder(folder);
        const qint64 verifyNs = timer.nsecsElapsed();
        if (!report.whole()) {
            std::fprintf(stderr, "verify found damage\n");
            return 1;
        }
        timer.start();
        for (const QString& f : files) {
            QFile file(folder + u'/' + f);
            if (file.open(QIODevice::ReadOnly)) {
                QCryptographicHash hash(QCryptographicHash::Sha256);
                hash.addData(&file);
                (void)hash.result();
            }
        }
        const qint64 qtNs = timer.nsecsElapsed();
        std::printf("round %d: sha256sum -c %.0f MiB/s, verify %.0f MiB/s, QCryptographicHash "
                    "%.0f MiB/s\n",
                    round + 1, MiBPerSecond(written.bytes, shaNs),
                    MiBPerSecond(written.bytes, verifyNs), MiBPerSecond(written.bytes, qtNs));
        auto best = [](qint64& b, qint64 v) { b = (b < 0 || v < b) ? v : b; };
        best(bestSha, shaNs);
        best(bestVerify, verifyNs);
        best(bestQt, qtNs);
    }
    const double sha = MiBPerSecond(written.bytes, bestSha);
    const double verify = MiBPerSecond(written.bytes, bestVerify);
    std::printf("best: sha256sum -c %.0f MiB/s, tarvell verify %.0f MiB/s (%.2fx), "
                "QCryptographicHash %.0f MiB/s\n",
                sha, verify, sha > 0 ? verify / sha : 0.0, MiBPerSecond(written.bytes, bestQt));
    return 0;
}
