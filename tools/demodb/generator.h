#pragma once

// Writes a synthetic source database of the patient-administration program:
// insured persons, visits, doctors and the institution, in the tables and
// column forms the reports read, with the quirks real files have (values
// with blanks, empty and NULL fields, a person listed twice, visits of
// unknown persons, categories no report row counts).
//
// The contents depend only on the options: one seed, visit count, period
// length and last day always give the same rows.

#include "result.h"

#include <QDate>
#include <QString>

namespace tarel::demodb {

struct DemoOptions {
    qint64 visits = 50000;
    quint64 seed = 1;
    int months = 24;      // length of the period of visits
    QDate lastDay;        // last day of the period; invalid: today
    bool force = false;   // replace an existing file
    // Plant in the last calendar month of the period (from the 1st of the
    // last day's month) what a trend must find: the first doctor stops
    // entering visits, acute bronchitis (J20) triples, and children come with
    // whooping cough (A37), never seen before.
    bool anomalies = false;
};

struct DemoStats {
    qint64 visits = 0;    // rows of PREGLEDI1 (with anomalies, not those asked for: see DemoOptions)
    qint64 persons = 0;   // rows of osigurenici (a person listed twice counts twice)
    int doctors = 0;      // rows of Lekari
    int inactiveDoctors = 0;
    QDate firstDay;       // the period of visits
    QDate lastDay;
    double seconds = 0;
};

// Limits of the options.
inline constexpr qint64 MaxVisits = 20'000'000;
inline constexpr int MaxMonths = 600;

// Writes the database to a temporary file beside path and renames it to path
// at the end, so that path never holds a half-written database. An existing
// path is an error unless options.force.
Result<DemoStats> writeDemoDatabase(const QString &path, const DemoOptions &options);

// "Wrote <path>: <n> visits, <n> persons, <n> doctors in <s> s".
QString summaryLine(const QString &path, const DemoStats &stats);

} // namespace tarel::demodb
