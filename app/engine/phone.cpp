#include "phone.h"

#include <QtGlobal>

namespace tarvell {

namespace {

template <size_t N> QByteArray FieldBytes(const char (&field)[N]) {
    return QByteArray(field, int(qstrnlen(field, N)));
}

// The library's calls of each kind; null where the kind has none.
struct KindCalls {
    int (*refresh)();
    int (*clear)();
    int (*count)();
    int (*refreshCount)();
    int (*refreshIndex)();
    int (*exportAdb)(int, const char*, int64_t);
    int (*exportStreamed)(int, const char*, int64_t);
    int (*pushAdb)(const char*, const char*);
    int (*pushStreamed)(const char*, const char*);
};

constexpr KindCalls kCalls[kContentKindCount] = {
    {&Tarvell_FlushPerson, &Tarvell_ClearPerson, nullptr, &Tarvell_FlushContact_Count,
     &Tarvell_FlushContact_Index, nullptr, nullptr, nullptr, nullptr},
    {&Tarvell_FlushSMS, &Tarvell_ClearSMS, nullptr, &Tarvell_FlushSMS_Count,
     &Tarvell_FlushSMS_Index, nullptr, nullptr, nullptr, nullptr},
    {&Tarvell_FlushCallHistory, &Tarvell_ClearCallHistory, nullptr, &Tarvell_FlushCallLog_Count,
     &Tarvell_FlushCallLog_Index, nullptr, nullptr, nullptr, nullptr},
    {&Tarvell_FlushDevicesPhotos, &Tarvell_ClearPhoto, &Tarvell_GetPhotoCount, nullptr, nullptr,
     &Tarvell_ExportPhotofromDevice, &Tarvell_ExportPhotofromDevice2, &Tarvell_addPhoto,
     &Tarvell_addPhoto2},
    {&Tarvell_FlushDevicesVideo, &Tarvell_ClearVideofromDevice, &Tarvell_GetVideoCount, nullptr,
     nullptr, &Tarvell_ExportVideofromDevice, &Tarvell_ExportVideofromDevice2,
     &Tarvell_AddVideoToDevice, &Tarvell_AddVideoToDevice2},
    {&Tarvell_FlushDevicesMusic, &Tarvell_ClearMusic, &Tarvell_GetMusicCount, nullptr, nullptr,
     &Tarvell_ExportMusicfromDevice, &Tarvell_ExportMusicfromDevice2, &Tarvell_AddMusicToDevice,
     &Tarvell_AddMusicToDevice2},
    {&Tarvell_FlushDevicesApp, &Tarvell_ClearAllApp, &Tarvell_GetAppCount, nullptr, nullptr,
     nullptr, nullptr, nullptr, nullptr},
};

class DeviceLibrary final : public Phone {
public:
    int detect() override { return Tarvell_CheckDeviceDetected(0); }
    int prepare() override { return Tarvell_ReadyTodoing(0); }
    int prepareProgress() override { return Tarvell_GetReadyTodoProgress(); }
    int removeCompanion() override { return Tarvell_RemoveCompanion(); }
    void deviceInfo(DeviceInfoRecord& info) override { Tarvell_GetAndroidDevicesInfo2(&info); }

    void resetAbort() override { Tarvell_ResetFlushDBStatus(); }
    void abortLongCalls() override {
        Tarvell_AbortFlushDB();
        Tarvell_PhotoAbort();
        Tarvell_MusicAbort();
        Tarvell_VideoAbort();
    }
    int failedCommandCount() override { return Tarvell_GetFailedCommandCount(); }

    void refresh(ContentKind kind) override { kCalls[kind].refresh(); }
    int contacts(ContactRecord** head) override { return Tarvell_GetPerson(head); }
    int messages(SmsRecord** head) override { return Tarvell_GetSMS(head); }
    int calls(CallLogRecord** head) override { return Tarvell_GetCallHistory(head); }
    SmsTempGroup* messageGroups() override {
        SmsTempGroup* groups = nullptr;
        Tarvell_GetSMSTempGroup(&groups);
        return groups;
    }
    CallLogTempGroup* callGroups() override {
        CallLogTempGroup* groups = nullptr;
        Tarvell_GetCallLogTempGroup(&groups);
        return groups;
    }
    void refreshProgress(ContentKind kind, int* index, int* count) override {
        const KindCalls& calls = kCalls[kind];
        *count = calls.refreshCount != nullptr ? calls.refreshCount() : 0;
        *index = calls.refreshIndex != nullptr ? calls.refreshIndex() : 0;
    }
    int count(ContentKind kind) override { return kCalls[kind].count(); }
    bool mediaInfo(ContentKind kind, int index, MediaRecord& record) override {
        switch (kind) {
        case Photos:
            return Fill<PhotoInfo>(&Tarvell_GetPhotoInfo, index, record);
        case Videos:
            return Fill<VideoInfo>(&Tarvell_GetVideoInfo, index, record);
        default:
            return Fill<MusicInfo>(&Tarvell_GetMusicInfo, index, record);
        }
    }
    bool appInfo(int index, AppInfo& info) override {
        info = AppInfo{};
        return Tarvell_GetAppInfo(&info, index) == 0;
    }
    void copyFromPhone(ContentKind kind, int32_t id, const QByteArray& destination, int64_t size,
                       bool streamed) override {
        const KindCalls& calls = kCalls[kind];
        (streamed ? calls.exportStreamed : calls.exportAdb)(id, destination.constData(), size);
    }
    int exportApp(const QByteArray& package, const QByteArray& destination) override {
        return Tarvell_ExportApp(package.constData(), destination.constData());
    }

    void clear(ContentKind kind) override { kCalls[kind].clear(); }
    int addContact(const ContactRecord& record) override { return Tarvell_AddPerson2(&record); }
    int addCall(const CallLogRecord& record) override { return Tarvell_AddCallHistory(&record); }
    int sendMessage(const SmsRecord& record) override { return Tarvell_SendSMS(&record); }
    int pushToPhone(ContentKind kind, const QByteArray& local, const QByteArray& name,
                    bool streamed) override {
        const KindCalls& calls = kCalls[kind];
        return (streamed ? calls.pushStreamed : calls.pushAdb)(local.constData(), name.constData());
    }
    int installApp(const QByteArray& package) override {
        return Tarvell_InstallAppToMemory(package.constData(), 3);
    }
    bool needsMessagingRole() override { return Tarvell_CheckAndroidVersionAt44(0) == 1; }
    void requestMessagingRole() override { Tarvell_SetDefaultMessage(0); }
    bool hasMessagingRole() override { return Tarvell_CheckDefaultMessangeOK(0) == 0; }
    void returnMessagingRole() override { Tarvell_ReSetDefaultMessage(0); }

private:
    template <typename Info>
    static bool Fill(int (*get)(Info*, int), int index, MediaRecord& record) {
        Info info{};
        const bool described = get(&info, index) == 0;
        record = info;
        return described;
    }
};

} // namespace

Phone& LibraryPhone() {
    static DeviceLibrary library;
    return library;
}

MediaFacts FactsOf(const MediaRecord& record) {
    return std::visit(
        [](const auto& info) {
            return MediaFacts{info.id, info.size, FieldBytes(info.path)};
        },
        record);
}

} // namespace tarvell
