// Thumbnail of a 12-megapixel JPEG photo: the decoder-scaled read that backups
// use, beside a full decode followed by scaling.
//
// Run: build/bin/bench_engine_thumbnail --benchmark_repetitions=15
//      --benchmark_report_aggregates_only=true
// Image work is kept on one thread; the CPU column is the per-core cost (the
// wall-clock column also counts time lost to other processes).
#include "thumbnail.h"

#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThreadPool>
#include <benchmark/benchmark.h>

namespace {

// A camera-like picture: smooth gradients with fine sensor noise, saved as a
// quality-90 JPEG (a few megabytes, like a phone photo).
QString MakePhoto(const QTemporaryDir& dir, int width, int height) {
    const QString path = dir.path() + QStringLiteral("/photo.jpg");
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(12345);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(noise.bounded(24u)) - 12;
            const int r = qBound(0, x * 255 / width + n, 255);
            const int g = qBound(0, y * 255 / height + n, 255);
            const int b = qBound(0, ((x / 40 + y / 40) % 2) * 120 + 60 + n, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    image.save(path, "JPEG", 90);
    return path;
}

struct Photo {
    QTemporaryDir dir;
    QString path;
    Photo() : path(MakePhoto(dir, 4000, 3000)) {}
};

Photo& TwelveMegapixel() {
    static Photo photo;
    return photo;
}

// What backups do: decode at reduced size.
void BM_ThumbnailReducedDecode(benchmark::State& state) {
    const QString path = TwelveMegapixel().path;
    for (auto _ : state) {
        QImage thumb = tarvell::LoadThumbnail(path);
        benchmark::DoNotOptimize(thumb.constBits());
        if (thumb.size() != QSize(128, 96)) {
            state.SkipWithError("wrong thumbnail size");
            break;
        }
    }
}
BENCHMARK(BM_ThumbnailReducedDecode)->Unit(benchmark::kMillisecond);

// For comparison: decode the whole picture, then scale it.
void BM_ThumbnailFullDecode(benchmark::State& state) {
    const QString path = TwelveMegapixel().path;
    for (auto _ : state) {
        QImage full(path);
        const QSize size = tarvell::ThumbnailSize(full.width(), full.height());
        QImage thumb = full.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        benchmark::DoNotOptimize(thumb.constBits());
    }
}
BENCHMARK(BM_ThumbnailFullDecode)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
