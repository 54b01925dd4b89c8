// Helpers both front ends need: the program folder and the remembered output
// folder.
#pragma once

#include <QString>

namespace tarvell {

// Folder of the running program (where "Template" and "DefImage.png" lie).
// Determined once, from /proc/self/exe, unless set before.
QString ApplicationDirectory();
// Sets the program folder (program start; tests point it at a fixture).
void SetApplicationDirectory(const QString& folder);

// <program folder>/Template and <program folder>/DefImage.png.
QString TemplateFolder();
QString DefaultImagePath();

// Settings of the program: organisation "quorvane", application "Tarvell".
inline constexpr char kSettingsOrganisation[] = "quorvane";
inline constexpr char kSettingsApplication[] = "Tarvell";
inline constexpr char kOutputFolderKey[] = "userselectpath";

// The output folder the user chose last, when it still exists; else
// <home>/Documents/Tarvell (or <home>/My Documents/Tarvell when only that
// exists), created when missing. The fallback is not stored.
QString DefaultOutputFolder();

// Remembers path as the output folder for the next backup.
void SaveOutputFolder(const QString& path);

} // namespace tarvell
