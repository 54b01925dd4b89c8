// Incremental backups: a photo, video, song or app package that has not
// changed on the phone since an earlier backup of the same phone is taken
// from that backup's folder instead of crossing the cable again. It is
// hard-linked into the new folder when both lie on one file system and
// copied locally otherwise, so every folder stays complete on its own; its
// entry, name and bytes are exactly what a copy from the phone would give.
//
// An earlier folder is used only when it can vouch for its files: it has
// SHA256SUMS, its .js file of the kind matches its line there, and every
// file taken from it is hashed as it is linked or copied and must match its
// own line. Anything else (a file that changed, vanished, leads outside the
// folder or is not listed) is left to the phone.
#pragma once

#include "backupfolder.h"
#include "checksums.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <tarvellkit/tarvellkit.h>

struct cJSON;

namespace tarvell {

// Which phone a backup belongs to: the serial and the product id
// (ProductMD5) that Deviceinfo.js records. A phone without a serial is never
// matched.
struct PhoneIdentity {
    QByteArray serial;
    QByteArray product;
    bool known() const { return !serial.isEmpty() && !product.isEmpty(); }
    bool operator==(const PhoneIdentity&) const = default;
};
PhoneIdentity IdentityOf(const DeviceInfoRecord& info);
// From a backup folder's Datajs/Deviceinfo.js; empty when it cannot be read.
PhoneIdentity IdentityOfFolder(const QString& folder);

// Puts the file relative (inside earlierFolder) at destination: hard-linked
// when the file system allows it, else copied. Written under a temporary
// name beside destination and renamed only when its SHA-256 equals digest
// (and its size equals size, unless size is negative), so that no partial,
// damaged or foreign file ever stands under the final name. Refuses a file
// that is not a plain file or whose real path leaves earlierFolder. One call
// at a time per destination folder (the temporary name is fixed).
struct TakenFile {
    bool ok = false;
    bool linked = false;              // hard link rather than a copy
    QString why;                      // when not ok
    std::optional<KnownDigest> stamp; // of the file now at destination
};
TakenFile TakeEarlierFile(const QString& earlierFolder, const QString& relative,
                          const QString& destination, qint64 size, const QByteArray& digest,
                          const std::atomic<bool>* abort = nullptr);

class EarlierBackups {
public:
    // candidates: folders of finished backups (the catalogue), newFolder the
    // backup being written (never used as an earlier one). phone is asked
    // for at the first item, once.
    EarlierBackups(const QStringList& candidates, std::function<PhoneIdentity()> phone,
                   const QString& newFolder, const std::atomic<bool>* abort);
    ~EarlierBackups();
    EarlierBackups(const EarlierBackups&) = delete;
    EarlierBackups& operator=(const EarlierBackups&) = delete;

    // The newest usable earlier folder holding kind; empty when none.
    QString folderFor(ContentKind kind);
    // The item whose new entry is entry (built for the new folder) unchanged
    // in the earlier folder: its file is put at destination and true is
    // given. False (nothing at destination) when the phone must copy it.
    bool take(ContentKind kind, const cJSON* entry, const QString& destination);
    // After take() of a photo named name: its thumbnail too. False when the
    // thumbnail must be made.
    bool takeThumbnail(const QString& name, const QString& destination);

    // Digests of the files taken, by path relative to the new folder.
    const QHash<QString, KnownDigest>& digests() const { return m_Digests; }

private:
    struct Folder;
    struct Kind;
    Kind* kindState(ContentKind kind);
    Folder* folderState(const QString& path);
    bool takeInto(Folder& folder, const QString& relative, const QString& destination, qint64 size);

    QStringList m_Candidates;
    std::function<PhoneIdentity()> m_PhoneQuery;
    std::optional<PhoneIdentity> m_Phone;
    QString m_NewFolder;
    const std::atomic<bool>* m_Abort;
    std::vector<std::unique_ptr<Folder>> m_Folders;
    std::unique_ptr<Kind> m_Kinds[kContentKindCount];
    bool m_KindLooked[kContentKindCount] = {};
    QString m_LastPhotoFolder; // earlier folder of the last photo taken
    QHash<QString, KnownDigest> m_Digests;
};

} // namespace tarvell
