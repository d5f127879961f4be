// "Title Data..." as a new user meets it: empty data and cache folders, a stand-in for the datasets' host
// on loopback, and http_proxy pointing nowhere, so only the index that the window builds can answer.

#include "Catalogue.h"
#include "DatasetServer.h"
#include "Gzip.h"
#include "ModalAnswer.h"
#include "TestFiles.h"
#include "WindowTest.h"

#include "vantrelle/ScratchDir.h"
#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/LocalTitleService.h"
#include "vantrelle/app/TitleDataDialog.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <filesystem>
#include <map>
#include <memory>

using namespace vantrelle;
using vantrelle::test::Catalogue;
using vantrelle::test::ModalAnswer;
namespace fs = std::filesystem;

class TitleDataTest : public QObject {
    Q_OBJECT

    ScratchDir m_dir;
    std::unique_ptr<test::DatasetServer> m_server;

private slots:
    void init()
    {
        m_server = std::make_unique<test::DatasetServer>(test::publishedFixtureDataset());
        fs::remove_all(m_dir / "data");
        fs::remove_all(m_dir / "cache");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((m_dir / "data").string()));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((m_dir / "cache").string()));
        qputenv("VANTRELLE_DATASETS_URL", QByteArray::fromStdString(m_server->url()));
        qunsetenv("VANTRELLE_TITLE_INDEX");
        qputenv("http_proxy", "http://127.0.0.1:1");
        qputenv("no_proxy", "127.0.0.1");
        qputenv("NO_PROXY", "127.0.0.1");
    }

    void aNewUserGetsTitleDataFromEnterNumberAndLooksAFilmUpWithoutARestart()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        const app::LocalTitleService titles(*form);
        QVERIFY(!titles.serving());

        form->Addnewmovie1->trigger();
        bool downloaded = false;
        {
            // "Enter Number" offers the dialog; in it, the download and import run with the window responsive.
            ModalAnswer answer(QMessageBox::Yes, [&](QWidget* modal) {
                auto* dialog = qobject_cast<app::TitleDataDialog*>(modal);
                QVERIFY(dialog);
                QVERIFY(dialog->termsText->isVisibleTo(dialog));
                QVERIFY(dialog->creditText->text().startsWith(QStringLiteral("Information courtesy of IMDb")));
                QVERIFY(dialog->indexText->text().startsWith(QStringLiteral("No title index yet")));
                QSignalSpy finished(dialog, &app::TitleDataDialog::workFinished);
                QTest::mouseClick(dialog->downloadButton, Qt::LeftButton);
                QVERIFY(dialog->progressBar->isVisible());
                QVERIFY(dialog->cancelButton->isEnabled());
                QVERIFY(!dialog->downloadButton->isEnabled());
                QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
                QCOMPARE(dialog->progressText->text(), QStringLiteral("The title index is ready: 7 titles."));
                QVERIFY(dialog->indexText->text().contains(QStringLiteral("Titles: 7")));
                QVERIFY(!dialog->termsText->isVisibleTo(dialog));
                downloaded = true;
                QTest::mouseClick(dialog->closeButton, Qt::LeftButton);
            });
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.boxes().size(), std::size_t(1));
            QVERIFY(answer.texts()[0].startsWith(QStringLiteral("There is no title data on this computer yet")));
        }
        QVERIFY(downloaded);
        QVERIFY(titles.serving());
        QVERIFY(!form->titleDataMissing());
        QVERIFY(fs::exists(m_dir / "data" / "vantrelle" / "titles.db"));

        {
            ModalAnswer answer(QMessageBox::Ok, [](QWidget* modal) {
                auto* box = qobject_cast<QInputDialog*>(modal);
                QVERIFY(box);
                box->setTextValue(QStringLiteral("0000002"));
                box->accept();
            });
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Salt & Copper"));
    }

    void aSecondDownloadOfUnchangedDataImportsNothing()
    {
        const fs::path index = m_dir / "data" / "vantrelle" / "titles.db";
        app::TitleDataDialog dialog(index, m_dir / "cache" / "datasets");
        QSignalSpy finished(&dialog, &app::TitleDataDialog::workFinished);
        QSignalSpy replaced(&dialog, &app::TitleDataDialog::indexReplaced);
        dialog.downloadAndImport();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        const auto built = fs::last_write_time(index);
        dialog.downloadAndImport();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
        QCOMPARE(dialog.progressText->text(),
            QStringLiteral("The title data has not changed; the title index is up to date."));
        QCOMPARE(replaced.count(), 1);
        QCOMPARE(fs::last_write_time(index), built);
    }

    void anImportSaysWhichRowsItSkipped()
    {
        // A hundred more titles, so that one bad row is a stray one and not a damaged file.
        std::string basics = test::readFile(fs::path(VANTRELLE_FIXTURES_DIR) / "titles" / "title.basics.tsv");
        for (int n = 0; n < 100; ++n)
            basics += "tt2" + std::to_string(1000000 + n) + "\tmovie\tMore " + std::to_string(n)
                + "\t\\N\t0\t2001\t\\N\t90\tDrama\n";
        basics += "tt3000000\tmovie\tCut short\n";
        m_server->publish("title.basics.tsv.gz", test::gzip(basics));
        const fs::path index = m_dir / "data" / "vantrelle" / "titles.db";
        app::TitleDataDialog dialog(index, m_dir / "cache" / "datasets");
        QSignalSpy finished(&dialog, &app::TitleDataDialog::workFinished);
        dialog.downloadAndImport();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QCOMPARE(dialog.progressText->text(),
            QStringLiteral("The title index is ready: 107 titles.\n"
                           "Skipped 1 row of title.basics.tsv.gz: line 111, 3 fields where 9 are expected."));
    }

    void cancelOnASlowServerLeavesTheIndexAsItWas()
    {
        m_server->publish("title.basics.tsv.gz", std::string(200'000, 'x'));
        m_server->setSlow(true);
        const fs::path index = m_dir / "data" / "vantrelle" / "titles.db";
        app::TitleDataDialog dialog(index, m_dir / "cache" / "datasets");
        dialog.show();
        QSignalSpy finished(&dialog, &app::TitleDataDialog::workFinished);
        QSignalSpy replaced(&dialog, &app::TitleDataDialog::indexReplaced);
        QTest::mouseClick(dialog.downloadButton, Qt::LeftButton);
        // Progress comes while the window stays responsive.
        QTRY_VERIFY_WITH_TIMEOUT(
            dialog.progressText->text().startsWith(QStringLiteral("Downloading title.basics")), 10000);
        QTest::mouseClick(dialog.cancelButton, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(dialog.progressText->text(), QStringLiteral("Cancelled; the title index is left as it was."));
        QCOMPARE(replaced.count(), 0);
        QVERIFY(!fs::exists(index));
        QVERIFY(!fs::exists(m_dir / "cache" / "datasets" / "title.basics.tsv.gz"));
        QVERIFY(dialog.downloadButton->isEnabled());
    }

    void aFailedDownloadNamesTheFileAndKeepsTheIndex()
    {
        const fs::path index = m_dir / "data" / "vantrelle" / "titles.db";
        fs::create_directories(index.parent_path());
        test::writeFile(index, "the index in place");
        m_server->publish("title.crew.tsv.gz", "");
        app::TitleDataDialog dialog(index, m_dir / "cache" / "datasets");
        QSignalSpy finished(&dialog, &app::TitleDataDialog::workFinished);
        dialog.downloadAndImport();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QCOMPARE(dialog.progressText->text(),
            QStringLiteral(
                "title.crew.tsv.gz: the server answered with status 404. The title index is left as it was."));
        QCOMPARE(test::readFile(index), std::string("the index in place"));
    }
};

QTEST_MAIN(TitleDataTest)
#include "TitleData_test.moc"
