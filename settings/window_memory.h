#pragma once

#include "settings_store.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the main window remembers between runs beside the options: the
// jobs opened or saved last, where its windows were and whether
// Calculation Details was open. Kept in the same per-user store.

constexpr int Recent_Jobs_Kept = 8;

// The list with the path first, each path once, at most Recent_Jobs_Kept.
QStringList With_Recent_Job(QStringList jobs, const QString &path);
// The paths of the list that still name a file.
QStringList Existing_Jobs(const QStringList &jobs);

QStringList Read_Recent_Jobs(const Settings_Store &store);
void Write_Recent_Jobs(Settings_Store &store, const QStringList &jobs);

struct Window_Memory {
    QByteArray Main_Geometry;    // QWidget::saveGeometry of the main window
    QByteArray Details_Geometry; // of Calculation Details as a window of its own
    bool Details_Open = false;
};

Window_Memory Read_Window_Memory(const Settings_Store &store);
void Write_Window_Memory(Settings_Store &store, const Window_Memory &memory);
