#pragma once

#include <QByteArray>
#include <QString>

// The program's own documents: the terms of use ("License.txt") and the
// release history ("Version.txt"), written into the program folder and
// opened in the text editor. The distribution launcher reads the version
// of the newest release from "Version.txt".

inline const QString Program_Name = QStringLiteral("Quorvel");
inline const QString Program_Purpose = QStringLiteral("Water Meter Sizing Program");
inline const QString Maker_Name = QStringLiteral("Quorvel Project");
inline const QString Maker_Contact = QStringLiteral("support@quorvel.example");
inline const QString Maker_Web = QStringLiteral("https://www.quorvel.example/");

QString License_Text();
QString Version_Text();

// Writes "License.txt" or "Version.txt" (Windows-1252, CR LF) into the
// folder, replacing an earlier copy. False with the reason in *error.
bool Write_License(const QString &folder, QString *error = nullptr);
bool Write_Version_Information(const QString &folder, QString *error = nullptr);
