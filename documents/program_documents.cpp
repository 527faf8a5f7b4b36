#include "program_documents.h"

#include "text_codec.h"
#include "user_file.h"

#include <QStringList>

namespace {

const QString Rule = QString(66, u'-');

QStringList Header()
{
    const auto line = [](const QString &label, const QString &value) {
        return (QStringLiteral("  ") + label).leftJustified(19, u' ') + value;
    };
    return {Rule,
            line(QStringLiteral("Program Name:"), Program_Name),
            line(QStringLiteral("Program Purpose:"), Program_Purpose),
            line(QStringLiteral("Created By:"), Maker_Name),
            line(QStringLiteral("Contact Address:"), Maker_Contact),
            line(QStringLiteral("Web Address:"), Maker_Web),
            line(QStringLiteral("Date:"), QStringLiteral("21 Dec 00")),
            Rule};
}

QString Joined(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool Write(const QString &folder, const QString &name, const QString &text, QString *error)
{
    return Write_User_File(folder + u'/' + name, Encode_1252(text), error);
}

struct Release {
    const char *Version;
    const char *Date;
    const char *Summary;
    QStringList Details; // each may hold "\n" where a continuation line starts
};

} // namespace

QString License_Text()
{
    QStringList lines = Header();
    lines << QString()
          << QStringLiteral("Quorvel is offered to water utilities and plumbing designers under")
          << QStringLiteral("these conditions:")
          << QString()
          << QStringLiteral("1) The program and its tables are provided as they are, with no")
          << QStringLiteral("   expressed or implied warranty or guarantee of any kind.")
          << QString()
          << QStringLiteral("2) Results are an aid to engineering judgement. A qualified person")
          << QStringLiteral("   checks every sizing against the plumbing code and the water")
          << QStringLiteral("   utility's rules in force before it is used.")
          << QString()
          << QStringLiteral("3) The shipped fixture tables and meter lists name their sources.")
          << QStringLiteral("   Values marked as estimates are to be replaced by the maker's")
          << QStringLiteral("   data of the meters actually installed.")
          << QString()
          << QStringLiteral("4) The program may be used and copied freely, provided that it is")
          << QStringLiteral("   copied whole and unchanged, with this license.")
          << Rule;
    return Joined(lines);
}

QString Version_Text()
{
    const QList<Release> history = {
        {"1.00.1219", "19 Dec 00", "First release",
         {"Private use fixture table, fixture unit conversion,", "meter choice by maximum flow."}},
        {"1.01.0315", "15 Mar 01", "Public use fixtures",
         {"Public use fixture table and Note A fixtures with their\nrated flow added to the design flow.",
          "Irrigation flow added to the design flow."}},
        {"1.01.0910", "10 Sep 01", "Reports and notes",
         {"Calculation report opened in the text editor.", "Calculation note kept with the job."}},
        {"1.02.0202", "02 Feb 02", "Pressure evaluation",
         {"Pressure at the controlling fixture from the main\npressure, service lateral, meter and plumbing losses.",
          "Meter up-sizing, at most two sizes."}},
        {"1.02.0627", "27 Jun 02", "Second service lateral",
         {"Service lateral in two segments.", "Meter inside or outside the building."}},
        {"1.02.0808", "08 Aug 02", "Continuous flow basis",
         {"Meter chosen by maximum or maximum continuous flow;\nthe job file keeps the choice.",
          "Updates from a server, a network folder or a drive."}},
    };
    QStringList lines = Header();
    lines << QString() << QStringLiteral("Please read License.txt for more information.");
    for (const Release &r : history) {
        lines << QString()
              << QStringLiteral("v. %1  %2  %3").arg(QLatin1String(r.Version), QLatin1String(r.Date),
                                                     QLatin1String(r.Summary));
        for (int i = 0; i < r.Details.size(); ++i) {
            const QStringList parts = r.Details[i].split(u'\n');
            lines << QString(18, u' ') + QStringLiteral("%1) ").arg(i + 1) + parts.first();
            for (int k = 1; k < parts.size(); ++k)
                lines << QString(21, u' ') + parts[k];
        }
    }
    return Joined(lines);
}

bool Write_License(const QString &folder, QString *error)
{
    return Write(folder, QStringLiteral("License.txt"), License_Text(), error);
}

bool Write_Version_Information(const QString &folder, QString *error)
{
    return Write(folder, QStringLiteral("Version.txt"), Version_Text(), error);
}
