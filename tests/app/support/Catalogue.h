#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace vantrelle::test {

// A film to put into a test catalogue; unset values stay null.
struct Film {
    std::string title;
    std::optional<int> year = {};
    std::string tagline = {};
    std::optional<int> runtime = {};
};

// A temporary folder, made the working directory, holding a "Movies.mdb" with the
// given films (or no file at all). The file is read back with plain SQL, so the
// tests see what is really on disk.
class Catalogue {
public:
    explicit Catalogue(const std::vector<Film>& films);
    // A folder without any "Movies.mdb".
    static Catalogue withoutFile();

    // Runs a statement on the file, as another program would.
    void execute(const std::string& sql);

    // Every title on disk, in title order.
    QStringList titles() const;
    // One column of the film with that title, as text ("NULL" for null).
    QString column(const QString& title, const QString& columnName) const;
    // The Cover of the film with that title, byte for byte; nothing when it is null.
    std::optional<QByteArray> cover(const QString& title) const;
    // Stores `bytes` (nothing: null) as the Cover of the film with that title.
    void setCover(const QString& title, const std::optional<QByteArray>& bytes);

private:
    Catalogue();
    QStringList select(const std::string& sql, const std::vector<std::string>& parameters) const;

    ScratchDir m_dir;
    ScopedWorkingDir m_workingDir;
};

} // namespace vantrelle::test
