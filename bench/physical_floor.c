/* The physical floors of a report run, through the SQLite C interface, in
 * one read transaction, the file memory-mapped. Each value's type, size and
 * first byte are looked at, so that every value is really read.
 *
 *   physical_floor DATABASE VISIT-COLUMNS PERSON-COLUMNS [--no-map]
 *       one sequential read of the columns the report needs, of both tables;
 *   physical_floor DATABASE VISIT-COLUMNS PERSON-COLUMNS --period FROM TO
 *       the period's visits through the DATA index, and each visit's persons
 *       through the MB index.
 *
 * The columns are comma-separated lists, e.g. "MB,DATA,VidNaUsluga" and
 * "MB,DAT_R,MESTO_S" (MB first among the visit's). Prints the rows read and
 * the seconds the read took; bench/run-benchmarks times the whole process. */
#include <sqlite3.h>

#include <stdio.h>
#include <string.h>
#include <time.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static sqlite3_stmt *prepare(sqlite3 *db, const char *text)
{
    sqlite3_stmt *statement = NULL;
    if (sqlite3_prepare_v2(db, text, -1, &statement, NULL) != SQLITE_OK)
        fprintf(stderr, "%s: %s\n", text, sqlite3_errmsg(db));
    return statement;
}

static void look(sqlite3_stmt *statement, long long *sum)
{
    const int count = sqlite3_column_count(statement);
    for (int i = 0; i < count; ++i) {
        if (sqlite3_column_type(statement, i) == SQLITE_INTEGER) {
            *sum += sqlite3_column_int64(statement, i);
            continue;
        }
        const unsigned char *bytes = sqlite3_column_blob(statement, i);
        const int size = sqlite3_column_bytes(statement, i);
        *sum += size + (size > 0 ? bytes[0] : 0);
    }
}

static int readAll(sqlite3 *db, const char *columns, const char *table, long long *rows, long long *sum)
{
    char text[1024];
    snprintf(text, sizeof text, "select %s from %s", columns, table);
    sqlite3_stmt *statement = prepare(db, text);
    if (!statement)
        return 0;
    int status;
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
        ++*rows;
        look(statement, sum);
    }
    sqlite3_finalize(statement);
    if (status != SQLITE_DONE) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 0;
    }
    return 1;
}

/* The period's visits through the DATA index, each visit's persons looked up
 * by its MB (the first visit column) through the MB index. */
static int readPeriod(sqlite3 *db, const char *visitColumns, const char *personColumns, const char *from,
                      const char *to, long long *rows, long long *sum)
{
    char text[1024];
    snprintf(text, sizeof text, "select %s from PREGLEDI1 where DATA between ?1 and ?2", visitColumns);
    sqlite3_stmt *visits = prepare(db, text);
    snprintf(text, sizeof text, "select %s from osigurenici where MB = ?1", personColumns);
    sqlite3_stmt *persons = prepare(db, text);
    if (!visits || !persons)
        return 0;
    sqlite3_bind_text(visits, 1, from, -1, SQLITE_STATIC);
    sqlite3_bind_text(visits, 2, to, -1, SQLITE_STATIC);
    int status;
    while ((status = sqlite3_step(visits)) == SQLITE_ROW) {
        ++*rows;
        look(visits, sum);
        sqlite3_bind_value(persons, 1, sqlite3_column_value(visits, 0));
        while (sqlite3_step(persons) == SQLITE_ROW) {
            ++*rows;
            look(persons, sum);
        }
        sqlite3_reset(persons);
    }
    sqlite3_finalize(visits);
    sqlite3_finalize(persons);
    if (status != SQLITE_DONE) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 0;
    }
    return 1;
}

int main(int argc, char **argv)
{
    const int period = argc == 7 && strcmp(argv[4], "--period") == 0;
    if (argc < 4 || (argc > 4 && !period && strcmp(argv[4], "--no-map") != 0)) {
        fprintf(stderr, "usage: physical_floor DATABASE VISIT-COLUMNS PERSON-COLUMNS [--no-map]\n"
                        "       physical_floor DATABASE VISIT-COLUMNS PERSON-COLUMNS --period FROM TO\n");
        return 2;
    }
    const double start = now();
    sqlite3 *db = NULL;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    const int mapped = !(argc > 4 && strcmp(argv[4], "--no-map") == 0);
    if (mapped)
        sqlite3_exec(db, "PRAGMA mmap_size=1073741824", NULL, NULL, NULL);
    long long rows = 0, sum = 0;
    sqlite3_exec(db, "BEGIN", NULL, NULL, NULL);
    const int ok = period ? readPeriod(db, argv[2], argv[3], argv[5], argv[6], &rows, &sum)
                          : readAll(db, argv[3], "osigurenici", &rows, &sum)
            && readAll(db, argv[2], "PREGLEDI1", &rows, &sum);
    sqlite3_exec(db, "COMMIT", NULL, NULL, NULL);
    sqlite3_close(db);
    if (!ok)
        return 1;
    printf("%lld rows (%lld) in %.3f s%s\n", rows, sum, now() - start, mapped ? "" : ", not mapped");
    return 0;
}
