// Floor of the thumbnails of a backup: MakeThumbnail over every photo in a
// folder tree, alone. Prints "thumbnails <count> <seconds>".
#include "thumbnail.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: thumbs_floor PHOTO_FOLDER\n");
        return 2;
    }
    QTemporaryDir out;
    int count = 0;
    const auto start = std::chrono::steady_clock::now();
    QDirIterator it(QString::fromLocal8Bit(argv[1]),
                    {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.png")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString photo = it.next();
        tarvell::MakeThumbnail(
            photo, out.path() + QStringLiteral("/%1-").arg(count) + it.fileName(), QString());
        ++count;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("thumbnails %d %.3f\n", count, took.count());
    return 0;
}
