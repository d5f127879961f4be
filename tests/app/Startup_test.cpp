// Start-up: what the command line asks for, which catalogue the window opens, and the real program started
// from an empty folder, as a desktop menu starts it.

#include "ModalAnswer.h"
#include "TestFiles.h"

#include "vantrelle/app/CommandLine.h"
#include "vantrelle/app/StartupCatalogue.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <map>
#include <optional>

using namespace vantrelle;
using test::ModalAnswer;
using Request = app::CommandLine::Request;

Q_DECLARE_METATYPE(Request)

namespace {

// Points XDG_DATA_HOME at a folder for the object's lifetime.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const QString& folder)
        : m_previous(qgetenv("XDG_DATA_HOME"))
        , m_wasSet(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", folder.toLocal8Bit());
    }
    ~ScopedDataHome()
    {
        if (m_wasSet)
            qputenv("XDG_DATA_HOME", m_previous);
        else
            qunsetenv("XDG_DATA_HOME");
    }

private:
    QByteArray m_previous;
    bool m_wasSet;
};

QString path(const std::filesystem::path& file)
{
    return QString::fromStdString(file.string());
}

// A catalogue file holding films of these titles, made through the store as the program would.
void makeCatalogue(const std::filesystem::path& file, const QStringList& titles)
{
    std::filesystem::create_directories(file.parent_path());
    store::createCatalogue(file);
    store::MoviesQuery query;
    query.ConnectionString = store::connectionStringFor(file);
    query.open();
    for (const QString& title : titles) {
        query.insert();
        query.aqMoviesNameOfMovie.setAsString(title.toStdString());
        query.post();
    }
}

QStringList titlesOf(store::MoviesQuery& query)
{
    QStringList titles;
    for (query.first(); !query.eof(); query.next())
        titles << QString::fromStdString(query.aqMoviesNameOfMovie.asString());
    return titles;
}

// The titles in a catalogue file, or a note that it cannot be read as one (yet).
QStringList titlesIn(const QString& file)
{
    try {
        store::MoviesQuery query;
        query.ConnectionString = store::connectionStringFor(file.toStdString());
        query.open();
        return titlesOf(query);
    } catch (const std::exception&) {
        return { QStringLiteral("<not a catalogue>") };
    }
}

// The file a running process holds open under that path, read from /proc.
bool holdsOpen(qint64 pid, const QString& file)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == file)
            return true;
    return false;
}

// Runs the program with the arguments and no display at all; gives its exit code and what it printed.
struct Answer {
    int exitCode = -1;
    QString out;
    QString err;
};

Answer runWithoutDisplay(const QStringList& arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VANTRELLE_APP), arguments);
    if (!program.waitForFinished(30000))
        return {};
    return { program.exitCode(), QString::fromLocal8Bit(program.readAllStandardOutput()),
        QString::fromLocal8Bit(program.readAllStandardError()) };
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Request>("request");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing") << QStringList() << Request::Run << QString() << QString();
        QTest::newRow("a file") << QStringList { "films.mdb" } << Request::Run << "films.mdb" << QString();
        QTest::newRow("help") << QStringList { "--help" } << Request::Help << QString() << QString();
        QTest::newRow("version") << QStringList { "--version" } << Request::Version << QString() << QString();
        QTest::newRow("help wins over a wrong option")
            << QStringList { "--frobnicate", "--help" } << Request::Help << QString() << QString();
        QTest::newRow("unknown option") << QStringList { "--frobnicate" } << Request::UsageError << QString()
                                        << "unknown option '--frobnicate'";
        QTest::newRow("two files") << QStringList { "a.mdb", "b.mdb" } << Request::UsageError << QString()
                                   << "only one catalogue can be opened at a time";
        QTest::newRow("a file named like an option")
            << QStringList { "--", "--help" } << Request::Run << "--help" << QString();
        QTest::newRow("a lone dash is a file") << QStringList { "-" } << Request::Run << "-" << QString();
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Request, request);
        QFETCH(QString, file);
        QFETCH(QString, error);
        std::vector<std::string> words;
        for (const QString& argument : arguments)
            words.push_back(argument.toStdString());
        const app::CommandLine read = app::readCommandLine(words);
        QCOMPARE(read.request, request);
        QCOMPARE(QString::fromStdString(read.file.value_or("")), file);
        QCOMPARE(QString::fromStdString(read.error), error);
    }

    void theWindowOpensTheChosenCatalogue_data()
    {
        QTest::addColumn<bool>("inWorkingDir");
        QTest::addColumn<bool>("userCatalogueExists");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("a named file") << true << true << "named" << QStringList { "Named" };
        QTest::newRow("the working directory's") << true << true << "working" << QStringList { "Working" };
        QTest::newRow("the user's") << false << true << "user" << QStringList { "Users" };
        QTest::newRow("the user's, made on first start") << false << false << "user" << QStringList();
    }

    // Does what the program does at start-up, with XDG_DATA_HOME pointed into a temporary folder.
    void theWindowOpensTheChosenCatalogue()
    {
        QFETCH(bool, inWorkingDir);
        QFETCH(bool, userCatalogueExists);
        QFETCH(QString, opened);
        QFETCH(QStringList, titles);
        ScratchDir elsewhere;
        ScratchDir working;
        ScratchDir dataHome;
        ScopedDataHome scopedDataHome(path(dataHome.path()));
        test::ScopedWorkingDir inWorking(working.path());
        const auto userFile = dataHome / "vantrelle" / "Movies.mdb";
        const std::map<QString, std::filesystem::path> files { { "named", elsewhere / "films.mdb" },
            { "working", working / "Movies.mdb" }, { "user", userFile } };
        makeCatalogue(files.at("named"), { "Named" });
        if (inWorkingDir)
            makeCatalogue(files.at("working"), { "Working" });
        if (userCatalogueExists)
            makeCatalogue(userFile, { "Users" });

        std::optional<std::string> argument;
        if (opened == QLatin1String("named"))
            argument = std::filesystem::relative(files.at("named")).string();
        const std::filesystem::path chosen = app::startupCatalogue(argument);
        QCOMPARE(path(chosen), path(files.at(opened)));
        QVERIFY(chosen.is_absolute());

        ModalAnswer answer;
        app::TForm1 form(store::connectionStringFor(chosen));
        QCOMPARE(answer.texts(), QStringList());
        QCOMPARE(form.aqMovies->state(), store::qsBrowse);
        QCOMPARE(titlesOf(*form.aqMovies), titles);
        QCOMPARE(QFileInfo::exists(path(userFile)), userCatalogueExists || opened == QLatin1String("user"));
    }

    void aNamedFileThatIsMissingIsReportedWithItsFolderAndNotCreated()
    {
        ScratchDir dataHome;
        ScopedDataHome scopedDataHome(path(dataHome.path()));
        ScratchDir working;
        test::ScopedWorkingDir inWorking(working.path());
        const std::filesystem::path chosen = app::startupCatalogue("missing.mdb");
        ModalAnswer answer;
        app::TForm1 form(store::connectionStringFor(chosen));
        QCOMPARE(answer.texts(),
            QStringList { QStringLiteral("Could not find file 'missing.mdb' in the folder '%1'")
                              .arg(path(std::filesystem::current_path())) });
        QCOMPARE(form.aqMovies->state(), store::qsClosed);
        QVERIFY(!QFileInfo::exists(QStringLiteral("missing.mdb")));
        QVERIFY(QDir(path(dataHome.path())).isEmpty());
    }

    void aNamedFileThatIsMissingIsOfferedToBeCreated_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("created");
        QTest::newRow("Yes: an empty catalogue there") << int(QMessageBox::Yes) << true;
        QTest::newRow("No: nothing, and the program ends") << int(QMessageBox::No) << false;
    }

    void aNamedFileThatIsMissingIsOfferedToBeCreated()
    {
        QFETCH(int, answer);
        QFETCH(bool, created);
        ScratchDir working;
        test::ScopedWorkingDir inWorking(working.path());
        const std::filesystem::path chosen = app::startupCatalogue("films.mdb");
        ModalAnswer boxes(static_cast<QMessageBox::StandardButton>(answer));
        QCOMPARE(app::offerToCreateCatalogue(chosen), created);
        QCOMPARE(boxes.texts(),
            QStringList { QStringLiteral("The catalogue \"%1\" does not exist.\nCreate an empty catalogue there?")
                              .arg(path(chosen)) });
        QCOMPARE(boxes.boxes()[0].icon, QMessageBox::Question);
        QCOMPARE(QFileInfo::exists(QStringLiteral("films.mdb")), created);
        if (!created)
            return;
        QCOMPARE(titlesIn(path(chosen)), QStringList());
        // Asked only once: the file is there now.
        QVERIFY(app::offerToCreateCatalogue(chosen));
        QCOMPARE(boxes.texts().size(), 1);
    }

    void theUsersCatalogueThatCannotBeMadeIsReported()
    {
        ScratchDir dataHome;
        test::writeFile(dataHome / "vantrelle", "a file where the folder should be");
        ScopedDataHome scopedDataHome(path(dataHome.path()));
        ScratchDir working;
        test::ScopedWorkingDir inWorking(working.path());
        QString message;
        try {
            app::startupCatalogue(std::nullopt);
        } catch (const std::exception& e) {
            message = QString::fromStdString(e.what());
        }
        QVERIFY2(message.startsWith(QStringLiteral("Cannot create the folder '%1'").arg(path(dataHome / "vantrelle"))),
            qPrintable(message));
    }

    void helpAndVersionAnswerWithoutADisplay()
    {
        const Answer help = runWithoutDisplay({ QStringLiteral("--help") });
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.startsWith(QStringLiteral("Usage: vantrelle [FILE]\n")), qPrintable(help.out));
        QVERIFY2(help.out.contains(QStringLiteral("vantrelle/Movies.mdb")), qPrintable(help.out));
        QVERIFY2(help.out.endsWith(
                     QStringLiteral("Used with permission.\n"
                                    "This product uses the TMDB API but is not endorsed or certified by TMDB.\n")),
            qPrintable(help.out));
        QCOMPARE(help.err, QString());

        const Answer version = runWithoutDisplay({ QStringLiteral("--version") });
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("vantrelle " VANTRELLE_VERSION "\n"));
    }

    void aWrongCommandLineIsAnsweredOnTheTerminal()
    {
        QProcess program;
        program.start(QStringLiteral(VANTRELLE_APP),
            { QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("a.mdb"),
                QStringLiteral("b.mdb") });
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 2);
        // Qt may warn about its own settings before.
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(err.endsWith(QStringLiteral("vantrelle: only one catalogue can be opened at a time\n"
                                             "Try 'vantrelle --help' for more information.\n")),
            qPrintable(err));
    }

    // The program as a desktop menu starts it: no argument, a folder without a catalogue.
    void startedFromAnEmptyFolderItMakesAndOpensTheUsersCatalogue()
    {
        ScratchDir emptyFolder;
        ScratchDir dataHome;
        const QString catalogue = path(dataHome / "vantrelle" / "Movies.mdb");
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(dataHome.path()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(path(emptyFolder.path()));
        program.start(QStringLiteral(VANTRELLE_APP));
        QVERIFY(program.waitForStarted(30000));
        // Made, and then held open by the window's query.
        QTRY_VERIFY_WITH_TIMEOUT(
            titlesIn(catalogue) == QStringList() && holdsOpen(program.processId(), catalogue), 30000);
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        QVERIFY(QDir(path(emptyFolder.path())).isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "Startup_test.moc"
