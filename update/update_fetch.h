#pragma once

#include <QString>

#include <functional>


// Fetching one file of an update source into a local file, streamed: the
// body goes to disk as it arrives and is never held whole in memory.

struct Fetch_Options {
    qint64 Max_Bytes = 64 * 1024 * 1024; // nothing a source sends is larger
    int Inactivity_Ms = 30000;           // no byte for this long: the fetch fails
    // The whole fetch may take this long at most; 0: four times the
    // inactivity timeout, plus a second for each 16 kB announced.
    int Deadline_Ms = 0;
    int Max_Redirects = 5;
    // Bytes received so far and the announced size (-1 when unknown).
    std::function<void(qint64 received, qint64 total)> Progress;
    // Asked while waiting; true stops the fetch as failed and cancelled.
    std::function<bool()> Cancelled;
};

// The deadline of a fetch with these options once `announced` bytes are
// expected (-1: unknown).
qint64 Fetch_Deadline_Ms(const Fetch_Options &options, qint64 announced);

struct Fetch_Outcome {
    bool Ok = false;
    bool Missing = false;   // the source answered that it has no such file (404, 410, no file)
    bool Cancelled = false;
    qint64 Bytes = 0;
    QString Error; // why it failed, for the user
};

// A drive letter "A:" to "V:" names nothing on this computer; the text that
// says so and names the folder form of a mounted medium.
QString Drive_Letter_Message(const QString &server_name);

// Fetches `name` from the source into `destination`, which must not exist
// yet (it is created, never through a link). Only a complete body of a 2xx
// answer counts; on any failure the destination is removed. A folder or
// share is read on a thread of its own, so that a source that stops
// answering is given up after the same limits and Cancel works.
Fetch_Outcome Fetch_To_File(const QString &server_name, const QString &name, const QString &destination,
                            const Fetch_Options &options = {});
