#include "progress.h"

#include <QFileInfo>
#include <algorithm>

namespace tarvell {

namespace {

int64_t Ratio(int64_t part, int64_t whole) {
    if (whole <= 0) {
        whole = 10000;
    }
    return part * 100 / whole;
}

} // namespace

const char* ProgressKindName(ContentKind kind) {
    return (kind >= 0 && kind < kContentKindCount) ? kKindFiles[kind].name : "";
}

const char* ProgressStatusText(RowStatus status) {
    switch (status) {
    case RowStatus::Waiting:
        return "Waiting";
    case RowStatus::Success:
        return "Success";
    case RowStatus::Empty:
        break;
    }
    return "";
}

ProgressView ComputeProgress(const ProgressInput& in) {
    ProgressView view;
    std::copy(std::begin(in.done), std::end(in.done), std::begin(view.done));
    std::copy(std::begin(in.total), std::end(in.total), std::begin(view.total));

    // Rows and statuses: a row's text uses the counts as they were at the
    // start of this poll; a finished kind's done count is then set to its
    // total, which the next poll shows.
    int row = 0;
    for (int k = 0; k < kContentKindCount; ++k) {
        if (!in.selected[k]) {
            continue;
        }
        ProgressRow& r = view.rows[row++];
        r.kind = ContentKind(k);
        r.name = QString::fromLatin1(ProgressKindName(ContentKind(k)));
        if (in.total[k] >= 0) {
            r.name += QStringLiteral("(%1 of %2)")
                          .arg(std::min(in.done[k], in.total[k]))
                          .arg(in.total[k]);
        }
        if (in.currentStep < k + 1) {
            r.status = RowStatus::Waiting;
        } else {
            r.status = RowStatus::Success;
            view.done[k] = view.total[k];
        }
    }

    view.percent = in.percent;
    if (view.percent < 30) {
        ++view.percent;
    }
    view.percent = std::min(view.percent, 99);

    int64_t bar = view.percent;
    const int step = in.currentStep;
    if (step >= 0 && step < 6) {
        switch (step) {
        case Musics:
            bar = Ratio(in.musicBytesDone + (in.restoreMode ? 256 : in.currentFileSize),
                        in.musicBytesTotal);
            break;
        case Videos:
            bar = Ratio(in.videoBytesDone + (in.restoreMode ? 256 : in.currentFileSize),
                        in.videoBytesTotal);
            break;
        case Photos:
            bar = Ratio(view.done[Photos], view.total[Photos]);
            break;
        default: // Contacts, SMS, CallHistory
            if (in.restoreMode) {
                bar = Ratio(view.done[step], view.total[step]);
            } else {
                const int count = in.flushCount <= 0 ? 1 : in.flushCount;
                view.done[step] = std::max(view.done[step], in.flushIndex);
                view.total[step] = std::max(view.total[step], count);
                bar = Ratio(view.done[step], count);
            }
            break;
        }
    }
    view.barValue = int(std::clamp<int64_t>(bar, 0, 100));
    return view;
}

ProgressView ProgressTracker::poll(const ProgressInput& job) {
    ProgressInput in = job;
    if (m_Polled) {
        const auto keep = [](int now, int before, int shown) {
            return now == before ? shown : now;
        };
        in.percent = keep(job.percent, m_Job.percent, m_Shown.percent);
        for (int k = 0; k < kContentKindCount; ++k) {
            in.done[k] = keep(job.done[k], m_Job.done[k], m_Shown.done[k]);
            in.total[k] = keep(job.total[k], m_Job.total[k], m_Shown.total[k]);
        }
    }
    m_Polled = true;
    m_Job = job;
    m_Shown = ComputeProgress(in);
    return m_Shown;
}

int64_t CurrentFileSize(const QString& path) {
    if (path.isEmpty()) {
        return 0;
    }
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

} // namespace tarvell
