// Everything the job and the session ask of the phone, behind one interface:
// LibraryPhone() reaches the device library; tests put an in-process phone
// in its place. Methods that take a kind accept only the kinds named.
#pragma once

#include "backupfolder.h"

#include <QByteArray>
#include <cstdint>
#include <tarvellkit/tarvellkit.h>
#include <variant>

namespace tarvell {

// One photo, video or music record, as the phone describes it.
using MediaRecord = std::variant<PhotoInfo, VideoInfo, MusicInfo>;

class Phone {
public:
    virtual ~Phone() = default;

    // ---- Session ----
    // 0 ready; -2 the phone has not allowed this computer; else no phone.
    virtual int detect() = 0;
    // Installs and starts the companion service; 0 when it answers.
    virtual int prepare() = 0;
    // Progress of a running prepare(), 0..100.
    virtual int prepareProgress() = 0;
    // Removes the companion service and waits for it; 0 when adb ran.
    virtual int removeCompanion() = 0;
    virtual void deviceInfo(DeviceInfoRecord& info) = 0;

    // ---- Every job ----
    // Clears the stop state an earlier cancel left.
    virtual void resetAbort() = 0;
    // Asks long operations (list loads, file transfers) to return early. Any
    // thread.
    virtual void abortLongCalls() = 0;
    // Commands the phone left unanswered for good since the library started.
    virtual int failedCommandCount() = 0;

    // ---- Backup ----
    // Reloads the kind's list from the phone (every kind).
    virtual void refresh(ContentKind kind) = 0;
    // Contacts, SMS, CallHistory: the list loaded by refresh() and its item
    // count (-2 when never loaded).
    virtual int contacts(ContactRecord** head) = 0;
    virtual int messages(SmsRecord** head) = 0;
    virtual int calls(CallLogRecord** head) = 0;
    virtual SmsTempGroup* messageGroups() = 0;
    virtual CallLogTempGroup* callGroups() = 0;
    // Contacts, SMS, CallHistory: how far the running refresh() is.
    virtual void refreshProgress(ContentKind kind, int* index, int* count) = 0;
    // Photos, Videos, Musics, Apps: items in the list loaded by refresh().
    virtual int count(ContentKind kind) = 0;
    // Photos, Videos, Musics: the record at index; false when the phone did
    // not describe it.
    virtual bool mediaInfo(ContentKind kind, int index, MediaRecord& record) = 0;
    virtual bool appInfo(int index, AppInfo& info) = 0;
    // Copies a media file to destination: through adb, or streamed over the
    // command channel. The file's arrival is the caller's to check.
    virtual void copyFromPhone(ContentKind kind, int32_t id, const QByteArray& destination,
                               int64_t size, bool streamed) = 0;
    // Saves an app's package file; 0 when it arrived.
    virtual int exportApp(const QByteArray& package, const QByteArray& destination) = 0;

    // ---- Restore ----
    // Deletes the kind's data on the phone.
    virtual void clear(ContentKind kind) = 0;
    // Negative results are failures.
    virtual int addContact(const ContactRecord& record) = 0;
    virtual int addCall(const CallLogRecord& record) = 0;
    virtual int sendMessage(const SmsRecord& record) = 0;
    virtual int pushToPhone(ContentKind kind, const QByteArray& local, const QByteArray& name,
                            bool streamed) = 0;
    virtual int installApp(const QByteArray& package) = 0;
    // Android 4.4 and later: only the default messaging app writes messages.
    virtual bool needsMessagingRole() = 0;
    virtual void requestMessagingRole() = 0;
    virtual bool hasMessagingRole() = 0;
    virtual void returnMessagingRole() = 0;
};

// The device library.
Phone& LibraryPhone();

// The fields every media record has.
struct MediaFacts {
    int32_t id = 0;
    int64_t size = 0;
    QByteArray path; // on the phone
};
MediaFacts FactsOf(const MediaRecord& record);
// An empty record (id 0 and no path) stands for nothing on the phone.
inline bool IsEmptyRecord(const MediaFacts& facts) {
    return facts.id == 0 && facts.path.isEmpty();
}

} // namespace tarvell
