#include "firebirddriver.h"

#include <QDateTime>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlDriverCreator>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStringList>
#include <QVariant>

#include <firebird/Interface.h>
#include <ibase.h>

#include <QFileInfo>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tarel::data {

namespace {

constexpr unsigned short Dialect = SQL_DIALECT_V6;
// Day 0 of Firebird's dates, 17 November 1858, as a Julian day.
constexpr qint64 FirebirdDayZero = 2400001;

// The status vector's text, its parts joined on one line, and its codes.
struct StatusText {
    QString text;
    QString codes;
};

StatusText statusText(const ISC_STATUS *status)
{
    StatusText result;
    QStringList codes;
    for (const ISC_STATUS *item = status; *item != isc_arg_end;) {
        const ISC_STATUS kind = *item++;
        if (kind == isc_arg_gds)
            codes << QString::number(*item);
        // Every argument kind but one takes one value; a counted string two.
        item += kind == isc_arg_cstring ? 2 : 1;
    }
    result.codes = codes.join(QLatin1Char(' '));
    QStringList parts;
    char buffer[1024];
    const ISC_STATUS *cursor = status;
    while (fb_interpret(buffer, sizeof buffer, &cursor))
        parts << QString::fromUtf8(buffer).trimmed();
    result.text = parts.join(QStringLiteral(": "));
    return result;
}

bool failed(const ISC_STATUS *status) { return status[0] == 1 && status[1] != 0; }

// Codes that say the connection to the server is gone.
bool connectionLost(const QString &codes)
{
    for (long code : {isc_network_error, isc_net_read_err, isc_net_write_err, isc_conn_lost, isc_att_shutdown,
                      isc_shutdown})
        if (hasFirebirdCode(codes, code))
            return true;
    return false;
}

// The connect options the driver reads.
struct Options {
    int connectTimeoutSeconds = 0;
    int lockTimeoutSeconds = 0;
    bool readWrite = false;
};

Options parseOptions(const QString &text)
{
    Options options;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString key = part.section(QLatin1Char('='), 0, 0).trimmed();
        const int value = part.section(QLatin1Char('='), 1).trimmed().toInt();
        if (key == u"connect_timeout")
            options.connectTimeoutSeconds = value;
        else if (key == u"lock_timeout")
            options.lockTimeoutSeconds = value;
        else if (key == u"read_write")
            options.readWrite = true;
    }
    return options;
}

void appendParameter(QByteArray &block, char item, const QByteArray &value)
{
    block.append(item);
    block.append(char(qMin<qsizetype>(value.size(), 255)));
    block.append(value.left(255));
}

void appendNumber(QByteArray &block, char item, int value)
{
    block.append(item);
    block.append(char(4));
    for (int i = 0; i < 4; ++i)
        block.append(char((quint32(value) >> (8 * i)) & 0xff));
}

QByteArray attachParameters(const QString &user, const QString &password, int connectTimeoutSeconds)
{
    QByteArray dpb(1, char(isc_dpb_version1));
    if (!user.isEmpty())
        appendParameter(dpb, isc_dpb_user_name, user.toUtf8());
    if (!password.isEmpty())
        appendParameter(dpb, isc_dpb_password, password.toUtf8());
    appendParameter(dpb, isc_dpb_lc_ctype, "UTF8");
    dpb.append(char(isc_dpb_utf8_filename));
    dpb.append(char(0));
    if (connectTimeoutSeconds > 0)
        appendNumber(dpb, isc_dpb_connect_timeout, connectTimeoutSeconds);
    return dpb;
}

QString attachName(const QString &host, int port, const QString &path)
{
    if (host.isEmpty())
        return path;
    return host + (port > 0 ? QStringLiteral("/%1").arg(port) : QString()) + QLatin1Char(':') + path;
}

// An XSQLDA of n variables with their buffers.
class Descriptors {
public:
    Descriptors() { resize(1); }
    ~Descriptors() { release(); }
    Descriptors(const Descriptors &) = delete;
    Descriptors &operator=(const Descriptors &) = delete;

    XSQLDA *get() const { return m_da; }
    void resize(int n)
    {
        release();
        m_da = static_cast<XSQLDA *>(std::calloc(1, XSQLDA_LENGTH(n)));
        m_da->version = SQLDA_VERSION1;
        m_da->sqln = short(n);
    }
    // Buffers for the described variables, each with a NULL indicator.
    void allocate()
    {
        m_buffers.assign(std::size_t(m_da->sqld), {});
        m_indicators.assign(std::size_t(m_da->sqld), 0);
        for (int i = 0; i < m_da->sqld; ++i)
            bind(i);
    }
    // Points variable i at a buffer of its (possibly changed) length.
    void bind(int i)
    {
        XSQLVAR &var = m_da->sqlvar[i];
        std::size_t size = var.sqllen;
        if ((var.sqltype & ~1) == SQL_VARYING)
            size += sizeof(short);
        m_buffers[std::size_t(i)].resize(qMax<std::size_t>(size, 8));
        var.sqldata = m_buffers[std::size_t(i)].data();
        var.sqlind = &m_indicators[std::size_t(i)];
    }

private:
    void release()
    {
        std::free(m_da);
        m_da = nullptr;
    }
    XSQLDA *m_da = nullptr;
    std::vector<std::vector<char>> m_buffers;
    std::vector<short> m_indicators;
};

class FirebirdDriver;

class FirebirdResult final : public QSqlResult {
public:
    explicit FirebirdResult(const FirebirdDriver *driver);
    ~FirebirdResult() override { cleanup(); }

protected:
    QVariant data(int field) override { return field >= 0 && field < m_row.size() ? m_row[field] : QVariant(); }
    bool isNull(int field) override { return data(field).isNull(); }
    bool reset(const QString &query) override { return prepare(query) && exec(); }
    bool prepare(const QString &query) override;
    bool exec() override;
    bool fetch(int index) override { return index == at() + 1 && fetchNext(); }
    bool fetchNext() override;
    bool fetchFirst() override { return at() == QSql::BeforeFirstRow && fetchNext(); }
    bool fetchLast() override { return false; }
    int size() override { return -1; }
    int numRowsAffected() override { return -1; }
    QSqlRecord record() const override;
    QVariant handle() const override { return {}; }

private:
    FirebirdDriver *owner() const;
    bool check(const QString &what, QSqlError::ErrorType type = QSqlError::StatementError);
    bool startLocal();
    void endLocal(bool commit);
    void cleanup();
    bool describe(Descriptors &into, bool parameters);
    bool bindParameters();
    QVariant valueOf(const XSQLVAR &var);
    QVariant blobOf(ISC_QUAD id, bool text);

    ISC_STATUS_ARRAY m_status{};
    isc_stmt_handle m_statement = 0;
    isc_tr_handle m_local = 0; // a transaction of this statement, outside the driver's
    Descriptors m_out;
    Descriptors m_in;
    int m_type = 0;
    QVariantList m_row;
};

class FirebirdDriver final : public QSqlDriver {
public:
    explicit FirebirdDriver(QObject *parent = nullptr) : QSqlDriver(parent) {}
    ~FirebirdDriver() override { FirebirdDriver::close(); }

    bool hasFeature(DriverFeature feature) const override
    {
        switch (feature) {
        case Transactions:
        case PreparedQueries:
        case PositionalPlaceholders:
        case Unicode:
            return true;
        default:
            return false;
        }
    }

    bool open(const QString &database, const QString &user, const QString &password, const QString &host, int port,
              const QString &connectOptions) override
    {
        close();
        m_options = parseOptions(connectOptions);
        const QByteArray dpb = attachParameters(user, password, m_options.connectTimeoutSeconds);
        const QByteArray name = attachName(host, port, database).toUtf8();
        ISC_STATUS_ARRAY status{};
        isc_attach_database(status, 0, name.constData(), &m_attachment, short(dpb.size()), dpb.constData());
        if (failed(status)) {
            m_attachment = 0;
            report(status, QStringLiteral("Cannot open the database"), QSqlError::ConnectionError);
            setOpenError(true);
            return false;
        }
        setOpen(true);
        setOpenError(false);
        return true;
    }

    void close() override
    {
        if (!m_attachment)
            return;
        ISC_STATUS_ARRAY status{};
        if (m_transaction)
            isc_rollback_transaction(status, &m_transaction);
        m_transaction = 0;
        isc_detach_database(status, &m_attachment);
        m_attachment = 0;
        setOpen(false);
        setOpenError(false);
    }

    QSqlResult *createResult() const override { return new FirebirdResult(this); }

    // The columns of a table, in their order, by name (the name as stored:
    // an unquoted name in upper case).
    QSqlRecord record(const QString &table) const override
    {
        QSqlRecord result;
        if (!isOpen())
            return result;
        QSqlQuery query(createResult());
        query.setForwardOnly(true);
        if (!query.prepare(QStringLiteral("select trim(rdb$field_name) from rdb$relation_fields "
                                          "where rdb$relation_name = ? order by rdb$field_position")))
            return result;
        query.addBindValue(table);
        if (!query.exec())
            return result;
        while (query.next())
            result.append(QSqlField(query.value(0).toString()));
        return result;
    }

    bool beginTransaction() override
    {
        if (!isOpen() || m_transaction)
            return false;
        return start(&m_transaction, nullptr);
    }
    bool commitTransaction() override { return finish(true); }
    bool rollbackTransaction() override { return finish(false); }

    // Starts a transaction as the options say: a snapshot, read-only unless
    // read_write, waiting lock_timeout seconds for a lock (or for ever).
    bool start(isc_tr_handle *transaction, ISC_STATUS *statusOut)
    {
        QByteArray tpb;
        tpb.append(char(isc_tpb_version3));
        tpb.append(char(m_options.readWrite ? isc_tpb_write : isc_tpb_read));
        tpb.append(char(isc_tpb_concurrency));
        tpb.append(char(isc_tpb_wait));
        if (m_options.lockTimeoutSeconds > 0)
            appendNumber(tpb, isc_tpb_lock_timeout, m_options.lockTimeoutSeconds);
        ISC_STATUS_ARRAY local{};
        ISC_STATUS *status = statusOut ? statusOut : local;
        isc_start_transaction(status, transaction, 1, &m_attachment, short(tpb.size()), tpb.constData());
        if (failed(status)) {
            *transaction = 0;
            if (!statusOut)
                report(status, QStringLiteral("Cannot start a transaction"), QSqlError::TransactionError);
            return false;
        }
        return true;
    }

    // Makes the error of a call the driver's last error; a lost connection
    // closes the driver, so that the next open attaches anew.
    void report(const ISC_STATUS *status, const QString &what, QSqlError::ErrorType type)
    {
        const StatusText text = statusText(status);
        setLastError(QSqlError(what, text.text, type, text.codes));
        lostIf(text.codes);
    }
    void lostIf(const QString &codes)
    {
        if (!connectionLost(codes) || !m_attachment)
            return;
        ISC_STATUS_ARRAY status{};
        if (m_transaction)
            isc_rollback_transaction(status, &m_transaction);
        m_transaction = 0;
        isc_detach_database(status, &m_attachment);
        m_attachment = 0;
        setOpen(false);
    }

    void cancel()
    {
        ISC_STATUS_ARRAY status{};
        if (m_attachment)
            fb_cancel_operation(status, &m_attachment, fb_cancel_raise);
    }

    isc_db_handle *attachment() { return &m_attachment; }
    isc_tr_handle transaction() const { return m_transaction; }

private:
    bool finish(bool commit)
    {
        if (!m_transaction)
            return false;
        ISC_STATUS_ARRAY status{};
        if (commit)
            isc_commit_transaction(status, &m_transaction);
        else
            isc_rollback_transaction(status, &m_transaction);
        m_transaction = 0;
        if (failed(status)) {
            report(status, QStringLiteral("Cannot end the transaction"), QSqlError::TransactionError);
            return false;
        }
        return true;
    }

    isc_db_handle m_attachment = 0;
    isc_tr_handle m_transaction = 0;
    Options m_options;
};

FirebirdResult::FirebirdResult(const FirebirdDriver *driver) : QSqlResult(driver) {}

FirebirdDriver *FirebirdResult::owner() const
{
    return static_cast<FirebirdDriver *>(const_cast<QSqlDriver *>(driver()));
}

bool FirebirdResult::check(const QString &what, QSqlError::ErrorType type)
{
    if (!failed(m_status))
        return true;
    const StatusText text = statusText(m_status);
    setLastError(QSqlError(what, text.text, type, text.codes));
    if (connectionLost(text.codes)) {
        // The handles belong to the lost attachment.
        m_statement = 0;
        m_local = 0;
        owner()->lostIf(text.codes);
    }
    return false;
}

bool FirebirdResult::startLocal()
{
    if (owner()->transaction() || m_local)
        return true;
    if (owner()->start(&m_local, m_status))
        return true;
    return check(QStringLiteral("Cannot start a transaction"), QSqlError::TransactionError);
}

void FirebirdResult::endLocal(bool commit)
{
    if (!m_local)
        return;
    ISC_STATUS_ARRAY status{};
    if (commit)
        isc_commit_transaction(status, &m_local);
    else
        isc_rollback_transaction(status, &m_local);
    m_local = 0;
}

void FirebirdResult::cleanup()
{
    if (m_statement) {
        ISC_STATUS_ARRAY status{};
        isc_dsql_free_statement(status, &m_statement, DSQL_drop);
        m_statement = 0;
    }
    // A statement of its own transaction only read: nothing to keep.
    endLocal(false);
    m_row.clear();
}

bool FirebirdResult::prepare(const QString &query)
{
    cleanup();
    setActive(false);
    setAt(QSql::BeforeFirstRow);
    if (!owner()->isOpen()) {
        setLastError(QSqlError(QStringLiteral("The database is not open"), {}, QSqlError::ConnectionError));
        return false;
    }
    if (!startLocal())
        return false;
    isc_tr_handle transaction = m_local ? m_local : owner()->transaction();
    isc_dsql_allocate_statement(m_status, owner()->attachment(), &m_statement);
    if (!check(QStringLiteral("Cannot prepare the statement")))
        return false;
    const QByteArray text = query.toUtf8();
    isc_dsql_prepare(m_status, &transaction, &m_statement, 0, text.constData(), Dialect, nullptr);
    if (!check(QStringLiteral("Cannot prepare the statement")) || !describe(m_out, false) || !describe(m_in, true))
        return false;

    char item = isc_info_sql_stmt_type;
    char info[16] = {};
    isc_dsql_sql_info(m_status, &m_statement, 1, &item, sizeof info, info);
    if (!check(QStringLiteral("Cannot describe the statement")))
        return false;
    const short length = short(isc_vax_integer(info + 1, 2));
    m_type = int(isc_vax_integer(info + 3, length));
    setSelect(m_type == isc_info_sql_stmt_select || m_type == isc_info_sql_stmt_select_for_upd);
    return true;
}

// Describes the statement's columns, or its parameters, into descriptors of
// their number.
bool FirebirdResult::describe(Descriptors &into, bool parameters)
{
    for (int size = 1;;) {
        into.resize(size);
        if (parameters)
            isc_dsql_describe_bind(m_status, &m_statement, Dialect, into.get());
        else
            isc_dsql_describe(m_status, &m_statement, Dialect, into.get());
        if (!check(QStringLiteral("Cannot describe the statement")))
            return false;
        if (into.get()->sqld <= into.get()->sqln)
            break;
        size = into.get()->sqld;
    }
    into.allocate();
    return true;
}

// Sets the input variables from the bound values; each value is sent in its
// own type and the server converts it to the parameter's.
bool FirebirdResult::bindParameters()
{
    XSQLDA *in = m_in.get();
    const QVariantList values = boundValues();
    if (values.size() != in->sqld) {
        setLastError(QSqlError(QStringLiteral("The statement takes %1 values, %2 were bound")
                                   .arg(in->sqld)
                                   .arg(values.size()),
                               {}, QSqlError::StatementError));
        return false;
    }
    for (int i = 0; i < in->sqld; ++i) {
        XSQLVAR &var = in->sqlvar[i];
        const QVariant &value = values[i];
        const short described = short(var.sqltype & ~1);
        if (value.isNull()) {
            var.sqltype = short(described | 1);
            m_in.bind(i);
            *var.sqlind = -1;
            continue;
        }
        // A value of a fixed size, in its own type.
        auto fixed = [&](short type, const auto &data) {
            var.sqltype = short(type | 1);
            var.sqllen = short(sizeof data);
            var.sqlscale = 0;
            m_in.bind(i);
            std::memcpy(var.sqldata, &data, sizeof data);
        };
        QByteArray bytes;
        switch (value.typeId()) {
        case QMetaType::QDate:
            fixed(SQL_TYPE_DATE, ISC_DATE(value.toDate().toJulianDay() - FirebirdDayZero));
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
            fixed(SQL_INT64, ISC_INT64(value.toLongLong()));
            break;
        case QMetaType::Double:
            fixed(SQL_DOUBLE, value.toDouble());
            break;
        case QMetaType::Bool:
            fixed(SQL_BOOLEAN, FB_BOOLEAN(value.toBool() ? FB_TRUE : FB_FALSE));
            break;
        default:
            // Text: the bytes as they are, in the parameter's character set
            // where it is a text (so an OCTETS column compares bytes), else
            // as UTF-8, the connection's.
            bytes = value.toString().toUtf8();
            if (bytes.size() > 32765) {
                setLastError(QSqlError(QStringLiteral("A text value is too long for the statement"), {},
                                       QSqlError::StatementError));
                return false;
            }
            if (described != SQL_TEXT && described != SQL_VARYING)
                var.sqlsubtype = 0;
            var.sqltype = SQL_TEXT | 1;
            var.sqllen = short(bytes.size());
            m_in.bind(i);
            std::memcpy(var.sqldata, bytes.constData(), std::size_t(bytes.size()));
            break;
        }
        *var.sqlind = 0;
    }
    return true;
}

bool FirebirdResult::exec()
{
    setActive(false);
    setAt(QSql::BeforeFirstRow);
    m_row.clear();
    if (!m_statement) {
        setLastError(QSqlError(QStringLiteral("The statement is not prepared"), {}, QSqlError::StatementError));
        return false;
    }
    if (!bindParameters())
        return false;
    // Close a cursor left open by a previous execution.
    ISC_STATUS_ARRAY closing{};
    isc_dsql_free_statement(closing, &m_statement, DSQL_close);
    if (!startLocal())
        return false;
    isc_tr_handle transaction = m_local ? m_local : owner()->transaction();
    isc_dsql_execute(m_status, &transaction, &m_statement, Dialect, m_in.get()->sqld ? m_in.get() : nullptr);
    if (!check(QStringLiteral("Cannot run the statement")))
        return false;
    if (!isSelect())
        endLocal(true);
    setActive(true);
    return true;
}

bool FirebirdResult::fetchNext()
{
    if (!isActive() || !isSelect() || !m_statement)
        return false;
    const ISC_STATUS fetched = isc_dsql_fetch(m_status, &m_statement, Dialect, m_out.get());
    if (fetched == 100) {
        setAt(QSql::AfterLastRow);
        return false;
    }
    if (!check(QStringLiteral("Cannot read the next row")))
        return false;
    const XSQLDA *out = m_out.get();
    m_row.resize(out->sqld);
    for (int i = 0; i < out->sqld; ++i)
        m_row[i] = valueOf(out->sqlvar[i]);
    setAt(at() == QSql::BeforeFirstRow ? 0 : at() + 1);
    return true;
}

QMetaType typeOf(const XSQLVAR &var)
{
    switch (var.sqltype & ~1) {
    case SQL_VARYING:
    case SQL_TEXT:
        return QMetaType::fromType<QString>();
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return var.sqlscale < 0 ? QMetaType::fromType<double>() : QMetaType::fromType<qlonglong>();
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return QMetaType::fromType<double>();
    case SQL_TYPE_DATE:
        return QMetaType::fromType<QDate>();
    case SQL_TYPE_TIME:
        return QMetaType::fromType<QTime>();
    case SQL_TIMESTAMP:
        return QMetaType::fromType<QDateTime>();
    case SQL_BOOLEAN:
        return QMetaType::fromType<bool>();
    case SQL_BLOB:
        return var.sqlsubtype == 1 ? QMetaType::fromType<QString>() : QMetaType::fromType<QByteArray>();
    default:
        return QMetaType::fromType<QString>();
    }
}

QVariant FirebirdResult::valueOf(const XSQLVAR &var)
{
    if ((var.sqltype & 1) && *var.sqlind < 0)
        return QVariant(typeOf(var));
    const char *data = var.sqldata;
    double scale = 1;
    for (int s = var.sqlscale; s < 0; ++s)
        scale /= 10;
    switch (var.sqltype & ~1) {
    case SQL_VARYING: {
        short length = 0;
        std::memcpy(&length, data, sizeof length);
        return QString::fromUtf8(data + sizeof(short), length);
    }
    case SQL_TEXT: {
        // CHAR(n): n characters, padded with blanks to the buffer's bytes
        // (four a character in UTF8, three in UNICODE_FSS).
        const int charset = var.sqlsubtype & 0xff;
        const int perCharacter = charset == 4 ? 4 : charset == 3 ? 3 : 1;
        return QString::fromUtf8(data, var.sqllen).left(var.sqllen / perCharacter);
    }
    case SQL_SHORT: {
        short value = 0;
        std::memcpy(&value, data, sizeof value);
        return var.sqlscale < 0 ? QVariant(value * scale) : QVariant(qlonglong(value));
    }
    case SQL_LONG: {
        ISC_LONG value = 0;
        std::memcpy(&value, data, sizeof value);
        return var.sqlscale < 0 ? QVariant(value * scale) : QVariant(qlonglong(value));
    }
    case SQL_INT64: {
        ISC_INT64 value = 0;
        std::memcpy(&value, data, sizeof value);
        return var.sqlscale < 0 ? QVariant(double(value) * scale) : QVariant(qlonglong(value));
    }
    case SQL_FLOAT: {
        float value = 0;
        std::memcpy(&value, data, sizeof value);
        return double(value);
    }
    case SQL_DOUBLE: {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        return value;
    }
    case SQL_TYPE_DATE: {
        ISC_DATE value = 0;
        std::memcpy(&value, data, sizeof value);
        return QDate::fromJulianDay(qint64(value) + FirebirdDayZero);
    }
    case SQL_TYPE_TIME: {
        ISC_TIME value = 0;
        std::memcpy(&value, data, sizeof value);
        return QTime::fromMSecsSinceStartOfDay(int(value / 10));
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP value{};
        std::memcpy(&value, data, sizeof value);
        return QDateTime(QDate::fromJulianDay(qint64(value.timestamp_date) + FirebirdDayZero),
                         QTime::fromMSecsSinceStartOfDay(int(value.timestamp_time / 10)));
    }
    case SQL_BOOLEAN:
        return *reinterpret_cast<const FB_BOOLEAN *>(data) != FB_FALSE;
    case SQL_BLOB: {
        ISC_QUAD id{};
        std::memcpy(&id, data, sizeof id);
        return blobOf(id, var.sqlsubtype == 1);
    }
    default:
        return QVariant(typeOf(var));
    }
}

QVariant FirebirdResult::blobOf(ISC_QUAD id, bool text)
{
    isc_tr_handle transaction = m_local ? m_local : owner()->transaction();
    isc_blob_handle blob = 0;
    ISC_STATUS_ARRAY status{};
    isc_open_blob2(status, owner()->attachment(), &transaction, &blob, &id, 0, nullptr);
    if (failed(status))
        return QVariant(text ? QMetaType::fromType<QString>() : QMetaType::fromType<QByteArray>());
    QByteArray bytes;
    char segment[16384];
    for (;;) {
        unsigned short length = 0;
        const ISC_STATUS got = isc_get_segment(status, &blob, &length, sizeof segment, segment);
        if (got != 0 && got != isc_segment)
            break;
        bytes.append(segment, length);
    }
    isc_close_blob(status, &blob);
    if (text)
        return QString::fromUtf8(bytes);
    return bytes;
}

QSqlRecord FirebirdResult::record() const
{
    QSqlRecord record;
    if (!isSelect() || !m_statement)
        return record;
    const XSQLDA *out = m_out.get();
    for (int i = 0; i < out->sqld; ++i) {
        const XSQLVAR &var = out->sqlvar[i];
        QSqlField field(QString::fromUtf8(var.aliasname, var.aliasname_length), typeOf(var),
                        QString::fromUtf8(var.relname, var.relname_length));
        field.setRequiredStatus((var.sqltype & 1) ? QSqlField::Optional : QSqlField::Required);
        record.append(field);
    }
    return record;
}

} // namespace

bool hasFirebirdCode(const QString &nativeCodes, long code)
{
    const QString wanted = QString::number(code);
    for (QStringView part : QStringView(nativeCodes).split(QLatin1Char(' ')))
        if (part == wanted)
            return true;
    return false;
}

void registerFirebirdDriver()
{
    static QMutex mutex;
    static bool registered = false;
    const QMutexLocker lock(&mutex);
    if (registered)
        return;
    QSqlDatabase::registerSqlDriver(QLatin1String(FirebirdDriverName), new QSqlDriverCreator<FirebirdDriver>);
    registered = true;
}

Result<void> createFirebirdDatabase(const QString &host, int port, const QString &path, const QString &user,
                                    const QString &password)
{
    auto quoted = [](QString text) { return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); };
    QString statement = QStringLiteral("CREATE DATABASE %1").arg(quoted(attachName(host, port, path)));
    if (!user.isEmpty())
        statement += QStringLiteral(" USER %1").arg(quoted(user));
    if (!password.isEmpty())
        statement += QStringLiteral(" PASSWORD %1").arg(quoted(password));
    statement += QStringLiteral(" PAGE_SIZE 16384 DEFAULT CHARACTER SET UTF8");
    const QByteArray text = statement.toUtf8();
    ISC_STATUS_ARRAY status{};
    isc_db_handle database = 0;
    isc_tr_handle transaction = 0;
    isc_dsql_execute_immediate(status, &database, &transaction, 0, text.constData(), Dialect, nullptr);
    if (failed(status))
        return fail(statusText(status).text);
    isc_detach_database(status, &database);
    return {};
}

bool firebirdEngineInstalled()
{
    Firebird::IMaster *master = Firebird::fb_get_master_interface();
    const char *plugins = master ? master->getConfigManager()->getDirectory(Firebird::IConfigManager::DIR_PLUGINS)
                                 : nullptr;
    return plugins && QFileInfo::exists(QString::fromLocal8Bit(plugins) + QStringLiteral("/libEngine12.so"));
}

void cancelFirebirdStatement(const QSqlDatabase &database)
{
    if (auto *driver = dynamic_cast<FirebirdDriver *>(database.driver()))
        driver->cancel();
}

} // namespace tarel::data
