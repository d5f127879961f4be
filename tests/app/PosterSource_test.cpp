// The window's poster source: the "Poster Source..." dialog with a loopback stand-in for TMDB, and
// lookups through the window's local title service that bring TMDB's poster and tagline into a new film.

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "StandInTmdb.h"
#include "TestFiles.h"
#include "ToolRun.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/LocalTitleService.h"
#include "vantrelle/app/PosterSourceDialog.h"
#include "vantrelle/app/PosterSourceKey.h"
#include "vantrelle/pictures/Bitmap.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

using namespace vantrelle;
using test::Catalogue;
using test::ModalAnswer;
using test::StandInTmdb;

namespace {

const char* const kRefusedKey = "ffffffffffffffffffffffffffffffff";

int coverHeight(const app::TForm1& form)
{
    const auto* bitmap = dynamic_cast<const pictures::TBitmap*>(form.DBImage1->Picture().graphic());
    return bitmap ? bitmap->height() : 0;
}

// Enters the number in "Enter Number" on a new film, answering the input box.
void enterNumber(app::TForm1& form, const QString& number)
{
    form.Addnewmovie1->trigger();
    ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        QVERIFY(box);
        box->setTextValue(number);
        box->accept();
    });
    form.SearchByNumber1->trigger();
    QCOMPARE(answer.texts(), QStringList());
}

} // namespace

class PosterSourceTest : public QObject {
    Q_OBJECT

    ScratchDir m_dir { "poster-source" };

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_dir / "config").string()));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((m_dir / "cache").string()));
        qputenv("VANTRELLE_TMDB_API", QByteArray::fromStdString(test::sharedTmdb().apiBase()));
        qputenv("VANTRELLE_TMDB_IMAGES", QByteArray::fromStdString(test::sharedTmdb().imageBase()));
        qunsetenv("VANTRELLE_TMDB_KEY");
        // Only the window's own title service answers its lookups.
        qputenv("http_proxy", "http://127.0.0.1:1");
        qputenv("no_proxy", "");
        qputenv("NO_PROXY", "");
    }

    void cleanup()
    {
        app::savePosterSourceKey({});
        std::filesystem::remove_all(m_dir / "cache");
    }

    void dialogTestsTheKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("said");
        QTest::newRow("v3 key") << QString::fromLatin1(StandInTmdb::kKey) << QStringLiteral("TMDB accepts this key.");
        QTest::newRow("token") << QString::fromLatin1(StandInTmdb::kToken) << QStringLiteral("TMDB accepts this key.");
        QTest::newRow("pasted with blanks") << QStringLiteral("  %1\n").arg(QString::fromLatin1(StandInTmdb::kKey))
                                            << QStringLiteral("TMDB accepts this key.");
        QTest::newRow("refused") << QString::fromLatin1(kRefusedKey) << QStringLiteral("TMDB refuses this key.");
        QTest::newRow("empty") << QString() << QStringLiteral("No key to test.");
    }

    void dialogTestsTheKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, said);
        app::PosterSourceDialog dialog;
        dialog.keyEdit->setText(key);
        QTest::mouseClick(dialog.testButton, Qt::LeftButton);
        QCOMPARE(dialog.testResult->text(), said);
    }

    void dialogSavesOrLeavesTheKey()
    {
        {
            app::PosterSourceDialog dialog;
            QCOMPARE(dialog.keyEdit->text(), QString());
            dialog.keyEdit->setText(QStringLiteral(" %1 ").arg(QString::fromLatin1(StandInTmdb::kKey)));
            dialog.buttons->button(QDialogButtonBox::Save)->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(app::savedPosterSourceKey(), QString::fromLatin1(StandInTmdb::kKey));
        const std::string conf = test::readFile(m_dir / "config" / "vantrelle" / "vantrelle.conf");
        QVERIFY2(conf.find(StandInTmdb::kKey) != std::string::npos, conf.c_str());
        {
            app::PosterSourceDialog dialog;
            QCOMPARE(dialog.keyEdit->text(), QString::fromLatin1(StandInTmdb::kKey));
            dialog.keyEdit->setText(QStringLiteral("something else"));
            dialog.buttons->button(QDialogButtonBox::Cancel)->click();
        }
        QCOMPARE(app::savedPosterSourceKey(), QString::fromLatin1(StandInTmdb::kKey));
        {
            app::PosterSourceDialog dialog;
            dialog.keyEdit->clear();
            dialog.buttons->button(QDialogButtonBox::Save)->click();
        }
        QCOMPARE(app::savedPosterSourceKey(), QString());
    }

    // The key is the user's alone: its file is 0600, in a folder that is 0700 when the program makes it
    // (one the user made stays as it is), and a file left readable by an earlier version becomes private.
    void theKeyIsKeptPrivate()
    {
        namespace fs = std::filesystem;
        const mode_t umask = ::umask(022);
        const fs::path folder = m_dir / "config" / "vantrelle";
        for (const bool madeByTheUser : { false, true }) {
            fs::remove_all(m_dir / "config");
            if (madeByTheUser) {
                fs::create_directories(folder);
                test::writeFile(folder / "vantrelle.conf", "");
            }
            QVERIFY(app::savePosterSourceKey(QString::fromLatin1(StandInTmdb::kKey)));
            QCOMPARE(
                fs::status(folder / "vantrelle.conf").permissions(), fs::perms::owner_read | fs::perms::owner_write);
            QCOMPARE(fs::status(folder).permissions() == fs::perms::owner_all, !madeByTheUser);
        }
        ::umask(umask);
    }

    void environmentKeyWinsAndTheDialogSaysSo()
    {
        app::savePosterSourceKey(QStringLiteral("saved"));
        qputenv("VANTRELLE_TMDB_KEY", "fromenvironment");
        QCOMPARE(app::posterSourceSettings().key, std::string("fromenvironment"));
        {
            app::PosterSourceDialog dialog;
            QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("environmentNote")));
        }
        qunsetenv("VANTRELLE_TMDB_KEY");
        QCOMPARE(app::posterSourceSettings().key, std::string("saved"));
        app::PosterSourceDialog dialog;
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("environmentNote")));
    }

    void aLookupBringsThePosterAndTheTagline()
    {
        app::savePosterSourceKey(QString::fromLatin1(StandInTmdb::kKey));
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        const app::LocalTitleService titles(*form, VANTRELLE_DEMO_TITLES);
        QVERIFY(titles.serving());
        enterNumber(*form, QStringLiteral("0100001"));
        QTRY_COMPARE_WITH_TIMEOUT(coverHeight(*form), 130, 20000); // the poster, not the 110-pixel placeholder
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        const QString title = QStringLiteral("Harbour Lights");
        QCOMPARE(catalogue.column(title, QStringLiteral("Tagline")), QStringLiteral("Every light has a keeper."));
        const ScratchDir out("poster-cover");
        const auto tool = test::runTool(
            "cover '" + std::string(VANTRELLE_DEMO_POSTERS) + "/0100001.jpg' '" + (out / "cover.bmp").string() + "'");
        QCOMPARE(tool.exitCode, 0);
        const std::optional<QByteArray> stored = catalogue.cover(title);
        QVERIFY(stored);
        QCOMPARE(stored->toStdString(), test::readFile(out / "cover.bmp"));
    }

    void aRefusedKeyIsNamedBesideTheWindowAndASavedKeyHoldsFromTheNextLookup()
    {
        app::savePosterSourceKey(QString::fromLatin1(kRefusedKey));
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        const app::LocalTitleService titles(*form, VANTRELLE_DEMO_TITLES);
        enterNumber(*form, QStringLiteral("0100001"));
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Harbour Lights"));
        QCOMPARE(coverHeight(*form), 110); // the placeholder
        QMessageBox* warning = nullptr;
        QTRY_VERIFY((warning = form->findChild<QMessageBox*>(QStringLiteral("posterSourceWarning"))));
        QVERIFY2(warning->text().contains(QStringLiteral("\"Poster Source...\" in the Action menu")),
            qPrintable(warning->text()));
        QVERIFY(!warning->isModal());
        warning->close();
        QTest::mouseClick(form->BitBtn4, Qt::LeftButton);

        // A good key saved in the dialog holds from the next lookup on.
        {
            ModalAnswer answer(QMessageBox::Ok, [](QWidget* modal) {
                auto* dialog = qobject_cast<app::PosterSourceDialog*>(modal);
                QVERIFY(dialog);
                dialog->keyEdit->setText(QString::fromLatin1(StandInTmdb::kKey));
                dialog->accept();
            });
            form->PosterSource1->trigger();
        }
        enterNumber(*form, QStringLiteral("0100001"));
        QTRY_COMPARE_WITH_TIMEOUT(coverHeight(*form), 130, 20000);
        QCOMPARE(form->findChildren<QMessageBox*>(QStringLiteral("posterSourceWarning")).size(), 0);
    }
};

QTEST_MAIN(PosterSourceTest)
#include "PosterSource_test.moc"
