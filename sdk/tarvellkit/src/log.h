// The library's plain-text log: <documents>/LogFiles/tarvell.log, recreated
// with a dated header at the first entry of each process, every entry also
// written to standard error.
#pragma once

// One formatted entry, written in one write; entries longer than 4095
// characters are cut. A null format writes nothing.
void LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "file:<module>, line:<number>\n" followed by the formatted entry, in one write.
void LogWriteAt(const char* module, int number, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// "Call Function: <name>\n": the entry trace of an export.
void LogCallFunction(const char* exportName);

// "File: <module>  <number>\n": a fixed trace point of a source module.
void LogTracePoint(const char* module, int number);
