#pragma once

#include <QString>

// The newest release named in a "Version.txt": characters 4 to 14 of the
// last value (of the first 500) that begins with "v. ". Values end at a
// comma or a line end; surrounding quotes are removed and leading blanks
// skipped. "File Error" when the file cannot be read or names no release.
QString Newest_Release(const QString &version_file);
