#include "program_documents.h"
#include "text_codec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The distribution launcher's reading: values end at a comma or a line
// end, leading blanks skipped; characters 4 to 14 of the last value that
// starts with "v. ".
QString Launcher_Version(const QByteArray &bytes)
{
    QString found;
    const QStringList lines = Decode_1252(bytes).split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        for (QString value : line.split(u',')) {
            while (value.startsWith(u' '))
                value.remove(0, 1);
            if (value.startsWith(QStringLiteral("v. ")))
                found = value.mid(3, 11);
        }
    }
    return found;
}

} // namespace

class Test_Program_Documents : public QObject {
    Q_OBJECT

private slots:
    void Header_Block_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("license") << License_Text();
        QTest::newRow("version") << Version_Text();
    }
    void Header_Block()
    {
        QFETCH(QString, text);
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        const QString rule(66, u'-');
        QCOMPARE(lines[0], rule);
        QCOMPARE(lines[1], QStringLiteral("  Program Name:    Quorvel"));
        QCOMPARE(lines[2], QStringLiteral("  Program Purpose: Water Meter Sizing Program"));
        QCOMPARE(lines[3], QStringLiteral("  Created By:      Quorvel Project"));
        QVERIFY(lines[4].startsWith(QStringLiteral("  Contact Address: ")));
        QVERIFY(lines[5].startsWith(QStringLiteral("  Web Address:     ")) && lines[5].contains(QStringLiteral("quorvel.example")));
        QCOMPARE(lines[6], QStringLiteral("  Date:            21 Dec 00"));
        QCOMPARE(lines[7], rule);
        for (int i = 1; i <= 6; ++i)
            QVERIFY2(lines[i].at(19) != u' ' && lines[i].at(18) == u' ', qPrintable(lines[i])); // values from column 20
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QVERIFY(!QString(text).remove(QStringLiteral("\r\n")).contains(u'\n')); // no bare line feed
    }

    void License_Conditions()
    {
        const QStringList lines = License_Text().split(QStringLiteral("\r\n"));
        int condition = 0;
        for (int i = 8; i < lines.size(); ++i) {
            const QString &line = lines[i];
            if (line.size() > 1 && line[0].isDigit() && line[1] == u')') {
                QCOMPARE(line.left(2), QStringLiteral("%1)").arg(++condition));
                QVERIFY(lines[i - 1].isEmpty()); // conditions are separated by a blank line
            } else if (condition > 0 && !line.isEmpty() && line != QString(66, u'-')) {
                QVERIFY2(line.startsWith(QStringLiteral("   ")) && line[3] != u' ', qPrintable(line));
            }
        }
        QCOMPARE(condition, 4);
        QCOMPARE(lines[lines.size() - 2], QString(66, u'-'));
    }

    void Release_History()
    {
        const QStringList lines = Version_Text().split(QStringLiteral("\r\n"));
        QCOMPARE(lines[8], QString());
        QCOMPARE(lines[9], QStringLiteral("Please read License.txt for more information."));
        const QRegularExpression entry(QStringLiteral("^v\\. (\\d)\\.(\\d\\d)\\.(\\d{4})  \\d\\d [A-Z][a-z]{2} \\d\\d  \\S"));
        const QRegularExpression detail(QStringLiteral("^ {18}\\d+\\) \\S"));
        const QRegularExpression more(QStringLiteral("^ {21}\\S"));
        QString previous;
        int entries = 0;
        for (int i = 10; i < lines.size(); ++i) {
            const QString &line = lines[i];
            if (line.startsWith(QStringLiteral("v. "))) {
                QVERIFY2(entry.match(line).hasMatch(), qPrintable(line));
                QVERIFY(lines[i - 1].isEmpty());
                const QString version = line.mid(3, 9);
                QVERIFY2(version > previous, qPrintable(version)); // oldest first
                previous = version;
                ++entries;
            } else if (!line.isEmpty()) {
                QVERIFY2(detail.match(line).hasMatch() || more.match(line).hasMatch(), qPrintable(line));
            }
        }
        QVERIFY(entries >= 2);
        QCOMPARE(previous, QStringLiteral("1.02.0808"));
        QVERIFY(Version_Text().contains(QStringLiteral("v. 1.02.0808  08 Aug 02  ")));
    }

    void Written_Twice_Leaves_One_Copy()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(Write_Version_Information(dir.path(), &error));
        QVERIFY(Write_Version_Information(dir.path(), &error));
        QVERIFY(Write_License(dir.path(), &error));
        const QByteArray version = Read(dir.filePath(QStringLiteral("Version.txt")));
        QCOMPARE(version, Encode_1252(Version_Text()));
        QCOMPARE(Read(dir.filePath(QStringLiteral("License.txt"))), Encode_1252(License_Text()));
        QCOMPARE(Launcher_Version(version), QStringLiteral("1.02.0808  "));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }

    void Unwritable_Folder_Reports()
    {
        QString error;
        QVERIFY(!Write_License(QStringLiteral("/no/such/folder"), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(Test_Program_Documents)
#include "tst_program_documents.moc"
