// The one-record detail decoders (photo, music, video, app) and the storage
// figures decoder over arbitrary replies. Input: byte 0 chooses the decoder,
// the rest is the reply (not terminated). Records live in exact heap blocks so
// that ASan sees a write outside; every text field must stay terminated.
#include "detail_records.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

template <size_t N> void CheckTerminated(const char (&field)[N]) {
    FUZZ_CHECK(std::memchr(field, '\0', N) != nullptr);
}

template <typename Record> std::unique_ptr<Record> Cleared() {
    auto record = std::make_unique<Record>();
    std::memset(record.get(), 0, sizeof(Record));
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 16) {
        return 0;
    }
    const int length = static_cast<int>(size - 1);
    std::unique_ptr<char[]> reply(new char[length == 0 ? 1 : static_cast<size_t>(length)]);
    std::memcpy(reply.get(), data + 1, static_cast<size_t>(length));
    const int expected = length > 0 ? 0 : -1;

    switch (data[0] % 5) {
    case 0: {
        auto r = Cleared<PhotoInfo>();
        FUZZ_CHECK(DecodePhotoInfo(reply.get(), length, r.get()) == expected);
        CheckTerminated(r->title);
        CheckTerminated(r->path);
        break;
    }
    case 1: {
        auto r = Cleared<MusicInfo>();
        FUZZ_CHECK(DecodeMusicInfo(reply.get(), length, r.get()) == expected);
        CheckTerminated(r->title);
        CheckTerminated(r->album);
        CheckTerminated(r->artist);
        CheckTerminated(r->path);
        break;
    }
    case 2: {
        auto r = Cleared<VideoInfo>();
        FUZZ_CHECK(DecodeVideoInfo(reply.get(), length, r.get()) == expected);
        CheckTerminated(r->title);
        CheckTerminated(r->displayName);
        CheckTerminated(r->path);
        break;
    }
    case 3: {
        auto r = Cleared<AppInfo>();
        FUZZ_CHECK(DecodeAppInfo(reply.get(), length, r.get()) == expected);
        CheckTerminated(r->packageName);
        CheckTerminated(r->className);
        CheckTerminated(r->appName);
        CheckTerminated(r->version);
        CheckTerminated(r->permissions);
        break;
    }
    default: {
        auto r = Cleared<DeviceInfoRecord>();
        FUZZ_CHECK(DecodeStorageFigures(reply.get(), length, r.get()) == expected);
        // The texts are not the decoder's: they stay as they were.
        FUZZ_CHECK(r->manufacturer[0] == '\0' && r->serial[0] == '\0' && r->model[0] == '\0');
        break;
    }
    }
    return 0;
}
