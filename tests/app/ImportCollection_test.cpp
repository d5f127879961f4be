// "Import Collection..." in the real window on a real catalogue, matched against the stand-in's invented films
// (the title index named by VANTRELLE_TITLE_INDEX, as a user would name theirs).

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "StandInTmdb.h"
#include "TestFiles.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/ImportCollectionDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace vantrelle;
using app::ImportCollectionDialog;
using vantrelle::test::Catalogue;
using vantrelle::test::ModalAnswer;
namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(VANTRELLE_FIXTURES_DIR) / "collections";

// A matched film, an ambiguous one (Harbour Lights or its sequel) and one the index does not know.
constexpr const char* kList = "Harbour Lights (1987)\nHarbour\nThe Unlisted Film (2001)\n";

// Chooses `file` in the file dialog that "Import Collection..." opens.
std::function<void(QWidget*)> choose(const fs::path& file)
{
    return [file](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        if (auto* list = dialog->findChild<QListView*>(QStringLiteral("listView")))
            list->clearSelection();
        if (auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            box->setText(QString::fromStdString(file.string()));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
    };
}

// Each row as "line | title | year | match | status"; a choice shows its current text, a check box "[x]" or "[ ]".
QStringList rowsOf(const ImportCollectionDialog& review)
{
    QStringList rows;
    const QTableWidget* table = review.table;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            if (const auto* choice = qobject_cast<QComboBox*>(table->cellWidget(row, column)))
                cells << QStringLiteral("<%1>").arg(choice->currentText());
            else if (const auto* box = qobject_cast<QCheckBox*>(table->cellWidget(row, column)))
                cells << (box->isChecked() ? QStringLiteral("[x]") : QStringLiteral("[ ]"));
            else
                cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
        }
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

// Picks the candidate (from 1; 0 leaves the film out) of an ambiguous row and adds a not-found row from the file.
void resolve(ImportCollectionDialog& review, int ambiguousRow, int candidate, int notFoundRow)
{
    qobject_cast<QComboBox*>(review.table->cellWidget(ambiguousRow, ImportCollectionDialog::MatchColumn))
        ->setCurrentIndex(candidate);
    qobject_cast<QCheckBox*>(review.table->cellWidget(notFoundRow, ImportCollectionDialog::MatchColumn))->click();
}

// Clicks "Add N films" and waits until the add has ended.
void add(ImportCollectionDialog& review)
{
    QSignalSpy finished(&review, &ImportCollectionDialog::workFinished);
    QTest::mouseClick(review.addButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
}

ImportCollectionDialog* reviewOf(app::TForm1& form)
{
    const auto reviews = form.findChildren<ImportCollectionDialog*>();
    return reviews.isEmpty() ? nullptr : reviews.back();
}

} // namespace

class ImportCollectionTest : public QObject {
    Q_OBJECT

    ScratchDir m_dir;

private slots:
    void initTestCase()
    {
        qputenv("VANTRELLE_TITLE_INDEX", VANTRELLE_DEMO_TITLES);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_dir / "config").string()));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((m_dir / "cache").string()));
        qputenv("VANTRELLE_TMDB_API", QByteArray::fromStdString(test::sharedTmdb().apiBase()));
        qputenv("VANTRELLE_TMDB_IMAGES", QByteArray::fromStdString(test::sharedTmdb().imageBase()));
        qunsetenv("VANTRELLE_TMDB_KEY");
        test::writeFile(m_dir / "shelf.txt", kList);
    }

    void aListBecomesFilmsOnceAndTheSecondRunAddsNothing()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        {
            ModalAnswer answer(QMessageBox::Ok, choose(m_dir / "shelf.txt"));
            form->ImportCollection1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        ImportCollectionDialog* review = reviewOf(*form);
        QVERIFY(review);
        QVERIFY(review->isVisible());
        QVERIFY(!review->isModal());
        QCOMPARE(review->fileText->text(), QStringLiteral("3 films in shelf.txt (plain list)"));
        QVERIFY(!review->indexText->isVisibleTo(review));
        QCOMPARE(rowsOf(*review),
            QStringList({ "1 | Harbour Lights | 1987 | Harbour Lights (1987) | matched",
                "2 | Harbour |  | <Leave out> | ambiguous", "3 | The Unlisted Film | 2001 | [ ] | not-found" }));
        QCOMPARE(review->addButton->text(), QStringLiteral("Add 1 film"));
        const auto* choice
            = qobject_cast<QComboBox*>(review->table->cellWidget(1, ImportCollectionDialog::MatchColumn));
        QCOMPARE(choice->itemText(2), QStringLiteral("Harbour Lights II: Undertow (1991)"));

        resolve(*review, 1, 2, 2);
        QCOMPARE(rowsOf(*review).mid(1),
            QStringList({ "2 | Harbour |  | <Harbour Lights II: Undertow (1991)> | matched",
                "3 | The Unlisted Film | 2001 | [x] | from-file" }));
        QCOMPARE(review->addButton->text(), QStringLiteral("Add 3 films"));
        QVERIFY(review->allFromFileBox->isChecked()); // the one film not found comes in from the file
        QVERIFY(review->grab().save(
            QDir(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR)).filePath(QStringLiteral("ImportCollectionDialog.png"))));

        add(*review);
        QCOMPARE(review->progressText->text(), QStringLiteral("Added 3 films. Duplicates: 0. Covers that failed: 0."));
        const QStringList films { "Harbour Lights", "Harbour Lights II: Undertow", "The Unlisted Film" };
        QCOMPARE(catalogue.titles(), films);
        QCOMPARE(test::listedTitles(*form), films);
        QCOMPARE(catalogue.column(QStringLiteral("The Unlisted Film"), QStringLiteral("Year")), QStringLiteral("2001"));
        QCOMPARE(catalogue.column(QStringLiteral("Harbour Lights"), QStringLiteral("Runtime")), QStringLiteral("112"));
        QTest::mouseClick(review->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!reviewOf(*form));

        // The same file again: what is in the catalogue is a duplicate, also when the user chooses it again.
        form->importCollection(m_dir / "shelf.txt");
        review = reviewOf(*form);
        QVERIFY(review);
        QCOMPARE(
            rowsOf(*review).first(), QStringLiteral("1 | Harbour Lights | 1987 | Harbour Lights (1987) | duplicate"));
        resolve(*review, 1, 2, 2);
        add(*review);
        QCOMPARE(review->progressText->text(), QStringLiteral("Added 0 films. Duplicates: 2. Covers that failed: 0."));
        QCOMPARE(rowsOf(*review).mid(1),
            QStringList({ "2 | Harbour |  | <Harbour Lights II: Undertow (1991)> | duplicate",
                "3 | The Unlisted Film | 2001 | [x] | duplicate" }));
        QCOMPARE(catalogue.titles(), films);
    }

    void withoutAnIndexFilesWithTheirOwnDetailsStillComeIn()
    {
        qputenv("VANTRELLE_TITLE_INDEX", QByteArray::fromStdString((m_dir / "none.db").string()));
        const auto restore = qScopeGuard([] { qputenv("VANTRELLE_TITLE_INDEX", VANTRELLE_DEMO_TITLES); });
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        form->importCollection(kFixtures / "films.gcs");
        ImportCollectionDialog* review = reviewOf(*form);
        QVERIFY(review);
        QVERIFY(
            review->indexText->text().startsWith(QStringLiteral("There is no title index, so no film is matched.")));
        QVERIFY(review->titleDataButton->isVisibleTo(review));
        QVERIFY(review->allFromFileBox->isChecked());
        QCOMPARE(review->addButton->text(), QStringLiteral("Add 2 films"));
        {
            // "Title Data..." opens over it.
            bool offered = false;
            ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
                offered = modal->objectName() == QStringLiteral("TitleDataDialog");
                static_cast<QDialog*>(modal)->reject();
            });
            QTest::mouseClick(review->titleDataButton, Qt::LeftButton);
            QVERIFY(offered);
        }
        add(*review);
        QCOMPARE(catalogue.titles(), QStringList({ "Brass Meridian", "Signal Lost" }));
    }

    void aFilmBeingAddedByHandIsKeptUntilItIsDone()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        form->importCollection(m_dir / "shelf.txt");
        ImportCollectionDialog* review = reviewOf(*form);
        QVERIFY(review);
        form->Addnewmovie1->trigger();
        test::typeInto(form->DBEdit1, QStringLiteral("Typed by hand"));
        add(*review);
        QCOMPARE(catalogue.titles(), QStringList({ "Harbour Lights" }));
        QCOMPARE(test::faceOf(*form), test::addingFace);
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Typed by hand"));
        QTest::mouseClick(form->BitBtn4, Qt::LeftButton);
        QTRY_COMPARE(test::listedTitles(*form), QStringList({ "Harbour Lights" }));
    }

    void aFileThatCannotBeReadShowsWhyAndChangesNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged zip") << "damaged.tc"
                                     << "a damaged zip file (Not a zip archive)";
        QTest::newRow("damaged XML") << "damaged.xml"
                                     << "not well-formed XML: Premature end of data in tag title line 7.";
        QTest::newRow("books") << "tellico-books.tc"
                               << "a Tellico collection of books, not of films.";
    }

    void aFileThatCannotBeReadShowsWhyAndChangesNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        Catalogue catalogue({ { "Twelve Bells", 1962 } });
        auto form = test::openWindow();
        const fs::path path = kFixtures / file.toStdString();
        {
            ModalAnswer answer(QMessageBox::Ok, choose(path));
            form->ImportCollection1->trigger();
            QCOMPARE(answer.texts(), QStringList(QString::fromStdString(path.string()) + ": " + reason));
            QCOMPARE(answer.boxes()[0].icon, QMessageBox::Critical);
        }
        QVERIFY(!reviewOf(*form));
        QCOMPARE(catalogue.titles(), QStringList({ "Twelve Bells" }));
    }

    void cancelAddsNothing()
    {
        // The stand-in TMDB stalls on The Quiet Harbour's poster: the covers are still being fetched.
        qputenv("VANTRELLE_TMDB_KEY", test::StandInTmdb::kKey);
        test::writeFile(m_dir / "slow.txt", "Harbour Lights (1987)\nThe Quiet Harbour (2008)\n");
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        form->importCollection(m_dir / "slow.txt");
        ImportCollectionDialog* review = reviewOf(*form);
        QVERIFY(review);
        QSignalSpy finished(review, &ImportCollectionDialog::workFinished);
        QTest::mouseClick(review->addButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(review->progressText->text().startsWith(QStringLiteral("Covers: 1 of 2")), 10000);
        QVERIFY(!review->addButton->isEnabled());
        QTest::mouseClick(review->cancelButton, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        qunsetenv("VANTRELLE_TMDB_KEY");
        QCOMPARE(review->progressText->text(), QStringLiteral("Cancelled; nothing was added."));
        QVERIFY(review->addButton->isEnabled());
        QCOMPARE(catalogue.titles(), QStringList());
        QCOMPARE(test::listedTitles(*form), QStringList());
    }
};

QTEST_MAIN(ImportCollectionTest)
#include "ImportCollection_test.moc"
