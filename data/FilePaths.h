#pragma once

#include <QString>

// Path helpers. Paths are split at "/" and at "\", so paths written either way work.
QString FileExtension(const QString& path);  // after the last ".", lower case
QString FileNameOnly(const QString& path);   // after the last separator
QString FolderOf(const QString& path);       // up to and including the last separator
QString TableNameOf(const QString& path);    // file name, trimmed, without its last 4 characters
// `path`'s folder while it exists, else the user's home folder (where the file dialogs start).
QString FolderOrHome(const QString& path);
