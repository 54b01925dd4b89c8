// tarvell-cli commands that work on backup folders alone, without a phone:
// `verify` (checks folders against their SHA256SUMS) and `export` (writes
// the standard vCard and XML exports of a folder).
#pragma once

#include <QStringList>
#include <cstdio>

namespace tarvell::cli {

// args: the command's arguments (after the command word). terminal: standard
// output is a terminal (a live progress bar). messages: where errors go.
// Return the exit code.
int CmdVerify(const QStringList& args, bool terminal, FILE* messages);
int CmdExport(const QStringList& args, FILE* messages);

extern const char kVerifyHelp[];
extern const char kExportHelp[];

} // namespace tarvell::cli
