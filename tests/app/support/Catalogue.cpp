#include "Catalogue.h"

#include "vantrelle/store/Schema.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace vantrelle::test {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

Database openCatalogue()
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2("Movies.mdb", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the test catalogue");
    }
    return Database(db);
}

Statement prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    return Statement(statement);
}

void bindInteger(sqlite3_stmt* statement, int position, std::optional<int> value)
{
    if (value)
        sqlite3_bind_int(statement, position, *value);
    else
        sqlite3_bind_null(statement, position);
}

} // namespace

Catalogue::Catalogue()
    : m_workingDir(m_dir.path())
{
}

Catalogue Catalogue::withoutFile()
{
    return Catalogue();
}

Catalogue::Catalogue(const std::vector<Film>& films)
    : Catalogue()
{
    store::createCatalogue(m_dir / "Movies.mdb");
    Database db = openCatalogue();
    for (const Film& film : films) {
        Statement insert
            = prepare(db.get(), "INSERT INTO Movies (NameOfMovie, Year, Tagline, Runtime) VALUES (?, ?, ?, ?)");
        sqlite3_bind_text(insert.get(), 1, film.title.c_str(), -1, SQLITE_TRANSIENT);
        bindInteger(insert.get(), 2, film.year);
        if (film.tagline.empty())
            sqlite3_bind_null(insert.get(), 3);
        else
            sqlite3_bind_text(insert.get(), 3, film.tagline.c_str(), -1, SQLITE_TRANSIENT);
        bindInteger(insert.get(), 4, film.runtime);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db.get()));
    }
}

QStringList Catalogue::select(const std::string& sql, const std::vector<std::string>& parameters) const
{
    Database db = openCatalogue();
    Statement statement = prepare(db.get(), sql);
    for (std::size_t i = 0; i < parameters.size(); ++i)
        sqlite3_bind_text(statement.get(), static_cast<int>(i + 1), parameters[i].c_str(), -1, SQLITE_TRANSIENT);
    QStringList values;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        values.append(text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
    }
    return values;
}

void Catalogue::execute(const std::string& sql)
{
    Database db = openCatalogue();
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db.get()));
}

QStringList Catalogue::titles() const
{
    return select("SELECT NameOfMovie FROM Movies ORDER BY NameOfMovie COLLATE NOCASE", {});
}

QString Catalogue::column(const QString& title, const QString& columnName) const
{
    const QStringList values
        = select("SELECT " + columnName.toStdString() + " FROM Movies WHERE NameOfMovie = ?", { title.toStdString() });
    return values.size() == 1 ? values.front() : QStringLiteral("<%1 films>").arg(values.size());
}

std::optional<QByteArray> Catalogue::cover(const QString& title) const
{
    Database db = openCatalogue();
    Statement statement = prepare(db.get(), "SELECT Cover FROM Movies WHERE NameOfMovie = ?");
    sqlite3_bind_text(statement.get(), 1, title.toStdString().c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement.get()) != SQLITE_ROW)
        throw std::runtime_error("no film of that title");
    if (sqlite3_column_type(statement.get(), 0) == SQLITE_NULL)
        return std::nullopt;
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement.get(), 0));
    return QByteArray(bytes, sqlite3_column_bytes(statement.get(), 0));
}

void Catalogue::setCover(const QString& title, const std::optional<QByteArray>& bytes)
{
    Database db = openCatalogue();
    Statement update = prepare(db.get(), "UPDATE Movies SET Cover = ? WHERE NameOfMovie = ?");
    if (bytes)
        sqlite3_bind_blob(update.get(), 1, bytes->constData(), static_cast<int>(bytes->size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(update.get(), 1);
    sqlite3_bind_text(update.get(), 2, title.toStdString().c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(update.get()) != SQLITE_DONE || sqlite3_changes(db.get()) != 1)
        throw std::runtime_error("cannot set the cover");
}

} // namespace vantrelle::test
