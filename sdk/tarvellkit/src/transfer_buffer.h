// The chunk buffer of streamed transfers: 102400 bytes, halved down to 4096
// when memory is short. Allocated once, kept for the life of the process.
#pragma once

void TransferBufferAllocate();
unsigned char* TransferBufferData(); // null before TransferBufferAllocate()
int TransferBufferSize();
