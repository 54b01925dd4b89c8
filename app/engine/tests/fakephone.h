// An in-process phone for the job tests: lists of every kind, files written
// on copy, and a record of what a restore handed over. Contacts, messages and
// calls a restore writes join the phone's lists as a phone lists them; a
// clear empties them.
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
    }

    // Leaves the phone without contacts, messages and calls (not a clear).
    void holdNoRecords() {
        m_Contacts.clear();
        m_Sms.clear();
        m_Calls.clear();
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
    // Whether loading a record list counts as an item for onItem.
    bool refreshIsItem = true;
    // Kinds whose list loads leave a command unanswered.
    std::set<int> unreadable;
    // Items whose copy or write fails, by kind and 0-based position.
    std::set<std::pair<int, int>> failing;
    // Media items whose copy arrives cut short.
    std::set<std::pair<int, int>> cut;
    // Media items changed since the phone was made: 1000 bytes larger.
    std::set<std::pair<int, int>> changed;
    // The serial number the phone reports.
    const char* serial = "FAKE0001";
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
    void deviceInfo(DeviceInfoRecord& info) override {
        SetText(info.model, "Fake");
        SetText(info.serial, serial);
    }
    void resetAbort() override {}
    void abortLongCalls() override {}
    int failedCommandCount() override { return m_Unanswered; }

    void refresh(ContentKind kind) override {
        m_Unanswered += int(unreadable.count(kind));
        if (kind <= CallHistory && refreshIsItem) {
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
    // One group of all messages and one of all calls.
    SmsTempGroup* messageGroups() override { return OneGroup(m_SmsGroups, m_Sms); }
    CallLogTempGroup* callGroups() override { return OneGroup(m_CallGroups, m_Calls); }
    void refreshProgress(ContentKind, int* index, int* count) override { *index = *count = 0; }
    int count(ContentKind kind) override {
        return kind == Apps ? int(m_Apps.size()) : int(m_Media[kind].size());
    }
    bool mediaInfo(ContentKind kind, int index, MediaRecord& record) override {
        record = m_Media[kind].at(size_t(index));
        if (changed.count({kind, index})) {
            std::visit([](auto& info) { info.size += 1000; }, record);
        }
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

    void clear(ContentKind kind) override {
        if (kind == SMS && needsRole && !m_RoleHeld) {
            return; // only the default messaging app may delete messages
        }
        cleared.push_back(kind);
        if (kind == Contacts) {
            m_Contacts.clear();
        } else if (kind == SMS) {
            m_Sms.clear();
        } else if (kind == CallHistory) {
            m_Calls.clear();
        }
    }
    int addContact(const ContactRecord& r) override {
        const int result = write(Contacts);
        if (result == 0) {
            // Listed under its display name, the names joined.
            ContactRecord& c = m_Contacts.emplace_back();
            c.contactId = m_Texts(std::to_string(m_Contacts.size()).c_str());
            c.name = m_Texts(
                (std::string(r.name ? r.name : "") + (r.lastName ? r.lastName : "")).c_str());
            c.mobilePhone = m_Texts(r.mobilePhone);
            c.homePhone = m_Texts(r.homePhone);
            c.workPhone = m_Texts(r.workPhone);
            c.homeFax = m_Texts(r.homeFax);
            c.workFax = m_Texts(r.workFax);
        }
        return result;
    }
    int addCall(const CallLogRecord& r) override {
        const int result = write(CallHistory);
        if (result == 0) {
            CallLogRecord& c = m_Calls.emplace_back();
            c.number = m_Texts(r.number);
            c.date = m_Texts(r.date);
            c.type = m_Texts(r.type);
            c.duration = m_Texts(r.duration);
        }
        return result;
    }
    int sendMessage(const SmsRecord& r) override {
        const int result = write(SMS);
        if (result == 0) {
            // The direction "0" is a message the owner sent: type 2.
            SmsRecord& s = m_Sms.emplace_back();
            s.address = m_Texts(r.address);
            s.body = m_Texts(r.body);
            s.date = m_Texts(r.date);
            s.type = m_Texts(r.type && std::strcmp(r.type, "0") == 0 ? "2" : "1");
            s.threadId = m_Texts("7");
        }
        return result;
    }
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
        m_RoleHeld = acceptAtCheck > 0 && roleChecks >= acceptAtCheck;
        return m_RoleHeld;
    }
    void returnMessagingRole() override {
        ++roleReturns;
        m_RoleHeld = false;
    }

private:
    template <typename Group, typename Record>
    static Group* OneGroup(Grouping<Group>& grouping, std::vector<Record>& records) {
        grouping = {};
        std::vector<void*> pointers;
        for (Record& r : records) {
            pointers.push_back(&r);
        }
        if (!pointers.empty()) {
            grouping.add(pointers);
        }
        return grouping.head();
    }
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
    int m_Unanswered = 0;
    bool m_RoleHeld = false;
};

} // namespace tarvell::test
