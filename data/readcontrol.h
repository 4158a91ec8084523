#pragma once

// How a caller follows and stops the database work of a run: what is read
// and how much of it, the waits for another program's lock, and the user's
// cancel.

#include "result.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

namespace tarel::data {

// How far a read has come: what it reads now and how much of it.
struct ReadProgress {
    enum class Stage {
        Persons, // the insured persons, read whole before the visits (the program's join)
        Visits,  // the visits of the period the statements select
    };
    Stage stage = Stage::Visits;
    qint64 read = 0;      // rows of the stage read so far
    qint64 estimated = 0; // rows the stage is expected to give, at least `read`; 0 when not known
    friend bool operator==(const ReadProgress &, const ReadProgress &) = default;
};

// Progress and cancellation of a read.
struct ReadControl {
    // Called every few thousand rows, and once when the first rows have been
    // read (the database answers), with the stage and its rows. The visits'
    // estimate is the period's: the visits the statements' period holds
    // (from the visit dates' index, or as the read goes), not the table's.
    std::function<void(const ReadProgress &)> progress;
    // Called while the database waits for another program that is writing to
    // it (a lock), every few tenths of a second until it can go on: while it
    // is opened, while a read transaction begins and while a read runs.
    std::function<void()> waiting;
    // Once set, the read stops with an error of kind Cancelled; a wait for a
    // lock ends at once.
    const std::atomic<bool> *cancel = nullptr;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

// The error of a read stopped by the user.
Error cancelledError();

} // namespace tarel::data
