#pragma once

// How a caller follows and stops the database work of a run: the rows read,
// the waits for another program's lock, and the user's cancel.

#include "result.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

namespace tarel::data {

// Progress and cancellation of a read.
struct ReadControl {
    // Called every few thousand rows, and once when the first rows have been
    // read, with the rows read so far and an estimate of all (0 when
    // unknown). Rows are those of both tables a source reads.
    std::function<void(qint64 rowsRead, qint64 rowsEstimated)> progress;
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
