#include "update_source.h"

bool Names_Drive_Letter(const QString &server_name)
{
    const QString head = server_name.left(2).toUpper();
    return head.size() == 2 && head[1] == u':' && head[0] >= u'A' && head[0] <= u'V';
}

Update_Source_Kind Source_Kind(const QString &server_name)
{
    if (Names_Drive_Letter(server_name))
        return Update_Source_Kind::Drive;
    if (server_name.startsWith(QStringLiteral("\\\\")) || server_name.startsWith(QStringLiteral("//")))
        return Update_Source_Kind::Share;
    if (server_name.startsWith(QStringLiteral("http://")) || server_name.startsWith(QStringLiteral("https://")))
        return Update_Source_Kind::Http;
    if (server_name.startsWith(u'/'))
        return Update_Source_Kind::Drive; // a mounted medium or folder
    return Update_Source_Kind::None;
}

QString Source_Location(const QString &server_name, const QString &name)
{
    const Update_Source_Kind kind = Source_Kind(server_name);
    const QChar separator = kind == Update_Source_Kind::Http || server_name.contains(u'/') ? u'/' : u'\\';
    if (server_name.endsWith(u'/') || server_name.endsWith(u'\\'))
        return server_name + name;
    return server_name + separator + name;
}
