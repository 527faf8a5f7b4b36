#pragma once

#include <QByteArray>
#include <QString>

// Writing a file the user keeps (a job file, the report, the settings, the
// program's documents, the desktop's association files) all or nothing:
// either the file holds the new bytes, or it holds what it held before.
//
// The new bytes go to a temporary file beside the target; every write, the
// flush to the disk and the close are checked; only then is the temporary
// file renamed over the target (its permissions kept). A full disk, a
// read-only file, a read-only file system or any other error leaves the
// earlier file as it was and gives the reason ("No space left on device").
//
// A folder that refuses new files while the file itself may be written (a
// share with per-file rights, an immutable folder) cannot hold a temporary
// file. The file is then rewritten in place, and only after the new bytes
// are known to fit: the earlier content is read into memory first, the part
// of the new text beyond the earlier end is written and flushed (undone by
// cutting the file back when the disk is full), and only then is the
// earlier part overwritten, where no new space is needed. Should even that
// fail, the earlier bytes are written back.
//
// A symbolic link is followed: the file it points at is replaced.

struct User_File_Result {
    bool Ok = false;
    QString Error;          // the reason, as the system words it; empty on success
    bool In_Place = false;  // written in place because the folder refuses new files
};

User_File_Result Write_User_File(const QString &path, const QByteArray &bytes);

// The same, false with the reason in *error (left alone on success).
bool Write_User_File(const QString &path, const QByteArray &bytes, QString *error);

// The reason of a failed write for a message: "No space left on device",
// never empty.
QString Reason_Text(const QString &error);
