#pragma once

// The HTML pieces every section of the engineering report builds its tables
// from, so that they look alike and paginate alike (a header row in <thead>
// is repeated on every page its table continues on).

#include <QString>
#include <QStringList>

namespace report_html {

inline QString Esc(const QString &text)
{
    return text.toHtmlEscaped();
}

inline const QString Table_Open = QStringLiteral(
    "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" style=\"border-collapse:collapse; border-color:#888; margin-bottom:6px\" "
    "width=\"99%\">");

// One cell; align is 'r' for a number (right-aligned, never broken), 'n'
// for a text kept on one line, anything else for text that may wrap.
inline QString Cell(const char *tag, const QString &html, QChar align)
{
    const char16_t a = align.unicode();
    const QString attributes = a == u'r'   ? QStringLiteral(" align=\"right\" style=\"white-space:nowrap\"")
                               : a == u'n' ? QStringLiteral(" align=\"left\" style=\"white-space:nowrap\"")
                                           : QStringLiteral(" align=\"left\"");
    return QStringLiteral("<%1%2>%3</%1>").arg(QLatin1String(tag), attributes, html);
}

// The header row of a table, repeated on every page the table continues on.
inline QString Header_Row(const QStringList &cells, const QString &align = QString())
{
    // A fill always comes with its text colour: readable on any palette.
    QString row = QStringLiteral("<thead><tr style=\"background-color:#e8edf3; color:#1b2733\">");
    for (int c = 0; c < cells.size(); ++c)
        row += Cell("th", cells[c], c < align.size() ? align[c] : QChar());
    return row + QStringLiteral("</tr></thead>");
}

inline QString Row(const QStringList &cells, const QString &style = QString(), const QString &align = QString())
{
    QString row = style.isEmpty() ? QStringLiteral("<tr>") : QStringLiteral("<tr style=\"%1\">").arg(style);
    for (int c = 0; c < cells.size(); ++c)
        row += Cell("td", cells[c], c < align.size() ? align[c] : QChar());
    return row + QStringLiteral("</tr>");
}

} // namespace report_html
