/* The public header compiled as C: its layout checks hold there too, and the
 * sizes C callers see are handed to the test to compare with C++'s. */
#include "tarvellkit/tarvellkit.h"

void tarvell_c_record_sizes(size_t* sizes);

void tarvell_c_record_sizes(size_t* sizes) {
    sizes[0] = sizeof(AdbDeviceEntry);
    sizes[1] = sizeof(PhotoInfo);
    sizes[2] = sizeof(MusicInfo);
    sizes[3] = sizeof(VideoInfo);
    sizes[4] = sizeof(AppInfo);
    sizes[5] = sizeof(DeviceInfoRecord);
    sizes[6] = sizeof(SmsRecord);
    sizes[7] = sizeof(ContactRecord);
    sizes[8] = sizeof(CallLogRecord);
    sizes[9] = sizeof(SmsTempGroup);
    sizes[10] = offsetof(SmsTempGroup, newestTime);
    sizes[11] = offsetof(CallLogRecord, photoId);
}
