/*
 * tarvellkit: access to an Android phone attached by USB.
 *
 * The library runs adb, detects phones on USB, installs and talks to the
 * companion service on the phone over an adb-forwarded TCP port, and decodes
 * its records. Everything is reached through the flat C functions below.
 *
 * Conventions that hold for every export unless its comment says otherwise:
 *
 *  - Results are 32-bit signed integers: 0 success, -1 failure; counts and
 *    progress values are non-negative. A few exports have further negative
 *    codes, stated with them.
 *  - Text crosses the interface as NUL-terminated narrow strings. The library
 *    does not convert text: record fields hold the bytes the phone sent
 *    (UTF-8 in practice), and paths are passed to the file system as given.
 *    The library never changes the process locale.
 *  - Output goes into buffers the caller supplies (their sizes are stated with
 *    each export), or stays in stores owned by the library that the caller
 *    reads until the next refresh of the same kind.
 *  - No export throws; no export shows anything to a user. Failures are
 *    reported through results and the log file
 *    (<documents folder>/LogFiles/tarvell.log, mirrored to standard error).
 *  - All state is process-wide. Exports may be called from several threads;
 *    where an export must not run beside another, its comment says so.
 *
 * Record layouts are packed on 4 bytes. The pointer-free records keep fixed
 * sizes and offsets (checked at compile time below); records that hold
 * pointers keep their field order.
 */
#ifndef TARVELLKIT_H
#define TARVELLKIT_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(TARVELLKIT_BUILDING)
#define TARVELL_API __declspec(dllexport)
#else
#define TARVELL_API __declspec(dllimport)
#endif
#else
#define TARVELL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define TARVELL_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#define TARVELL_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* ======================================================================
 * Record layouts
 * ====================================================================== */

#pragma pack(push, 4)

/* One row of the adb device table: 512 bytes of NUL-terminated text. */
typedef struct AdbDeviceEntry {
    char serial[64];        /* adb serial of the phone */
    char state[64];         /* adb state text, e.g. "device", "unauthorized" */
    char manufacturer[128]; /* getprop ro.product.manufacturer, with its line end */
    char model[64];         /* getprop ro.product.model */
    char release[64];       /* getprop ro.build.version.release */
    char releaseRead[64];   /* where the release text is first read */
    char pda[64];           /* getprop ro.build.PDA */
} AdbDeviceEntry;

/* One text message of the message store. Strings are library-owned heap
 * copies; a field whose tag did not arrive is NULL. */
typedef struct SmsRecord {
    char* id;
    char* personName;
    char* address;
    char* body;
    char* date; /* "YYYY-MM-DD HH:MM:SS" */
    char* type; /* a value above 4 is stored as "4" */
    char* read;
    char* threadId;
    char* contactId; /* contact matched by number, NULL when none */
    int32_t reserved1;
    int32_t reserved2;
    struct SmsRecord* next;
} SmsRecord;

/* One contact of the contact store. */
typedef struct ContactRecord {
    char* contactId;
    char* name;
    char* lastName;
    char* nickName;
    char* mobilePhone;
    char* homePhone;
    char* workPhone;
    char* homePage;
    char* homeEmail;
    char* birthday;
    char* groupName;
    char* note;
    char* organization;
    char* department;
    char* createDate;
    char* reserved;
    char* homeAddress;
    char* workAddress;
    char* homeFax;
    char* workFax;
    char* workEmail;
    int32_t reserved1;
    int32_t reserved2;
    struct ContactRecord* next;
} ContactRecord;

/* One entry of the call-log store. */
typedef struct CallLogRecord {
    char* id;
    char* name;
    char* number;
    char* date;
    char* type; /* a value above 4 is stored as "4" */
    char* duration;
    char* reserved;
    int32_t reserved1;
    int32_t photoId; /* always 0 */
    struct CallLogRecord* next;
} CallLogRecord;

/* A link from a grouping to a record of a store (SmsRecord or CallLogRecord). */
typedef struct TempGroupMember {
    void* record;
    struct TempGroupMember* next;
} TempGroupMember;

/* One conversation of the message grouping. Walk it from firstMember. */
typedef struct SmsTempGroup {
    TempGroupMember* firstMember;
    TempGroupMember* foundingMember;
    int64_t newestTime; /* seconds since 1970, 0 when no member had a date */
    struct SmsTempGroup* next;
} SmsTempGroup;

/* One number of the call-log grouping. */
typedef struct CallLogTempGroup {
    TempGroupMember* firstMember;
    TempGroupMember* lastMember;
    struct CallLogTempGroup* next;
} CallLogTempGroup;

/* Detail records: caller-owned, filled by the library. Text fields are
 * always NUL-terminated; longer values are cut. */
typedef struct PhotoInfo {
    int32_t id;
    char title[256];
    char path[1024];
    int64_t size;
    int64_t modifiedTime;
    int64_t createdTime;
} PhotoInfo;

typedef struct MusicInfo {
    int32_t id;
    int32_t albumId;
    char title[256];
    char album[256];
    char artist[256];
    char path[1024];
    int64_t duration; /* seconds */
    int64_t size;
    int64_t modifiedTime;
    int64_t createdTime;
} MusicInfo;

typedef struct VideoInfo {
    int32_t id;
    char title[256];
    char displayName[256];
    char path[1024];
    int64_t duration; /* seconds */
    int64_t size;
    int64_t modifiedTime;
    int64_t createdTime;
} VideoInfo;

typedef struct AppInfo {
    int32_t reserved;
    char packageName[256];
    char className[256];
    char appName[256];
    char version[256];
    int32_t versionCode;
    int32_t systemApp;
    int32_t sdcardApp;
    int32_t cacheSize;
    int32_t dataSize;
    int32_t codeSize;
    int32_t totalSize;
    int64_t installTime;
    int64_t lastUpdateTime;
    char permissions[128];
} AppInfo;

typedef struct DeviceInfoRecord {
    char manufacturer[128];
    char serial[64];
    char model[64];
    char release[64];
    char baseband[64]; /* not filled by the library */
    int64_t memTotal;
    int64_t memAvail;
    int32_t battery;
    int64_t phoneTotal;
    int64_t phoneAvail;
    int64_t sdTotal;
    int64_t sdAvail;
} DeviceInfoRecord;

#pragma pack(pop)

/* Layout checks: these records cross between deliverables byte for byte. */
TARVELL_STATIC_ASSERT(sizeof(AdbDeviceEntry) == 512, "AdbDeviceEntry size");
TARVELL_STATIC_ASSERT(offsetof(AdbDeviceEntry, state) == 64, "AdbDeviceEntry.state");
TARVELL_STATIC_ASSERT(offsetof(AdbDeviceEntry, manufacturer) == 128, "AdbDeviceEntry.manufacturer");
TARVELL_STATIC_ASSERT(offsetof(AdbDeviceEntry, model) == 256, "AdbDeviceEntry.model");
TARVELL_STATIC_ASSERT(offsetof(AdbDeviceEntry, release) == 320, "AdbDeviceEntry.release");
TARVELL_STATIC_ASSERT(offsetof(AdbDeviceEntry, releaseRead) == 384, "AdbDeviceEntry.releaseRead");
TARVELL_STATIC_ASSERT(offsetof(AdbDeviceEntry, pda) == 448, "AdbDeviceEntry.pda");

TARVELL_STATIC_ASSERT(sizeof(PhotoInfo) == 1308, "PhotoInfo size");
TARVELL_STATIC_ASSERT(offsetof(PhotoInfo, title) == 4, "PhotoInfo.title");
TARVELL_STATIC_ASSERT(offsetof(PhotoInfo, path) == 260, "PhotoInfo.path");
TARVELL_STATIC_ASSERT(offsetof(PhotoInfo, size) == 1284, "PhotoInfo.size");
TARVELL_STATIC_ASSERT(offsetof(PhotoInfo, modifiedTime) == 1292, "PhotoInfo.modifiedTime");
TARVELL_STATIC_ASSERT(offsetof(PhotoInfo, createdTime) == 1300, "PhotoInfo.createdTime");

TARVELL_STATIC_ASSERT(sizeof(MusicInfo) == 1832, "MusicInfo size");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, albumId) == 4, "MusicInfo.albumId");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, title) == 8, "MusicInfo.title");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, album) == 264, "MusicInfo.album");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, artist) == 520, "MusicInfo.artist");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, path) == 776, "MusicInfo.path");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, duration) == 1800, "MusicInfo.duration");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, size) == 1808, "MusicInfo.size");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, modifiedTime) == 1816, "MusicInfo.modifiedTime");
TARVELL_STATIC_ASSERT(offsetof(MusicInfo, createdTime) == 1824, "MusicInfo.createdTime");

TARVELL_STATIC_ASSERT(sizeof(VideoInfo) == 1572, "VideoInfo size");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, title) == 4, "VideoInfo.title");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, displayName) == 260, "VideoInfo.displayName");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, path) == 516, "VideoInfo.path");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, duration) == 1540, "VideoInfo.duration");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, size) == 1548, "VideoInfo.size");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, modifiedTime) == 1556, "VideoInfo.modifiedTime");
TARVELL_STATIC_ASSERT(offsetof(VideoInfo, createdTime) == 1564, "VideoInfo.createdTime");

TARVELL_STATIC_ASSERT(sizeof(AppInfo) == 1200, "AppInfo size");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, packageName) == 4, "AppInfo.packageName");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, className) == 260, "AppInfo.className");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, appName) == 516, "AppInfo.appName");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, version) == 772, "AppInfo.version");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, versionCode) == 1028, "AppInfo.versionCode");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, systemApp) == 1032, "AppInfo.systemApp");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, sdcardApp) == 1036, "AppInfo.sdcardApp");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, cacheSize) == 1040, "AppInfo.cacheSize");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, dataSize) == 1044, "AppInfo.dataSize");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, codeSize) == 1048, "AppInfo.codeSize");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, totalSize) == 1052, "AppInfo.totalSize");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, installTime) == 1056, "AppInfo.installTime");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, lastUpdateTime) == 1064, "AppInfo.lastUpdateTime");
TARVELL_STATIC_ASSERT(offsetof(AppInfo, permissions) == 1072, "AppInfo.permissions");

TARVELL_STATIC_ASSERT(sizeof(DeviceInfoRecord) == 436, "DeviceInfoRecord size");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, serial) == 128, "DeviceInfoRecord.serial");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, model) == 192, "DeviceInfoRecord.model");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, release) == 256, "DeviceInfoRecord.release");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, baseband) == 320, "DeviceInfoRecord.baseband");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, memTotal) == 384, "DeviceInfoRecord.memTotal");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, memAvail) == 392, "DeviceInfoRecord.memAvail");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, battery) == 400, "DeviceInfoRecord.battery");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, phoneTotal) == 404, "DeviceInfoRecord.phoneTotal");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, phoneAvail) == 412, "DeviceInfoRecord.phoneAvail");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, sdTotal) == 420, "DeviceInfoRecord.sdTotal");
TARVELL_STATIC_ASSERT(offsetof(DeviceInfoRecord, sdAvail) == 428, "DeviceInfoRecord.sdAvail");

/* ======================================================================
 * Lifecycle
 * ====================================================================== */

/*
 * Tarvell_Init: prepares the library for use. Call it once at program start,
 * before the first phone operation; calling it again is harmless.
 *
 * It sets up the private temporary folder (<tmp>/Temp_tarvell-<uid>/, mode
 * 0700; a link or another user's folder in its place is refused, and later
 * operations that need temporary files then fail on their own), starts the
 * USB watcher thread once (it refreshes the USB phone list when a volume
 * comes or goes, and lives until the process ends) and allocates the
 * transfer buffer once. It starts no adb, touches no phone and writes no log.
 *
 * Returns 0, always. Any thread; usually the GUI thread at start.
 */
TARVELL_API int Tarvell_Init(void);

/*
 * Tarvell_UnInit: removes the companion service from the phone as the
 * program ends. Starts, without waiting for them, "adb uninstall
 * com.velmora.tarvell" and, when a phone is selected, "adb -s <serial>
 * uninstall com.android.datarecovery". It returns once both are started (or
 * could not be); it waits only while another adb run of the library is
 * being waited for. Nothing else is released: the watcher thread, the stores
 * and the log stay until the process ends.
 *
 * Returns 0, always (also without a phone or without adb). Any thread;
 * call it last.
 */
TARVELL_API int Tarvell_UnInit(void);

/* ======================================================================
 * Phone detection
 * ====================================================================== */

/*
 * Two levels. The USB level (Tarvell_CheckConnectDeviceToPC_Count) looks for
 * USB devices of known phone makers without adb. The adb level
 * (Tarvell_CheckDeviceDetected) restarts the adb server, lists the phones adb
 * sees and reads the first one's properties; the whole library then works
 * with that first listed phone.
 *
 * adb is the program "adb" in the folder of the running executable, else the
 * first "adb" on PATH. It runs without a shell, in its own process group,
 * with no descriptors of the caller's process.
 *
 * The USB list and the adb device table are guarded by locks; these exports
 * may be called from any thread, also at the same time. The adb work of all
 * threads runs one adb at a time.
 */

/*
 * Tarvell_CheckConnectDeviceToPC_Count: rescans USB for phones of known
 * makers (an adb-capable interface of a phone is noted as well). Also marks
 * the adb listing as stale, so that the next Tarvell_CheckDeviceDetected does
 * its full adb work again. Quick: no adb is started.
 *
 * Returns 1 when at least one phone was found, else 0.
 */
TARVELL_API int Tarvell_CheckConnectDeviceToPC_Count(void);

/*
 * Tarvell_CheckDeviceDetected: makes sure adb sees a usable phone.
 *
 * When a listing was made since the last Tarvell_CheckConnectDeviceToPC_Count
 * (by this export or by a reconnect of the command channel), returns 0 at
 * once without starting adb, whatever the state of that listing. Otherwise
 * it ends every adb process of this user, restarts the adb server, waits 2 s,
 * lists the phones ("adb devices") and, for a ready first phone, reads its
 * properties (Android release, model, manufacturer, PDA). Takes about 2 s
 * with a responsive adb; each adb step has its own time-out (20 s for the
 * server restart, 4 s for each listing or property), so a hanging adb makes
 * it return after about a minute at most.
 *
 * deviceIndex is not used: the first listed phone is always taken.
 *
 * Returns  0 the first listed phone is ready for adb;
 *         -1 adb lists no phone (no phone, USB debugging off, adb missing,
 *            or an unusable listing: longer than 2048 bytes, or a serial
 *            holding a double quote);
 *         -2 the first listed phone is not in state "device" (for example
 *            "unauthorized": the user has not yet allowed this computer).
 */
TARVELL_API int Tarvell_CheckDeviceDetected(int deviceIndex);

/*
 * Tarvell_CheckEnableUSBDebug: tells whether USB debugging is still to be
 * switched on, from the USB list as the last scan left it (it does not scan).
 *
 * Returns 0 when no USB phone is known or the first one shows its adb
 * interface; otherwise the result of Tarvell_CheckDeviceDetected (0, -1, -2).
 */
TARVELL_API int Tarvell_CheckEnableUSBDebug(void);

/*
 * Tarvell_CheckOpenDebugType: tells which way of switching on USB debugging
 * the first USB phone of the last scan needs (it does not scan).
 *
 * Returns 2 when that phone is one of the debug-type models (vendor:product
 * 04E8:6866, 04E8:6860, 04E8:685D), else 1 (also with no phone).
 */
TARVELL_API int Tarvell_CheckOpenDebugType(void);

/*
 * Tarvell_installAndroidDrivertoPC: rescans USB and, when a phone is there
 * but adb does not list it after two tries 2 s apart, runs the program
 * "AdbDriverInstaller" of the program folder if there is one (waiting at most
 * 4 s for it), then asks adb once more. On Linux a phone needs a udev rule,
 * not a driver; see the README.
 *
 * Returns -1 when no USB phone is found, else the result of the last
 * Tarvell_CheckDeviceDetected (0, -1, -2). Blocks for several seconds.
 */
TARVELL_API int Tarvell_installAndroidDrivertoPC(void);

/* ======================================================================
 * Companion preparation
 * ====================================================================== */

/*
 * Prepares the phone of row 0 of the adb device table for work: stops the
 * companion service (package "com.velmora.tarvell"), removes it, installs it
 * from "tarvell.apk" in the program folder, starts its activity, and greets
 * it over the command channel ("hello-android;", answered by exactly
 * "HI-PC"). Every call is a full reinstall; the companion stays installed
 * and running afterwards until Tarvell_UnInit or the next preparation.
 *
 * deviceIndex is not used: the library always works with row 0, so call
 * Tarvell_CheckDeviceDetected first.
 *
 * Returns 0 when the companion is installed, started and answers; -1 when a
 * step fails. The adb steps are judged only by the adb process (a failed
 * install is not read from adb's output); the greeting is the proof that the
 * companion runs. The progress (Tarvell_GetReadyTodoProgress) tells where it
 * stopped:
 *   20  stopping failed (adb could not start or ran past 20 s), no phone is
 *       selected, or its serial holds a double quote (nothing is started)
 *   30  removal failed (as above)
 *   50  the install or start command could not be started, or the program
 *       folder's path holds a double quote
 *   70  the companion did not answer "HI-PC" within the channel's three
 *       attempts (for example the package file is missing)
 *
 * The call discards the command channel and the first exchange builds a new
 * one (new port forward, new connection). Threads: call it from one thread,
 * and never while another thread may be inside a library call that talks to
 * the phone: an exchange that is running when the channel is discarded is
 * finished first, and later exchanges of other threads on the old channel
 * fail with -1.
 *
 * Time-out: every receive (and send) on the channel waits at most 120 s for
 * the companion (a slow but legitimate answer, such as a list rebuild on a phone
 * with a very large store, fits well within it; each arriving piece of data
 * restarts the wait). A companion that stops answering on an open
 * connection therefore fails one attempt after 120 s, and a command that
 * meets such a companion on all three attempts returns -1 after about six
 * minutes plus the reconnects between attempts, instead of blocking its
 * caller, and every other caller waiting for the channel, forever.
 */
TARVELL_API int Tarvell_ReadyTodoing(int deviceIndex);

/*
 * The progress of the current or last preparation in percent: 0 before any
 * preparation; 10 while stopping; 20 after stopping; 30 after removal; 50
 * after installation and while starting; 70 after starting and while
 * greeting; 100 when ready. A failed preparation leaves the value where it
 * stood; the next one starts again at 10. Any thread may call it at any time.
 */
TARVELL_API int Tarvell_GetReadyTodoProgress(void);

/*
 * How many companion commands have failed for good since the library was
 * loaded: no whole answer came on any of the channel's three attempts (the
 * phone was unplugged, or the companion stopped answering, cut an answer
 * short or sent one larger than the caller's buffer). Exports that read
 * lists report such a failure like an empty list (a store that stays empty,
 * a count of 0); a caller that reads this number before and after a piece of
 * work learns whether the phone left something unanswered. Any thread may
 * call it at any time.
 */
TARVELL_API int Tarvell_GetFailedCommandCount(void);

/* ======================================================================
 * Record stores: messages, contacts, call log
 * ====================================================================== */

/*
 * The library keeps three stores: the messages, the contacts and the call
 * log of the phone, each a linked list of records (SmsRecord, ContactRecord,
 * CallLogRecord, linked through next). A flush export empties its store and
 * refills it from the companion service, five records per page; a reader
 * export hands out the first record.
 *
 * Ownership: the records and their strings belong to the library. They stay
 * valid until the next flush of the same store, which frees them; the caller
 * never frees or changes them. A string field is NULL when the phone did not
 * send it and "" when it sent an empty value. Text is passed on as the bytes
 * the phone sent (at most 1023 bytes per field).
 *
 * Threads: one flush runs at a time (a second caller waits); a reader waits
 * while a flush runs. The progress and abort exports may be called from any
 * thread while a flush runs on another, and never wait.
 */

/* Empties the message store and fetches every message of the phone
 * ("getsmsCount;", then "getsmsPart10:<offset>;" per page). Messages of
 * thread "-1", of TYPE "3", or without a thread id or TYPE are not kept; a
 * TYPE above 4 is stored as "4". Then every message without a sender name
 * whose address matches a phone number of a contact in the contact store
 * gets that contact's name and contact id (flush the contacts first).
 * Marks the store as filled. Returns 0, also when the phone had no messages
 * or a page failed (the store then holds what arrived) or the flush was
 * aborted. */
TARVELL_API int Tarvell_FlushSMS(void);

/* Empties and refills the contact store ("getcontactCount;",
 * "getcontactpart10:<offset>;"). Contacts are stored in the reverse of the
 * order the phone sent them. lastName, groupName, createDate and reserved
 * stay NULL. Marks the store as filled; returns 0. */
TARVELL_API int Tarvell_FlushPerson(void);

/* Empties and refills the call-log store ("getcalllogcount;",
 * "getcalllogpart10:<offset>;"), in the phone's order; a TYPE above 4 is
 * stored as "4". Marks the store as filled; returns 0. */
TARVELL_API int Tarvell_FlushCallHistory(void);

/* Reader of a store: -2 when the store was never flushed (*first is left
 * untouched); -1 when first is NULL; else sets *first to the first record
 * (NULL when the store is empty) and returns the number of records. */
TARVELL_API int Tarvell_GetSMS(SmsRecord** first);
TARVELL_API int Tarvell_GetPerson(ContactRecord** first);
TARVELL_API int Tarvell_GetCallHistory(CallLogRecord** first);

/* Flush progress: the total the phone reported for the flush in progress or
 * the last one (0 before it is known), and the offset of the page being
 * fetched. */
TARVELL_API int Tarvell_FlushSMS_Count(void);
TARVELL_API int Tarvell_FlushCallLog_Count(void);
TARVELL_API int Tarvell_FlushContact_Count(void);
TARVELL_API int Tarvell_FlushSMS_Index(void);
TARVELL_API int Tarvell_FlushCallLog_Index(void);
TARVELL_API int Tarvell_FlushContact_Index(void);

/* Sets the flush-abort flag shared by the three flushes: a running flush
 * stops after the page it is fetching, and every later flush fetches only
 * its first page, until Tarvell_ResetFlushDBStatus clears the flag. Both
 * return 0. */
TARVELL_API int Tarvell_AbortFlushDB(void);
TARVELL_API int Tarvell_ResetFlushDBStatus(void);

/* Groups the message store into conversations and sets *first to the first
 * group (NULL when the store is empty or memory ran out). A message joins
 * the most recently created conversation whose first member has the same
 * threadId or, failing that, the same address; it becomes that
 * conversation's first member. Conversations are sorted newest first by
 * newestTime (equal times keep their order). Walk a conversation from
 * firstMember; each member's record points into the message store.
 * Returns 0, or -1 when first is NULL.
 * The grouping belongs to the library: it stays valid until the next call
 * of this export; its records until the next Tarvell_FlushSMS. */
TARVELL_API int Tarvell_GetSMSTempGroup(SmsTempGroup** first);

/* Groups the call-log store by number (exact text; an entry without a
 * number is a group of its own) and sets *first to the first group; within
 * a group the entries keep store order, from firstMember to lastMember.
 * Groups are not sorted. Returns 0, or -1 when first is NULL. Ownership as
 * for Tarvell_GetSMSTempGroup (valid until the next call; records until the
 * next Tarvell_FlushCallHistory). */
TARVELL_API int Tarvell_GetCallLogTempGroup(CallLogTempGroup** first);

/* ======================================================================
 * Writing messages, contacts and call log
 * ====================================================================== */

/*
 * Each export sends one command (Tarvell_AddPerson2 a series) to the
 * companion service and returns its reply, a 32-bit integer passed on
 * unchanged, or 0 when no reply arrived. Record text fields go out as hex of
 * their bytes; an over-long field is cut at a character boundary (address,
 * date, read and type at 512 bytes, a message body at 1024 bytes). Records
 * passed in stay the caller's; only the fields named are read.
 * Threads: any thread; each command is one exchange on the shared channel.
 */

/* Writes one message: address, body, date (the record's text), read and
 * type. Returns the reply; -1 when sms is NULL. */
TARVELL_API int Tarvell_SendSMS(const SmsRecord* sms);

/* Deletes every message on the phone. Returns the reply. */
TARVELL_API int Tarvell_ClearSMS(void);

/* deviceIndex: a row of the adb device table (0 is the attached phone).
 * On Android 4.4 and later these ask the companion to become the default
 * messaging app (the phone asks its user) and to hand the role back; they
 * return the reply. On older phones they send nothing and return 0. -1 when
 * the row does not exist. */
TARVELL_API int Tarvell_SetDefaultMessage(int deviceIndex);
TARVELL_API int Tarvell_ReSetDefaultMessage(int deviceIndex);

/* 0 when the companion is the default messaging app, or the phone runs a
 * release older than 4.4 (nothing is sent); -1 otherwise, also when no
 * reply arrived or the row does not exist. */
TARVELL_API int Tarvell_CheckDefaultMessangeOK(int deviceIndex);

/* 1 when the phone of the row runs Android 4.4 or later (major * 10 + minor
 * of its release text above 43), else 0 (also for a row that does not
 * exist). Sends nothing. */
TARVELL_API int Tarvell_CheckAndroidVersionAt44(int deviceIndex);

/* Creates a contact with a display name and a phone number (either may be
 * NULL or empty). Returns the new contact's id, 0 when no reply arrived. */
TARVELL_API int64_t Tarvell_AddPerson(const char* name, const char* phone);

/* Sets one field of a contact. fieldCode: 1 FIRSTNAME, 2 LASTNAME,
 * 3 NICKNAME, 4 MOBILE, 5 HOMENUMBER, 6 WORKNUMBER, 7 HOMEPAGE, 8 HOMEEMAIL,
 * 9 BIRTHDAY, 10 GROUP, 11 NOTE, 12 ORGANZATION, 13 DEPARTMENT,
 * 16 HOMEADDRESS, 17 WORKADDRESS, 18 HOMEFAX, 19 WORKFAX, 20 WORKEMAIL (the
 * position of the matching ContactRecord field). Returns the reply; -1
 * without sending when the id or value is missing or empty, the value is the
 * single character '"', the code has no key, or the id holds ':', ';' or
 * '"'. */
TARVELL_API int Tarvell_updatePerson(const char* contactId, unsigned int fieldCode,
                                     const char* value);

/* Creates a whole contact: Tarvell_AddPerson with name followed by lastName
 * (at most 511 bytes) and mobilePhone, then one Tarvell_updatePerson per
 * non-empty field (codes 3 to 13 and 16 to 20; createDate and reserved are
 * not sent). A field holding only '"' counts as empty. Returns 0 once the
 * contact was created (the updates' replies are not examined), -1 when
 * contact is NULL or no positive id came back. Not atomic: other commands
 * may run between its exchanges. */
TARVELL_API int Tarvell_AddPerson2(const ContactRecord* contact);

/* Deletes every contact on the phone. Returns the reply. */
TARVELL_API int Tarvell_ClearPerson(void);

/* Writes one call-log entry: number, date (sent as seconds since 1970,
 * read as local time), type and duration. Returns the reply; -1 when call
 * is NULL. */
TARVELL_API int Tarvell_AddCallHistory(const CallLogRecord* call);

/* Deletes the whole call log on the phone. Returns the reply. */
TARVELL_API int Tarvell_ClearCallHistory(void);

/* Operations the companion does not offer. They send nothing, ignore their
 * arguments and return 0 (the Move* exports return -1). */
TARVELL_API int Tarvell_UpdateSMS(const SmsRecord* sms);
TARVELL_API int Tarvell_DeleteSMS(const char* id);
TARVELL_API int Tarvell_DeletePerson(const char* contactId);
TARVELL_API int Tarvell_GetOnePersonInfo(const char* contactId, ContactRecord* contact);
TARVELL_API int Tarvell_GetPersonImage(const char* contactId, const char* outPath);
TARVELL_API int Tarvell_UpdatePersonImage(const char* contactId, const char* imagePath);
TARVELL_API int Tarvell_DeletePersonImage(const char* contactId);
TARVELL_API int Tarvell_UpdateCallHistory(const CallLogRecord* call);
TARVELL_API int Tarvell_DeleteCallHistory(const char* id);
TARVELL_API int Tarvell_ClearAllApp(void);
TARVELL_API int Tarvell_MoveAppToMemory(const char* packageName);
TARVELL_API int Tarvell_MoveAppToSdCard(const char* packageName);

/* ======================================================================
 * Photos, music and videos
 * ====================================================================== */

/*
 * The companion keeps one list per kind on the phone. A list refresh rebuilds
 * it; count, details, thumbnails and delete address that list. Detail records
 * are found by position (0 to count - 1); copies from the phone address a file
 * by the id of its detail record. Photos are described in full; the music and
 * video exports below behave alike with their own commands and folders
 * (/sdcard/Images, /sdcard/Music, /sdcard/Videos).
 *
 * Numeric results are the phone's 4-byte reply; a failed exchange gives 0.
 *
 * Two ways move a file:
 *  - through adb (Tarvell_addPhoto, Tarvell_ExportPhotofromDevice): one adb
 *    run; these ignore the abort switch and report no progress;
 *  - streamed over the command channel in chunks (Tarvell_addPhoto2,
 *    Tarvell_ExportPhotofromDevice2), with a progress percentage and an abort
 *    switch per kind.
 *
 * Names and paths: a computer path or phone file name holding '"' is refused
 * by the adb copies (-1, nothing sent or started); a phone file name holding
 * ':' or ';' is refused by Tarvell_addPhoto and its twins; phone file names
 * must be 1 to 479 bytes.
 *
 * Threads: any export may be called from any thread. Only one streamed
 * transfer per kind may run at a time (streamed transfers of different kinds
 * take turns on one chunk buffer). Tarvell_PhotoAbort and
 * Tarvell_GetPhotoProgress (and their twins) may be called from any thread
 * while a transfer runs on another.
 */

/* Asks the phone to rebuild its photo list. Returns the phone's reply. */
TARVELL_API int Tarvell_FlushDevicesPhotos(void);

/* Number of photos in the phone's list (0 when the phone did not answer). */
TARVELL_API int Tarvell_GetPhotoCount(void);

/* Fills the caller's record with the details of the photo at position.
 * The record is cleared first; fields the phone did not send stay zero or
 * empty; text longer than its field is cut (always NUL-terminated).
 * Returns 0, or -1 when info is NULL or no details came back. */
TARVELL_API int Tarvell_GetPhotoInfo(PhotoInfo* info, int position);

/* Fetches the thumbnail of a photo (bytes as the phone sends them, usually an
 * image file). On success stores in *thumbnail a pointer into a library
 * buffer and returns the byte count. The bytes stay valid only until the next
 * call that uses that buffer: another thumbnail, or a refresh of messages,
 * contacts or call log. The caller must not free them.
 * Returns -1 when thumbnail is NULL, the buffer cannot be allocated, or the
 * reply holds 4 bytes or fewer. */
TARVELL_API int Tarvell_GetPhotoThumb(unsigned char** thumbnail, int item);

/* Deletes a photo on the phone / all photos. Return the phone's reply. */
TARVELL_API int Tarvell_DeletePhoto(int item);
TARVELL_API int Tarvell_ClearPhoto(void);

/* Copies a computer file into /sdcard/Images on the phone through adb, under
 * phoneFileName, or under the first free of name(1).ext .. name(9).ext when
 * the phone has that name already (name(9).ext is used even if taken; a name
 * without an extension becomes name(1) .. name(9)). The phone's list then
 * registers the file.
 * Returns 0 once adb ran; -1 when an argument is missing or refused, the
 * computer file cannot be read, the phone does not answer a name check
 * (nothing is pushed, so no phone file is overwritten), or adb could not be
 * started. */
TARVELL_API int Tarvell_addPhoto(const char* pcFilePath, const char* phoneFileName);

/* Streams a computer file to the phone under phoneFileName, in chunks of up
 * to 100 KiB. Progress rises from 0 to 100; Tarvell_PhotoAbort stops after
 * the current chunk, and the phone is told the copy was aborted.
 * Returns the phone's reply to the final announce (also after an abort);
 * -1 when an argument is missing, the file cannot be opened or read, or a
 * chunk could not be sent (the phone is then told the copy was aborted). */
TARVELL_API int Tarvell_addPhoto2(const char* pcFilePath, const char* phoneFileName);

/* Copies the photo with photoId from the phone to pcFilePath through adb.
 * fileSize is only logged. Returns 0 when the file arrived, or when the phone
 * reports an empty path for the id (nothing is copied); -1 when pcFilePath
 * is missing or refused, the phone gave no path or a path that cannot be
 * passed to adb, adb could not be started, or no file arrived. */
TARVELL_API int Tarvell_ExportPhotofromDevice(int photoId, const char* pcFilePath,
                                              int64_t fileSize);

/* Streams the photo with photoId from the phone into pcFilePath (created or
 * truncated), in requests of at most 10 KiB, until fileSize bytes arrived.
 * Progress rises from 0 and ends at 100. Tarvell_PhotoAbort stops after the
 * current chunk. Returns 0 when the file is complete or the copy was
 * aborted; -1 when pcFilePath is missing or cannot be created or written, or
 * when the phone stopped sending before fileSize bytes (the partial file
 * stays). A fileSize of 0 or less is taken as "whatever the first chunk
 * holds". */
TARVELL_API int Tarvell_ExportPhotofromDevice2(int photoId, const char* pcFilePath,
                                               int64_t fileSize);

/* Sets the photo abort switch (cleared when the next streamed photo transfer
 * starts). Returns 0. Any thread. */
TARVELL_API int Tarvell_PhotoAbort(void);

/* Percentage (0-100) of the running or last streamed photo transfer. Any
 * thread. */
TARVELL_API int Tarvell_GetPhotoProgress(void);

/* Music: as the photo exports, with MusicInfo, the folder /sdcard/Music and
 * the music abort switch and progress. Tarvell_GetMusicThumb passes both
 * numbers to the phone unchanged. */
TARVELL_API int Tarvell_FlushDevicesMusic(void);
TARVELL_API int Tarvell_GetMusicCount(void);
TARVELL_API int Tarvell_GetMusicInfo(MusicInfo* info, int position);
TARVELL_API int Tarvell_GetMusicThumb(unsigned char** thumbnail, int item, int second);
TARVELL_API int Tarvell_DeleteMusic(int item);
TARVELL_API int Tarvell_ClearMusic(void);
TARVELL_API int Tarvell_AddMusicToDevice(const char* pcFilePath, const char* phoneFileName);
TARVELL_API int Tarvell_AddMusicToDevice2(const char* pcFilePath, const char* phoneFileName);
TARVELL_API int Tarvell_ExportMusicfromDevice(int songId, const char* pcFilePath, int64_t fileSize);
TARVELL_API int Tarvell_ExportMusicfromDevice2(int songId, const char* pcFilePath,
                                               int64_t fileSize);
TARVELL_API int Tarvell_MusicAbort(void);
TARVELL_API int Tarvell_GetMusicProgress(void);

/* Videos: as the photo exports, with VideoInfo, the folder /sdcard/Videos
 * and the video abort switch and progress; there is no video thumbnail.
 * Tarvell_AddVideoToDevice2 returns 0 (not the phone's reply) after the
 * final announce, -1 on the failures listed for Tarvell_addPhoto2. */
TARVELL_API int Tarvell_FlushDevicesVideo(void);
TARVELL_API int Tarvell_GetVideoCount(void);
TARVELL_API int Tarvell_GetVideoInfo(VideoInfo* info, int position);
TARVELL_API int Tarvell_DeleteVideofromDevice(int item);
TARVELL_API int Tarvell_ClearVideofromDevice(void);
TARVELL_API int Tarvell_AddVideoToDevice(const char* pcFilePath, const char* phoneFileName);
TARVELL_API int Tarvell_AddVideoToDevice2(const char* pcFilePath, const char* phoneFileName);
TARVELL_API int Tarvell_ExportVideofromDevice(int videoId, const char* pcFilePath,
                                              int64_t fileSize);
TARVELL_API int Tarvell_ExportVideofromDevice2(int videoId, const char* pcFilePath,
                                               int64_t fileSize);
TARVELL_API int Tarvell_VideoAbort(void);
TARVELL_API int Tarvell_GetVideoProgress(void);

/* ======================================================================
 * Apps, device facts and screenshot
 * ====================================================================== */

/*
 * App listing and device figures come from the companion; package moves and
 * the screenshot run adb against the phone of row 0 of the device table.
 * Paths and package names holding '"' are refused (-1, nothing started), as
 * is any adb export while no phone is selected. Any thread may call these;
 * adb runs one at a time.
 */

/* Asks the phone to rebuild its app list. Returns the phone's reply (0 when
 * none). */
TARVELL_API int Tarvell_FlushDevicesApp(void);

/* Number of apps in the phone's list (0 when the phone did not answer). */
TARVELL_API int Tarvell_GetAppCount(void);

/* Clears the caller's record and fills it with the details of the app at
 * position. Returns 0, or -1 when info is NULL or no details came back (the
 * record is then all zeros). */
TARVELL_API int Tarvell_GetAppInfo(AppInfo* info, int position);

/* Installs a package file from the computer. mode: 1 install with -l
 * (forward-locked), 2 -r (replace), 3 -s (external storage), 4 plain, 5 -r -s.
 * Returns 0 once adb ran (adb's own verdict is not examined), -1 when adb
 * could not be started, for any other mode, or for a refused path. */
TARVELL_API int Tarvell_InstallAppToMemory(const char* packagePath, int mode);

/* Uninstalls a package by name. mode: 1 plain, 2 keep the app's data (-k).
 * Returns 0 once adb ran, -1 when adb could not be started, for any other
 * mode, or for a refused name (empty, or holding '"' or a blank). */
TARVELL_API int Tarvell_UnInstallApp(const char* packageName, int mode);

/* Uninstalls the companion service that Tarvell_ReadyTodoing installed and
 * waits for adb to finish, so that a caller's next adb command does not meet
 * the removal under way. Returns 0 once adb ran, -1 when adb could not be
 * started. Any thread; not while a job talks to the companion. */
TARVELL_API int Tarvell_RemoveCompanion(void);

/* Saves the package file /data/app/<packageName>-1.apk of the phone as
 * outputPath (quoted for adb only when it holds a blank). Returns 0 when the
 * file arrived; -1 when adb could not be started, an argument is refused, or
 * no file arrived (a phone that keeps the package under another name). */
TARVELL_API int Tarvell_ExportApp(const char* packageName, const char* outputPath);

/* Fills the caller's record: maker, serial, model and Android release as the
 * device table holds them (read at detection, line ends included), battery
 * level and memory and storage figures from the phone (units as the phone
 * gives them; 0 when it does not answer). baseband stays empty.
 * Returns 0; -1 when info is NULL or the USB scan fails. */
TARVELL_API int Tarvell_GetAndroidDevicesInfo(DeviceInfoRecord* info);

/* Re-reads the phone's properties into the device table and fills only the
 * four texts of the caller's record; battery and figures stay 0.
 * Returns 0; -1 when info is NULL or the USB scan fails. */
TARVELL_API int Tarvell_GetAndroidDevicesInfo2(DeviceInfoRecord* info);

/* Takes a screenshot on the phone of device-table row (0-9) and pulls it to
 * outputPath (PNG). The picture also stays on the phone as
 * /sdcard/screenshot.png. Returns 0 once adb ran (whether the file arrived is
 * not checked); -1 when the row holds no phone or the path is refused. */
TARVELL_API int Tarvell_GetAndroidDevicesScreenCap(const char* outputPath, int row);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TARVELLKIT_H */
