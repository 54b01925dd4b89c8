// ReadJsFile over arbitrary file contents, then every restorer's walk over
// the tree it gives: messages and call log (grouped), contacts, media files
// of each kind and apps. Every text a reader hands on must be a terminated
// string, and no media or app file may lie outside its folder.
#include "entries.h"
#include "fuzz_check.h"
#include "jsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>

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

void CheckInside(const std::optional<RestoreFile>& file, const QString& folder) {
    if (file) {
        const QString clean = QDir::cleanPath(file->localPath);
        FUZZ_CHECK(clean.startsWith(QDir::cleanPath(folder) + "/"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 18) {
        return 0;
    }
    const QString backup = Folder();
    const QString path = backup + "/Datajs/input.js";
    QDir().mkpath(backup + "/Datajs");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }

    JsonPtr root = ReadJsFile(path);
    if (!root) {
        return 0;
    }

    ForEachGroupedEntry(root.get(), [](const cJSON* entry, bool) {
        const SmsRecord sms = ReadMessage(entry);
        for (const char* t : {sms.id, sms.personName, sms.address, sms.body, sms.date, sms.type,
                              sms.read, sms.threadId, sms.contactId}) {
            FuzzTouch(t);
        }
        const CallLogRecord call = ReadCallLog(entry);
        for (const char* t :
             {call.id, call.name, call.number, call.date, call.type, call.duration}) {
            FuzzTouch(t);
        }
        return true;
    });
    ForEachEntry(root.get(), [&backup](const cJSON* entry) {
        const ContactRecord contact = ReadContact(entry);
        for (const char* t :
             {contact.contactId, contact.name, contact.lastName, contact.nickName,
              contact.mobilePhone, contact.homePhone, contact.workPhone, contact.homePage,
              contact.homeEmail, contact.birthday, contact.groupName, contact.note,
              contact.organization, contact.department, contact.createDate}) {
            FuzzTouch(t);
        }
        for (const char* kind : {"Musics", "Videos", "Photos/Gallery"}) {
            CheckInside(ReadMediaEntry(entry, backup, kind), backup + "/" + kind);
        }
        CheckInside(ReadAppEntry(entry, backup), backup + "/Apps");
        return true;
    });
    return 0;
}
