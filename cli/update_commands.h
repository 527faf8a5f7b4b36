#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// Quorvel --check-update [--source S] [--timeout SECONDS]
// Prints the program, Table-1..3 and every meter list with the version here,
// the version at the source and "newer" where the source's is newer.
// Exit status 0 nothing newer, 100 something newer, 1 the source or its
// manifest could not be read, 2 a usage error.
int Run_Check_Update(const QStringList &args, const QString &program_folder, const QString &default_source,
                     FILE *out, FILE *err);

// The usage error of the arguments of --check-update (update false) or
// --update, read as the commands read them; empty when they are fine.
QString Update_Options_Error(const QStringList &args, bool update);

// Quorvel --update [--source S] [--timeout SECONDS]
//                  (--newer | [--program] [--table 1|2|3]... [--meter-list NAME]...)
// Updates the program folder exactly as the update dialog does with those
// items ticked (--newer: everything --check-update marks newer). Prints one
// line per file, replaced or kept and why. Exit status 0 everything chosen
// was replaced, 1 nothing was (something failed), 2 a usage error.
int Run_Update_Command(const QStringList &args, const QString &program_folder, const QString &default_source,
                       FILE *out, FILE *err);
