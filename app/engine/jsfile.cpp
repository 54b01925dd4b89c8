#include "jsfile.h"

#include "uilog.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvell {

JsonPtr NewJsRoot() {
    JsonPtr root(cJSON_CreateObject());
    cJSON* version = cJSON_CreateObject();
    cJSON_AddItemToObject(version, "Current", cJSON_CreateString("1.0.0"));
    cJSON_AddItemToObject(root.get(), "Version", version);
    return root;
}

namespace {

bool WritePrinted(QSaveFile& file, const char* prefix, const cJSON* root) {
    if (prefix == nullptr || std::strlen(prefix) != kJsPrefixLength || root == nullptr) {
        return false;
    }
    char* text = cJSON_Print(root);
    if (text == nullptr) {
        return false;
    }
    const qint64 length = qint64(std::strlen(text));
    bool ok = file.write(prefix, kJsPrefixLength) == kJsPrefixLength;
    ok = ok && file.write(text, length) == length;
    ok = ok && file.write(";", 1) == 1;
    // Written out now, so that a failure shows here: the flush inside
    // QSaveFile::commit() does not stop the rename, and a file cut off by a
    // full disk would take the final name.
    ok = ok && file.flush();
    cJSON_free(text);
    return ok;
}

} // namespace

bool WriteJsFile(const QString& path, const char* prefix, const cJSON* root) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        UiLog("error: cannot create %s: %s\n", qUtf8Printable(path),
              qUtf8Printable(file.errorString()));
        return false;
    }
    if (!WritePrinted(file, prefix, root)) {
        file.cancelWriting();
        UiLog("error: cannot write %s: %s\n", qUtf8Printable(path),
              qUtf8Printable(file.errorString()));
        return false;
    }
    if (!file.commit()) {
        UiLog("error: cannot save %s: %s\n", qUtf8Printable(path),
              qUtf8Printable(file.errorString()));
        return false;
    }
    return true;
}

std::optional<QByteArray> ReadJsText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    if (file.size() > kMaxJsFileSize) {
        UiLog("error: %s is too large to read (%lld bytes)\n", qUtf8Printable(path),
              static_cast<long long>(file.size()));
        return std::nullopt;
    }
    QByteArray text;
    if (file.size() > kJsPrefixLength && file.seek(kJsPrefixLength)) {
        text = file.readAll();
    }
    if (text.endsWith(';')) {
        text.chop(1);
    }
    return text;
}

JsonPtr ParseJsText(const QByteArray& text, const QString& path) {
    const char* parseEnd = nullptr;
    JsonPtr root(cJSON_ParseWithLengthOpts(text.constData(), size_t(text.size()), &parseEnd, 0));
    if (!root) {
        // Show where parsing stopped, but not megabytes of it.
        const char* begin = text.constData();
        const char* end = begin + text.size();
        const char* at =
            (parseEnd != nullptr && parseEnd >= begin && parseEnd <= end) ? parseEnd : end;
        const QByteArray rest(at, qsizetype(qMin<qint64>(end - at, 200)));
        std::printf("Error before: [%s]\n", rest.constData());
        std::fflush(stdout);
        UiLog("error: %s does not parse\n", qUtf8Printable(path));
    }
    return root;
}

JsonPtr ReadJsFile(const QString& path) {
    const std::optional<QByteArray> text = ReadJsText(path);
    if (!text) {
        return nullptr;
    }
    return ParseJsText(*text, path);
}

bool JsFileWriter::open(const QString& path, const char* prefix) {
    m_File = std::make_unique<QSaveFile>(path);
    if (!m_File->open(QIODevice::WriteOnly)) {
        UiLog("error: cannot create %s: %s\n", qUtf8Printable(path),
              qUtf8Printable(m_File->errorString()));
        m_File.reset();
        m_Root.reset();
        return false;
    }
    m_Prefix = prefix;
    m_Root = NewJsRoot();
    return true;
}

bool JsFileWriter::commit() {
    if (!m_File) {
        return false;
    }
    const QString path = m_File->fileName();
    bool ok = WritePrinted(*m_File, m_Prefix, m_Root.get());
    m_Root.reset();
    if (!ok) {
        m_File->cancelWriting();
    }
    ok = m_File->commit() && ok;
    if (!ok) {
        UiLog("error: cannot save %s: %s\n", qUtf8Printable(path),
              qUtf8Printable(m_File->errorString()));
    }
    m_File.reset();
    return ok;
}

} // namespace tarvell
