// An in-process phone for the job tests: lists of every kind, files written
// on copy, and a record of what a restore handed over.
#pragma once

#include "phone.h"
#include "testsupport.h"

#include <QFile>
#include <QString>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace tarvell::test {

class FakePhone : public Phone {
public:
    // A phone holding n items of every kind: contacts, one conversation and
    // one number group, media files of 100 + i bytes, apps.
    explicit FakePhone(int n) {
        for (int i = 0; i < n; ++i) {
            const std::string id = std::to_string(i + 1);
            ContactRecord& c = m_Contacts.emplace_back();
            c.contactId = m_Texts(id.c_str());
            c.name = m_Texts(("Person " + id).c_str());
            SmsRecord& s = m_Sms.emplace_back();
            s.id = m_Texts(id.c_str());
            s.address = m_Texts("555");
            s.body = m_Texts(("hello " + id).c_str());
            s.type = m_Texts("1");
            s.threadId = m_Texts("7");
            CallLogRecord& call = m_Calls.emplace_back();
            call.id = m_Texts(id.c_str());
            call.number = m_Texts("555");
            call.type = m_Texts("1");
            for (ContentKind kind : {Photos, Videos, Musics}) {
                m_Media[kind].push_back(MakeMedia(kind, i + 1));
            }
            AppInfo app{};
            SetText(app.packageName, ("org.example.app" + id).c_str());
            m_Apps.push_back(app);
        }
        std::vector<void*> sms;
        std::vector<void*> calls;
        for (int i = 0; i < n; ++i) {
            sms.push_back(&m_Sms[size_t(i)]);
            calls.push_back(&m_Calls[size_t(i)]);
        }
        if (n > 0) {
            m_SmsGroups.add(sms);
            m_CallGroups.add(calls);
        }
    }

    // Makes every photo a PNG file of these bytes, named "fileN.png".
    void setPhotoBytes(const QByteArray& png) {
        m_PhotoBytes = png;
        for (MediaRecord& record : m_Media[Photos]) {
            PhotoInfo& info = std::get<PhotoInfo>(record);
            info.size = png.size();
            SetText(info.path, ("/sdcard/file" + std::to_string(info.id) + ".png").c_str());
        }
    }

    // Called with the kind whenever the job hands the phone an item of it
    // (backup: a file copied or an app saved, the record list loaded;
    // restore: an item written).
    std::function<void(ContentKind)> onItem;
    // Items whose copy or write fails, by kind and 0-based position.
    std::set<std::pair<int, int>> failing;
    // Media items whose copy arrives cut short.
    std::set<std::pair<int, int>> cut;
    // Android 4.4 and later: the check of the messaging role (1-based) from
    // which on the user has accepted; 0 never.
    bool needsRole = false;
    int acceptAtCheck = 1;

    // What the job did.
    std::vector<ContentKind> cleared;
    int written[kContentKindCount] = {};
    int roleRequests = 0;
    int roleReturns = 0;
    int roleChecks = 0;
    int removals = 0;

    int detect() override { return 0; }
    int prepare() override { return 0; }
    int prepareProgress() override { return 100; }
    int removeCompanion() override {
        ++removals;
        return 0;
    }
    void deviceInfo(DeviceInfoRecord& info) override { SetText(info.model, "Fake"); }
    void resetAbort() override {}
    void abortLongCalls() override {}
    int failedCommandCount() override { return 0; }

    void refresh(ContentKind kind) override {
        if (kind <= CallHistory) {
            item(kind);
        }
    }
    int contacts(ContactRecord** head) override {
        *head = Link(m_Contacts);
        return int(m_Contacts.size());
    }
    int messages(SmsRecord** head) override {
        *head = Link(m_Sms);
        return int(m_Sms.size());
    }
    int calls(CallLogRecord** head) override {
        *head = Link(m_Calls);
        return int(m_Calls.size());
    }
    SmsTempGroup* messageGroups() override { return m_SmsGroups.head(); }
    CallLogTempGroup* callGroups() override { return m_CallGroups.head(); }
    void refreshProgress(ContentKind, int* index, int* count) override { *index = *count = 0; }
    int count(ContentKind kind) override {
        return kind == Apps ? int(m_Apps.size()) : int(m_Media[kind].size());
    }
    bool mediaInfo(ContentKind kind, int index, MediaRecord& record) override {
        record = m_Media[kind].at(size_t(index));
        return true;
    }
    bool appInfo(int index, AppInfo& info) override {
        info = m_Apps.at(size_t(index));
        return true;
    }
    void copyFromPhone(ContentKind kind, int32_t id, const QByteArray& destination, int64_t size,
                       bool) override {
        item(kind);
        if (!failing.count({kind, id - 1})) {
            const int bytes = cut.count({kind, id - 1}) ? int(size / 2) : int(size);
            const QByteArray content = kind == Photos && !m_PhotoBytes.isEmpty()
                                           ? m_PhotoBytes.left(bytes)
                                           : QByteArray(bytes, 'x');
            WriteAll(QString::fromUtf8(destination), content);
        }
    }
    int exportApp(const QByteArray& package, const QByteArray& destination) override {
        const int index = std::atoi(package.constData() + std::strlen("org.example.app")) - 1;
        item(Apps);
        if (failing.count({Apps, index})) {
            return -1;
        }
        return WriteAll(QString::fromUtf8(destination), "apk") ? 0 : -1;
    }

    void clear(ContentKind kind) override { cleared.push_back(kind); }
    int addContact(const ContactRecord&) override { return write(Contacts); }
    int addCall(const CallLogRecord&) override { return write(CallHistory); }
    int sendMessage(const SmsRecord&) override { return write(SMS); }
    int pushToPhone(ContentKind kind, const QByteArray&, const QByteArray&,
                    bool streamed) override {
        // The job retries a refused file streamed: the same item again.
        if (streamed) {
            return failing.count({kind, written[kind] - 1}) ? -1 : 0;
        }
        return write(kind);
    }
    int installApp(const QByteArray&) override { return write(Apps); }
    bool needsMessagingRole() override { return needsRole; }
    void requestMessagingRole() override { ++roleRequests; }
    bool hasMessagingRole() override {
        ++roleChecks;
        return acceptAtCheck > 0 && roleChecks >= acceptAtCheck;
    }
    void returnMessagingRole() override { ++roleReturns; }

private:
    static MediaRecord MakeMedia(ContentKind kind, int id) {
        const std::string path = "/sdcard/file" + std::to_string(id) + ".bin";
        const auto fill = [&](auto info) {
            info.id = id;
            info.size = 100 + id;
            SetText(info.path, path.c_str());
            return MediaRecord(info);
        };
        if (kind == Photos) {
            return fill(PhotoInfo{});
        }
        return kind == Videos ? fill(VideoInfo{}) : fill(MusicInfo{});
    }
    void item(ContentKind kind) {
        if (onItem) {
            onItem(kind);
        }
    }
    // A write of the restore: counted, and failed for a failing position.
    int write(ContentKind kind) {
        const int index = written[kind]++;
        item(kind);
        return failing.count({kind, index}) ? -1 : 0;
    }

    QByteArray m_PhotoBytes;
    TextPool m_Texts;
    std::vector<ContactRecord> m_Contacts;
    std::vector<SmsRecord> m_Sms;
    std::vector<CallLogRecord> m_Calls;
    Grouping<SmsTempGroup> m_SmsGroups;
    Grouping<CallLogTempGroup> m_CallGroups;
    std::map<int, std::vector<MediaRecord>> m_Media;
    std::vector<AppInfo> m_Apps;
};

} // namespace tarvell::test
