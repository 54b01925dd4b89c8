// Rows, statuses and bar value of the progress display.
#include "progress.h"

#include <gtest/gtest.h>

namespace tarvell {
namespace {

ProgressInput Job(std::initializer_list<ContentKind> selected, int step, bool restore = false) {
    ProgressInput in;
    in.restoreMode = restore;
    in.currentStep = step;
    for (ContentKind k : selected) {
        in.selected[k] = true;
    }
    for (int k = 0; k < kContentKindCount; ++k) {
        in.done[k] = -1;
        in.total[k] = -1;
    }
    return in;
}

TEST(ProgressRows, OnlySelectedKindsGetRowsInKindOrder) {
    ProgressInput in = Job({Apps, Photos}, 0);
    in.done[Photos] = 3;
    in.total[Photos] = 10;
    const ProgressView v = ComputeProgress(in);
    EXPECT_EQ(v.rows[0].kind, Photos);
    EXPECT_EQ(v.rows[0].name, "Photos(3 of 10)");
    EXPECT_EQ(v.rows[1].name, "Apps"); // total unknown: name only
    for (int r = 2; r < kContentKindCount; ++r) {
        EXPECT_TRUE(v.rows[r].name.isEmpty());
        EXPECT_EQ(v.rows[r].status, RowStatus::Empty);
    }
}

TEST(ProgressRows, FinishedKindsSucceedAndTheirCountIsCompleted) {
    ProgressInput in = Job({Contacts, SMS, Photos}, 2);
    in.done[Contacts] = 5;
    in.total[Contacts] = 7;
    in.done[SMS] = 9;
    in.total[SMS] = 4;
    const ProgressView v = ComputeProgress(in);
    EXPECT_EQ(v.rows[0].status, RowStatus::Success);
    EXPECT_EQ(v.rows[0].name, "Contacts(5 of 7)"); // this poll still shows the old count
    EXPECT_EQ(v.rows[1].name, "Text Messages(4 of 4)");
    EXPECT_EQ(v.rows[2].status, RowStatus::Waiting);
    EXPECT_EQ(v.done[Contacts], 7);
    EXPECT_EQ(v.done[SMS], 4);
    EXPECT_EQ(v.done[Photos], -1);
    EXPECT_STREQ(ProgressStatusText(v.rows[0].status), "Success");
    EXPECT_STREQ(ProgressStatusText(v.rows[2].status), "Waiting");
}

TEST(ProgressPercent, RisesBelow30AndIsCappedAt99) {
    const int cases[][2] = {{0, 1}, {29, 30}, {30, 30}, {50, 50}, {99, 99}, {100, 99}, {-3, -2}};
    for (const auto& c : cases) {
        ProgressInput in = Job({Apps}, 6);
        in.percent = c[0];
        const ProgressView v = ComputeProgress(in);
        EXPECT_EQ(v.percent, c[1]) << c[0];
        EXPECT_EQ(v.barValue, std::max(0, c[1])) << c[0];
    }
}

TEST(ProgressBar, ValueByStepAndMode) {
    using In = ProgressInput;
    struct Case {
        const char* what;
        ContentKind kind; // the only selected kind; its step is running
        bool restore;
        void (*change)(In&);
        int bar;
    };
    // clang-format off
    const Case cases[] = {
        {"music backup counts the growing file", Musics, false,
         [](In& i) { i.musicBytesDone = 300; i.currentFileSize = 200; i.musicBytesTotal = 1000; }, 50},
        {"music restore adds 256", Musics, true,
         [](In& i) { i.musicBytesDone = 244; i.currentFileSize = 999999; i.musicBytesTotal = 1000; }, 50},
        {"video bytes above 2 GiB", Videos, false,
         [](In& i) { i.videoBytesDone = INT64_C(6) << 30; i.videoBytesTotal = INT64_C(8) << 30; }, 75},
        {"video total unknown divides by 10000", Videos, false,
         [](In& i) { i.videoBytesDone = 5000; }, 50},
        {"photos by count", Photos, false, [](In& i) { i.done[Photos] = 1; i.total[Photos] = 4; }, 25},
        {"photos total 0", Photos, false, [](In& i) { i.done[Photos] = 0; i.total[Photos] = 0; }, 0},
        {"done beyond total is shown full", Photos, false,
         [](In& i) { i.done[Photos] = 9; i.total[Photos] = 3; }, 100},
        {"contacts backup from the library counters", Contacts, false,
         [](In& i) { i.flushCount = 200; i.flushIndex = 50; }, 25},
        {"flush count 0 is taken as 1", SMS, false, [](In& i) { i.flushCount = 0; }, 0},
        {"call log restore by count", CallHistory, true,
         [](In& i) { i.done[CallHistory] = 3; i.total[CallHistory] = 6; }, 50},
        {"finished job shows the percent", Photos, false,
         [](In& i) { i.currentStep = 7; i.percent = 60; }, 60},
    };
    // clang-format on
    for (const Case& c : cases) {
        ProgressInput in = Job({c.kind}, c.kind, c.restore);
        c.change(in);
        EXPECT_EQ(ComputeProgress(in).barValue, c.bar) << c.what;
    }
}

TEST(ProgressBar, BackupStepsRaiseCountsToTheLibraryCounters) {
    ProgressInput in = Job({SMS}, SMS);
    in.done[SMS] = 10;
    in.total[SMS] = -1;
    in.flushIndex = 40;
    in.flushCount = 80;
    const ProgressView v = ComputeProgress(in);
    EXPECT_EQ(v.done[SMS], 40);
    EXPECT_EQ(v.total[SMS], 80);
    EXPECT_EQ(v.barValue, 50);
}

TEST(ProgressTracker, KeepsWhatItRaisedUntilTheJobChangesIt) {
    ProgressInput job = Job({Contacts, Photos}, 3, true);
    job.done[Contacts] = 4;
    job.total[Contacts] = 6;
    job.percent = 0;
    ProgressTracker tracker;
    // Percent per poll: raised by one (below 30) while the job's stays, the job's once
    // it changes; the finished kind's count shows its total from the second
    // poll on.
    const struct {
        int jobPercent;
        int shownPercent;
        const char* contactsRow;
    } polls[] = {{0, 1, "Contacts(4 of 6)"},
                 {0, 2, "Contacts(6 of 6)"},
                 {50, 50, "Contacts(6 of 6)"},
                 {0, 1, "Contacts(6 of 6)"}};
    for (const auto& poll : polls) {
        job.percent = poll.jobPercent;
        const ProgressView v = tracker.poll(job);
        EXPECT_EQ(v.percent, poll.shownPercent) << poll.jobPercent;
        EXPECT_EQ(v.rows[0].name, QString::fromLatin1(poll.contactsRow)) << poll.jobPercent;
    }
}

} // namespace
} // namespace tarvell
