// The readers of outside files: vCard, SMS and call XML, SHA256SUMS. The
// first byte picks the reader, the rest is the file. Whatever they accept
// must walk as restore records with terminated texts, export again, and read
// back from that export with the same number of records; SHA256SUMS paths
// must stay inside the folder.
#include "checksums.h"
#include "entries.h"
#include "exports.h"
#include "fuzz_check.h"
#include "imports.h"

#include <QtGlobal>
#include <cstdint>
#include <cstring>

using namespace tarvell;

namespace {

void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 18) {
        return 0;
    }
    qInstallMessageHandler(DropMessage);
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    switch (data[0] % 4) {
    case 0: {
        const ImportResult r = ParseVcf(input);
        FUZZ_CHECK((r.root == nullptr) != r.error.isEmpty());
        if (!r.root) {
            return 0;
        }
        ForEachEntry(r.root.get(), [](const cJSON* e) {
            const ContactRecord c = ReadContact(e);
            FUZZ_CHECK(c.contactId != nullptr);
            for (const char* t :
                 {c.name, c.nickName, c.mobilePhone, c.homePhone, c.workPhone, c.homePage,
                  c.homeEmail, c.birthday, c.groupName, c.note, c.organization, c.department,
                  c.homeAddress, c.workAddress, c.homeFax, c.workFax, c.workEmail}) {
                FuzzTouch(t);
            }
            return true;
        });
        int written = 0;
        const ImportResult again = ParseVcf(ContactsVcf(r.root.get(), &written));
        FUZZ_CHECK(written == r.records);
        FUZZ_CHECK(again.records == r.records);
        break;
    }
    case 1:
    case 2: {
        const bool sms = data[0] % 4 == 1;
        const ImportResult r = sms ? ParseSmsXml(input) : ParseCallsXml(input);
        FUZZ_CHECK((r.root == nullptr) != r.error.isEmpty());
        if (!r.root) {
            return 0;
        }
        ForEachGroupedEntry(r.root.get(), [](const cJSON* e, bool) {
            const SmsRecord m = ReadMessage(e);
            for (const char* t :
                 {m.id, m.personName, m.address, m.body, m.date, m.type, m.read, m.threadId}) {
                FuzzTouch(t);
            }
            return true;
        });
        const QByteArray exported = sms ? MessagesXml(r.root.get()) : CallsXml(r.root.get());
        const ImportResult again = sms ? ParseSmsXml(exported) : ParseCallsXml(exported);
        FUZZ_CHECK(again.error.isEmpty());
        FUZZ_CHECK(again.records == r.records);
        break;
    }
    default: {
        const ParsedChecksums parsed = ParseChecksums(input);
        for (const ChecksumEntry& e : parsed.entries) {
            FUZZ_CHECK(ChecksumPathProblem(e.path).isEmpty());
            FUZZ_CHECK(!e.path.startsWith(u'/') && !e.path.split(u'/').contains(".."));
            FUZZ_CHECK(e.digest.size() == 64);
            // The line written for it reads back as the same entry.
            const ParsedChecksums back = ParseChecksums(ChecksumLine(e.digest, e.path));
            FUZZ_CHECK(back.entries.size() == 1 && back.entries[0].path == e.path);
        }
    }
    }
    return 0;
}
