#include "engine_test_support.h"

#include "command_line.h"
#include "meter_list_edit.h"

#include <QDir>
#include <QtTest>

// The shipped data against the published values and their sources; the
// rules a meter list must pass; a user's list through CSV, the list file
// and the command line.

namespace {

QString Shipped(const char *name)
{
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name);
}

bool Cites(const Data_Provenance &p, const QString &needle)
{
    for (const QString &s : p.Sources)
        if (s.contains(needle))
            return true;
    return false;
}

// The published values, from the documents each file cites: IPC 2018/2021
// Table E103.3(2) (cold / hot / total), Table E103.3(3) (every point,
// flush tank / flush valve; no flush valve point below 5 wsfu, where the
// file holds the flush tank values), the AWWA displacement pressure loss
// table (maximum flow, three loss points) and the San Marcos tabulation of
// AWWA continuous ratings.
const char *const Fixture_Values[] = {
    "Table-1.dat|Bathroom group - flush tank|2.7 1.5 3.6",
    "Table-1.dat|Bathroom group - flushometer valve|6.0 3.0 8.0",
    "Table-1.dat|Bathtub - faucet|1.0 1.0 1.4",
    "Table-1.dat|Bidet - faucet|1.5 1.5 2.0",
    "Table-1.dat|Combination fixture - faucet|2.25 2.25 3.0",
    "Table-1.dat|Dishwashing machine - automatic|0 1.4 1.4",
    "Table-1.dat|Kitchen sink - faucet|1.0 1.0 1.4",
    "Table-1.dat|Laundry trays (1 to 3) - faucet|1.0 1.0 1.4",
    "Table-1.dat|Lavatory - faucet|0.5 0.5 0.7",
    "Table-1.dat|Shower head - mixing valve|1.0 1.0 1.4",
    "Table-1.dat|Washing machine (8 lb) - automatic|1.0 1.0 1.4",
    "Table-1.dat|Water closet - flushometer valve|6.0 0 6.0",
    "Table-1.dat|Water closet - flush tank|2.2 0 2.2",
    "Table-1.dat|Water closet - flushometer tank|2.0 0 2.0",
    "Table-2.dat|Bathtub - faucet|3.0 3.0 4.0",
    "Table-2.dat|Drinking fountain - 3/8\" valve|0.25 0 0.25",
    "Table-2.dat|Kitchen sink - faucet|3.0 3.0 4.0",
    "Table-2.dat|Lavatory - faucet|1.5 1.5 2.0",
    "Table-2.dat|Service sink - faucet|2.25 2.25 3.0",
    "Table-2.dat|Shower head - mixing valve|3.0 3.0 4.0",
    "Table-2.dat|Urinal - 1\" flushometer valve|10.0 0 10.0",
    "Table-2.dat|Urinal - 3/4\" flushometer valve|5.0 0 5.0",
    "Table-2.dat|Urinal - flush tank|3.0 0 3.0",
    "Table-2.dat|Washing machine (8 lb) - automatic|2.25 2.25 3.0",
    "Table-2.dat|Washing machine (15 lb) - automatic|3.0 3.0 4.0",
    "Table-2.dat|Water closet - flushometer valve|10.0 0 10.0",
    "Table-2.dat|Water closet - flush tank|5.0 0 5.0",
    "Table-2.dat|Water closet - flushometer tank|2.0 0 2.0",
};

// wsfu, flush tank gpm, flush valve gpm (0: no code point).
const double Demand_Points[][3] = {
    {1, 3.0, 0},      {2, 5.0, 0},      {3, 6.5, 0},      {4, 8.0, 0},      {5, 9.4, 15.0},   {6, 10.7, 17.4},
    {7, 11.8, 19.8},  {8, 12.8, 22.2},  {9, 13.7, 24.6},  {10, 14.6, 27.0}, {11, 15.4, 27.8}, {12, 16.0, 28.6},
    {13, 16.5, 29.4}, {14, 17.0, 30.2}, {15, 17.5, 31.0}, {16, 18.0, 31.8}, {17, 18.4, 32.6}, {18, 18.8, 33.4},
    {19, 19.2, 34.2}, {20, 19.6, 35.0}, {25, 21.5, 38.0}, {30, 23.3, 42.0}, {35, 24.9, 44.0}, {40, 26.3, 46.0},
    {45, 27.7, 48.0}, {50, 29.1, 50.0}, {60, 32.0, 54.0}, {70, 35.0, 58.0}, {80, 38.0, 61.2}, {90, 41.0, 64.3},
    {100, 43.5, 67.5}, {120, 48.0, 73.0}, {140, 52.5, 77.0}, {160, 57.0, 81.0}, {180, 61.0, 85.5},
    {200, 65.0, 90.0}, {225, 70.0, 95.5}, {250, 75.0, 101.0}, {275, 80.0, 104.5}, {300, 85.0, 108.0},
    {400, 105.0, 127.0}, {500, 124.0, 143.0}, {750, 170.0, 177.0}, {1000, 208.0, 208.0}, {1250, 239.0, 239.0},
    {1500, 269.0, 269.0}, {1750, 297.0, 297.0}, {2000, 325.0, 325.0}, {2500, 380.0, 380.0}, {3000, 433.0, 433.0},
    {4000, 525.0, 525.0}, {5000, 593.0, 593.0}};

// file|size|value (max, continuous or loss)|numbers|what the source line names
const char *const Meter_Values[] = {
    "AWWA-Standard.mtr|5/8\" x 3/4\"|max|20|pressure loss table",
    "AWWA-Standard.mtr|5/8\" x 3/4\"|loss|10 3.7 15 8.3 20 15|pressure loss table",
    "AWWA-Standard.mtr|5/8\" x 3/4\"|continuous|10|San Marcos",
    "AWWA-Standard.mtr|3/4\"|max|30|pressure loss table",
    "AWWA-Standard.mtr|3/4\"|loss|10 1.6 20 6.5 30 15|pressure loss table",
    "AWWA-Standard.mtr|3/4\"|continuous|15|projectcalc",
    "AWWA-Standard.mtr|1\"|max|50|pressure loss table",
    "AWWA-Standard.mtr|1\"|loss|20 2.2 30 5.3 50 15|pressure loss table",
    "AWWA-Standard.mtr|1\"|continuous|25|San Marcos",
    "AWWA-Standard.mtr|1-1/2\"|max|100|pressure loss table",
    "AWWA-Standard.mtr|1-1/2\"|loss|40 3.3 70 9.8 100 20|pressure loss table",
    "AWWA-Standard.mtr|1-1/2\"|continuous|50|San Marcos",
    "AWWA-Standard.mtr|2\"|max|160|pressure loss table",
    "AWWA-Standard.mtr|2\"|loss|60 2.7 100 7.8 160 20|pressure loss table",
    "AWWA-Standard.mtr|2\"|continuous|80|San Marcos",
    "AWWA-Standard.mtr|3\"|max|300|3 and 4 in. maximum flow",
    "AWWA-Standard.mtr|3\"|loss|100 2.5 200 9 300 20|3 and 4 in. maximum flow",
    "AWWA-Standard.mtr|4\"|max|500|3 and 4 in. maximum flow",
    "AWWA-Standard.mtr|4\"|loss|200 3.2 350 10 500 20|3 and 4 in. maximum flow",
    "AWWA-Compound.mtr|2\" Compound|continuous|80|San Marcos",
    "AWWA-Compound.mtr|3\" Compound|continuous|160|San Marcos",
    "AWWA-Compound.mtr|4\" Compound|continuous|250|San Marcos",
    "AWWA-Compound.mtr|6\" Compound|continuous|500|San Marcos",
    "AWWA-Turbine.mtr|2\" Turbine|continuous|100|San Marcos",
    "AWWA-Turbine.mtr|3\" Turbine|continuous|240|San Marcos",
    "AWWA-Turbine.mtr|4\" Turbine|continuous|420|San Marcos",
    "AWWA-Turbine.mtr|6\" Turbine|continuous|920|San Marcos",
    "AWWA-Turbine.mtr|8\" Turbine|continuous|1600|San Marcos",
    "AWWA-Turbine.mtr|10\" Turbine|continuous|2500|San Marcos",
};

QList<double> Numbers(const QString &text)
{
    QList<double> v;
    for (const QString &n : text.split(u' ', Qt::SkipEmptyParts))
        v << n.toDouble();
    return v;
}

Meter_Value Value_Of(const QString &word)
{
    return word == u"max" ? Meter_Value::Max_Flow : word == u"continuous" ? Meter_Value::Continuous_Flow : Meter_Value::Loss;
}

const Meter_Entry *Find(const Meter_List &list, const QString &label)
{
    for (const Meter_Entry &e : list.Entries)
        if (e.Size_Label == label)
            return &e;
    return nullptr;
}

const QByteArray Header = "Size,Make,Model,Max Flow (gpm),Max Continuous Flow (gpm),Loss Flow 1 (gpm),Loss 1 (psi),"
                          "Loss Flow 2 (gpm),Loss 2 (psi),Loss Flow 3 (gpm),Loss 3 (psi)\r\n";
const QByteArray Two_Meters = "\"5/8\"\" x 3/4\"\"\",Acme,\"T-10 \"\"bronze\"\"\",20,10,10,3.7,15,8.3,20,15\r\n"
                              "\"1\"\"\",Acme,T-25,50,25,20,2.2,30,5.3,50,15\r\n";

} // namespace

class Test_Meter_Data : public QObject {
    Q_OBJECT

private slots:
    void Shipped_Values_Match_Their_Sources_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("value"); // "" fixtures, "demand", or a meter value
        QTest::addColumn<QList<double>>("expected");
        QTest::addColumn<QString>("source");
        for (const char *row : Fixture_Values) {
            const QStringList f = QString::fromUtf8(row).split(u'|');
            QTest::addRow("%s %s", qPrintable(f[0]), qPrintable(f[1])) << f[0] << f[1] << QString() << Numbers(f[2])
                                                                       << QStringLiteral("E103.3(2)");
        }
        for (const auto &p : Demand_Points)
            QTest::addRow("Table-3.dat %g wsfu", p[0])
                << QStringLiteral("Table-3.dat") << QString::number(p[0]) << QStringLiteral("demand")
                << QList<double>{p[1], p[2] > 0 ? p[2] : p[1]}
                << (p[2] > 0 ? QStringLiteral("E103.3(3)") : QStringLiteral("flush tank values of the same table"));
        for (const char *row : Meter_Values) {
            const QStringList f = QString::fromUtf8(row).split(u'|');
            QTest::addRow("%s %s %s", qPrintable(f[0]), qPrintable(f[1]), qPrintable(f[2]))
                << f[0] << f[1] << f[2] << Numbers(f[3]) << f[4];
        }
    }
    void Shipped_Values_Match_Their_Sources()
    {
        QFETCH(QString, file);
        QFETCH(QString, entry);
        QFETCH(QString, value);
        QFETCH(QList<double>, expected);
        QFETCH(QString, source);
        const QString path = Shipped(qPrintable(file));
        QList<double> actual;
        Data_Provenance provenance;
        if (value.isEmpty()) {
            const Fixture_Table t = Load_Fixture_Table(path, file == u"Table-2.dat");
            for (const Fixture_Row &r : t.Rows)
                if (r.Code_Description.trimmed() == entry)
                    actual = {r.Value_3, r.Value_4, r.Fixture_Units};
            provenance = t.Provenance;
        } else if (value == u"demand") {
            const Flow_Conversion_Table t = Load_Flow_Conversion_Table(path);
            actual = {Demand_Table_Flow(entry.toDouble(), Flush_Kind::Tank, t).Table_Flow,
                      Demand_Table_Flow(entry.toDouble(), Flush_Kind::Quick_Flush, t).Table_Flow};
            for (double &a : actual)
                a = std::round(a * 1000) / 1000; // 13 to 15 wsfu are read on a straight line
            provenance = t.Provenance;
        } else {
            Meter_List list;
            Load_Meter_List(list, path);
            const Meter_Entry *e = Find(list, entry);
            QVERIFY2(e, "no such meter");
            actual = value == u"max" ? QList<double>{e->Max_Flow}
                     : value == u"continuous"
                         ? QList<double>{e->Max_Continuous_Flow}
                         : QList<double>{e->Loss_Point_Flow[0], e->Loss_Point_Loss[0], e->Loss_Point_Flow[1],
                                         e->Loss_Point_Loss[1], e->Loss_Point_Flow[2], e->Loss_Point_Loss[2]};
            QVERIFY2(!list.Provenance.Estimated(entry, Value_Of(value)), "a published value is marked as an estimate");
            provenance = list.Provenance;
        }
        QCOMPARE(actual, expected);
        QVERIFY2(Cites(provenance, source), qPrintable(QStringLiteral("no source line names \"%1\"").arg(source)));
        QVERIFY(provenance.Verified() || provenance.Estimate());
    }

    // What the shipped files mark as estimates, and that each shipped list
    // passes every rule a user's list must pass, the rising rule among them.
    void Shipped_Lists_Mark_Estimates_And_Pass_The_Rules_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("estimated"); // the estimated values of the entry
        QTest::newRow("standard 2 in.") << "AWWA-Standard.mtr" << "2\"" << "";
        QTest::newRow("standard 3 in.") << "AWWA-Standard.mtr" << "3\"" << "continuous";
        QTest::newRow("standard 4 in.") << "AWWA-Standard.mtr" << "4\"" << "continuous";
        QTest::newRow("compound 6 in.") << "AWWA-Compound.mtr" << "6\" Compound" << "max loss";
        QTest::newRow("turbine 4 in.") << "AWWA-Turbine.mtr" << "4\" Turbine" << "max loss";
    }
    void Shipped_Lists_Mark_Estimates_And_Pass_The_Rules()
    {
        QFETCH(QString, file);
        QFETCH(QString, entry);
        QFETCH(QString, estimated);
        Meter_List list;
        Load_Meter_List(list, Shipped(qPrintable(file)));
        QVERIFY(Find(list, entry));
        QStringList marked;
        for (const char *word : {"max", "continuous", "loss"})
            if (list.Provenance.Estimated(entry, Value_Of(QLatin1String(word))))
                marked << QLatin1String(word);
        QCOMPARE(marked.join(u' '), estimated);
        QCOMPARE(list.Provenance.Estimate(), true);
        const Meter_List_Problem p = Check_Meter_List(list);
        QVERIFY2(p.Ok(), qPrintable(p.Reason));
    }

    // CSV -> list -> the list file -> the engine's reader -> CSV.
    void Csv_Round_Trip()
    {
        QTemporaryDir dir;
        Meter_List list;
        list.Description = QStringLiteral("Acme meters of the utility");
        list.Date = QDate(2026, 12, 10);
        list.Provenance.Sources = {QStringLiteral("Acme data sheet T, 2025, table 2")};
        list.Provenance.Status = QStringLiteral("verified");
        QString error;
        QVERIFY2(Meter_List_From_Csv(Header + Two_Meters, list, &error), qPrintable(error));
        const QString path = dir.filePath(QStringLiteral("Acme.mtr"));
        QVERIFY2(Save_Meter_List(list, path, &error), qPrintable(error));
        Meter_List back;
        Load_Meter_List(back, path);
        QCOMPARE(back.Count(), 2);
        QCOMPARE(back.Entries[0].Size_Label, QStringLiteral("5/8\" x 3/4\""));
        QCOMPARE(back.Entries[0].Model, QStringLiteral("T-10 \"bronze\""));
        QCOMPARE(back.Entries[1].Loss_Point_Loss[0], 2.2);
        QCOMPARE(back.Description, list.Description);
        QCOMPARE(back.Date, list.Date);
        QCOMPARE(back.Provenance.Sources, list.Provenance.Sources);
        QVERIFY(Is_User_Meter_List(path));
        QCOMPARE(Meter_List_Csv(back), QByteArray("\xEF\xBB\xBF") + Header + Two_Meters);
    }

    // Each refused CSV says why (with its row) and leaves no file.
    void Bad_Csv_Is_Refused_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("BOM accepted") << QByteArray("\xEF\xBB\xBF") + Header + Two_Meters << QString();
        QTest::newRow("falling loss curve") << Header + "1\",Acme,T,50,25,20,2.2,30,1.5,50,15\r\n"
                                            << "row 2 (1\"): the loss curve falls: loss 2";
        QTest::newRow("non-number") << Header + Two_Meters + "2\",Acme,T,1 60,80,60,2.7,100,7.8,160,20\r\n"
                                    << "row 4 (2\"): Max Flow (gpm) \"1 60\" is not a number";
        QTest::newRow("missing column") << QByteArray(Header).replace(",Loss 3 (psi)", "") + "1\",A,T,50,25,20,2,30,5,50\r\n"
                                        << "row 1: the column \"Loss 3 (psi)\" is missing";
        QTest::newRow("semicolons") << QByteArray(Header).replace(',', ';') << "separated by semicolons";
        QTest::newRow("not rising") << Header + "1\",A,T,50,25,20,2.2,30,5.3,50,15\r\n3/4\",A,T,30,15,10,1.6,20,6.5,30,15\r\n"
                                    << "row 3 (3/4\"): 3/4\" (30 gpm) does not rate above 1\" (50 gpm)";
        QTest::newRow("more loss than the smaller meter")
            << Header + "1\",A,T,50,25,20,2.2,30,5.3,50,15\r\n1-1/2\",A,T,100,50,40,16,70,19,100,20\r\n"
            << "row 3 (1-1/2\"): 1-1/2\" loses 17 psi at 50 gpm where the smaller 1\" loses 15 psi";
        QTest::newRow("comma in a make") << Header + "1\",\"Acme, Inc\",T,50,25,20,2.2,30,5.3,50,15\r\n"
                                         << "row 2 (1\"): the make \"Acme, Inc\" holds a comma";
        QTest::newRow("open quote") << Header + "\"1,A,T,50,25,20,2.2,30,5.3,50,15\r\n" << "row 2: a quote is not closed";
    }
    void Bad_Csv_Is_Refused()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("User.mtr"));
        Meter_List list;
        list.Date = QDate(2026, 12, 10);
        QString error;
        const bool saved = Meter_List_From_Csv(csv, list, &error) && Save_Meter_List(list, path, &error);
        if (message.isEmpty()) {
            QVERIFY2(saved, qPrintable(error));
        } else {
            QVERIFY(!saved);
            QVERIFY2(error.contains(message), qPrintable(error));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), saved ? 1 : 0);
    }

    // --import-meter-list writes where the editor writes (the program folder
    // here, which is writable), refuses a shipped list's name and a list
    // that breaks the rules with exit 2 and no file; --meter-list then
    // finds the list, and --calc --json names its sources.
    void Import_Command()
    {
        QTemporaryDir dir;
        for (const char *name : {"Table-1.dat", "Table-2.dat", "Table-3.dat", "AWWA-Standard.mtr", "Sample.qvl"})
            QVERIFY(QFile::copy(Shipped(name), dir.filePath(QLatin1String(name))));
        const QString csv = Write(dir, QStringLiteral("acme.csv"), Header + Two_Meters);
        const QString bad = Write(dir, QStringLiteral("bad.csv"), Header + "1\",A,T,50,25,20,2.2,30,1.5,50,15\r\n");
        const auto run = [&](const QStringList &args) {
            FILE *null = std::fopen("/dev/null", "w");
            const int status = Run_Command_Line(args, dir.path(), null, null, dir.filePath(QStringLiteral("none.ini")));
            std::fclose(null);
            return status;
        };
        const QStringList import = {QStringLiteral("--import-meter-list"), csv, QStringLiteral("--status"),
                                    QStringLiteral("estimate"), QStringLiteral("--source"), QStringLiteral("Acme sheet")};
        QCOMPARE(run(import + QStringList{QStringLiteral("-o"), QStringLiteral("AWWA-Standard.mtr")}), 2);
        QCOMPARE(run({QStringLiteral("--import-meter-list"), bad, QStringLiteral("-o"), QStringLiteral("Bad.mtr")}), 2);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Bad.mtr"))));
        QCOMPARE(run(import + QStringList{QStringLiteral("-o"), QStringLiteral("Acme.mtr")}), 0);
        Meter_List list;
        Load_Meter_List(list, dir.filePath(QStringLiteral("Acme.mtr")));
        QCOMPARE(list.Count(), 2);
        QVERIFY(list.Provenance.Estimated(QStringLiteral("1\""), Meter_Value::Loss));
        QCOMPARE(run({QStringLiteral("--import-meter-list"), csv, QStringLiteral("-o"), QStringLiteral("X.mtr"),
                      QStringLiteral("--status"), QStringLiteral("guess")}),
                 2);

        // A package's folder is never written: the list goes to the user's
        // data folder, where the list in use is looked for.
        QVERIFY(Write_File(dir.filePath(QLatin1String(Package_Marker)), ""));
        const Scoped_Env data_home("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")));
        QCOMPARE(run(import + QStringList{QStringLiteral("-o"), QStringLiteral("Mine.mtr")}), 0);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Mine.mtr"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("data/Quorvel/Mine.mtr"))));
        Program_State state;
        Set_Program_Paths(state, dir.path());
        state.Settings.Set_Meter_Table = QStringLiteral("Mine.mtr"); // as --meter-list Mine.mtr sets it
        Set_Meter(state);
        QCOMPARE(state.Meters.Count(), 2);
    }
};

QTEST_GUILESS_MAIN(Test_Meter_Data)
#include "tst_meter_data.moc"
