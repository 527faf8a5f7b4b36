#pragma once

#include <QString>

// Where an update source is and how its files are addressed.

enum class Update_Source_Kind { None, Drive, Share, Http };

// "A:" to "V:" (without regard to case) at the start: a drive letter.
bool Names_Drive_Letter(const QString &server_name);

// A drive letter "A:" to "V:" or an absolute folder (a mounted medium);
// a network share "\\server\..." or "//server/..."; an "http://" or
// "https://" address.
Update_Source_Kind Source_Kind(const QString &server_name);

// Where a file of the source is: the source, one separator, the name.
QString Source_Location(const QString &server_name, const QString &name);
