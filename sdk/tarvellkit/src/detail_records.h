// Decoding of one-record detail replies (photo, music, video, app) into the
// caller's fixed-layout records, and of the storage-figures reply into a
// DeviceInfoRecord.
//
// A detail reply is text of entries TAG:VALUE; with hexadecimal values; the
// walk stops at a '.', a NUL or the end of the text, skips unknown tags, and
// ends at an entry without ';'. The storage reply has the same shape with
// plain decimal values, and '.' between its entries is skipped.
//
// Every decoder reads at most `length` bytes of `reply` (which need not be
// NUL-terminated) and writes only inside the record: text fields are cut to
// their width minus one and always terminated, integers saturate.
#pragma once

#include "tarvellkit/tarvellkit.h"

#include <cstdint>

// Each returns -1 when the reply is missing (null or length <= 0) or the
// record is null, else 0. Only fields whose tag occurs are written; the
// caller clears the record first.
int DecodePhotoInfo(const char* reply, int length, PhotoInfo* record);
int DecodeMusicInfo(const char* reply, int length, MusicInfo* record);
int DecodeVideoInfo(const char* reply, int length, VideoInfo* record);
int DecodeAppInfo(const char* reply, int length, AppInfo* record);

// MEMTOTAL, MEMAVAIL, SDTOTAL, SDAVAIL, PHONETOTAL, PHONEAVAIL into the
// fields of the same name; the other fields are left as they are.
int DecodeStorageFigures(const char* reply, int length, DeviceInfoRecord* record);
