#pragma once

// A source database for tests: a SQLite file in a temporary folder with the
// tables of the patient-administration program, written through a connection
// of its own (the program itself only reads).

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <initializer_list>
#include <utility>

namespace tarel::testing {

class SourceDatabase {
public:
    SourceDatabase();
    ~SourceDatabase();

    QString path() const { return m_path; }

    // Inserts one row; values by column name, the rest NULL.
    void insert(const QString &table, std::initializer_list<std::pair<const char *, QVariant>> values);

    // A visit with its insured person. Dates are ISO texts ("" for NULL).
    struct Visit {
        QString mb = QStringLiteral("0101990450012");
        QString data = QStringLiteral("2024-03-15");
        QString datR = QStringLiteral("1980-01-01");
        QString sDija = QStringLiteral("A01");
        QString sDija2;
        QString vid = QStringLiteral("1");
        QString lekar = QStringLiteral("L01");
        QVariant mesto = 400017;
        QString osnov = QStringLiteral("1");
        QString clen = QStringLiteral("00");
        QVariant redBr; // the visit's RED_BR, PRE and IME (NULL unless given)
        QVariant pre;
        QVariant ime;
    };
    // Inserts the visit and, unless told not to, its insured person.
    void addVisit(const Visit &visit, bool withPerson = true);
    void addDoctor(const QString &code, const QString &surname, const QString &name, bool active);
    void addInstitution(const QString &naziv);

    void exec(const QString &statement);

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_connection;
};

} // namespace tarel::testing
