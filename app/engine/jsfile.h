// The .js files of a backup's Datajs folder: a 12-byte prefix that declares a
// viewer variable, the cJSON_Print text of one object, and ";" (no line end).
#pragma once

#include <QSaveFile>
#include <QString>
#include <cjson/cJSON.h>
#include <memory>
#include <optional>

namespace tarvell {

// Owning pointer to a cJSON tree.
struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

// The four prefixes; each is exactly 12 bytes.
inline constexpr char kPrefixContent[] = "var Content=";
inline constexpr char kPrefixConten1[] = "var Conten1=";
inline constexpr char kPrefixConten2[] = "var Conten2=";
inline constexpr char kPrefixConten3[] = "var Conten3=";
inline constexpr int kJsPrefixLength = 12;
static_assert(sizeof(kPrefixContent) == kJsPrefixLength + 1);
static_assert(sizeof(kPrefixConten1) == kJsPrefixLength + 1);

// A root object holding only "Version": {"Current": "1.0.0"}.
JsonPtr NewJsRoot();

// Writes prefix, the printed root and ";" to path, atomically: the file under
// its final name is either the old one or the complete new one. False (and a
// log line) when the file cannot be written or the tree cannot be printed.
bool WriteJsFile(const QString& path, const char* prefix, const cJSON* root);

// Reads a .js file back: skips the 12-byte prefix and a final ";" and parses
// the rest. Null when the file cannot be opened (silently), is larger than
// kMaxJsFileSize (logged), or does not parse (prints "Error before: [%s]\n"
// to standard output with the text where parsing stopped).
JsonPtr ReadJsFile(const QString& path);
inline constexpr qint64 kMaxJsFileSize = qint64(1) << 30;

// The two halves of ReadJsFile, for a caller that must know the file can be
// read before it parses it (the message restore waits for the phone between
// the two). ReadJsText gives the text after the prefix without a final ";",
// or nothing (the file cannot be opened, or is too large: logged).
// ParseJsText parses it; a failure prints "Error before: [%s]\n" and gives
// null; path only names the file in the log.
std::optional<QByteArray> ReadJsText(const QString& path);
JsonPtr ParseJsText(const QByteArray& text, const QString& path);

// A .js file written in one go: open() creates the temporary file and the
// root tree first, so a collector can skip its kind when the file cannot be
// created; the caller adds members to root(); commit() prints and publishes
// the file. Destroying an uncommitted writer leaves the old file untouched.
class JsFileWriter {
public:
    bool open(const QString& path, const char* prefix);
    cJSON* root() const { return m_Root.get(); }
    bool commit();

private:
    std::unique_ptr<QSaveFile> m_File;
    JsonPtr m_Root;
    const char* m_Prefix = nullptr;
};

} // namespace tarvell
