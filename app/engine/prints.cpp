#include "prints.h"

#include "backupfolder.h"
#include "fileroutines.h"
#include "uilog.h"
#include "valuetext.h"

#include <QSaveFile>
#include <cstring>

namespace tarvell {

namespace {

bool Stopped(const AbortFlag* abort) {
    return abort != nullptr && abort->load(std::memory_order_relaxed);
}

bool NonEmpty(const char* text) {
    return text != nullptr && text[0] != '\0';
}

// One print file, <kind folder>/<kind folder><extension>, as the kind table
// names it: created in its subfolder, written block by block, published by
// finish().
class PrintFile {
public:
    PrintFile(const QString& backupFolder, ContentKind kind, const char* extension)
        : m_File(backupFolder + u'/' + QLatin1String(kKindFiles[kind].viewerPage) + u'/' +
                 QLatin1String(kKindFiles[kind].viewerPage) + QLatin1String(extension)) {
        EnsureSubfolder(backupFolder, QLatin1String(kKindFiles[kind].viewerPage));
        m_Ok = m_File.open(QIODevice::WriteOnly);
        if (!m_Ok) {
            UiLog("error: cannot create %s: %s\n", qUtf8Printable(m_File.fileName()),
                  qUtf8Printable(m_File.errorString()));
        }
    }
    bool isOpen() const { return m_Ok; }
    void write(const QByteArray& block) {
        if (m_Ok && m_File.write(block) != block.size()) {
            m_Ok = false;
        }
    }
    bool finish() {
        if (!m_File.isOpen()) {
            return false;
        }
        // Flushed first: a failed flush inside commit() would not stop the
        // rename of a file cut off by a full disk.
        if (!m_Ok || !m_File.flush()) {
            m_Ok = false;
            m_File.cancelWriting();
        }
        const bool ok = m_File.commit() && m_Ok;
        if (!ok) {
            UiLog("error: cannot save %s: %s\n", qUtf8Printable(m_File.fileName()),
                  qUtf8Printable(m_File.errorString()));
        }
        return ok;
    }

private:
    QSaveFile m_File;
    bool m_Ok = false;
};

QByteArray Csv(std::initializer_list<QByteArray> fields) {
    QByteArray row;
    for (const QByteArray& field : fields) {
        if (!row.isEmpty()) {
            row += ',';
        }
        row += field;
    }
    row += '\n';
    return row;
}

QByteArray T(const char* text) {
    return OptionalText(text);
}

} // namespace

const char* DirectionWord(const char* type) {
    if (type == nullptr) {
        return "";
    }
    return std::strcmp(type, "2") == 0 ? "To" : "From";
}

const char* CallWord(const char* type) {
    if (type == nullptr) {
        return "";
    }
    if (std::strcmp(type, "1") == 0) {
        return "Call In";
    }
    if (std::strcmp(type, "2") == 0) {
        return "Call Out";
    }
    if (std::strcmp(type, "3") == 0) {
        return "Unknown";
    }
    return "";
}

QByteArray CsvField(const char* value) {
    QByteArray field = OptionalText(value);
    field.replace('"', "\"\"");
    return '"' + field + '"';
}

bool PrintMessagesCsv(const SmsRecord* head, const QString& backupFolder, const AbortFlag* abort,
                      const NameLoans* loans) {
    PrintFile file(backupFolder, SMS, ".csv");
    if (!file.isOpen()) {
        return false;
    }
    file.write(kMessagesCsvHeader);
    for (const SmsRecord* r = head; r != nullptr && !Stopped(abort); r = r->next) {
        if (r->address == nullptr || r->type == nullptr) {
            continue;
        }
        file.write(Csv({CsvField(DirectionWord(r->type)), CsvField(NameOf(*r, loans)),
                        CsvField(r->address), CsvField(r->date), CsvField(r->body)}));
    }
    return file.finish();
}

bool PrintMessagesTxt(const SmsRecord* head, const QString& backupFolder, const NameLoans* loans) {
    PrintFile file(backupFolder, SMS, ".txt");
    if (!file.isOpen()) {
        return false;
    }
    for (const SmsRecord* r = head; r != nullptr; r = r->next) {
        if (r->address == nullptr || r->type == nullptr) {
            continue;
        }
        const char* name = NameOf(*r, loans);
        QByteArray block = DirectionWord(r->type);
        block += ':';
        if (NonEmpty(name)) {
            block += T(name) + '(' + T(r->address) + ')';
        } else {
            block += T(r->address);
        }
        block += "\nDate:" + T(r->date) + "\nContent:" + T(r->body) + "\n\n";
        file.write(block);
    }
    return file.finish();
}

bool PrintContactsCsv(const ContactRecord* head, const QString& backupFolder,
                      const AbortFlag* abort) {
    PrintFile file(backupFolder, Contacts, ".csv");
    if (!file.isOpen()) {
        return false;
    }
    file.write(kContactsCsvHeader);
    for (const ContactRecord* r = head; r != nullptr && !Stopped(abort); r = r->next) {
        const QByteArray fullName = T(r->name) + T(r->lastName);
        file.write(Csv({CsvField(fullName.constData()), CsvField(r->mobilePhone),
                        CsvField(r->homePhone), CsvField(r->workPhone), CsvField(r->homePage),
                        CsvField(r->homeEmail), CsvField(r->birthday), CsvField(r->note),
                        CsvField(r->organization), CsvField(r->department), CsvField(r->createDate),
                        CsvField(r->homeAddress), CsvField(r->workAddress), CsvField(r->homeFax),
                        CsvField(r->workFax), CsvField(r->workEmail)}));
    }
    return file.finish();
}

bool PrintContactsTxt(const ContactRecord* head, const QString& backupFolder,
                      const AbortFlag* abort) {
    PrintFile file(backupFolder, Contacts, ".txt");
    if (!file.isOpen()) {
        return false;
    }
    struct Line {
        const char* label;
        char* ContactRecord::*field;
    };
    static constexpr Line kLines[] = {
        {"Mobile Phone:", &ContactRecord::mobilePhone},
        {"Home Phone:", &ContactRecord::homePhone},
        {"Work Phone:", &ContactRecord::workPhone},
        {"Home Page:", &ContactRecord::homePage},
        {"Home Email:", &ContactRecord::homeEmail},
        {"Note:", &ContactRecord::note},
        {"Organzation:", &ContactRecord::organization},
        {"Department:", &ContactRecord::department},
        {"Home Address:", &ContactRecord::homeAddress},
        {"Work Address:", &ContactRecord::workAddress},
        {"Home Fax:", &ContactRecord::homeFax},
        {"Work Fax:", &ContactRecord::workFax},
        {"Work Email:", &ContactRecord::workEmail},
    };
    for (const ContactRecord* r = head; r != nullptr && !Stopped(abort); r = r->next) {
        QByteArray block;
        if (r->name != nullptr || r->lastName != nullptr) {
            block += "Name:" + T(r->name) + T(r->lastName) + '\n';
        }
        for (const Line& line : kLines) {
            const char* value = r->*line.field;
            if (value != nullptr) {
                block += line.label + T(value) + '\n';
            }
        }
        block += '\n';
        file.write(block);
    }
    return file.finish();
}

bool PrintCallsCsv(const CallLogRecord* head, const QString& backupFolder) {
    PrintFile file(backupFolder, CallHistory, ".csv");
    if (!file.isOpen()) {
        return false;
    }
    file.write(kCallsCsvHeader);
    for (const CallLogRecord* r = head; r != nullptr; r = r->next) {
        file.write(Csv({CsvField(r->name), CsvField(r->number), CsvField(r->date),
                        CsvField(CallWord(r->type)), CsvField(r->duration)}));
    }
    return file.finish();
}

bool PrintCallsTxt(const CallLogRecord* head, const QString& backupFolder) {
    PrintFile file(backupFolder, CallHistory, ".txt");
    if (!file.isOpen()) {
        return false;
    }
    for (const CallLogRecord* r = head; r != nullptr; r = r->next) {
        QByteArray block = CallWord(r->type);
        block += ':';
        if (NonEmpty(r->name)) {
            block += T(r->name) + '(' + T(r->number) + ')';
        } else {
            block += T(r->number);
        }
        block += "\nDate:" + T(r->date) + "\nDuration:" + T(r->duration) + "\n\n";
        file.write(block);
    }
    return file.finish();
}

} // namespace tarvell
