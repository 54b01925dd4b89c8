// The command channel to the companion service: one TCP connection to the
// adb-forwarded local port, one exchange at a time.
#pragma once

// One exchange: sends command (and payload, when payloadLength > 0), receives
// the framed answer straight into answer (at most answerSize bytes).
// Returns -1 on failure, 0 for an empty command or an empty answer, else the
// number of answer bytes. Answer text is not terminated.
int SendCommand(const char* command, void* answer, int answerSize, const void* payload,
                int payloadLength);

// Drops the shared channel (socket closed); the next SendCommand builds a new one.
void DiscardSharedChannel();
