// Writes the files a desktop install needs, from the same code the program
// and the installer use, so that nothing shipped is a hand-made copy:
//   quorvel_desktop_files --icons SVG DIR SIZE...        DIR/<n>x<n>/apps/quorvel.png
//   quorvel_desktop_files --documents DIR                 License.txt, Version.txt
//   quorvel_desktop_files --mime FILE                     the job-file type package
//   quorvel_desktop_files --desktop-entry FILE COMMAND    the menu entry of a system install
#include "associate.h"
#include "program_documents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int Fail(const QString &text)
{
    std::fprintf(stderr, "quorvel_desktop_files: %s\n", qPrintable(text));
    return 1;
}

bool Save(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

int Icons(const QStringList &args)
{
    if (args.size() < 3)
        return Fail(QStringLiteral("--icons SVG DIR SIZE..."));
    QSvgRenderer svg(args[0]);
    if (!svg.isValid())
        return Fail(QStringLiteral("cannot read the icon %1").arg(args[0]));
    for (const QString &text : args.mid(2)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size < 8 || size > 1024)
            return Fail(QStringLiteral("bad icon size %1").arg(text));
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString path = QStringLiteral("%1/%2x%2/apps/quorvel.png").arg(args[1]).arg(size);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!image.save(path, "PNG"))
            return Fail(QStringLiteral("cannot write %1").arg(path));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Rendering needs no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString mode = args.value(0);
    const QStringList rest = args.mid(1);
    if (mode == u"--icons")
        return Icons(rest);
    if (mode == u"--documents" && rest.size() == 1) {
        QDir().mkpath(rest[0]);
        QString error;
        if (!Write_License(rest[0], &error) || !Write_Version_Information(rest[0], &error))
            return Fail(error);
        return 0;
    }
    if (mode == u"--mime" && rest.size() == 1) {
        const Cla_Associate type = Quorvel_Association(QStringLiteral("quorvel"));
        return Save(rest[0], type.Mime_Package_Text().toUtf8()) ? 0 : Fail(QStringLiteral("cannot write ") + rest[0]);
    }
    if (mode == u"--desktop-entry" && rest.size() == 2) {
        Cla_Associate type = Quorvel_Association(rest[1]);
        type.DefaultIcon = QStringLiteral("quorvel"); // installed into the hicolor theme beside it
        return Save(rest[0], type.Desktop_Entry_Text().toUtf8()) ? 0 : Fail(QStringLiteral("cannot write ") + rest[0]);
    }
    return Fail(QStringLiteral("usage: --icons SVG DIR SIZE... | --documents DIR | --mime FILE | "
                               "--desktop-entry FILE COMMAND"));
}
