// The shared 5 MiB receive buffer of record pages and thumbnails: allocated
// on first use, kept for the life of the process. A thumbnail handed to the
// caller lives in it until the next command that uses the buffer.
#pragma once

constexpr int kReceiveBufferSize = 0x500000;

// The buffer (kReceiveBufferSize bytes), or null when it cannot be allocated.
unsigned char* ReceiveBuffer();
