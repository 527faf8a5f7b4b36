#include "widget_prompt.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <QGuiApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>

namespace {
const QString Title = QStringLiteral("Quorvel");

// A bare file name starts in the folder given; a path names its own.
QString Start_Path(const QString &folder, const QString &file_name)
{
    if (file_name.isEmpty())
        return folder;
    if (file_name.contains(u'/') || folder.isEmpty())
        return file_name;
    return QDir(folder).filePath(file_name);
}
} // namespace

void Widget_Prompt::Show_Message(const QString &text)
{
    QMessageBox::information(parent_, Title, text, QMessageBox::Ok);
}

Prompt::Answer Widget_Prompt::Ask_Yes_No(const QString &text)
{
    return QMessageBox::question(parent_, Title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
                   == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

Prompt::Answer Widget_Prompt::Ask_Yes_No_Cancel(const QString &text)
{
    const auto button = QMessageBox::question(parent_, Title, text,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Yes);
    return button == QMessageBox::Yes ? Answer::Yes : button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

QStringList Widget_Prompt::Dialog_Filters(const QString &filters)
{
    // Pairs of description and pattern separated by "|". A pattern of "*.*"
    // means every file, with or without an extension.
    const QStringList parts = filters.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        QString pattern = parts[i + 1];
        if (description.isEmpty())
            continue;
        if (pattern == u"*.*")
            pattern = QStringLiteral("*");
        QString label = description;
        const qsizetype open = label.lastIndexOf(u'(');
        if (open > 0)
            label = label.left(open).trimmed();
        out << QStringLiteral("%1 (%2)").arg(label, pattern);
    }
    return out;
}

void Widget_Prompt::Fit_File_Dialog(QFileDialog &dialog)
{
    const QWidget *owner = dialog.parentWidget() ? dialog.parentWidget() : &dialog;
    const QScreen *screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    QSize size(900, 560);
    if (screen) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        size = size.boundedTo(room);
    }
    dialog.resize(size);
    // Qt's own dialog sizes its detail columns for its default font; let
    // size, type and date take the width their text needs, the name the rest.
    for (QTreeView *view : dialog.findChildren<QTreeView *>()) {
        QHeaderView *header = view->header();
        if (header->count() < 4)
            continue;
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

QString Widget_Prompt::Choose_File(bool save, const QString &folder, const QString &file_name,
                                   const QString &filters, int selected_filter)
{
    QFileDialog dialog(parent_, save ? QStringLiteral("Save As") : QStringLiteral("Open"),
                       Start_Path(folder, file_name));
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const QStringList list = Dialog_Filters(filters);
    dialog.setNameFilters(list);
    if (selected_filter >= 0 && selected_filter < list.size())
        dialog.selectNameFilter(list[selected_filter]);
    Fit_File_Dialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString Widget_Prompt::Choose_Open_File(const QString &folder, const QString &file_name, const QString &filters,
                                        int selected_filter)
{
    return Choose_File(false, folder, file_name, filters, selected_filter);
}

QString Widget_Prompt::Choose_Save_File(const QString &folder, const QString &file_name, const QString &filters,
                                        int selected_filter)
{
    return Choose_File(true, folder, file_name, filters, selected_filter);
}
