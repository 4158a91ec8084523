/* The floors of a report run over PostgreSQL: what the server takes to send
 * the client the columns a report needs, in the COPY protocol through libpq,
 * read and thrown away (every byte is looked at).
 *
 *   postgres_floor CONNINFO tables VISIT-COLUMNS PERSON-COLUMNS
 *       both tables' columns, whole (one COPY each, in one transaction);
 *   postgres_floor CONNINFO join FROM TO VISIT-COLUMNS PERSON-COLUMNS
 *       the period's visits joined with their persons by the server (one
 *       COPY of the join).
 *
 * The columns are comma-separated lists, e.g. "MB,DATA,VidNaUsluga" and
 * "MB,DAT_R". Prints the rows and bytes read and the seconds the reads
 * took; bench/run-benchmarks times the whole process. */
#include <libpq-fe.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int run(PGconn *connection, const char *statement)
{
    PGresult *result = PQexec(connection, statement);
    const int ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok)
        fprintf(stderr, "%s: %s", statement, PQerrorMessage(connection));
    PQclear(result);
    return ok;
}

static int copy(PGconn *connection, const char *select, long long *rows, long long *bytes)
{
    char statement[4096];
    snprintf(statement, sizeof statement, "COPY (%s) TO STDOUT", select);
    PGresult *result = PQexec(connection, statement);
    if (PQresultStatus(result) != PGRES_COPY_OUT) {
        fprintf(stderr, "%s: %s", statement, PQerrorMessage(connection));
        PQclear(result);
        return 0;
    }
    PQclear(result);
    char *row = NULL;
    int size;
    unsigned sum = 0;
    while ((size = PQgetCopyData(connection, &row, 0)) > 0) {
        ++*rows;
        *bytes += size;
        for (int i = 0; i < size; ++i)
            sum += (unsigned char)row[i];
        PQfreemem(row);
    }
    result = PQgetResult(connection);
    const int ok = size == -1 && PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok)
        fprintf(stderr, "%s", PQerrorMessage(connection));
    PQclear(result);
    while ((result = PQgetResult(connection)))
        PQclear(result);
    return ok && sum != 1; /* the sum keeps the bytes read */
}

/* "a,b" of table t as "t.a, t.b". */
static void qualified(const char *table, const char *columns, char *out, size_t size)
{
    out[0] = 0;
    const char *p = columns;
    while (*p) {
        const char *end = strchr(p, ',');
        const size_t length = end ? (size_t)(end - p) : strlen(p);
        const size_t used = strlen(out);
        snprintf(out + used, size - used, "%s%s.%.*s", used ? ", " : "", table, (int)length, p);
        p += length + (end ? 1 : 0);
    }
}

int main(int argc, char **argv)
{
    const int join = argc == 7 && strcmp(argv[2], "join") == 0;
    if (!join && !(argc == 5 && strcmp(argv[2], "tables") == 0)) {
        fprintf(stderr, "usage: postgres_floor CONNINFO tables VISIT-COLUMNS PERSON-COLUMNS\n"
                        "       postgres_floor CONNINFO join FROM TO VISIT-COLUMNS PERSON-COLUMNS\n");
        return 2;
    }
    const double start = now();
    PGconn *connection = PQconnectdb(argv[1]);
    if (PQstatus(connection) != CONNECTION_OK) {
        fprintf(stderr, "%s", PQerrorMessage(connection));
        return 1;
    }
    long long rows = 0, bytes = 0;
    char select[4096];
    int ok = run(connection, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (join) {
        char visit[1024], person[1024];
        qualified("pregledi1", argv[5], visit, sizeof visit);
        qualified("osigurenici", argv[6], person, sizeof person);
        snprintf(select, sizeof select,
                 "select %s, %s from pregledi1 join osigurenici on osigurenici.mb = pregledi1.mb "
                 "where pregledi1.DATA between '%s' and '%s'",
                 visit, person, argv[3], argv[4]);
        ok = ok && copy(connection, select, &rows, &bytes);
    } else {
        snprintf(select, sizeof select, "select %s from osigurenici", argv[4]);
        ok = ok && copy(connection, select, &rows, &bytes);
        snprintf(select, sizeof select, "select %s from pregledi1", argv[3]);
        ok = ok && copy(connection, select, &rows, &bytes);
    }
    ok = ok && run(connection, "ROLLBACK");
    PQfinish(connection);
    if (!ok)
        return 1;
    printf("%lld rows, %lld bytes in %.3f s\n", rows, bytes, now() - start);
    return 0;
}
