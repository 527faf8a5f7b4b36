// The windows as they are used from the keyboard and the mouse: the lock
// key panels, the file selection dialog's folder list and editor check,
// the pipe size hover and the size of the file dialogs.
#include "frm_about.h"
#include "frm_diagram.h"
#include "frm_dialog_file.h"
#include "frm_download.h"
#include "frm_note.h"
#include "frm_pressure.h"
#include "frm_update.h"
#include "frm_main.h"
#include "frm_options.h"
#include "key_state.h"
#include "reference_dialogs.h"
#include "widget_prompt.h"
#include "window_support.h"

#include <QAccessible>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QAbstractButton>
#include <QScrollArea>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// One of the program's windows, opened as the program opens it, with
// whatever it needs kept alive beside it.
struct Opened {
    std::unique_ptr<Main_Window> main;
    QTemporaryDir dir;
    Scripted_Prompt prompt;
    Sizing_Job job;
    int flag = 0, spot = 0, startup = 1;
    std::unique_ptr<Frm_Pressure> details;
    std::unique_ptr<QWidget> own;
    QWidget *widget = nullptr;

    explicit Opened(const QString &name)
    {
        job.Meter_Location = QStringLiteral("Inside");
        const QString version = QStringLiteral("1.02.0808");
        if (name == u"main") {
            main = std::make_unique<Main_Window>();
            widget = main->main.get();
        } else if (name == u"options") {
            main = std::make_unique<Main_Window>();
            main->main->Open_Options();
            widget = main->main->findChild<Frm_Options *>();
        } else if (name == u"pressure details" || name == u"diagram") {
            details = std::make_unique<Frm_Pressure>(job, flag, spot, prompt, version);
            if (name == u"diagram")
                own = std::make_unique<Frm_Diagram>(true, details.get());
        } else if (name == u"pipe sizes") {
            own = std::make_unique<Frm_Size>(spot, QMap<int, QLineEdit *>{});
        } else if (name == u"C factors") {
            own = std::make_unique<Frm_CFactor>();
        } else if (name == u"flow basis") {
            own = std::make_unique<Frm_Calc_Flow>();
        } else if (name == u"note") {
            own = std::make_unique<Frm_Note>(version, QStringLiteral("12/9/2026"), QStringLiteral("Main St"),
                                             QStringLiteral("first line\r\nsecond"));
        } else if (name == u"file selection, path") {
            own = std::make_unique<Frm_Dialog_File1>(Frm_Dialog_File1::Mode::Path, QString(), dir.path(), QString());
        } else if (name == u"file selection, editor") {
            own = std::make_unique<Frm_Dialog_File1>(Frm_Dialog_File1::Mode::Editor, QString(), QString(),
                                                     QStringLiteral("Notepad.exe"));
        } else if (name == u"about") {
            own = std::make_unique<Frm_About>(version, startup);
        } else if (name == u"update") {
            Frm_Update::Local_State local{QString(), QCoreApplication::applicationDirPath(), version, {}, {}, {}};
            own = std::make_unique<Frm_Update>(local);
        } else if (name == u"download") {
            own = std::make_unique<Frm_Download>(7, QCoreApplication::applicationDirPath());
        }
        if (!widget)
            widget = own ? own.get() : details.get();
        widget->show();
        QApplication::setActiveWindow(widget);
    }
};

void Add_Window_Rows()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"main", "options", "pressure details", "diagram", "pipe sizes", "C factors",
                             "flow basis", "note", "file selection, path", "file selection, editor", "about",
                             "update", "download"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Controls the Tab key can reach, as the focus chain holds them.
QList<QWidget *> Tab_Chain(QWidget *window)
{
    QList<QWidget *> chain;
    QWidget *w = window;
    do {
        w = w->nextInFocusChain();
        if (w != window && w->window() == window && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window)
            && w->isEnabled() && !w->focusProxy() && !chain.contains(w))
            chain << w;
    } while (w != window && chain.size() < 500);
    return chain;
}

// The name a screen reader announces for a control: its accessible name,
// a button's caption, or the caption whose buddy the control is. A group
// box's title is not counted: it names the group, not the control.
QString Announced_Name(QWidget *w)
{
    if (!w->accessibleName().isEmpty())
        return w->accessibleName();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text().remove(u'&').trimmed();
    for (QLabel *label : w->window()->findChildren<QLabel *>())
        if (label->buddy() == w)
            return label->text().remove(u'&').trimmed();
    return QString();
}

QString Describe(QWidget *w)
{
    return QStringLiteral("%1 \"%2\" (%3)").arg(w->objectName(), Announced_Name(w), QLatin1String(w->metaObject()->className()));
}

// Reading order between two controls, decided where their parents part:
// the two widgets holding them there (a group box, a column, the control
// itself) are side by side (overlapping rows) and read left to right, or
// one above the other and read top to bottom.
bool Reads_Before(QWidget *a, QWidget *b, QString *why)
{
    if (a->isAncestorOf(b))
        return true;
    QWidget *common = a->parentWidget();
    while (common && !common->isAncestorOf(b))
        common = common->parentWidget();
    if (!common)
        return false;
    const auto branch = [common](QWidget *w) {
        while (w->parentWidget() != common)
            w = w->parentWidget();
        return w;
    };
    QWidget *x = branch(a), *y = branch(b);
    // A scrolled area's child is placed by its scroll position: compare
    // where the controls sit, not where their parts are scrolled to.
    const QRect ra = x == a ? QRect(a->mapTo(common, QPoint(0, 0)), a->size()) : x->geometry();
    const QRect rb = y == b ? QRect(b->mapTo(common, QPoint(0, 0)), b->size()) : y->geometry();
    const int overlap = std::min(ra.bottom(), rb.bottom()) - std::max(ra.top(), rb.top());
    const bool side_by_side = overlap > std::min(ra.height(), rb.height()) / 3;
    const bool ok = side_by_side ? rb.center().x() > ra.center().x() : rb.top() > ra.top();
    if (!ok && why)
        *why = QStringLiteral("%1 at (%2,%3 %4x%5) before %6 at (%7,%8 %9x%10) in %11")
                   .arg(x->objectName()).arg(ra.x()).arg(ra.y()).arg(ra.width()).arg(ra.height())
                   .arg(y->objectName()).arg(rb.x()).arg(rb.y()).arg(rb.width()).arg(rb.height())
                   .arg(common->objectName());
    return ok;
}

// Controls in columns are read a column at a time: a control may follow
// one lower on its left when it starts the next column, that is when it
// lies wholly to the right of the control before it and no control after
// it in the chain stands above it in its column.
bool Starts_Column(const QList<QWidget *> &chain, int i, QWidget *window)
{
    const auto rect = [window](QWidget *w) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); };
    const QRect start = rect(chain[i]);
    if (i == 0 || start.left() < rect(chain[i - 1]).right())
        return false;
    for (int k = i + 1; k < chain.size(); ++k) {
        const QRect later = rect(chain[k]);
        const bool same_column = later.left() < start.right() && later.right() > start.left();
        if (same_column && later.top() < start.top() - 4)
            return false;
    }
    return true;
}

} // namespace

class Test_Windows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/Table-1.dat")),
                 "the shipped data files are not beside the test");
    }

    // Offscreen there is no keyboard state to read: CAPS and NUM stay
    // empty whatever is pressed; INS follows the Insert key of the window.
    void Key_Panels_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("ins");
        QTest::newRow("nothing pressed") << QList<int>{} << "";
        QTest::newRow("Insert") << QList<int>{Qt::Key_Insert} << "INS";
        QTest::newRow("Insert twice") << QList<int>{Qt::Key_Insert, Qt::Key_Insert} << "";
        QTest::newRow("Insert three times") << QList<int>{Qt::Key_Insert, Qt::Key_Insert, Qt::Key_Insert} << "INS";
        QTest::newRow("lock keys") << QList<int>{Qt::Key_CapsLock, Qt::Key_NumLock} << "";
    }
    void Key_Panels()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, ins);
        const Lock_Keys read = Read_Lock_Keys();
        QVERIFY(!read.Caps_Lock.has_value());
        QVERIFY(!read.Num_Lock.has_value());

        Main_Window w;
        QApplication::setActiveWindow(w.main.get());
        QLineEdit *box = w.main->TB_Number[0];
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(w.main->Panels[3]->text(), QString());
        QCoreApplication::processEvents();
        const int ins_width = w.main->Panels[3]->width();
        for (int key : keys)
            QTest::keyClick(box, Qt::Key(key));
        w.main->Refresh_Status();
        QCOMPARE(w.main->Panels[3]->text(), ins);
        QCOMPARE(w.main->Key_Panels->Insert_On(), !ins.isEmpty());
        QCOMPARE(w.main->Panels[4]->text(), QString());
        QCOMPARE(w.main->Panels[5]->text(), QString());
        QCOMPARE(w.main->Panels[4]->accessibleName(), QStringLiteral("Caps Lock state"));
        // The panel keeps its width: switching it on moves nothing.
        QCoreApplication::processEvents();
        QCOMPARE(w.main->Panels[3]->width(), ins_width);
        QVERIFY(ins_width >= w.main->Panels[3]->fontMetrics().horizontalAdvance(QStringLiteral("INS")));
    }

    // The Insert key of another window leaves the main window's INS alone.
    void Insert_In_Another_Window()
    {
        Main_Window w;
        QWidget other;
        auto *box = new QLineEdit(&other);
        other.show();
        QApplication::setActiveWindow(&other);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Insert);
        QCOMPARE(w.main->Panels[3]->text(), QString());
        QVERIFY(!w.main->Key_Panels->Insert_On());
    }

    // The folder list moved with the keyboard moves the file list, the
    // folder path shown and the folder that OK returns.
    void Folder_List_Follows_The_Keyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("expected"); // relative to the test folder; "." is the folder itself
        QTest::newRow("down") << QList<int>{Qt::Key_Down} << "b";
        QTest::newRow("down twice") << QList<int>{Qt::Key_Down, Qt::Key_Down} << "c";
        QTest::newRow("down and up") << QList<int>{Qt::Key_Down, Qt::Key_Up} << "a";
        QTest::newRow("up to the parent") << QList<int>{Qt::Key_Up} << ".";
        QTest::newRow("left to the parent") << QList<int>{Qt::Key_Left} << ".";
    }
    void Folder_List_Follows_The_Keyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const char *name : {"a", "b", "c"})
            QVERIFY(QDir(dir.path()).mkdir(QLatin1String(name)));
        QVERIFY(Write_File(dir.filePath(QStringLiteral("b/job.qvl")), {}));
        const QString start = dir.filePath(QStringLiteral("a"));
        const QString want = QDir::cleanPath(dir.filePath(expected));

        Frm_Dialog_File1 files(Frm_Dialog_File1::Mode::Path, QString(), start, QString());
        files.show();
        QApplication::setActiveWindow(&files);
        auto *folders = qobject_cast<QFileSystemModel *>(files.Dir1->model());
        QVERIFY(folders);
        const QModelIndex parent = folders->index(dir.path());
        QTRY_COMPARE(folders->rowCount(parent), 3);
        QCOMPARE(files.Dir1->currentIndex(), folders->index(start));
        QCOMPARE(files.TB_Folder->text(), QDir::toNativeSeparators(start));
        files.Dir1->setFocus();
        QTRY_VERIFY(files.Dir1->hasFocus());
        for (int key : keys)
            QTest::keyClick(files.Dir1, Qt::Key(key));
        QCOMPARE(files.Folder(), want);
        QCOMPARE(files.TB_Folder->text(), QDir::toNativeSeparators(want));
        QCOMPARE(files.Result(), want);
        if (expected == u"b") // the file list shows the folder reached
            QTRY_COMPARE(files.File1->model()->rowCount(files.File1->rootIndex()), 1);
        QTest::mouseClick(files.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
        QCOMPARE(files.result(), int(QDialog::Accepted));
    }

    // Where Path mode starts, from Current_Path and filename.
    void Path_Mode_Starts_data()
    {
        QTest::addColumn<QString>("current_path"); // relative to the test folder; "-" is a missing one
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << "jobs" << "" << "jobs";
        QTest::newRow("job file") << "jobs/a.qvl" << "" << "jobs";
        QTest::newRow("missing, filename a job") << "-" << "other/b.QVL" << "other";
        QTest::newRow("missing, filename a folder") << "-" << "other" << "other";
    }
    void Path_Mode_Starts()
    {
        QFETCH(QString, current_path);
        QFETCH(QString, filename);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("jobs"));
        QDir(dir.path()).mkdir(QStringLiteral("other"));
        QVERIFY(Write_File(dir.filePath(QStringLiteral("jobs/a.qvl")), {}));
        const auto full = [&dir](const QString &relative) {
            return relative.isEmpty() ? QString() : relative == u"-" ? dir.filePath("missing") : dir.filePath(relative);
        };
        Frm_Dialog_File1 files(Frm_Dialog_File1::Mode::Path, full(filename), full(current_path), QString());
        QCOMPARE(files.Folder(), dir.filePath(expected));
        QCOMPARE(files.Result(), dir.filePath(expected));
    }

    // Among many folders the list opens scrolled to the current one.
    void Folder_List_Opens_At_The_Current_Folder()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 80; ++i)
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0'))));
        const QString start = dir.filePath(QStringLiteral("f75"));
        Frm_Dialog_File1 files(Frm_Dialog_File1::Mode::Path, QString(), start, QString());
        files.show();
        QVERIFY(QTest::qWaitForWindowExposed(&files));
        auto *folders = qobject_cast<QFileSystemModel *>(files.Dir1->model());
        QTRY_COMPARE(folders->rowCount(folders->index(dir.path())), 80);
        QTRY_VERIFY(files.Dir1->viewport()->rect().contains(files.Dir1->visualRect(files.Dir1->currentIndex())));
        QCOMPARE(files.Dir1->currentIndex(), folders->index(start));
        // The dialog fits the screen it opens on.
        const QSize room = files.screen()->availableGeometry().size();
        QVERIFY(files.width() <= room.width() && files.height() <= room.height());
    }

    // The editor picker: what OK accepts and what it gives back.
    void Editor_Pick_data()
    {
        QTest::addColumn<QString>("editor");   // what the options dialog holds
        QTest::addColumn<QString>("typed");    // "=" leaves the box untouched; "@" stands for the test folder
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("result");
        QTest::newRow("factory editor untouched") << "Notepad.exe" << "=" << true << "Notepad.exe";
        QTest::newRow("retyped as it was") << "Notepad.exe" << "Notepad.exe" << true << "Notepad.exe";
        QTest::newRow("missing program") << "Notepad.exe" << "no-such-editor-7f3" << false << "";
        QTest::newRow("executable picked") << "Notepad.exe" << "@/ed" << true << "@/ed";
        QTest::newRow("bare name in the folder") << "@/ed" << "ed" << true << "@/ed";
        QTest::newRow("not executable") << "Notepad.exe" << "@/notes.txt" << false << "";
        QTest::newRow("a folder") << "Notepad.exe" << "@" << false << "";
        QTest::newRow("empty") << "Notepad.exe" << "" << false << "";
        QTest::newRow("on the search path") << "Notepad.exe" << "sh" << true << "$sh";
    }
    void Editor_Pick()
    {
        QFETCH(QString, editor);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, result);
        QTemporaryDir dir;
        QVERIFY(Write_File(dir.filePath(QStringLiteral("ed")), "#!/bin/sh\n", true));
        QVERIFY(Write_File(dir.filePath(QStringLiteral("notes.txt")), "text"));
        const auto expand = [&dir](QString text) {
            if (text.startsWith(u'$'))
                return QStandardPaths::findExecutable(text.mid(1));
            return text.replace(u'@', dir.path());
        };
        Frm_Dialog_File1 files(Frm_Dialog_File1::Mode::Editor, QString(), QString(), expand(editor));
        files.show();
        if (typed != u"=")
            files.FileName_Text->setText(expand(typed));
        QTest::mouseClick(files.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
        QCOMPARE(files.isVisible(), !accepted);
        QCOMPARE(files.Lab_Problem->isVisible(), !accepted);
        if (accepted) {
            QCOMPARE(files.result(), int(QDialog::Accepted));
            QVERIFY(!expand(result).isEmpty());
            QCOMPARE(files.Result(), expand(result));
        }
    }

    // "Check for Update" pressed again, and the options opened again, while
    // an update run waits on a stalled source: the running dialog is kept
    // (deleting it under its run crashed the program); Cancel then stops
    // the run, closes the dialog and the program goes on with its job.
    void Check_For_Update_Again_During_A_Run()
    {
        QTcpServer server; // answers the manifest, then stalls on Table-1.dat
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QList<QTcpSocket *> held;
        bool stalled = false;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket *socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                const QByteArray request = socket->readAll();
                if (request.contains("/Update.txt ")) {
                    const QByteArray body = "Server Version = 1.02.0808\r\nTable-1 = 01/15/2099\r\n";
                    socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size())
                                  + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                } else if (request.contains("/Table-1.dat ")) {
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\nDate: ");
                    held << socket;
                    stalled = true;
                } else {
                    socket->write("HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                }
            });
        });
        Main_Window w;
        w.main->State.Settings.ServerName = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
        w.main->State.Flag_Save = 1; // a job with unsaved changes
        w.main->Open_Options();
        QPointer<Frm_Options> options = w.main->findChild<Frm_Options *>();
        QVERIFY(options);
        auto *check = options->findChild<QPushButton *>(QStringLiteral("Button_Update"));
        QVERIFY(check);
        QTest::mouseClick(check, Qt::LeftButton);
        QPointer<Frm_Update> dialog = options->findChild<Frm_Update *>();
        QVERIFY(dialog);
        QTRY_COMPARE(dialog->Lab_Wait->text(), QStringLiteral("Ready"));
        dialog->Chk_Table[0]->setChecked(true);
        bool checked_during_run = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &poll, [&] {
            if (!stalled || checked_during_run)
                return;
            checked_during_run = true;
            QVERIFY(dialog && dialog->Is_Busy());
            QTest::mouseClick(check, Qt::LeftButton); // Check for Update again
            w.main->Open_Options();                   // and the options again
            QVERIFY(dialog);
            QVERIFY(options);
            QCOMPARE(options->findChildren<Frm_Update *>().size(), 1);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button_Cancel")), Qt::LeftButton);
        });
        poll.start(50);
        const QMap<QString, QByteArray> before = Folder_Hashes(w.main->State.App_Path);
        QVERIFY(before.contains(QStringLiteral("Table-1.dat")));
        QTest::mouseClick(dialog->Button_Update, Qt::LeftButton); // the run, until Cancel stops it
        QVERIFY(checked_during_run);
        QTRY_VERIFY(dialog.isNull());
        QVERIFY(options);
        QVERIFY(w.main->isVisible());
        QVERIFY(!w.main->Quit_Requested());
        QCOMPARE(w.main->State.Flag_Save, 1);
        QVERIFY(!QFileInfo::exists(w.main->State.App_Path + QStringLiteral("/.Quorvel-update-staging")));
        QCOMPARE(Folder_Hashes(w.main->State.App_Path), before); // the cancelled run changed nothing
        for (const QString &m : std::as_const(w.prompt.Messages))
            QVERIFY2(!m.startsWith(QStringLiteral("Backups")), qPrintable(m));
        for (QTcpSocket *socket : std::as_const(held))
            socket->abort();
    }

    // From the options dialog: "..." beside the editor, then OK untouched.
    void Untouched_Editor_Ok_From_The_Options()
    {
        Main_Window w;
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        QVERIFY(options);
        QCOMPARE(options->TB_Editor->text(), QStringLiteral("Notepad.exe"));
        bool seen = false;
        QTimer::singleShot(0, [&seen] {
            auto *files = qobject_cast<Frm_Dialog_File1 *>(QApplication::activeModalWidget());
            QVERIFY(files);
            seen = true;
            QCOMPARE(files->FileName_Text->text(), QStringLiteral("Notepad.exe"));
            QTest::mouseClick(files->findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
        });
        QTest::mouseClick(options->findChild<QPushButton *>(QStringLiteral("Button_Editor")), Qt::LeftButton);
        QVERIFY(seen);
        QCOMPARE(options->TB_Editor->text(), QStringLiteral("Notepad.exe"));
        options->close();
    }

    // Leaving a diameter clears the blue, wherever the pointer goes.
    void Hover_Cleared_On_Leaving_data()
    {
        QTest::addColumn<QString>("to");
        QTest::newRow("group box") << "group";
        QTest::newRow("heading") << "heading";
        QTest::newRow("OK button") << "Button_OK";
        QTest::newRow("outside the dialog") << "outside";
        QTest::newRow("another diameter") << "diameter";
    }
    void Hover_Cleared_On_Leaving()
    {
        QFETCH(QString, to);
        QLineEdit target;
        int spot1 = 21;
        Frm_Size sizes(spot1, {{21, &target}});
        sizes.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sizes));
        QLabel *first = sizes.Diameters().at(0);
        QLabel *other = sizes.Diameters().at(20);
        QTest::mouseMove(first);
        QTRY_COMPARE(first->palette().color(QPalette::WindowText), QColor(Qt::blue));

        QLabel *lit = nullptr;
        if (to == u"group") {
            auto *group = sizes.findChild<QGroupBox *>();
            QTest::mouseMove(group, QPoint(group->width() - 3, group->height() - 3));
        } else if (to == u"heading") {
            QLabel *heading = nullptr;
            for (QLabel *label : sizes.findChildren<QLabel *>())
                if (label->text() == u"Internal Diameter")
                    heading = label;
            QVERIFY(heading);
            QTest::mouseMove(heading);
        } else if (to == u"outside") {
            QLeaveEvent_Send(first);
        } else if (to == u"diameter") {
            QTest::mouseMove(other);
            lit = other;
        } else {
            QTest::mouseMove(sizes.findChild<QWidget *>(to));
        }
        for (QLabel *d : sizes.Diameters()) {
            const QColor want = d == lit ? QColor(Qt::blue) : sizes.palette().color(QPalette::ButtonText);
            QTRY_COMPARE(d->palette().color(QPalette::WindowText), want);
        }
        QCOMPARE(target.text(), QString()); // hovering writes nothing
    }

    // From the keyboard: Tab reaches the diameters in reading order, Enter
    // picks the one with the focus.
    void Diameter_Picked_With_The_Keyboard()
    {
        QLineEdit target;
        int spot1 = 22;
        Frm_Size sizes(spot1, {{22, &target}});
        sizes.show();
        QApplication::setActiveWindow(&sizes);
        QLabel *first = sizes.Diameters().at(0);
        first->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(first->hasFocus());
        QCOMPARE(first->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QTest::keyClick(first, Qt::Key_Tab);
        QLabel *second = sizes.Diameters().at(1);
        QTRY_VERIFY(second->hasFocus());
        QCOMPARE(first->palette().color(QPalette::WindowText), sizes.palette().color(QPalette::ButtonText));
        QCOMPARE(second->accessibleName(), QStringLiteral("Internal diameter 0.995 inches"));
        QTest::keyClick(second, Qt::Key_Return);
        QVERIFY(!sizes.isVisible());
        QCOMPARE(target.text(), QStringLiteral("0.995"));
    }

    // Tab goes through the file selection dialog in reading order.
    void File_Selection_Tab_Order()
    {
        Frm_Dialog_File1 files(Frm_Dialog_File1::Mode::Path, QString(), QDir::tempPath(), QString());
        files.show();
        QApplication::setActiveWindow(&files);
        files.TB_Folder->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(files.TB_Folder->hasFocus());
        QStringList order{files.TB_Folder->objectName()};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{"TB_Folder", "Drive1", "Dir1", "Pattern_Box", "File1", "FileName_Text", "OKButton",
                                     "CancelButton"}));
        const QList<QWidget *> named{files.Drive1, files.Dir1, files.File1, files.Pattern_Box, files.FileName_Text,
                                     files.TB_Folder};
        for (QWidget *w : named)
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    // The standard file dialogs open large enough for their columns.
    void File_Dialog_Shows_Its_Columns()
    {
        QTemporaryDir dir;
        QVERIFY(Write_File(dir.filePath(QStringLiteral("a job with a long name of its own.qvl")), QByteArray(754, 'x')));
        QFileDialog dialog(nullptr, QStringLiteral("Open"), dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        QFont large = dialog.font(); // a large font needs wider columns than the default ones
        large.setPointSize(large.pointSize() * 2);
        dialog.setFont(large);
        Widget_Prompt::Fit_File_Dialog(dialog);
        const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(dialog.width() <= room.width() && dialog.height() <= room.height());
        QVERIFY2(dialog.width() >= qMin(900, room.width() * 9 / 10) && dialog.height() >= qMin(560, room.height() * 9 / 10),
                 qPrintable(QStringLiteral("%1 x %2").arg(dialog.width()).arg(dialog.height())));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTreeView *details = nullptr;
        for (QTreeView *view : dialog.findChildren<QTreeView *>())
            if (view->header()->count() >= 4)
                details = view;
        QVERIFY(details);
        QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 1);
        // Size, type and date are shown whole (a cell's margins are a few pixels).
        for (int column = 1; column < 4; ++column) {
            const QModelIndex cell = details->model()->index(0, column, details->rootIndex());
            const QString text = cell.data().toString();
            QVERIFY(!text.isEmpty());
            const int need = details->fontMetrics().horizontalAdvance(text) + 6;
            QTRY_VERIFY2(details->columnWidth(column) >= need,
                         qPrintable(QStringLiteral("\"%1\": %2 < %3").arg(text).arg(details->columnWidth(column)).arg(need)));
        }
        dialog.reject();
    }

    // Every window fits a 1024 x 600 screen and keeps its size while it
    // is open.
    void Windows_Fit_A_Small_Screen_data() { Add_Window_Rows(); }
    void Windows_Fit_A_Small_Screen()
    {
        QFETCH(QString, window);
        Opened o(window);
        QWidget *w = o.widget;
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QSize room = w->screen()->availableSize();
        QCOMPARE(room, QSize(1024, 600));
        const QString sizes = QStringLiteral("hint %1x%2, minimum %3x%4, size %5x%6")
                                  .arg(w->sizeHint().width()).arg(w->sizeHint().height())
                                  .arg(w->minimumSizeHint().width()).arg(w->minimumSizeHint().height())
                                  .arg(w->width()).arg(w->height());
        QVERIFY2(w->minimumSizeHint().width() <= room.width() && w->minimumSizeHint().height() <= room.height(), qPrintable(sizes));
        QVERIFY2(w->minimumWidth() <= room.width() && w->minimumHeight() <= room.height(), qPrintable(sizes));
        if (window != u"main") // the main window opens as large as the screen allows, and lets the user size it
            QVERIFY2(w->sizeHint().width() <= room.width() && w->sizeHint().height() <= room.height(), qPrintable(sizes));
        // Fitting never squeezes a text box below a few characters.
        for (QLineEdit *box : w->findChildren<QLineEdit *>()) {
            if (box->isVisibleTo(w) && box->window() == w && !qobject_cast<QComboBox *>(box->parentWidget())
                && !qobject_cast<QAbstractSpinBox *>(box->parentWidget()))
                QVERIFY2(box->width() >= box->fontMetrics().averageCharWidth() * 6,
                         qPrintable(QStringLiteral("%1 is %2 pixels wide").arg(box->objectName()).arg(box->width())));
        }
        const QSize opened = w->size();
        QVERIFY(Settle(w)); // whatever it had still to do
        QVERIFY2(w->size() == opened, qPrintable(QStringLiteral("%1x%2 became %3x%4").arg(opened.width()).arg(opened.height()).arg(w->width()).arg(w->height())));
    }

    // A long location or meter list description never widens a dialog
    // past a 1024-pixel screen.
    void Long_Texts_Keep_Dialogs_On_The_Screen_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("text");
        const QString words = QStringLiteral("Riverside Community Center, 410 Mill Street, ").repeated(5).left(200);
        const QString solid = QString(200, u'W');
        for (const char *window : {"options", "pressure details", "note"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, words").arg(QLatin1String(window)))) << window << words;
            QTest::newRow(qPrintable(QStringLiteral("%1, one word").arg(QLatin1String(window)))) << window << solid;
        }
    }
    void Long_Texts_Keep_Dialogs_On_The_Screen()
    {
        QFETCH(QString, window);
        QFETCH(QString, text);
        Main_Window main;
        main.main->State.Job.Location = text;
        main.main->State.Meters.Description = text;
        std::unique_ptr<QDialog> own;
        QDialog *dialog = nullptr;
        int flag = 0, spot = 0;
        if (window == u"options") {
            main.main->Open_Options();
            dialog = main.main->findChild<Frm_Options *>();
        } else if (window == u"note") {
            own = std::make_unique<Frm_Note>(QStringLiteral("1.02.0808"), QStringLiteral("12/9/2026"), text, text);
        } else {
            own = std::make_unique<Frm_Pressure>(main.main->State.Job, flag, spot, main.prompt, QStringLiteral("1.02.0808"));
        }
        if (!dialog)
            dialog = own.get();
        QVERIFY(dialog);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QString sizes = QStringLiteral("hint %1, minimum %2, size %3")
                                  .arg(dialog->sizeHint().width()).arg(dialog->minimumSizeHint().width()).arg(dialog->width());
        QVERIFY2(dialog->minimumSizeHint().width() <= 1024 && dialog->sizeHint().width() <= 1024
                     && dialog->width() <= 1024, qPrintable(sizes));
        bool whole_in_a_tip = false;
        for (QWidget *w : dialog->findChildren<QWidget *>())
            whole_in_a_tip = whole_in_a_tip || w->toolTip().contains(text);
        QVERIFY(whole_in_a_tip);
    }

    // Each control a screen reader reaches says what it is: its caption,
    // or what it edits; a bare "?" or "..." says nothing.
    void Controls_Have_Accessible_Names_data() { Add_Window_Rows(); }
    void Controls_Have_Accessible_Names()
    {
        QFETCH(QString, window);
        Opened o(window);
        QStringList unnamed;
        int checked = 0;
        for (QWidget *w : o.widget->findChildren<QWidget *>()) {
            if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(o.widget) || w->window() != o.widget
                || w->focusProxy())
                continue;
            if (qobject_cast<QScrollArea *>(w) && !(w->focusPolicy() & Qt::TabFocus))
                continue;
            ++checked;
            const QString name = Announced_Name(w);
            bool has_letter = false;
            for (QChar c : name)
                has_letter = has_letter || c.isLetterOrNumber();
            if (!has_letter)
                unnamed << Describe(w);
        }
        QVERIFY(checked > 0 || window == u"about"); // the About box has no controls: a key or click closes it
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }

    // Tab visits the controls in reading order: top to bottom, left to
    // right where controls or their group boxes stand side by side, a
    // column to its end before the next column.
    void Tab_Order_Follows_The_Layout_data() { Add_Window_Rows(); }
    void Tab_Order_Follows_The_Layout()
    {
        QFETCH(QString, window);
        Opened o(window);
        QVERIFY(QTest::qWaitForWindowExposed(o.widget));
        QList<QWidget *> chain = Tab_Chain(o.widget);
        QVERIFY(!chain.isEmpty() || window == u"about");
        QStringList wrong;
        // The chain is a ring: Tab from the last control goes back to the
        // first, and that one step goes back up. Any other is out of order.
        const int n = int(chain.size());
        for (int i = 0; i < n; ++i) {
            QString why;
            const int next = (i + 1) % n;
            if (!Reads_Before(chain[i], chain[next], &why) && !Starts_Column(chain, next, o.widget))
                wrong << QStringLiteral("%1 -> %2: %3").arg(chain[i]->objectName(), chain[next]->objectName(), why);
        }
        QVERIFY2(wrong.size() <= 1, qPrintable(wrong.join(QStringLiteral("\n"))));
    }

private:
    static void QLeaveEvent_Send(QWidget *widget)
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
};

// The windows are tried on the smallest screen they must fit, 1024 x 600:
// the offscreen platform is given one screen of that size.
int main(int argc, char **argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform == "offscreen") {
        const QString config = QDir::tempPath() + QStringLiteral("/quorvel-screen-%1.json").arg(QCoreApplication::applicationPid());
        if (!Write_File(config, R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600,
                                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")) {
            qCritical("cannot write the screen configuration %s", qPrintable(config));
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    }
    QApplication app(argc, argv);
    if (platform == "offscreen") {
        QFile::remove(QDir::tempPath() + QStringLiteral("/quorvel-screen-%1.json").arg(QCoreApplication::applicationPid()));
        if (QGuiApplication::primaryScreen()->size() != QSize(1024, 600)) {
            qCritical("the offscreen screen is not 1024 x 600");
            return 1;
        }
    }
    Test_Windows test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windows.moc"
